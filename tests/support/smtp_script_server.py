#!/usr/bin/python3
"""Scripted SMTP peer for the failures a good server never shows.

Accepts one connection on 127.0.0.1 (free port, printed as "PORT <n>") and
answers each command from a fixed table that the arguments can change:
  --reply KEY=TEXT   reply for GREETING, EHLO, AUTH, MAIL, RCPT, DATA, END
                     or QUIT;
                     "none" stays silent, "|" separates the lines of a reply,
                     "close" closes the connection, "flood-line" sends one
                     endless line (up to 64 MB), "flood-lines" endless
                     continuation lines (up to a million)
  --delay KEY=SECONDS  waits that long before that reply (HANDSHAKE: before
                     taking part in the TLS handshake)
  --certdir DIR      speaks TLS from the start with DIR/server.pem and
                     DIR/server.key (as smtp_server.py --make-certs writes)
  --no-accept        never accepts, and fills its accept queue first: the
                     kernel then drops a client's SYN, so its connection
                     stays under way until the client gives up
Every line received is printed as it arrives, message lines prefixed with
"D:". The script ends when the client closes the connection or --lifetime
seconds have passed.
"""

import argparse
import os
import socket
import ssl
import sys
import time

DEFAULTS = {
    "GREETING": "220 mirelda-test ready",
    "EHLO": "250-mirelda-test|250 AUTH PLAIN",
    "AUTH": "235 ok",
    "MAIL": "250 ok",
    "RCPT": "250 ok",
    "DATA": "354 go on",
    "END": "250 stored",
    "QUIT": "221 bye",
    "OTHER": "500 unknown",
}


class Closed(Exception):
    pass


class Peer:
    def __init__(self, conn, replies, delays):
        self.conn = conn
        self.replies = replies
        self.delays = delays
        self.buffer = b""

    def flood(self, chunk, limit):
        sent = 0
        while sent < limit:
            self.conn.sendall(chunk)
            sent += len(chunk)

    def send(self, key):
        time.sleep(self.delays.get(key, 0.0))
        text = self.replies[key]
        if text == "close":
            raise Closed()
        if text == "flood-line":
            self.conn.sendall(b"250 ")
            self.flood(b"x" * 65536, 64 << 20)
        elif text == "flood-lines":
            self.flood(b"250-more\r\n" * 1000, 10 << 20)
        elif text != "none":
            self.conn.sendall(text.replace("|", "\r\n").encode("latin-1") + b"\r\n")

    def lines(self):
        while True:
            while b"\n" not in self.buffer:
                data = self.conn.recv(65536)
                if not data:
                    return
                self.buffer += data
            line, self.buffer = self.buffer.split(b"\n", 1)
            yield line.rstrip(b"\r").decode("latin-1")

    def run(self):
        self.send("GREETING")
        in_data = False
        for line in self.lines():
            print(("D:" + line) if in_data and line != "." else line, flush=True)
            if in_data:
                if line == ".":
                    self.send("END")
                    in_data = False
                continue
            verb = line.split(" ")[0].upper()
            if verb == "DATA":
                self.send("DATA")
                in_data = self.replies["DATA"].startswith("354")
            elif verb in ("EHLO", "AUTH", "MAIL", "RCPT", "QUIT"):
                self.send(verb)
            else:
                self.send("OTHER")


def stall(listener, lifetime):
    listener.listen(0)
    port = listener.getsockname()[1]
    # connections the queue still takes complete at once; the first that
    # does not shows the queue is full
    fillers = []
    while len(fillers) < 16:
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.settimeout(0.5)
        fillers.append(filler)
        try:
            filler.connect(("127.0.0.1", port))
        except socket.timeout:
            break
    print("PORT %d" % port, flush=True)
    time.sleep(lifetime)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--reply", action="append", default=[])
    parser.add_argument("--delay", action="append", default=[])
    parser.add_argument("--certdir")
    parser.add_argument("--lifetime", type=float, default=30.0)
    parser.add_argument("--no-accept", action="store_true")
    args = parser.parse_args()

    replies = dict(DEFAULTS)
    for item in args.reply:
        key, _, text = item.partition("=")
        replies[key.upper()] = text
    delays = {}
    for item in args.delay:
        key, _, seconds = item.partition("=")
        delays[key.upper()] = float(seconds)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    if args.no_accept:
        return stall(listener, args.lifetime)
    listener.listen(1)
    listener.settimeout(args.lifetime)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    deadline = time.monotonic() + args.lifetime
    try:
        conn, _ = listener.accept()
    except socket.timeout:
        return 1
    conn.settimeout(max(0.1, deadline - time.monotonic()))
    try:
        if args.certdir:
            time.sleep(delays.get("HANDSHAKE", 0.0))
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(args.certdir, "server.pem"),
                                    os.path.join(args.certdir, "server.key"))
            conn = context.wrap_socket(conn, server_side=True)
        Peer(conn, replies, delays).run()
    except (socket.timeout, ConnectionError, ssl.SSLError, Closed):
        pass
    finally:
        conn.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
