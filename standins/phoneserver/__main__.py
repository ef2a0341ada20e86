"""Command line of the stand-in phone server's wire peer.

  python3 -m phoneserver serve --script FILE.json [--port N] [--transcript OUT] [--timeout S]
      serves the scripted requests on 127.0.0.1, prints "PORT n" once listening, and ends when the
      script is done (exit 0) or after --max-seconds (exit 1); OUT gets every connection's bytes.
  python3 -m phoneserver call --peer HOST:PORT --command CMD [--param NAME=VALUE ...] [--post]
      makes one call and prints the result (exit 0 on success).
"""

import argparse
import json
import sys
import time

from . import netproc, records


def main(argv=None):
    ap = argparse.ArgumentParser(prog="phoneserver")
    sub = ap.add_subparsers(dest="verb", required=True)
    s = sub.add_parser("serve")
    s.add_argument("--script", required=True)
    s.add_argument("--port", type=int, default=0)
    s.add_argument("--timeout", type=float, default=5.0)
    s.add_argument("--max-seconds", type=float, default=60.0)
    s.add_argument("--transcript")
    c = sub.add_parser("call")
    c.add_argument("--peer", required=True)
    c.add_argument("--command", required=True)
    c.add_argument("--param", action="append", default=[])
    c.add_argument("--post", action="store_true")
    c.add_argument("--timeout", type=float, default=5.0)
    c.add_argument("--misbehave")
    a = ap.parse_args(argv)

    if a.verb == "serve":
        with open(a.script, encoding="utf-8") as f:
            script = netproc.Script(json.load(f)["steps"])
        server = netproc.Server(script, port=a.port, timeout=a.timeout).start()
        print("PORT %d" % server.port, flush=True)
        deadline = time.monotonic() + a.max_seconds
        while not script.done() and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(0.3)   # let the last exchange finish its closing bytes
        server.stop()
        if a.transcript:
            with open(a.transcript, "w", encoding="utf-8") as f:
                for t in server.transcripts:
                    f.write(t.text())
                    f.write("--\n")
        for e in script.errors:
            print("ERROR " + e, file=sys.stderr)
        ok = script.done() and not script.errors
        print("DONE ok=%d" % ok, flush=True)
        return 0 if ok else 1

    params = records.Record()
    for p in a.param:
        name, _, value = p.partition("=")
        params.set(name, value)
    r = netproc.call(a.peer, a.command, params, sync=not a.post, timeout=a.timeout, misbehave=a.misbehave)
    sys.stdout.buffer.write(r.text + b"\n")
    return 0 if r.ok else 1


if __name__ == "__main__":
    sys.exit(main())
