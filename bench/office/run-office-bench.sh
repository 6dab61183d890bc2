#!/usr/bin/env bash
# Builds and runs the office benchmark against the installed office, headless, with private
# profiles. Usage: bench/office/run-office-bench.sh [cells for single-cell timing] [starts]
#   BUILD_DIR  build folder to use (default: build-bench-office beside the sources)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD_DIR:-$root/build-bench-office}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DGRIDWORK_PARTS="join;office" -DGRIDWORK_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target office_bench >/dev/null
GRIDWORK_OFFICE_HEADLESS=1 "$build/program/office_bench" "$@"
