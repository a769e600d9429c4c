#!/usr/bin/env bash
# Installs what is needed, builds Quillory and starts it on its built-in virtual printer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
exec build/dev/bin/quillory --demo "$@"
