"""The simulated terminal for end-to-end tests.

Starts the tools as a user would (under Wine, in the 240x320 desktop of the terminal's prefix),
looks at and acts on their windows through the window probe, drives the simulated PHS card and
reads its transcript, takes screenshots and puts the registry back to the seed.
"""

import fcntl
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("TERMINAL_BUILD", ROOT / "build"))
WIN_BUILD = Path(os.environ.get("WIN_BUILD", BUILD / "win64"))
NATIVE_BUILD = Path(os.environ.get("NATIVE_BUILD", BUILD / "native"))
TOOLS = WIN_BUILD / "bin"
RUN_DIR = BUILD / "terminal"
SHOTS = BUILD / "screenshots"
TERMINAL_SCRIPTS = ROOT / "tools" / "terminal"

sys.path.insert(0, str(ROOT / "tools" / "winprobe"))
import probe as _probe  # noqa: E402


def _terminal_env():
    """The environment that tools/terminal/env.sh sets up."""
    out = subprocess.run(
        ["bash", "-c", f'source "{TERMINAL_SCRIPTS}/env.sh" 2>/dev/null; env -0'],
        check=True, capture_output=True,
        env=dict(os.environ, TERMINAL_BUILD=str(BUILD))).stdout
    env = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
    env["DISPLAY"] = os.environ.get("DISPLAY") or env["TERMINAL_DISPLAY"]
    return env


ENV = _terminal_env()
CARD_LINK = Path(ENV["CARD_LINK"])


def _find(root, name):
    hits = sorted(p for p in Path(root).rglob(name) if p.is_file())
    return hits[0] if hits else root / name


WINPROBE_EXE = _find(WIN_BUILD, "winprobe.exe")
CARDSIM = _find(NATIVE_BUILD, "cardsim")
os.environ["WINPROBE_EXE"] = str(WINPROBE_EXE)
for key in ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "LANG", "LC_ALL", "DISPLAY",
            "WINEARCH"):
    os.environ[key] = ENV[key]


def run(args, timeout=60, check=True):
    """Runs a command of the terminal. Its output goes through files, not pipes: a wineserver
    it starts would hold pipes open long after the command itself has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        result = subprocess.run(args, env=ENV, stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        result.stdout, result.stderr = out.read(), err.read()
    if check and result.returncode != 0:
        raise subprocess.CalledProcessError(result.returncode, args, result.stdout,
                                            result.stderr)
    return result


# --- the terminal as a whole -------------------------------------------------------------------

def start_terminal():
    """Display, a persistent wineserver and a prepared prefix."""
    if not (Path(ENV["WINEPREFIX"]) / ".terminal-ready").exists():
        run([str(TERMINAL_SCRIPTS / "setup-prefix.sh")], timeout=300)
    if not os.environ.get("TERMINAL_KEEP_DISPLAY"):
        run([str(TERMINAL_SCRIPTS / "display.sh"), "start"])
    run(["wineserver", "-p"], check=False)
    run([str(TERMINAL_SCRIPTS / "link-card-port.sh")])
    RUN_DIR.mkdir(parents=True, exist_ok=True)
    SHOTS.mkdir(parents=True, exist_ok=True)


def reseed_registry():
    run([str(TERMINAL_SCRIPTS / "reseed-registry.sh")])


def reg_add(key, value, data, kind="REG_SZ"):
    run(["wine", "reg", "add", key, "/v", value, "/t", kind, "/d", str(data), "/f"])


def reg_delete(key, value=None):
    """Deletes a key or a value, which may be missing already; afterwards it is surely gone."""
    args = ["wine", "reg", "delete", key, "/f"]
    query = ["wine", "reg", "query", key]
    if value is not None:
        args[3:3] = ["/v", value]
        query += ["/v", value]
    for _ in range(3):
        result = run(args, check=False)
        if run(query, check=False).returncode != 0:
            return
        time.sleep(0.5)
    raise AssertionError(f"{key} {value or ''} still in the registry: "
                         f"{result.stderr.decode('utf-8', 'replace').strip()}")


def reg_query(key, value):
    """The value's data as `wine reg query` prints it, or None when it is missing."""
    out = run(["wine", "reg", "query", key, "/v", value], check=False).stdout.decode(
        "utf-8", "replace")
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[2] if len(parts) == 3 else ""
    return None


def screenshot(name):
    """Saves the terminal's screen as build/screenshots/<name>.png and returns the path."""
    path = SHOTS / f"{name}.png"
    run([str(TERMINAL_SCRIPTS / "screenshot.sh"), str(path)])
    return path


def publish(shot, docs_name):
    """Copies a screenshot into docs/img (only when TERMINAL_UPDATE_DOCS is set)."""
    if os.environ.get("TERMINAL_UPDATE_DOCS"):
        shutil.copyfile(shot, ROOT / "docs" / "img" / f"{docs_name}.png")


