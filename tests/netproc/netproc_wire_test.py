"""NETPROC of the Windows build against the independent Python peer (standins/phoneserver), in
both directions, with byte-exact transcripts of what crossed the wire.

    netproc_wire_test.py --emulator "CMD|ARG|..." --program netproc_wire.exe

The Windows program (netproc_wire.cpp) runs through the emulator: once per call when it is the
client, and once for the whole class when it serves.  Everything listens on 127.0.0.1 on ports
the system picks.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "standins"))

from phoneserver import netproc  # noqa: E402

SOH, STX, ETX, EOT, ACK, LF, NAK = netproc.SOH, netproc.STX, netproc.ETX, netproc.EOT, netproc.ACK, netproc.LF, netproc.NAK

EMULATOR = []
PROGRAM = None


def expected(*chunks):
    """The transcript text of these (direction, bytes) chunks."""
    t = netproc.Transcript()
    for direction, data in chunks:
        t.add(direction, data)
    return t.text()


def run_call(peer, command, params=(), post=False, timeout=5000, result_timeout=None):
    """Runs one call of the Windows client; its report as a dict."""
    args = EMULATOR + [PROGRAM, "call", "--peer", peer, "--command", command, "--timeout", str(timeout)]
    if result_timeout is not None:
        args += ["--result-timeout", str(result_timeout)]
    if post:
        args.append("--post")
    for name, value in params:
        args += ["--param", "%s=%s" % (name, value)]
    out = subprocess.run(args, capture_output=True, timeout=120)
    report = {"exit": out.returncode, "status": None}
    for line in out.stdout.decode("latin-1").splitlines():
        word, _, rest = line.partition(" ")
        if word in ("OK", "FAIL"):
            report["status"] = word
        elif word == "RESULT":
            report["result"] = bytes.fromhex(rest)
        elif word == "FILEEXT":
            report["ext"] = rest
        elif word == "INTEMP":
            report["intemp"] = rest == "1"
        elif word == "FILEHEX":
            report["data"] = bytes.fromhex(rest) if rest != "-" else None
    if report["status"] is None:
        raise AssertionError("no report from the Windows client: %r %r" % (out.stdout, out.stderr))
    return report


class WindowsClient(unittest.TestCase):
    """The Windows program calls, the Python peer serves."""

    def serve(self, handler, timeout=2.0):
        srv = netproc.Server(handler, timeout=timeout).start()
        self.addCleanup(srv.stop)
        return srv, "127.0.0.1:%d" % srv.port

    def test_a_call_is_byte_exact(self):
        srv, peer = self.serve(lambda req: "<OK>\nhello")
        r = run_call(peer, "GETCALLERS", [("User", "ann"), ("Note", "two words")])
        self.assertEqual((r["status"], r["result"]), ("OK", b"<OK>\nhello"))
        self.assertEqual(r["exit"], 0)
        # The first call of a process is number 0x0100; the parameters come in name order.
        self.assertEqual(srv.transcripts[0].text(), expected(
            ("C>S", SOH + b"NETPROC::Call[id=0x0100] GETCALLERS" + LF + STX),
            ("S>C", ACK),
            ("C>S", b"Note=two words\nUser=ann\n" + ETX),
            ("S>C", ACK + STX + b"<OK>\nhello" + ETX),
            ("C>S", ACK),
            ("S>C", EOT)))
        self.assertEqual(srv.requests[0].params.as_dict(), {"Note": "two words", "User": "ann"})

    def test_a_post_is_answered_async_and_runs_later(self):
        ran = threading.Event()
        srv, peer = self.serve(lambda req: ran.set())
        r = run_call(peer, "NOTE", [("Tag", "x")], post=True)
        self.assertEqual((r["status"], r["result"]), ("OK", b"<ASYNC>"))
        self.assertTrue(ran.wait(5))
        self.assertTrue(srv.transcripts[0].text().startswith(
            expected(("C>S", SOH + b"NETPROC::Post[id=0x0100] NOTE" + LF + STX))))
        self.assertFalse(srv.requests[0].sync)

    def test_an_empty_result_reads_null(self):
        srv, peer = self.serve(lambda req: "")
        r = run_call(peer, "EMPTY")
        self.assertEqual((r["status"], r["result"]), ("OK", b"<NULL>"))

    def test_file_results(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d, True)
        cases = [("fax.sff", bytes(range(256)) * 40, ".sff"),
                 ("noext", b"abc", ""),
                 ("empty.wav", b"", ".wav")]
        for name, data, ext in cases:
            with self.subTest(name=name):
                path = os.path.join(d, name)
                with open(path, "wb") as f:
                    f.write(data)
                srv, peer = self.serve(lambda req, path=path: netproc.Reply(file=path))
                r = run_call(peer, "GETFILE")
                self.assertEqual(r["status"], "OK", r)
                self.assertTrue(r["result"].startswith(b"<file=") and r["result"].endswith(b">"), r)
                self.assertEqual(r["ext"], ext)
                self.assertTrue(r["intemp"])
                self.assertEqual(r["data"], data)
                self.assertTrue(srv.transcripts[0].text().endswith(expected(("C>S", ACK), ("S>C", EOT))))

    def test_failures_of_the_peer(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d, True)
        path = os.path.join(d, "fax.sff")
        with open(path, "wb") as f:
            f.write(bytes(range(256)) * 40)
        cases = [
            # (what, handler reply, header plan, client time-outs, status, result)
            ("short file", netproc.Reply(file=path, misbehave="short_file"), None, {"timeout": 800},
             "FAIL", b"error in reading return code"),
            ("dropped before the result", netproc.Reply(misbehave="drop"), None, {},
             "FAIL", b"error in reading return code"),
            ("silent instead of the result", netproc.Reply(misbehave="silence"), None, {"result_timeout": 500},
             "FAIL", b"error in reading return code"),
            ("no closing EOT", netproc.Reply(b"<OK>", misbehave="no_eot"), None, {},
             "OK", b"<OK>"),
            ("missing file", netproc.Reply(file=os.path.join(d, "missing")), None, {},
             "OK", b"<FAIL>"),
            ("NAK for the header", None, "nak_header", {},
             "FAIL", b"error in reading ACK for header"),
            ("dropped after the header", None, "drop_after_header", {},
             "FAIL", b"error in reading ACK for header"),
            ("silent after the header", None, "silence_after_header", {"timeout": 500},
             "FAIL", b"error in reading ACK for header"),
        ]
        for what, reply, plan, times, status, result in cases:
            with self.subTest(what=what):
                srv, peer = self.serve(lambda req, reply=reply: reply, timeout=1.5)
                if plan:
                    srv.header_plan.append(plan)
                r = run_call(peer, "X", **times)
                self.assertEqual((r["status"], r["result"]), (status, result))

        # Nobody listening.
        srv = netproc.Server(lambda req: "<OK>").start()
        port = srv.port
        srv.stop()
        r = run_call("127.0.0.1:%d" % port, "X")
        self.assertEqual((r["status"], r["result"]), ("FAIL", b"no answer"))

    def test_a_short_file_is_answered_with_nak(self):
        # A peer that announces 200 bytes, sends none and stays connected: the client gives up
        # after its time-out, says NAK and still closes in order.
        srv, peer = self.serve(lambda req: netproc.Reply(text=b"<file=fax.sff|200>"))
        r = run_call(peer, "GETFILE", timeout=600)
        self.assertEqual((r["status"], r["result"]), ("FAIL", b"error in reading return code"))
        self.assertTrue(srv.transcripts[0].text().endswith(expected(("C>S", NAK), ("S>C", EOT))),
                        srv.transcripts[0].text())


# The Windows server runs for the whole module: it serves the WindowsServer tests, and while it
# runs the emulator stays warm for the many short client runs.
SERVER = {}


def setUpModule():
    proc = subprocess.Popen(EMULATOR + [PROGRAM, "serve", "--timeout", "1500"], stdout=subprocess.PIPE)
    line = proc.stdout.readline().decode("latin-1").split()
    if len(line) != 2 or line[0] != "PORT":
        proc.kill()
        proc.stdout.close()
        raise AssertionError("the Windows server did not start: %r" % line)
    SERVER["proc"] = proc
    SERVER["peer"] = "127.0.0.1:%s" % line[1]


def tearDownModule():
    proc = SERVER["proc"]
    r = netproc.call(SERVER["peer"], "STOP", timeout=5)
    try:
        rc = proc.wait(60)
    except subprocess.TimeoutExpired:
        proc.kill()
        rc = None
    rest = proc.stdout.read().decode("latin-1")
    proc.stdout.close()
    if not r.ok or rc != 0 or "DONE 1" not in rest:
        raise AssertionError("the Windows server did not stop in order: %r %r %r" % (r.text, rc, rest))


class WindowsServer(unittest.TestCase):
    """The Windows program serves, the Python peer calls."""

    @classmethod
    def setUpClass(cls):
        cls.peer = SERVER["peer"]

    def test_a_call_is_byte_exact(self):
        r = netproc.call(self.peer, "ECHO", {"User": "ann", "Note": "x y"}, call_id=0x0100, timeout=5)
        self.assertTrue(r.ok, r.text)
        self.assertEqual(r.text, b"<OK>\nNote=x y\nUser=ann\n")
        self.assertEqual(r.transcript.text(), expected(
            ("C>S", SOH + b"NETPROC::Call[id=0x0100] ECHO" + LF + STX),
            ("S>C", ACK),
            ("C>S", b"Note=x y\nUser=ann\n" + ETX),
            ("S>C", ACK + STX + b"<OK>\nNote=x y\nUser=ann\n" + ETX),
            ("C>S", ACK),
            ("S>C", EOT),
            ("C>S", EOT)))

    def test_an_empty_result_reads_null(self):
        r = netproc.call(self.peer, "EMPTY", timeout=5)
        self.assertEqual((r.ok, r.text), (True, b"<NULL>"))

    def last_post(self):
        r = netproc.call(self.peer, "LASTPOST", timeout=5)
        self.assertTrue(r.ok)
        return r.text

    def test_posts_run_after_the_exchange_and_not_after_a_nak(self):
        r = netproc.call(self.peer, "NOTE", {"Tag": "first"}, sync=False, timeout=5)
        self.assertEqual((r.ok, r.text), (True, b"<ASYNC>"))
        deadline = time.monotonic() + 10
        while self.last_post() != b"<OK>\nTag=first\n" and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.last_post(), b"<OK>\nTag=first\n")
        r = netproc.call(self.peer, "NOTE", {"Tag": "refused"}, sync=False, timeout=5, misbehave="nak_result")
        self.assertEqual(r.text, b"<ASYNC>")
        time.sleep(1.0)
        self.assertEqual(self.last_post(), b"<OK>\nTag=first\n")

    def test_file_results(self):
        for name, size in [("fax.sff", 10000), ("noext", 3), ("empty.wav", 0), ("block.bin", 4096)]:
            with self.subTest(name=name):
                r = netproc.call(self.peer, "FILE", {"Name": name, "Size": str(size)}, timeout=5)
                self.assertTrue(r.ok, r.text)
                self.assertEqual(r.text, b"<file=%s|%d>" % (name.encode(), size))
                self.assertEqual(r.file_name, name.encode())
                self.assertEqual(r.file_data, bytes((i * 7) & 0xff for i in range(size)))

    def test_a_missing_file_is_a_failure_result(self):
        r = netproc.call(self.peer, "MISSING", timeout=5)
        self.assertEqual((r.ok, r.text), (True, b"<FAIL>"))
        self.assertTrue(r.transcript.text().endswith(expected(
            ("S>C", ACK + STX + b"<FAIL>" + ETX), ("C>S", ACK), ("S>C", EOT), ("C>S", EOT))))

    def test_extra_packets_are_acknowledged_and_only_the_first_is_used(self):
        r = netproc.call(self.peer, "ECHO", {"a": "1"}, timeout=5, misbehave="extra_packets")
        self.assertEqual((r.ok, r.text), (True, b"<OK>\na=1\n"))
        self.assertEqual(r.transcript.text().count("<ACK>"), 5)

    def test_bad_requests(self):
        r = netproc.call(self.peer, "ECHO", timeout=5, misbehave="bad_header", call_id=0x0100)
        self.assertEqual((r.ok, r.text), (False, b"error in reading ACK for header"))
        # NAK, and the connection closes without EOT.
        self.assertEqual(r.transcript.text(), expected(
            ("C>S", SOH + b"NETPROC::Call[id=0x0100] ECHO" + STX), ("S>C", NAK)))
        for misbehave in ("drop_after_header", "silence_after_header"):
            with self.subTest(misbehave=misbehave):
                r = netproc.call(self.peer, "ECHO", timeout=2, misbehave=misbehave)
                self.assertFalse(r.ok)
        # The server goes on serving.
        r = netproc.call(self.peer, "ECHO", {"after": "1"}, timeout=5)
        self.assertEqual((r.ok, r.text), (True, b"<OK>\nafter=1\n"))

    def test_concurrent_calls(self):
        results = [None] * 12

        def one(i):
            results[i] = netproc.call(self.peer, "ECHO", {"n": str(i)}, timeout=20)

        threads = [threading.Thread(target=one, args=(i,)) for i in range(len(results))]
        for t in threads:
            t.start()
        for t in threads:
            t.join(60)
        for i, r in enumerate(results):
            self.assertTrue(r is not None and r.ok, i)
            self.assertEqual(r.text, b"<OK>\nn=%d\n" % i)


def main():
    global EMULATOR, PROGRAM
    ap = argparse.ArgumentParser()
    ap.add_argument("--emulator", default="")
    ap.add_argument("--program", required=True)
    a, rest = ap.parse_known_args()
    EMULATOR = [p for p in a.emulator.split("|") if p]
    PROGRAM = a.program
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
