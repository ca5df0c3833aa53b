#!/bin/sh
# Builds the libFuzzer target for the zyn.ini parsers (CMake preset fuzz, clang) and runs it.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
# New inputs are kept in build/fuzz/corpus; fuzz/corpus/config holds the committed seeds and is
# only read. A crash leaves its input as build/fuzz/crash-<sha1> and the script exits non-zero.
# The compiler is the one the preset names: libFuzzer comes only with clang.
# Warnings do not stop a run (no ZYN_WARNINGS_AS_ERRORS here): the gcc builds keep the sources
# free of them in CI, and a warning only clang gives should not cost the parsers their fuzzing.
set -eu
cd "$(dirname "$0")/.."

seconds="${1:-60}"
out=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p "$out/corpus"

exec "$out/fuzz/zyn_config_parsers_fuzz" \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" \
  "$out/corpus" fuzz/corpus/config
