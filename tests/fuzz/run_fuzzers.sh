#!/usr/bin/env bash
# Runs every fuzz harness for SECONDS seconds each from its seed corpus.
#   tests/fuzz/run_fuzzers.sh SECONDS FUZZ_BUILD_DIR
# New inputs go to FUZZ_BUILD_DIR/fuzz-corpus/<harness>, a crash, leak or
# timeout to FUZZ_BUILD_DIR/fuzz-artifacts/; the seeds here stay untouched.
# Exit status 1 when any harness found something.
set -uo pipefail
seconds=${1:?seconds per harness}
build=${2:?fuzz build folder}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/fuzz-artifacts"
status=0
# Each harness with the seeds of corpus/<seeds> and the words of <words>.dict
# ("-": none).
harnesses="fuzz_c1a1_reader:c1a1:c1a1 fuzz_orvex_reader:orvex:orvex
  fuzz_c1a1_chain:c1a1:c1a1 fuzz_orvex_chain:orvex:orvex
  fuzz_parameter_file:parameter_file:parameter_file fuzz_cli_options:cli_options:cli_options
  fuzz_checked_chain:checked:c1a1 fuzz_diagrams:checked:c1a1
  fuzz_simulate_roundtrip:simulate:-"
for entry in $harnesses; do
  IFS=: read -r name seeds words <<<"$entry"
  dict=()
  [ "$words" = - ] || dict=(-dict="$here/$words.dict")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  echo "=== $name: ${seconds} s"
  # 120 s for one input is a hang: a legal but extreme model (a walk of
  # almost no strength) makes the model table's band take about 15 s without
  # and over 70 s with the sanitizers. 2 GB is far beyond any sound input.
  if ! UBSAN_OPTIONS=print_stacktrace=1 "$build/tests/fuzz/$name" \
      -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2048 -print_final_stats=1 \
      "${dict[@]}" -artifact_prefix="$build/fuzz-artifacts/$name-" \
      "$corpus" "$here/corpus/$seeds" 2>"$build/fuzz-artifacts/$name.log"; then
    echo "$name FOUND A FAULT; see $build/fuzz-artifacts/$name.log"
    status=1
  fi
  # The closing figures: executions, coverage, corpus.
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|#[0-9]+.*DONE' \
    "$build/fuzz-artifacts/$name.log" | tail -n 4
done
exit $status
