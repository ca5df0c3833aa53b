#!/bin/sh
# Builds the libFuzzer targets (CMake preset fuzz, clang) and runs each for the given time: the
# zyn.ini parsers, then the rewrites of zyn.ini through the fake platform. Ends with a table of
# each target's runs and runs per second.
# Usage: scripts/fuzz.sh [seconds]   (default 60, for each target)
# New inputs are kept in build/fuzz/corpus (parsers) and build/fuzz/corpus-rewrite; the committed
# seeds in fuzz/corpus/config are only read. A crash leaves its input as build/fuzz/crash-<sha1>
# and the script exits non-zero, after both targets have run; each target's output is kept in
# build/fuzz/<target>.log.
# The compiler is the one the preset names: libFuzzer comes only with clang.
# Warnings do not stop a run (no ZYN_WARNINGS_AS_ERRORS here): the gcc builds keep the sources
# free of them in CI, and a warning only clang gives should not cost the parsers their fuzzing.
set -eu
cd "$(dirname "$0")/.."

seconds="${1:-60}"
out=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p "$out/corpus" "$out/corpus-rewrite"

# Runs one target on its corpus and the seeds; its output goes to the terminal and to its log,
# its exit status to a file beside the log (a pipe would hide it).
run() {
  target="$1"
  corpus="$2"
  { status=0
    "$out/fuzz/$target" \
      -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$out/" \
      "$corpus" fuzz/corpus/config 2>&1 || status=$?
    echo "$status" >"$out/$target.status"; } | tee "$out/$target.log"
}

# libFuzzer's final statistics, one line per target.
summary() {
  target="$1"
  awk -v target="$target" -v status="$(cat "$out/$target.status")" '
    /^stat::number_of_executed_units:/ { runs = $2 }
    /^stat::average_exec_per_sec:/ { rate = $2 }
    END { printf "%-26s %12s runs %10s runs/s%s\n", target, runs, rate, status == 0 ? "" : "   FINDING (exit " status ")" }
  ' "$out/$target.log"
}

run zyn_config_parsers_fuzz "$out/corpus"
run zyn_config_rewrite_fuzz "$out/corpus-rewrite"

echo
echo "fuzzing, $seconds s per target:"
summary zyn_config_parsers_fuzz
summary zyn_config_rewrite_fuzz
[ "$(cat "$out/zyn_config_parsers_fuzz.status")" = 0 ] && [ "$(cat "$out/zyn_config_rewrite_fuzz.status")" = 0 ]
