#!/usr/bin/python3
"""Drives a running `cardsim serve` the way the tools and a person at a shell do.

Usage: serve_test.py PATH-TO-CARDSIM
Opens the card's port in raw mode, sends AT commands, reads the replies, changes the card
through `cardsim ctl`, and checks the transcript. Registry updates go to a stand-in for wine
that records its command lines.
"""
import json
import os
import select
import subprocess
import sys
import tempfile
import termios
import time
import unittest

CARDSIM = None
PATIENCE = 5.0  # seconds; generous, the machines are shared


def wait_for(predicate, what):
    deadline = time.monotonic() + PATIENCE
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.02)
    raise AssertionError("timed out waiting for " + what)


class Port:
    """The tool's side of the COM port."""

    def __init__(self, path, speed=termios.B115200, cflag=termios.CS8):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        attrs = termios.tcgetattr(self.fd)
        attrs[0] = attrs[1] = attrs[3] = 0
        attrs[2] = cflag | termios.CREAD | termios.CLOCAL
        attrs[4] = attrs[5] = speed
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def exchange(self, command, expected_length):
        os.write(self.fd, command)
        return self.read(expected_length)

    def read(self, length):
        data = b""
        deadline = time.monotonic() + PATIENCE
        while len(data) < length and time.monotonic() < deadline:
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if ready:
                data += os.read(self.fd, length - len(data))
        return data

    def close(self):
        os.close(self.fd)


class Simulator:
    def __init__(self, extra=()):
        self.dir = tempfile.TemporaryDirectory(prefix="cardsim-test-")
        d = self.dir.name
        self.link = os.path.join(d, "com3")
        self.control = os.path.join(d, "ctl")
        self.transcript = os.path.join(d, "transcript.jsonl")
        self.wine_log = os.path.join(d, "wine.log")
        self.wine = os.path.join(d, "wine")
        with open(self.wine, "w") as f:
            # Slow on purpose: remove/insert must answer only once this has finished.
            f.write('#!/bin/sh\nsleep 0.3\nprintf "%s|%s\\n" "$WINEPREFIX" "$*" >> "$0.log"\n')
        os.chmod(self.wine, 0o755)
        self.process = subprocess.Popen(
            [CARDSIM, "serve", "--link", self.link, "--control", self.control,
             "--transcript", self.transcript, "--registry-entry", "05",
             "--wineprefix", "/nonexistent/prefix", "--wine", self.wine, *extra],
            stdout=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(self.control) or self.process.poll() is not None,
                 "the control socket")

    def ctl(self, *words, ok=True):
        result = subprocess.run([CARDSIM, "ctl", "--control", self.control, *words],
                                capture_output=True, timeout=30)
        if ok and result.returncode != 0:
            raise AssertionError(f"ctl {words}: {result.stderr.decode()}")
        return result

    def wine_calls(self):
        if not os.path.exists(self.wine_log):
            return []
        with open(self.wine_log) as f:
            return f.read().splitlines()

    def events(self):
        with open(self.transcript, encoding="utf-8") as f:
            return [json.loads(line) for line in f]

    def stop(self):
        if self.process.poll() is None:
            self.ctl("quit")
            self.process.wait(timeout=PATIENCE)
        self.dir.cleanup()


def reply(command, answer):
    return command + b"\r\r\n" + answer + b"\r\n\r\nOK\r\n"


