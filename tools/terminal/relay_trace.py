"""Wine's relay trace of a program, read back as a list of calls.

A program started with WINEDEBUG=TRACE_WINEDEBUG writes a line to stderr for each call into a
Windows library and for each return, stamped with seconds since boot. `include_calls` limits
the trace, for every program of a prefix, to the functions named (the prefix's RelayInclude
setting), which keeps it short and the program fast. Tests read the trace to check the
arguments a program passes where no behaviour under Wine shows them.
"""

import re
import subprocess
import tempfile
from pathlib import Path

# WINEDEBUG for a traced program: relay calls, each line stamped with seconds since boot.
TRACE_WINEDEBUG = "-all,+relay,+timestamp"

RELAY_KEY = r"HKCU\Software\Wine\Debug"

_CALL = re.compile(r"^(?P<t>\d+\.\d+):(?P<tid>[0-9a-f]+):Call (?P<dll>[\w.]+)\.(?P<fn>\w+)"
                   r"\((?P<args>.*)\) ret=[0-9a-f]+$")
_RET = re.compile(r"^(?P<t>\d+\.\d+):(?P<tid>[0-9a-f]+):Ret  (?P<dll>[\w.]+)\.(?P<fn>\w+)"
                  r"\(\) retval=(?P<ret>[0-9a-f]+) ret=[0-9a-f]+$")
# A UTF-16 text argument: its address, then the text, cut with "..." when long.
_TEXT = re.compile(r'^(?:[0-9a-f]+ )?L"(?P<text>.*)"(?:\.\.\.)?$')


def _wine_reg(env, args, check):
    """`wine reg ARGS`. Its output goes to a file, never a pipe: the first Wine program of a
    session starts the prefix's services, which keep its standard handles open long after it has
    ended, and a reader of a pipe would wait for them."""
    with tempfile.TemporaryFile() as output:
        result = subprocess.run(["wine", "reg", *args], env=env, stdout=output, stderr=output)
        output.seek(0)
        if check and result.returncode != 0:
            raise subprocess.CalledProcessError(result.returncode, result.args, output.read())


def include_calls(env, calls):
    """Restricts relay tracing in the prefix of env to the functions named in calls."""
    _wine_reg(env, ["add", RELAY_KEY, "/v", "RelayInclude", "/d", ";".join(calls), "/f"], True)


def include_all(env):
    _wine_reg(env, ["delete", RELAY_KEY, "/v", "RelayInclude", "/f"], False)


def low32(value):
    """Relay prints 32-bit arguments as 64-bit registers; the upper half is noise."""
    return value & 0xFFFFFFFF


def _unescape(text):
    """Wine's debug form of a UTF-16 text back into a str."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if re.match(r"[0-9a-fA-F]{4}", text[i + 1:i + 5]):
                out.append(chr(int(text[i + 1:i + 5], 16)))
                i += 5
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def _argument(text):
    """A relay argument: an int, or a str for a UTF-16 text (only its start when long)."""
    text = text.strip()
    match = _TEXT.match(text)
    if match:
        return _unescape(match.group("text"))
    return int(text, 16)


def _split_arguments(text):
    args, current, quoted = [], "", False
    for i, c in enumerate(text):
        if c == '"' and (i == 0 or text[i - 1] != "\\"):
            quoted = not quoted
        if c == "," and not quoted:
            args.append(current)
            current = ""
            continue
        current += c
    if current:
        args.append(current)
    return args


def read_trace(text):
    """The traced calls in order: dicts with time, thread, name, args and result (None when
    the call has not returned)."""
    calls, open_calls = [], {}
    for line in text.splitlines():
        match = _CALL.match(line)
        if match:
            call = {"time": float(match.group("t")), "thread": match.group("tid"),
                    "name": match.group("fn"),
                    "args": [_argument(a) for a in _split_arguments(match.group("args"))],
                    "result": None, "returned": None}
            calls.append(call)
            open_calls.setdefault((call["thread"], call["name"]), []).append(call)
            continue
        match = _RET.match(line)
        if match:
            pending = open_calls.get((match.group("tid"), match.group("fn")))
            if pending:
                call = pending.pop()
                call["result"] = int(match.group("ret"), 16)
                call["returned"] = float(match.group("t"))
    return calls


def read_trace_file(path):
    path = Path(path)
    if not path.exists():
        return []
    return read_trace(path.read_text(encoding="utf-8", errors="replace"))
