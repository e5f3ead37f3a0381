#!/usr/bin/env bash
# Configures and builds into a folder (default: build).
#   scripts/build.sh [folder] [--target=<name>]... [CMake configure arguments]...
# Without --target everything is built; with it, only those targets and what
# they need. Other arguments go to CMake's configure step, e.g.
# -DQUIREFLOW_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true

targets=()
configure=()
for arg in "$@"; do
    case "$arg" in
        --target=*) targets+=("${arg#--target=}") ;;
        *) configure+=("$arg") ;;
    esac
done

# One compile job per core, but no more than one per 1.5 GiB of the memory
# available now: a compiler on the Qt and GoogleTest headers takes up to
# about 0.6 GiB (more with the sanitizers), and a machine that runs out of
# memory kills the build instead of finishing it slowly. At least one.
compile_jobs()
{
    local cores available_kib by_memory
    cores=$(nproc)
    available_kib=$(awk '/^MemAvailable:/ { print $2 }' /proc/meminfo 2>/dev/null || true)
    by_memory=$(( ${available_kib:-0} * 2 / (3 * 1024 * 1024) ))
    (( by_memory < cores )) && cores=$by_memory
    (( cores < 1 )) && cores=1
    echo "$cores"
}

cmake -S . -B "$build_dir" -G Ninja "${configure[@]}"
if [[ ${#targets[@]} -gt 0 ]]; then
    cmake --build "$build_dir" --parallel "$(compile_jobs)" --target "${targets[@]}"
else
    cmake --build "$build_dir" --parallel "$(compile_jobs)"
fi
