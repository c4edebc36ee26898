#!/usr/bin/python3
"""Real FTP server for the update tests.

Serves the directory given with --root through pyftpdlib on 127.0.0.1 on a
free port, to the single read-only user "upgrade", and prints "PORT <n>" once
it listens. It ends by itself after --lifetime seconds, so that a test that
dies cannot leave it running. With --hide-sizes it answers no SIZE, MLST or
STAT, as servers that never tell a file's size before sending it.
"""

import argparse
import logging
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--lifetime", type=float, default=120.0)
    parser.add_argument("--hide-sizes", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user("upgrade", args.password, args.root, perm="elr")
    class Handler(FTPHandler):
        pass

    if args.hide_sizes:
        Handler.proto_cmds = {name: spec for name, spec in FTPHandler.proto_cmds.items()
                              if name not in ("SIZE", "MLST", "MLSD", "STAT")}
    handler = Handler
    handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT", server.socket.getsockname()[1], flush=True)

    deadline = time.monotonic() + args.lifetime
    while time.monotonic() < deadline:
        server.serve_forever(timeout=0.2, blocking=False)
    server.close_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
