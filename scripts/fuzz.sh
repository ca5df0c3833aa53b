#!/bin/sh
# Builds the libFuzzer targets (CMake preset fuzz, clang) and runs each for the given time: the
# zyn.ini parsers, then the rewrites of zyn.ini through the fake platform.
# Usage: scripts/fuzz.sh [seconds]   (default 60, for each target)
# New inputs are kept in build/fuzz/corpus (parsers) and build/fuzz/corpus-rewrite; the committed
# seeds in fuzz/corpus/config are only read. A crash leaves its input as build/fuzz/crash-<sha1>
# and the script exits non-zero.
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

"$out/fuzz/zyn_config_parsers_fuzz" \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" \
  "$out/corpus" fuzz/corpus/config
# The fake platform's Windows directory lives under TMPDIR: in memory where the system has it.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
exec "$out/fuzz/zyn_config_rewrite_fuzz" \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" \
  "$out/corpus-rewrite" fuzz/corpus/config