def _our_processes(names):
    """Pids of running processes of this prefix whose command line names one of the programs."""
    prefix = ("WINEPREFIX=" + ENV["WINEPREFIX"]).encode()
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            argv0 = (proc / "cmdline").read_bytes().split(b"\0")[0].decode("utf-8", "replace")
            program = argv0.replace("\\", "/").rsplit("/", 1)[-1].lower()
            if program not in (n.lower() for n in names):
                continue
            if prefix not in (proc / "environ").read_bytes().split(b"\0"):
                continue
        except OSError:
            continue
        found.append(int(proc.name))
    return found


def kill_tools(*names):
    """Ends any running copy of the given tools in this terminal's prefix (all of the terminal's
    tools by default); other prefixes are left alone."""
    names = names or ("wavemeter.exe", "identview.exe", "portswap.exe", "minimal_dialog.exe")
    for pid in _our_processes(names):
        try:
            os.kill(pid, 9)
        except OSError:
            pass
    deadline = time.time() + 5
    while time.time() < deadline and _our_processes(names):
        time.sleep(0.1)


# --- tools -------------------------------------------------------------------------------------

def compile_c(folder, name, source, compiler, *flags):
    """Builds a small C helper of a test from its source text into folder; returns its path."""
    folder = Path(folder)
    output = folder / name
    source_file = folder / (output.stem + ".c")
    source_file.write_text(source)
    subprocess.run([compiler, "-o", str(output), str(source_file), *flags], check=True)
    return output


class Tool:
    """One run of a tool: `wine <tool>.exe` started in its own working directory."""

    def __init__(self, name, cwd=None, env=None):
        self.name = name
        self.cwd = Path(cwd) if cwd else RUN_DIR
        self.cwd.mkdir(parents=True, exist_ok=True)
        self.started = time.time()
        self.process = subprocess.Popen(
            ["wine", str(TOOLS / f"{name}.exe")], env=dict(ENV, **(env or {})), cwd=self.cwd,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_exit(self, timeout=20):
        """The exit code, or None if the tool is still running after timeout seconds."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait(10)
        kill_tools(f"{self.name}.exe")


# --- window probe ------------------------------------------------------------------------------

probe = _probe


def wait_window(title, timeout_ms=15000, **selectors):
    return probe.wait(title=title, timeout_ms=timeout_ms, **selectors)


control = probe.control


# --- the simulated card ------------------------------------------------------------------------

class Card:
    """A running card simulator behind the card's COM port, with its transcript."""

    def __init__(self, name="card", scenario=None, registry=True):
        self.control = RUN_DIR / f"{name}.sock"
        self.transcript = RUN_DIR / f"{name}.jsonl"
        for p in (self.control, self.transcript):
            if p.exists():
                p.unlink()
        args = [str(CARDSIM), "serve", "--link", str(CARD_LINK), "--control", str(self.control),
                "--transcript", str(self.transcript)]
        if registry:
            args += ["--wineprefix", ENV["WINEPREFIX"], "--registry-entry", "05",
                     "--port-name", "COM3:"]
        if scenario:
            args += ["--scenario", str(scenario)]
        self.process = subprocess.Popen(args, env=ENV, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not self.control.exists():
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("card simulator did not start")
            time.sleep(0.05)

    def ctl(self, *words, timeout=30):
        out = run([str(CARDSIM), "ctl", "--control", str(self.control), *map(str, words)],
                  timeout=timeout, check=False)
        if out.returncode != 0:
            raise RuntimeError(f"cardsim ctl {' '.join(map(str, words))}: "
                               f"{out.stdout.decode()} {out.stderr.decode()}")
        return out.stdout.decode("utf-8", "replace")

    def events(self):
        if not self.transcript.exists():
            return []
        with open(self.transcript, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def received(self, since=0.0):
        """Bytes the tool sent to the card (after the given Unix time), joined."""
        return b"".join(bytes.fromhex(e["hex"]) for e in self.events()
                        if e.get("event") == "data" and e.get("dir") == "rx"
                        and e.get("t", 0) >= since)

    def commands(self, since=0.0):
        """The commands the tool sent (after the given Unix time), each with its CR."""
        data = self.received(since)
        return [c + b"\r" for c in data.split(b"\r")[:-1]]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


_terminal_lock = None


def hold_terminal():
    """Takes the terminal for this process: runs against the same prefix, display and card port
    queue up instead of disturbing each other."""
    global _terminal_lock
    if _terminal_lock is None:
        RUN_DIR.mkdir(parents=True, exist_ok=True)
        _terminal_lock = open(RUN_DIR / "terminal.lock", "w")
        fcntl.flock(_terminal_lock, fcntl.LOCK_EX)


def release_terminal():
    global _terminal_lock
    if _terminal_lock is not None:
        fcntl.flock(_terminal_lock, fcntl.LOCK_UN)
        _terminal_lock.close()
        _terminal_lock = None


class TerminalTestCase(unittest.TestCase):
    """Base of end-to-end tests: a prepared terminal, seeded registry, no stray tools."""

    @classmethod
    def setUpClass(cls):
        hold_terminal()
        start_terminal()

    @classmethod
    def tearDownClass(cls):
        release_terminal()

    def setUp(self):
        kill_tools()
        reseed_registry()

    def tearDown(self):
        kill_tools()
