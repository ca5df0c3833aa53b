#!/bin/sh
# Builds the libFuzzer target for the zyn.ini parsers with clang and runs it.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
# New inputs are kept in build/fuzz/corpus; fuzz/corpus/config holds the committed seeds and is
# only read. A crash leaves its input as build/fuzz/crash-<sha1> and the script exits non-zero.
set -eu
cd "$(dirname "$0")/.."

seconds="${1:-60}"
out=build/fuzz
mkdir -p "$out/corpus"

clang="${CLANGXX:-clang++}"
"$clang" -std=c++20 -g -O1 -Wall -Wextra \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer \
  -Isrc -Iinclude \
  fuzz/config_parsers_fuzz.cpp \
  src/config/text.cpp src/config/header_keys.cpp src/config/definition_line.cpp src/config/page_layout.cpp \
  -o "$out/config_parsers_fuzz"

exec "$out/config_parsers_fuzz" \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" \
  "$out/corpus" fuzz/corpus/config
