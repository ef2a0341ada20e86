"""The remote-procedure wire over TCP, both ends, independent of the C++ code.

One connection carries one call:
  client: SOH "NETPROC::Call[id=0x%04x] " COMMAND LF STX        (or "NETPROC::Post[")
  server: ACK | NAK
  client: parameter record text, then ETX as a write of its own (further packets end with STX)
  server: ACK | NAK per packet
  server: STX result ETX        (a file: STX "<file=NAME|SIZE>" ETX and SIZE raw bytes)
  client: ACK | NAK
  server: EOT, then closes; client: EOT, then closes.

Both ends can misbehave on purpose (NAK, silence, a short file, extra packets, a dropped
connection) and record a transcript of every byte in both directions.
"""

import os
import socket
import threading
import time

from . import records

SOH, STX, ETX, EOT, ACK, LF, NAK = b"\x01", b"\x02", b"\x03", b"\x04", b"\x06", b"\x0a", b"\x15"


class Transcript:
    """Every byte that crossed one connection, as (direction, bytes) chunks merged by direction."""

    def __init__(self):
        self.chunks = []
        self.lock = threading.Lock()

    def add(self, direction, data):
        if not data:
            return
        with self.lock:
            if self.chunks and self.chunks[-1][0] == direction:
                self.chunks[-1] = (direction, self.chunks[-1][1] + data)
            else:
                self.chunks.append((direction, data))

    def text(self):
        """One line per chunk: 'C>S ' or 'S>C ' and the bytes with control bytes escaped."""
        out = []
        for direction, data in self.chunks:
            out.append(direction + " " + escape_bytes(data))
        return "\n".join(out) + ("\n" if out else "")


def escape_bytes(data):
    names = {0x01: "<SOH>", 0x02: "<STX>", 0x03: "<ETX>", 0x04: "<EOT>", 0x06: "<ACK>", 0x0A: "<LF>", 0x15: "<NAK>"}
    out = []
    for c in data:
        if c in names:
            out.append(names[c])
        elif c < 0x20 or c >= 0x7F or c == ord("<"):
            out.append("<%02x>" % c)
        else:
            out.append(chr(c))
    return "".join(out)


class _Conn:
    """A socket that records what it sends and receives."""

    def __init__(self, sock, transcript, me):
        self.sock = sock
        self.transcript = transcript
        self.out_dir = "C>S" if me == "client" else "S>C"
        self.in_dir = "S>C" if me == "client" else "C>S"
        self.pending = b""

    def send(self, data):
        if self.transcript:
            self.transcript.add(self.out_dir, data)
        self.sock.sendall(data)

    def read_until(self, ends, timeout, limit=1 << 20):
        """Bytes up to and including the first byte in ends; b'' on time-out or close."""
        deadline = time.monotonic() + timeout
        buf = self.pending
        self.pending = b""
        while True:
            for i, c in enumerate(buf):
                if bytes([c]) in ends:
                    self.pending = buf[i + 1:]
                    got = buf[:i + 1]
                    if self.transcript:
                        self.transcript.add(self.in_dir, got)
                    return got
            if len(buf) > limit:
                return b""
            left = deadline - time.monotonic()
            if left <= 0:
                break
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(4096)
            except (socket.timeout, OSError):
                break
            if not data:
                break
            buf += data
        if self.transcript:
            self.transcript.add(self.in_dir, buf)
        return b""

    def read_exact(self, n, timeout):
        deadline = time.monotonic() + timeout
        buf = self.pending[:n]
        self.pending = self.pending[n:]
        while len(buf) < n:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(min(4096, n - len(buf)))
            except (socket.timeout, OSError):
                break
            if not data:
                break
            buf += data
        if self.transcript:
            self.transcript.add(self.in_dir, buf)
        return buf

    def read_byte(self, timeout):
        return self.read_exact(1, timeout)

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


# ------------------------------------------------------------------------------------ server

class Request:
    def __init__(self, command, params, sync, caller, header, packets):
        self.command = command      # bytes
        self.params = params        # records.Record of packet 0
        self.sync = sync
        self.caller = caller        # the peer's numeric address
        self.header = header        # the raw header bytes
        self.packets = packets      # raw packet texts


class Reply:
    """What a handler answers: text, or a file; misbehave is one of None, 'nak_header', 'drop',
    'silence', 'short_file', 'no_eot'."""

    def __init__(self, text=b"<OK>", file=None, misbehave=None):
        self.text = records.Record._b(text)
        self.file = file
        self.misbehave = misbehave


