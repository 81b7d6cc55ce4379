#!/usr/bin/env bash
# The checked style of the product's sources, failing on any finding:
#   format  clang-format --dry-run -Werror (the repo's .clang-format)
#   layers  no file includes a header of a higher layer (layers.txt)
#   tidy    clang-tidy (.clang-tidy) over the sources of a configured build:
#           BUILD_DIR (default build) for Linux, and WIN_BUILD_DIR (default
#           build-win64, when configured) for com/ and the Windows parts
# With no argument all three run; tidy needs the builds configured.
set -euo pipefail
cd "$(dirname "$0")/.."

product=(platform resources reader card crypto txn control sim host bridge com)

sources() { git ls-files "${product[@]}" | grep -E "$1" || true; }

check_format() {
    sources '\.(h|cpp|c)$' | xargs -r clang-format --dry-run -Werror
}

check_layers() {
    python3 scripts/check-layers.py
}

# The product sources a configured build compiles, relative to the top.
compiled_sources() {
    [[ -f "$1/compile_commands.json" ]] || return 0
    python3 -c '
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(entry["file"], os.getcwd()))' "$1/compile_commands.json" | sort -u
}

# clang-tidy is not a cross build's compiler: it is told the target and the
# cross compiler's own C++ headers, read from that compiler.
cross_arguments() {
    local compiler triple
    compiler=$(python3 -c '
import json, shlex, sys
entry = json.load(open(sys.argv[1]))[0]
print(entry["arguments"][0] if "arguments" in entry else shlex.split(entry["command"])[0])' \
        "$1/compile_commands.json")
    [[ $compiler == *mingw32* ]] || return 0
    triple=$(basename "$compiler")
    echo "--extra-arg=--target=${triple%%-g++*}"
    "$compiler" -E -x c++ - -v </dev/null 2>&1 |
        sed -n '/#include <...> search starts here/,/End of search list/p' |
        grep -E '^ .*/c\+\+' | while read -r dir; do echo "--extra-arg=-isystem$dir"; done
}

# Runs clang-tidy on every product source compiled in the build at $1, but
# not on those already checked in the build at $2.
tidy_build() {
    local build="$1" skipped="${2:-}" extra
    [[ -f "$build/compile_commands.json" ]] || return 0
    mapfile -t extra < <(cross_arguments "$build")
    sources '\.cpp$' | grep -Fxf <(compiled_sources "$build") |
        { if [[ -n $skipped ]]; then grep -Fvxf <(compiled_sources "$skipped"); else cat; fi; } |
        xargs -r -P "$(nproc)" -n 8 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
            "${extra[@]}" \
            2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed|^Use -header-filter' >&2)
}

check_tidy() {
    [[ -f "${BUILD_DIR:-build}/compile_commands.json" ]] || {
        echo "check-style: configure ${BUILD_DIR:-build} first (cmake --preset dev)" >&2
        return 1
    }
    tidy_build "${BUILD_DIR:-build}"
    # The Windows build: only what the Linux build does not compile (com/,
    # the Windows seams); the shared sources were checked above.
    tidy_build "${WIN_BUILD_DIR:-build-win64}" "${BUILD_DIR:-build}"
}

for check in "${@:-format layers tidy}"; do
    for one in $check; do
        echo "== style: $one"
        "check_$one"
    done
done
