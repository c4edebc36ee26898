#!/usr/bin/env bash
# Sets up, builds and starts the application. Arguments go to the program
# (a data file to open, for instance).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target mirelda
exec ./build/mirelda "$@"
