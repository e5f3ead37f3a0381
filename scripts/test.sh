#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
#   scripts/test.sh              ordinary build in build/
#   scripts/test.sh --sanitize   AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [[ "${1:-}" == "--sanitize" ]]; then
    build_dir=build-asan
    bash scripts/build.sh "$build_dir" -DQUIREFLOW_SANITIZE=ON -DQUIREFLOW_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
    # Qt and fontconfig keep some memory until exit on purpose: no leak checks.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    build_dir=build
    bash scripts/build.sh "$build_dir"
fi
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
