#!/usr/bin/env bash
# Installs what is missing, builds Fenmor and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DFENMOR_BENCH=OFF
cmake --build build -j2
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Fenmor in a virtual one (xvfb-run)."
  exec xvfb-run -a ./build/fenmor
fi
exec ./build/fenmor