class ServeTest(unittest.TestCase):
    def setUp(self):
        self.sim = Simulator()
        self.addCleanup(self.sim.stop)

    def test_replies_follow_card_state_and_faults(self):
        cases = [
            # control lines before, command, expected reply
            ([], b"AT@M?", reply(b"AT@M?", b"0")),
            (["set mode A"], b"AT@M?", reply(b"AT@M?", b"A")),
            (["set level0 6"], b"AT#Q5:0", reply(b"AT#Q5:0", b"6")),
            (["set level2 1"], b"AT#Q5:2", reply(b"AT#Q5:2", b"1")),
            (["set psid 0123456789AB"], b"AT@Y", reply(b"AT@Y", b"0123456789AB")),
            (["set phone 07011112222"], b"ATI6", reply(b"ATI6", b"07011112222")),
            (["set i3 テスト"], b"ATI3", reply(b"ATI3", "テスト".encode("cp932"))),
            (["set i4 hex:8140"], b"ATI4", reply(b"ATI4", b"\x81\x40")),
            ([], b"AT+FOO", b"AT+FOO\r\r\nERROR\r\n"),
            (["fault lowerecho for 1"], b"ATI5", reply(b"ati5", "製造番号 0001234".encode("cp932"))),
            (["reset", "fault okonly only ATI6"], b"ATI6", b"ATI6\r\r\nOK\r\n"),
            (["fault empty only ATI6"], b"ATI6", b"ATI6\r\r\nOK\r\n"),  # okonly wins
            (["clear", "fault noecho", "fault leftover hex:0D0A"], b"AT@M?", b"\r\n\r\n0\r\n\r\nOK\r\n"),
            (["clear", "fault split 3 100"], b"AT@M?", reply(b"AT@M?", b"0")),
        ]
        port = Port(self.sim.link)
        for controls, command, expected in cases:
            for line in controls:
                self.sim.ctl(*line.split(" "))
            got = port.exchange(command + b"\r", len(expected))
            self.assertEqual(got, expected, f"{controls} {command}")
        port.close()
        wait_for(lambda: "close" in [e["event"] for e in self.sim.events()], "close event")

        events = self.sim.events()
        data = [e for e in events if e["event"] == "data"]
        for e in data:
            self.assertEqual(bytes.fromhex(e["hex"]), e["text"].encode("latin-1"))
            self.assertEqual(e["len"], len(bytes.fromhex(e["hex"])))
        sent = b"".join(bytes.fromhex(e["hex"]) for e in data if e["dir"] == "tx")
        self.assertEqual(sent, b"".join(expected for _, _, expected in cases))
        self.assertEqual(bytes.fromhex(data[-2]["hex"]), b"AT@")  # the split reply, part one
        self.assertEqual([e["event"] for e in events].count("open"), 1)

    def test_command_in_pieces_and_line_settings(self):
        # A pseudo-terminal keeps speed, stop bits and flow control as set, but always reads
        # back as 8 data bits without parity.
        port = Port(self.sim.link, termios.B9600, termios.CS8 | termios.CSTOPB | termios.CRTSCTS)
        self.assertEqual(self.sim.ctl("line").stdout.decode(),
                         "speed=9600 data=8 parity=none stop=2 rtscts=1 xonxoff=0\n")
        os.write(port.fd, b"AT@")
        time.sleep(0.1)
        os.write(port.fd, b"M?\r")
        self.assertEqual(port.read(17), reply(b"AT@M?", b"0"))
        port.close()
        port = Port(self.sim.link)
        self.assertEqual(self.sim.ctl("line").stdout.decode(),
                         "speed=115200 data=8 parity=none stop=1 rtscts=0 xonxoff=0\n")
        port.close()

    def test_unread_reply_does_not_reach_next_open(self):
        self.sim.ctl("fault", "long", "200", "for", "1")
        port = Port(self.sim.link)
        self.assertEqual(len(port.exchange(b"AT@M?\r", 10)), 10)
        time.sleep(0.2)
        port.close()
        wait_for(lambda: "close" in [e["event"] for e in self.sim.events()], "close event")
        port = Port(self.sim.link)
        self.assertEqual(port.exchange(b"AT@M?\r", 17), reply(b"AT@M?", b"0"))
        port.close()

    def test_delayed_reply_and_silence(self):
        port = Port(self.sim.link)
        self.sim.ctl("fault", "silent", "for", "1")
        os.write(port.fd, b"AT@M?\r")
        self.assertEqual(port.read(1) if select.select([port.fd], [], [], 0.5)[0] else b"", b"")
        self.sim.ctl("fault", "delay", "300", "for", "1")
        start = time.monotonic()
        self.assertEqual(port.exchange(b"AT@M?\r", 17), reply(b"AT@M?", b"0"))
        # Held back, not sent at once; the simulator counts its 300 ms from the command's arrival
        # on its own clock, so leave room for rounding between the two clocks.
        self.assertGreaterEqual(time.monotonic() - start, 0.25)
        port.close()

    def test_remove_and_insert(self):
        self.assertEqual(len(self.sim.wine_calls()), 2)  # the entry written at start
        port = Port(self.sim.link)
        self.sim.ctl("remove")
        # Answered only after wine has run.
        self.assertEqual(self.sim.wine_calls()[2:],
                         ["/nonexistent/prefix|reg delete HKLM\\Drivers\\Active\\05 /f"])
        self.assertFalse(os.path.lexists(self.sim.link))
        with self.assertRaises(OSError):
            os.write(port.fd, b"AT@M?\r")
            port.read(1)
            os.write(port.fd, b"AT@M?\r")
        port.close()
        self.assertNotEqual(self.sim.ctl("remove", ok=False).returncode, 0)
        self.assertNotEqual(self.sim.ctl("line", ok=False).returncode, 0)
        self.assertIn("card=removed", self.sim.ctl("status").stdout.decode())

        self.sim.ctl("insert")
        self.assertEqual(self.sim.wine_calls()[3:], [
            "/nonexistent/prefix|reg add HKLM\\Drivers\\Active\\05 /v Key /t REG_SZ "
            "/d Drivers\\PCMCIA\\Modem /f",
            "/nonexistent/prefix|reg add HKLM\\Drivers\\Active\\05 /v Name /t REG_SZ /d COM3: /f",
        ])
        port = Port(self.sim.link)
        self.assertEqual(port.exchange(b"AT@M?\r", 17), reply(b"AT@M?", b"0"))
        port.close()
        wait_for(lambda: [e["event"] for e in self.sim.events()].count("close") == 2,
                 "the second close event")
        kinds = [e["event"] for e in self.sim.events()]
        self.assertEqual([k for k in kinds if k in ("insert", "remove", "open", "close")],
                         ["insert", "open", "close", "remove", "insert", "open", "close"])

    def test_control_errors_exit_non_zero(self):
        for words in (["launch"], ["set", "mode", "Z"], ["fault", "delay"], ["insert"]):
            result = self.sim.ctl(*words, ok=False)
            self.assertEqual(result.returncode, 1, words)
            self.assertTrue(result.stderr, words)


