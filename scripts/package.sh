#!/usr/bin/env bash
# Builds the Debian package fenmor_VERSION_ARCH.deb in build-package/ (a release build without
# tests), through CPack: the project's install rules, dependencies from dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DFENMOR_BENCH=OFF
cmake --build build-package -j2
(cd build-package && cpack -G DEB)
ls build-package/fenmor_*.deb
