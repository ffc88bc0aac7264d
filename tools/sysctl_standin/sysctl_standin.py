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
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "terminal"))
import relay_trace  # noqa: E402

DEVICE_NAME = "SYX1:"
RESET_CODE = 257

# The calls the trace keeps: opening and closing the device, the request, and what the program
# does just before it (storing the value, the notice, the pause).
TRACED_CALLS = ("CreateFileW", "DeviceIoControl", "CloseHandle", "Sleep", "MessageBoxW",
                "RegSetValueExW")

TRACE_WINEDEBUG = relay_trace.TRACE_WINEDEBUG
INVALID_HANDLE = 0xFFFFFFFFFFFFFFFF


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
    relay_trace.include_calls(env, TRACED_CALLS)


def unconfigure_prefix(env):
    relay_trace.include_all(env)


def read_trace_file(path):
    """The calls of TRACED_CALLS in a relay trace, as relay_trace reads them."""
    return [c for c in relay_trace.read_trace_file(path) if c["name"] in TRACED_CALLS]


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
