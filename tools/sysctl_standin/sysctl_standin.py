"""Stand-in for the terminal's system-control driver SYX1: in the simulated terminal.

On the terminal, a program opens the driver as "SYX1:" and sends it device-control request 257,
which resets the terminal. Under Wine that name resolves to a file called "SYX1:" in the
program's working directory, so the stand-in has two parts:

- the device: an empty file "SYX1:" in the working directory the program is started in. With it
  the open succeeds (and the request itself fails, which the program ignores); without it the
  open fails as it does on a terminal without the driver;
- the driver's view of the request: Wine's relay trace of the program, restricted by the
  prefix's RelayInclude setting to the calls that make up a reset and what leads to it, and read
  back here as a list of calls, from which `reset_requests` picks each request sent to the
  device with the arguments it carried.

Nothing resets: after a request the program goes on as it would where the driver does not.

Command line, for runs by hand:
    sysctl_standin.py install DIR        create DIR/SYX1:
    sysctl_standin.py remove DIR         delete it
    sysctl_standin.py requests LOG       print the reset requests found in a relay trace (JSON)
"""

import json
import re
import subprocess
import sys
from pathlib import Path

DEVICE_NAME = "SYX1:"
RESET_CODE = 257

# The calls the trace keeps: opening and closing the device, the request, and what the program
# does just before it (storing the value, the notice, the pause).
TRACED_CALLS = ("CreateFileW", "DeviceIoControl", "CloseHandle", "Sleep", "MessageBoxW",
                "RegSetValueExW")

# WINEDEBUG for the traced program: relay calls, each line stamped with seconds since boot.
TRACE_WINEDEBUG = "-all,+relay,+timestamp"

RELAY_KEY = r"HKCU\Software\Wine\Debug"
INVALID_HANDLE = 0xFFFFFFFFFFFFFFFF

_CALL = re.compile(r"^(?P<t>\d+\.\d+):(?P<tid>[0-9a-f]+):Call (?P<dll>[\w.]+)\.(?P<fn>\w+)"
                   r"\((?P<args>.*)\) ret=[0-9a-f]+$")
_RET = re.compile(r"^(?P<t>\d+\.\d+):(?P<tid>[0-9a-f]+):Ret  (?P<dll>[\w.]+)\.(?P<fn>\w+)"
                  r"\(\) retval=(?P<ret>[0-9a-f]+) ret=[0-9a-f]+$")
# A UTF-16 text argument: its address, then the text, cut with "..." when long.
_TEXT = re.compile(r'^(?:[0-9a-f]+ )?L"(?P<text>.*)"(?:\.\.\.)?$')


def install(workdir):
    """Puts the device into a program's working directory."""
    workdir = Path(workdir)
    workdir.mkdir(parents=True, exist_ok=True)
    (workdir / DEVICE_NAME).touch()


def remove(workdir):
    """Takes the device away: opening SYX1: in that directory fails."""
    (Path(workdir) / DEVICE_NAME).unlink(missing_ok=True)


def configure_prefix(env):
    """Restricts relay tracing in the prefix of env to TRACED_CALLS."""
    subprocess.run(["wine", "reg", "add", RELAY_KEY, "/v", "RelayInclude", "/d",
                    ";".join(TRACED_CALLS), "/f"], env=env, check=True, capture_output=True)


def unconfigure_prefix(env):
    subprocess.run(["wine", "reg", "delete", RELAY_KEY, "/v", "RelayInclude", "/f"], env=env,
                   check=False, capture_output=True)


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
    # Arguments are printed as 64-bit registers; the upper half of a 32-bit one is noise.
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
        if match and match.group("fn") in TRACED_CALLS:
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


def device_opens(calls):
    """Each CreateFileW of SYX1:, with its arguments and the handle it returned."""
    return [c for c in calls if c["name"] == "CreateFileW" and c["args"]
            and c["args"][0] == DEVICE_NAME]


def reset_requests(calls):
    """Each DeviceIoControl sent on a handle that an open of SYX1: returned, as a dict of its
    arguments: code, in_buffer, in_size, out_buffer, out_size, returned_ptr, overlapped, time,
    and whether the handle was closed afterwards."""
    device_handles = {}
    requests = []
    for call in calls:
        if call["name"] == "CreateFileW" and call in device_opens([call]):
            handle = call["result"]
            if handle is not None and handle & 0xFFFFFFFF != 0xFFFFFFFF:
                device_handles[call["thread"]] = handle & 0xFFFFFFFF
        elif call["name"] == "DeviceIoControl":
            handle = call["args"][0] & 0xFFFFFFFF
            if device_handles.get(call["thread"]) == handle:
                names = ("handle", "code", "in_buffer", "in_size", "out_buffer", "out_size",
                         "returned_ptr", "overlapped")
                request = {n: a & 0xFFFFFFFF if n in ("code", "in_size", "out_size") else a
                           for n, a in zip(names, call["args"])}
                request.update(time=call["time"], closed=False)
                requests.append(request)
        elif call["name"] == "CloseHandle":
            handle = call["args"][0] & 0xFFFFFFFF
            if device_handles.get(call["thread"]) == handle:
                del device_handles[call["thread"]]
                for request in requests:
                    if request["handle"] & 0xFFFFFFFF == handle:
                        request["closed"] = True
    return requests


def main(argv):
    if len(argv) == 3 and argv[1] == "install":
        install(argv[2])
    elif len(argv) == 3 and argv[1] == "remove":
        remove(argv[2])
    elif len(argv) == 3 and argv[1] == "requests":
        print(json.dumps(reset_requests(read_trace_file(argv[2])), indent=1))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
