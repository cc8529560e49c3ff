#!/usr/bin/env bash
# run-fuzzers.sh BUILD_DIR [SECONDS]: runs every fuzz target for SECONDS
# (30 by default), starting from the seeds kept beside this script. The grown
# corpus and any failing input stay in BUILD_DIR/fuzz-work. Non-zero when a
# target finds a failing input.
set -uo pipefail
build=$1
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$build/fuzz-work
targets=(settings hexlines hexcheck answers lockfile version cmdline portsfile)

failed=()
for target in "${targets[@]}"; do
  corpus=$work/corpus/$target
  artifacts=$work/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  echo "== fuzz_$target for ${seconds} s"
  if "$build/tests/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$here/corpus/$target" \
      >"$work/$target.log" 2>&1; then
    grep -E '^Done|stat::number_of_executed_units' "$work/$target.log" | head -1
  else
    failed+=("$target")
    tail -n 40 "$work/$target.log"
    echo "fuzz_$target failed; inputs kept in $artifacts" >&2
  fi
done

echo "fuzzing: $(( ${#targets[@]} - ${#failed[@]} )) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
