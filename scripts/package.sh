#!/usr/bin/env bash
# Packs the release from the Windows CE build (scripts/build-ce.sh) and the i686 build of the PC
# setup program (build/win32): build/dist/phs-tools-1.0-wince-arm.zip (the three programs and
# README.txt, the Japanese guide for the terminal), the installation cabinet of the same name,
# and phs-tools-1.0-pc-setup.zip (setup.exe, its .ini, the cabinet and README.txt).
#
#   scripts/package.sh                                          # the release
#   scripts/package.sh --from build/win64/bin --desktop --name phs-tools-1.0-win32.zip \
#       --setup build/win64/bin/setup.exe                       # a trial
#
# Refuses, and writes none of the three, when a program or setup.exe is missing or, without
# --desktop, a program is not a Windows CE ARM program or setup.exe would not start on Windows XP.
set -euo pipefail
# Debian's interpreter sees the pefile module that the install step takes from Debian.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
exec "$python" "$(cd "$(dirname "$0")/.." && pwd)/tools/release/package.py" "$@"
