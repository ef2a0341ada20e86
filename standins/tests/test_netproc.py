import json
import os
import subprocess
import sys
import tempfile
import threading
import unittest

from phoneserver import netproc, records

HERE = os.path.dirname(os.path.abspath(__file__))


class Wire(unittest.TestCase):
    def test_call_transcript_is_byte_exact(self):
        seen = []

        def handler(req):
            seen.append((req.command, req.params.as_dict(), req.sync))
            return "<OK>\nhello"

        with netproc.Server(handler, timeout=2) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "GETCALLERS", {"User": "ann"}, call_id=0x0100, timeout=2)
        self.assertTrue(r.ok)
        self.assertEqual(r.text, b"<OK>\nhello")
        self.assertEqual(seen, [(b"GETCALLERS", {"User": "ann"}, True)])
        self.assertEqual(r.transcript.text(),
                         "C>S <SOH>NETPROC::Call[id=0x0100] GETCALLERS<LF><STX>\n"
                         "S>C <ACK>\n"
                         "C>S User=ann<LF><ETX>\n"
                         "S>C <ACK><STX><3c>OK><LF>hello<ETX>\n"
                         "C>S <ACK>\n"
                         "S>C <EOT>\n"
                         "C>S <EOT>\n")
        # the server closes right after its EOT, before the client's EOT arrives
        self.assertEqual(srv.transcripts[0].text(), r.transcript.text()[:-len("C>S <EOT>\n")])

    def test_empty_result_is_null_and_large_numbers(self):
        with netproc.Server(lambda req: "", timeout=2) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "X", call_id=0x12345, timeout=2)
        self.assertEqual(r.text, b"<NULL>")
        self.assertIn(b"[id=0x12345] X", srv.requests[0].header)

    def test_post_answers_async_and_runs_after_the_exchange(self):
        ran = threading.Event()
        with netproc.Server(lambda req: ran.set(), timeout=2) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "NOTE", sync=False, timeout=2)
            self.assertTrue(ran.wait(2))
        self.assertEqual(r.text, b"<ASYNC>")

    def test_post_with_nak_never_runs(self):
        ran = threading.Event()
        with netproc.Server(lambda req: ran.set(), timeout=1) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "NOTE", sync=False, timeout=1, misbehave="nak_result")
        self.assertFalse(ran.is_set())
        self.assertEqual(r.text, b"<ASYNC>")

    def test_three_packets_use_the_first(self):
        with netproc.Server(lambda req: "<OK>", timeout=2) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "X", {"a": "1"}, timeout=2, misbehave="extra_packets")
        self.assertTrue(r.ok)
        self.assertEqual(srv.requests[0].params.as_dict(), {"a": "1"})
        self.assertEqual(len(srv.requests[0].packets), 3)
        self.assertEqual(srv.transcripts[0].text().count("<ACK>"), 5)

    def test_bad_header_gets_nak(self):
        with netproc.Server(lambda req: "<OK>", timeout=1) as srv:
            r = netproc.call("127.0.0.1:%d" % srv.port, "X", timeout=1, misbehave="bad_header")
        self.assertFalse(r.ok)
        self.assertEqual(r.text, b"error in reading ACK for header")

    def test_file_result_and_short_file(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "fax.sff")
            with open(path, "wb") as f:
                f.write(bytes(range(256)) * 40)
            with netproc.Server(lambda req: netproc.Reply(file=path), timeout=1) as srv:
                r = netproc.call("127.0.0.1:%d" % srv.port, "GETFILE", timeout=1)
            self.assertTrue(r.ok)
            self.assertEqual(r.text, b"<file=fax.sff|10240>")
            self.assertEqual(r.file_data, bytes(range(256)) * 40)
            with netproc.Server(lambda req: netproc.Reply(file=path, misbehave="short_file"), timeout=1) as srv:
                r = netproc.call("127.0.0.1:%d" % srv.port, "GETFILE", timeout=1)
            self.assertFalse(r.ok)
            with netproc.Server(lambda req: netproc.Reply(file=os.path.join(d, "missing")), timeout=1) as srv:
                r = netproc.call("127.0.0.1:%d" % srv.port, "GETFILE", timeout=1)
            self.assertEqual(r.text, b"<FAIL>")

    def test_server_misbehaviour_before_parameters(self):
        for plan, reason in [("nak_header", b"error in reading ACK for header"),
                             ("drop_after_header", b"error in reading ACK for header")]:
            with self.subTest(plan=plan):
                with netproc.Server(lambda req: "<OK>", timeout=1) as srv:
                    srv.header_plan.append(plan)
                    r = netproc.call("127.0.0.1:%d" % srv.port, "X", timeout=1)
                self.assertFalse(r.ok)
                self.assertEqual(r.text, reason)

    def test_no_answer(self):
        with netproc.Server(lambda req: "<OK>") as srv:
            port = srv.port
        r = netproc.call("127.0.0.1:%d" % port, "X", timeout=1)
        self.assertEqual(r.text, b"no answer")

    def test_script_through_the_command_line(self):
        with tempfile.TemporaryDirectory() as d:
            script = os.path.join(d, "s.json")
            with open(script, "w") as f:
                json.dump({"steps": [{"command": "LOGIN", "params": {"User": "ann"}, "reply": "<OK>"},
                                     {"command": "PING", "reply": "<OK>"}]}, f)
            trans = os.path.join(d, "t.txt")
            env = dict(os.environ, PYTHONPATH=os.path.dirname(HERE))
            srv = subprocess.Popen([sys.executable, "-m", "phoneserver", "serve", "--script", script,
                                    "--transcript", trans, "--max-seconds", "10"],
                                   stdout=subprocess.PIPE, env=env, text=True)
            port = int(srv.stdout.readline().split()[1])
            for cmd, extra in [("LOGIN", ["--param", "User=ann"]), ("PING", [])]:
                out = subprocess.run([sys.executable, "-m", "phoneserver", "call", "--peer",
                                      "127.0.0.1:%d" % port, "--command", cmd] + extra,
                                     env=env, capture_output=True, timeout=10)
                self.assertEqual(out.returncode, 0, out)
                self.assertEqual(out.stdout, b"<OK>\n")
            self.assertEqual(srv.wait(10), 0)
            self.assertIn("DONE ok=1", srv.stdout.read())
            self.assertEqual(open(trans).read().count("--\n"), 2)


if __name__ == "__main__":
    unittest.main()
