#!/usr/bin/env bash
# Packs the release archive build/dist/phs-tools-1.0-wince-arm.zip from the Windows CE build
# (scripts/build-ce.sh): the three programs and README.txt, the Japanese guide for the terminal.
#
#   scripts/package.sh                                          # the release
#   scripts/package.sh --from build/win64/bin --desktop --name phs-tools-1.0-win32.zip   # a trial
#
# Refuses when a program is missing or, without --desktop, is not a Windows CE ARM program.
set -euo pipefail
# Debian's interpreter sees the pefile module that the install step takes from Debian.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
exec "$python" "$(cd "$(dirname "$0")/.." && pwd)/tools/release/package.py" "$@"
