#!/usr/bin/env bash
# Installs the tools that generate.py needs, from Debian 12's packages:
# Pillow for drawing and encoding, rsvg-convert for the SVG sources.
# fetch_sources.py (only needed to change the set of icons) also needs npm
# and fonts-comic-neue.
set -euo pipefail
install=(apt-get install -y -q --no-install-recommends python3 python3-pil librsvg2-bin)
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo > /dev/null; then
        echo "Installing needs root, and there is no sudo here. As root, run:" >&2
        echo "    apt-get update -q && ${install[*]}" >&2
        exit 1
    fi
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}"
