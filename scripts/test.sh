#!/usr/bin/env bash
# Installs what is missing, checks that no folder includes one it does not link and that every
# source file is formatted with the project's .clang-format, builds Fenmor
# and runs every test as built for use, then the data path's tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

python3 scripts/check-layers.py
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DFENMOR_SANITIZE=ON -DFENMOR_UI=OFF
cmake --build build-sanitize -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

# The fuzz targets, built with clang (only they and the data path they drive), each run for a
# few seconds from its seeds: a smoke run that catches a regression, not a search.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DFENMOR_FUZZ=ON \
  -DFENMOR_UI=OFF -DBUILD_TESTING=OFF -DFENMOR_BENCH=OFF
cmake --build build-fuzz -j2 --target fuzzers
bash tests/fuzz/run.sh build-fuzz 5
