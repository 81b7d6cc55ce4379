#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks: kestrova's DES and MAC
# against OpenSSL, then a whole transaction on pcscd against the bare PC/SC
# client that makes the same calls (root: the daemon runs in private
# namespaces; skipped otherwise). TRANSACTION_RUNS sets how often each side
# of the transaction runs (default 10). Then a page's call through the browser
# bridge, kestrova-host against an echo host. Last the soak on pcscd
# (bench/soak_on_daemon.py, root): SOAK_SESSIONS page sessions (default 2000,
# about 35 minutes) in kestrova-host and in kestrova run, with its table of
# sessions per second, memory and descriptors. Timings are reported, never judged.
# The DES benchmarks repeat BENCH_REPETITIONS times (default 5), the two sides
# of each pair interleaved at random, and report medians, so that other work on
# a shared machine skews both sides alike; further arguments go to
# kestrova_bench (e.g. --benchmark_filter='engine MAC').
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target \
  kestrova_bench kestrova kestrova-vicc kestrova_transaction_floor kestrova_pcsc_call_trace

echo "== DES and MAC: kestrova against OpenSSL"
build-release/bin/kestrova_bench \
  --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 "$@"

echo "== A whole transaction on pcscd: kestrova against its floor"
status=0
python3 bench/transaction_on_daemon.py --build-dir build-release \
  --runs "${TRANSACTION_RUNS:-10}" || status=$?
if [ "$status" -eq 77 ]; then
  echo "(the transaction benchmark was skipped)"
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi

echo "== A page's call through the browser bridge: kestrova-host against an echo host"
cmake --build --preset release --target kestrova-host kestrova_echo_host kestrova_extension
# The browser is driven with the system's python3-websocket.
python=python3
if ! python3 -c "import websocket" 2>/dev/null && [ -x /usr/bin/python3 ]; then
  python=/usr/bin/python3
fi
status=0
"$python" bench/bridge_round_trip.py --build-dir build-release || status=$?
if [ "$status" -eq 77 ]; then
  echo "(the bridge benchmark was skipped)"
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi

echo "== The soak on pcscd: page sessions in kestrova-host and in kestrova run"
cmake --build --preset release --target kestrova-host kestrova kestrova-vicc
soak() {
  python3 bench/soak_on_daemon.py --kestrova build-release/bin/kestrova \
    --host build-release/bin/kestrova-host --vicc build-release/bin/kestrova-vicc \
    --work-dir build-release/bench-work "$@"
}
status=0
soak --sessions "${SOAK_SESSIONS:-2000}" || status=$?
if [ "$status" -eq 0 ]; then
  echo "-- the same with a transfer that shows no window: only the pauses set the ceiling"
  soak --sessions 300 --free-calls 3000 --no-window || status=$?
fi
if [ "$status" -eq 77 ]; then
  echo "(the soak was skipped)"
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi
