#!/usr/bin/python3
"""Scripted SMTP peer for the failures a good server never shows.

Accepts one connection on 127.0.0.1 (free port, printed as "PORT <n>") and
answers each command from a fixed table that the arguments can change:
  --greeting TEXT      first reply; "none" stays silent
  --reply VERB=TEXT    reply to a command (EHLO, STARTTLS, AUTH, LOGIN-USER,
                       LOGIN-PASS, MAIL, RCPT, DATA, END, QUIT); "none" stays
                       silent; "|" separates the lines of a multi-line reply
With --certdir, a STARTTLS answered with 220 is followed by a TLS handshake
(server.pem and server.key from that directory). Every line received (DATA lines included) is appended to --log as it arrives,
the message lines prefixed with "D:". The script ends when the client closes
the connection or --lifetime seconds have passed.
"""

import argparse
import os
import socket
import ssl
import sys
import time

DEFAULTS = {
    "EHLO": "250-mirelda-test|250-AUTH PLAIN LOGIN|250 STARTTLS",
    "STARTTLS": "220 go ahead",
    "AUTH": "235 ok",
    "AUTH-LOGIN": "334 VXNlcm5hbWU6",
    "LOGIN-USER": "334 UGFzc3dvcmQ6",
    "LOGIN-PASS": "235 ok",
    "MAIL": "250 ok",
    "RCPT": "250 ok",
    "DATA": "354 go on",
    "END": "250 stored",
    "QUIT": "221 bye",
    "OTHER": "500 unknown",
}


class Peer:
    def __init__(self, conn, replies, log, tls_context=None):
        self.conn = conn
        self.tls_context = tls_context
        self.replies = replies
        self.log = log
        self.buffer = b""
        self.state = "command"

    def send(self, key):
        text = self.replies[key]
        if text == "none":
            return
        self.conn.sendall(("\r\n".join(text.split("|")) + "\r\n").encode("latin-1"))

    def lines(self):
        while True:
            while b"\r\n" not in self.buffer and b"\n" not in self.buffer:
                data = self.conn.recv(65536)
                if not data:
                    return
                self.buffer += data
            cut = self.buffer.find(b"\n")
            line, self.buffer = self.buffer[:cut + 1], self.buffer[cut + 1:]
            yield line.rstrip(b"\r\n").decode("latin-1")

    def record(self, text):
        self.log.write(text + "\n")
        self.log.flush()

    def run(self):
        self.send("GREETING")
        for line in self.lines():
            if self.state == "data":
                if line == ".":
                    self.record(".")
                    self.state = "command"
                    self.send("END")
                else:
                    self.record("D:" + line)
                continue
            self.record(line)
            if self.state == "login-user":
                self.state = "login-pass"
                self.send("LOGIN-USER")
                continue
            if self.state == "login-pass":
                self.state = "command"
                self.send("LOGIN-PASS")
                continue
            verb = line.split(" ")[0].upper()
            if verb == "AUTH" and line.upper().startswith("AUTH LOGIN"):
                self.state = "login-user"
                self.send("AUTH-LOGIN")
            elif verb == "DATA":
                reply = self.replies["DATA"]
                if reply.startswith("354"):
                    self.state = "data"
                self.send("DATA")
            elif verb == "STARTTLS":
                self.send(verb)
                if self.tls_context and self.replies["STARTTLS"].startswith("220"):
                    self.conn = self.tls_context.wrap_socket(self.conn, server_side=True)
                    self.buffer = b""
            elif verb in ("EHLO", "AUTH", "QUIT"):
                self.send(verb)
            elif verb in ("MAIL", "RCPT"):
                self.send(verb)
            else:
                self.send("OTHER")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--greeting", default="220 mirelda-test ready")
    parser.add_argument("--reply", action="append", default=[])
    parser.add_argument("--log", required=True)
    parser.add_argument("--lifetime", type=float, default=30.0)
    parser.add_argument("--certdir")
    args = parser.parse_args()

    replies = dict(DEFAULTS)
    replies["GREETING"] = args.greeting
    for item in args.reply:
        key, _, text = item.partition("=")
        replies[key.upper()] = text

    tls_context = None
    if args.certdir:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(os.path.join(args.certdir, "server.pem"),
                                    os.path.join(args.certdir, "server.key"))

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(args.lifetime)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    deadline = time.monotonic() + args.lifetime
    with open(args.log, "w", encoding="latin-1") as log:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            return 1
        conn.settimeout(max(0.1, deadline - time.monotonic()))
        try:
            Peer(conn, replies, log, tls_context).run()
        except (socket.timeout, ConnectionError, ssl.SSLError):
            pass
        finally:
            conn.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
