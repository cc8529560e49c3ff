#!/usr/bin/env bash
# bench/run.sh: builds the benchmark drivers (Release, build/bench) and runs
# korvel-bench-suite, which starts them against korvel-targetsim on
# pseudo-terminals, prints every figure with its bound ("met" or "not met")
# and ends non-zero when a bound is not met. docs/performance.md explains the
# figures. BENCH_PAIRS (default 9) sets how many program/baseline pairs run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/bench
cmake -S bench -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target korvel-bench-suite korvel-bench-link korvel-bench-baseline korvel-bench-window \
  korvel-bench-station korvel-targetsim korvel-hexgen >/dev/null
status=0
"$build/korvel-bench-suite" "$build" "${BENCH_PAIRS:-9}" || status=1
echo
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/korvel-bench-station" 2>/dev/null || status=1
exit $status