class Server:
    """Serves calls on 127.0.0.1; handler(Request) -> Reply (or bytes/str) for synchronous calls,
    and is called after the exchange for posted ones (its answer then discarded)."""

    def __init__(self, handler, port=0, timeout=5.0, host="127.0.0.1"):
        self.handler = handler
        self.timeout = timeout
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((host, port))
        self.sock.listen(16)
        self.port = self.sock.getsockname()[1]
        self.transcripts = []       # one Transcript per connection, in order of acceptance
        self.requests = []          # every Request that reached the handler stage
        self.header_plan = []       # misbehaviour of the next connections before their parameters:
                                    # 'nak_header', 'drop_after_header', 'silence_after_header'
        self.stopping = False
        self.thread = None
        self.workers = []
        self.lock = threading.Lock()

    def start(self):
        self.thread = threading.Thread(target=self._accept_loop, daemon=True)
        self.thread.start()
        return self

    def stop(self):
        self.stopping = True
        try:
            # shutdown wakes the thread blocked in accept(); close alone leaves it listening
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        try:
            self.sock.close()
        except OSError:
            pass
        for w in list(self.workers):
            w.join(self.timeout + 1)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def _accept_loop(self):
        while not self.stopping:
            try:
                s, addr = self.sock.accept()
            except OSError:
                return
            t = Transcript()
            with self.lock:
                self.transcripts.append(t)
            w = threading.Thread(target=self._serve, args=(s, addr[0], t), daemon=True)
            self.workers.append(w)
            w.start()

    def _answer(self, req):
        r = self.handler(req)
        if r is None:
            return Reply(b"")
        if isinstance(r, (bytes, str)):
            return Reply(r)
        return r

    def _serve(self, sock, caller, transcript):
        conn = _Conn(sock, transcript, "server")
        try:
            self._exchange(conn, caller)
        finally:
            conn.close()

    def _exchange(self, conn, caller):
        with self.lock:
            plan = self.header_plan.pop(0) if self.header_plan else None
        header = conn.read_until([STX], self.timeout, limit=4096)
        if plan == "nak_header":
            conn.send(NAK)
            return
        if plan == "drop_after_header":
            return
        if plan == "silence_after_header":
            time.sleep(self.timeout)
            return
        valid = (len(header) <= 4096 and (header.startswith(SOH + b"NETPROC::Call[") or
                 header.startswith(SOH + b"NETPROC::Post[")) and header.endswith(LF + STX))
        if not valid:
            conn.send(NAK)
            return
        sync = b"::Call[" in header
        line = header[1:header.index(LF)]
        words = line.split(b" ")
        command = words[1] if len(words) > 1 else b""
        conn.send(ACK)
        packets = []
        while True:
            pkt = conn.read_until([STX, ETX], self.timeout)
            if not pkt:
                return
            packets.append(pkt[:-1])
            conn.send(ACK)
            if pkt.endswith(ETX):
                break
        params = records.text_to_record(packets[0])
        req = Request(command, params, sync, caller, header, packets)
        with self.lock:
            self.requests.append(req)
        if sync:
            reply = self._answer(req)
        else:
            reply = Reply(b"<ASYNC>")
        if reply.misbehave == "drop":
            return
        if reply.misbehave == "silence":
            time.sleep(self.timeout)
            return
        if reply.file is not None:
            data = None
            if os.path.exists(reply.file):
                with open(reply.file, "rb") as f:
                    data = f.read()
            if data is None:
                conn.send(STX + b"<FAIL>" + ETX)
            else:
                name = os.path.basename(reply.file).encode("cp1252")
                conn.send(STX + b"<file=" + name + b"|%d>" % len(data) + ETX)
                if reply.misbehave == "short_file":
                    conn.send(data[:len(data) // 2])
                    return
                conn.send(data)
        else:
            text = reply.text if reply.text else b"<NULL>"
            conn.send(STX + text + ETX)
        ack = conn.read_byte(self.timeout)
        if reply.misbehave != "no_eot":
            conn.send(EOT)
        if ack == ACK and not sync:
            self._answer(req)


# ------------------------------------------------------------------------------------ client

_call_number = [0x0100]
_call_lock = threading.Lock()


def next_call_number():
    with _call_lock:
        n = _call_number[0]
        _call_number[0] += 1
        return n


class CallResult:
    def __init__(self, ok, text, file_name=None, file_data=None, transcript=None):
        self.ok = ok
        self.text = text            # the result text, or the failure reason
        self.file_name = file_name
        self.file_data = file_data
        self.transcript = transcript


def call(peer, command, params=None, sync=True, timeout=5.0, call_id=None, misbehave=None):
    """Calls COMMAND at peer ("host:port").  misbehave: None, 'extra_packets', 'nak_result',
    'drop_after_header', 'silence_after_header', 'bad_header'."""
    host, port = peer.rsplit(":", 1)
    params = params if isinstance(params, records.Record) else records.Record(list((params or {}).items()))
    command = records.Record._b(command)
    transcript = Transcript()
    try:
        sock = socket.create_connection((host, int(port)), timeout=timeout)
    except OSError:
        return CallResult(False, b"no answer", transcript=transcript)
    conn = _Conn(sock, transcript, "client")
    try:
        number = next_call_number() if call_id is None else call_id
        form = b"Call" if sync else b"Post"
        header = SOH + b"NETPROC::" + form + b"[id=0x%04x] " % number + command + LF + STX
        if misbehave == "bad_header":
            header = header[:-2] + STX
        conn.send(header)
        if misbehave == "drop_after_header":
            return CallResult(False, b"dropped", transcript=transcript)
        if misbehave == "silence_after_header":
            time.sleep(timeout)
            return CallResult(False, b"silent", transcript=transcript)
        if conn.read_byte(timeout) != ACK:
            return CallResult(False, b"error in reading ACK for header", transcript=transcript)
        text = records.record_to_text(params)
        if misbehave == "extra_packets":
            conn.send(text)
            conn.send(STX)
            if conn.read_byte(timeout) != ACK:
                return CallResult(False, b"error in reading ACK for parameter packet", transcript=transcript)
            conn.send(b"Extra=1\n")
            conn.send(STX)
            if conn.read_byte(timeout) != ACK:
                return CallResult(False, b"error in reading ACK for parameter packet", transcript=transcript)
            conn.send(b"Extra=2\n")
            conn.send(ETX)
        else:
            conn.send(text)
            conn.send(ETX)
        if conn.read_byte(timeout) != ACK:
            return CallResult(False, b"error in reading ACK for parameter packet", transcript=transcript)
        result = conn.read_until([ETX], timeout)
        good = result.startswith(STX) and result.endswith(ETX)
        file_name = file_data = None
        text = result[1:-1] if good else b"error in reading return code"
        if good and text.lower().startswith(b"<file=") and text.endswith(b">"):
            name, _, size = text[6:-1].rpartition(b"|")
            size = int(size)
            file_data = conn.read_exact(size, timeout)
            file_name = name
            good = len(file_data) == size
            if not good:
                text = b"error in reading return code"
        conn.send(ACK if good and misbehave != "nak_result" else NAK)
        conn.read_byte(0.5)
        try:
            conn.send(EOT)
        except OSError:     # the server closes right after its own EOT
            pass
        return CallResult(good, text, file_name, file_data, transcript)
    finally:
        conn.close()


# ------------------------------------------------------------------------------------ script

class Script:
    """A handler that follows a list of expected requests and their answers.

    Each step is a dict: "command" (expected), optional "sync" (expected form), optional
    "params" (names whose values must match), and the answer: "reply" (text), or "file" (path),
    with optional "misbehave".  Requests that do not match the next step get "<FAIL>" and are
    listed in errors."""

    def __init__(self, steps):
        self.steps = list(steps)
        self.errors = []
        self.lock = threading.Lock()

    def done(self):
        return not self.steps

    def __call__(self, req):
        with self.lock:
            if not self.steps:
                self.errors.append("unexpected %s" % req.command.decode("cp1252"))
                return Reply(b"<FAIL>")
            step = self.steps.pop(0)
        want = step.get("command", "").encode("cp1252")
        if req.command != want:
            self.errors.append("expected %s, got %s" % (want.decode("cp1252"), req.command.decode("cp1252")))
            return Reply(b"<FAIL>")
        if "sync" in step and bool(step["sync"]) != req.sync:
            self.errors.append("%s: expected sync=%s" % (step["command"], step["sync"]))
        for name, value in step.get("params", {}).items():
            got = req.params.get(name)
            if got is None or got.decode("cp1252") != value:
                self.errors.append("%s: parameter %s is %r, expected %r" % (step["command"], name, got, value))
        return Reply(step.get("reply", "<OK>"), step.get("file"), step.get("misbehave"))
