#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`, clang) and runs each for SECONDS (default 15),
# starting from the checked-in seeds. New inputs go to a scratch corpus, never into the tree;
# a crash leaves its input in build-fuzz/artifacts/ and fails the run.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=($(ls fuzz/corpus))
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
  scratch=build-fuzz/corpus/$target
  mkdir -p "$scratch"
  echo "== fuzz_$target for ${seconds}s"
  status=0
  ./build-fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix=build-fuzz/artifacts/"$target"- -print_final_stats=1 \
    "$scratch" fuzz/corpus/"$target" >build-fuzz/"$target".log 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' build-fuzz/"$target".log || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 build-fuzz/"$target".log
    echo "fuzz_$target failed (status $status)"
    exit 1
  fi
done
