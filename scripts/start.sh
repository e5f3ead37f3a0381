#!/usr/bin/env bash
# Installs what is missing, builds the program (not the tests or the
# benchmarks), and starts quireflow.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The program, its library and the template folder beside it. scripts/test.sh
# builds the rest into the same folder later, reusing what is built here.
bash scripts/build.sh build --target=quireflow --target=leafbinder --target=epubTemplate
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "quireflow is built (build/bin/quireflow) but needs a graphical display, and none is set: run it from a desktop session or as 'xvfb-run build/bin/quireflow'." >&2
    exit 1
fi
exec build/bin/quireflow "$@"
