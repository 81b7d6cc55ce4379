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

# Runs clang-tidy on every product source compiled in the build at $1.
tidy_build() {
    local build="$1" compiled
    [[ -f "$build/compile_commands.json" ]] || return 0
    compiled=$(python3 -c '
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(entry["file"], os.getcwd()))' "$build/compile_commands.json" | sort -u)
    sources '\.cpp$' | grep -Fxf <(echo "$compiled") |
        xargs -r -P "$(nproc)" -n 8 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
            2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed|^Use -header-filter' >&2)
}

check_tidy() {
    [[ -f "${BUILD_DIR:-build}/compile_commands.json" ]] || {
        echo "check-style: configure ${BUILD_DIR:-build} first (cmake --preset dev)" >&2
        return 1
    }
    tidy_build "${BUILD_DIR:-build}"
    tidy_build "${WIN_BUILD_DIR:-build-win64}"
}

for check in "${@:-format layers tidy}"; do
    for one in $check; do
        echo "== style: $one"
        "check_$one"
    done
done
