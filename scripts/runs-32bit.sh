#!/usr/bin/env bash
# runs-32bit.sh [--program FILE | --write FILE]: whether this machine's kernel runs 32-bit x86
# programs, which Debian's 32-bit Wine (wine32) needs. Some kernels refuse them although they
# run 64-bit ones, so the answer comes from running one: a minimal static ELF32 for i386 that
# exits 0, written here byte by byte. Prints one line and exits 0 when it ran, 1 when it did not.
# --program runs FILE instead (to try the decision both ways); --write only writes the program.
set -uo pipefail
export LC_ALL=C  # the kernel's reason in English, whatever the locale

# The program: ELF header, one loadable segment (the whole file, at 0x08048000), then the code
# at 0x08048054: xor ebx,ebx; mov eax,1 (exit); int 0x80.
write_program() {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'  # 32-bit, little-endian
    printf '\x02\x00\x03\x00\x01\x00\x00\x00'                         # executable, i386, v1
    printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'         # entry, header table at 52
    printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' # one program header
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' # load at 0x08048000
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' # 93 bytes, r-x
    printf '\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80'
}

case "${1:-}" in
--write)
    write_program >"$2"
    exit
    ;;
--program)
    program=$2
    ;;
"")
    # Written in the build tree, where the tools run, not in a temporary folder that may forbid
    # running programs; a file of its own, as several checks may run at once.
    folder=$(cd "$(dirname "$0")/.." && pwd)/build
    mkdir -p "$folder"
    program=$(mktemp "$folder/i386-exit0.XXXXXX")
    trap 'rm -f "$program"' EXIT
    write_program >"$program"
    chmod +x "$program"
    ;;
*)
    echo "usage: $0 [--program FILE | --write FILE]" >&2
    exit 2
    ;;
esac

said=$("$program" 2>&1)
status=$?
if [ $status -eq 0 ]; then
    echo "this kernel runs 32-bit programs"
    exit 0
fi
# The shell's own words for a refused program end with the kernel's reason.
reason=${said##*: }
[ -n "$reason" ] || reason="it ended with $status"
echo "this kernel runs no 32-bit programs (${reason%%$'\n'*})"
exit 1
