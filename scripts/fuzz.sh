#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed number of
# inputs. FUZZ_RUNS overrides the count.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${FUZZ_RUNS:-20000}"
cmake --preset fuzz
cmake --build --preset fuzz
shopt -s nullglob
targets=(build-fuzz/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets were built" >&2
  exit 1
fi
for target in "${targets[@]}"; do
  echo "== $(basename "$target"): $runs runs"
  corpus="fuzz/corpus/$(basename "$target")"
  args=(-runs="$runs" -max_len=4096 -seed=1)
  [ -d "$corpus" ] && args+=("$corpus")
  log="build-fuzz/$(basename "$target").log"
  if ! "$target" "${args[@]}" >"$log" 2>&1; then
    cat "$log" >&2
    echo "$(basename "$target") failed" >&2
    exit 1
  fi
  tail -n 2 "$log"
done
