#!/usr/bin/env bash
# Installs what is missing, builds, and starts quireflow.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "quireflow is built (build/bin/quireflow) but needs a graphical display, and none is set: run it from a desktop session or as 'xvfb-run build/bin/quireflow'." >&2
    exit 1
fi
exec build/bin/quireflow "$@"
