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
  # libFuzzer adds what it finds to its first corpus folder: work on a copy of
  # the seeds so the repository stays as it is.
  seeds="fuzz/corpus/$(basename "$target")"
  corpus="build-fuzz/corpus/$(basename "$target")"
  rm -rf "$corpus" && mkdir -p "$corpus"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  # The bridge's messages may be deep and long (its seeds nest 20,000 levels).
  max_len=4096
  [ "$(basename "$target")" = fuzz_bridge_messages ] && max_len=262144
  args=(-runs="$runs" -max_len="$max_len" -seed=1 "$corpus")
  log="build-fuzz/$(basename "$target").log"
  if ! "$target" "${args[@]}" >"$log" 2>&1; then
    cat "$log" >&2
    echo "$(basename "$target") failed" >&2
    exit 1
  fi
  tail -n 2 "$log"
done
