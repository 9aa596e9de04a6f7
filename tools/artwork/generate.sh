#!/usr/bin/env bash
# Rebuilds resources/, forms/images.qrc, forms/mainmenu.qrc and
# tools/artwork/contact-sheet.png.
set -euo pipefail
exec /usr/bin/python3 "$(dirname "$0")/generate.py" "$@"
