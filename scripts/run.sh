#!/usr/bin/env bash
# Installs what is missing, builds Fenmor and converts the sample transfers into ./fenmor-output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DFENMOR_BENCH=OFF
cmake --build build -j2
out="$PWD/fenmor-output"
./build/tools/fenmor-convert --out "$out" --list samples/pi-address-book.cap samples/mi-schedule.cap \
  samples/mi-document.cap
echo "Files written into $out:"
ls -l "$out"
