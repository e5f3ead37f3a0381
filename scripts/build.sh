#!/usr/bin/env bash
# Configures and builds into a folder (default: build). Extra arguments go to
# CMake's configure step, e.g. -DQUIREFLOW_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