class ScenarioTest(unittest.TestCase):
    def test_scenario_waits_for_the_tool_then_stops(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("# flips the mode once the port is open\n"
                    "await open\nset mode 7\nawait command AT@M?\nwait 100\nquit\n")
        self.addCleanup(os.unlink, f.name)
        sim = Simulator(["--scenario", f.name])
        self.addCleanup(sim.stop)
        port = Port(sim.link)  # may well be open before the scenario reaches "await open"
        wait_for(lambda: "state" in [e["event"] for e in sim.events()], "the scenario step")
        self.assertEqual(port.exchange(b"AT@M?\r", 17), reply(b"AT@M?", b"7"))
        sim.process.wait(timeout=PATIENCE)
        port.close()
        self.assertEqual(sim.process.returncode, 0)
        self.assertFalse(os.path.lexists(sim.link))
        self.assertFalse(os.path.exists(sim.control))
        self.assertEqual(sim.events()[-1]["event"], "stop")

    def test_bad_scenario_is_refused(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("wait 10\nset mode 22\n")
        self.addCleanup(os.unlink, f.name)
        result = subprocess.run([CARDSIM, "serve", "--link", f.name + ".link",
                                 "--scenario", f.name], capture_output=True, timeout=30)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"line 2", result.stderr)


if __name__ == "__main__":
    CARDSIM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
