#!/usr/bin/env bash
# Installs the tools that generate.py needs, from Debian 12's packages:
# Pillow for drawing and encoding, rsvg-convert for the SVG sources.
# fetch_sources.py (only needed to change the set of icons) also needs npm
# and fonts-comic-neue.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    python3 python3-pil librsvg2-bin
