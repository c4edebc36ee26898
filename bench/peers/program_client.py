#!/usr/bin/python3
"""The least a client needs to reprogram a logger: the frames of a full
reprogramming sent to the logger simulator, each answered before the next
goes out, with the wake pause the protocol asks for and nothing else.

usage: program_client.py LOGGERSIM RUNS

Starts the simulator (paced at 115,200 baud), reads its image, then
reprograms every byte of the configuration block RUNS times and prints the
mean seconds of one reprogramming on stdout.
"""
import os
import select
import subprocess
import sys
import termios
import time
import tty

WAKE_PAUSE_S = 0.020
REPLY_WAIT_S = 20.0
BLOCK_SIZE = 256
WRITE_FRAME_BYTES = 16
IMAGE_FRAMES = 768 // 64


class Line:
    def __init__(self, path):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)
        attrs = termios.tcgetattr(self.fd)
        attrs[4] = attrs[5] = termios.B115200
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)
        self.pending = b""

    def send(self, text):
        os.write(self.fd, text.encode("ascii") + b"\r\n")

    def reply(self, prefix):
        """The next line that starts with prefix, without CR LF."""
        deadline = time.monotonic() + REPLY_WAIT_S
        while True:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                line = line.rstrip(b"\r").decode("ascii", "replace")
                if line.startswith(prefix):
                    return line
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                raise TimeoutError("no reply " + prefix)
            self.pending += os.read(self.fd, 4096)


def wake(line):
    line.send("." * 16)
    time.sleep(WAKE_PAUSE_S)
    line.send(".00")
    line.reply(".00")


def read_image(line):
    line.send(".0C")
    image = bytearray(768)
    for _ in range(IMAGE_FRAMES):
        frame = line.reply(".03")
        address = int(frame[3:7], 16)
        data = bytes.fromhex(frame[7:])
        image[address:address + len(data)] = data
    return image


def reprogram(line, target):
    wake(line)
    for address in range(0, BLOCK_SIZE, WRITE_FRAME_BYTES):
        chunk = target[address:address + WRITE_FRAME_BYTES]
        frame = ".04%04X%02X%s" % (address, len(chunk), chunk.hex().upper())
        line.send(frame)
        if line.reply(".04") != frame:
            raise RuntimeError("wrong echo")
    line.send(".07")
    line.reply(".07")
    read_image(line)
    line.send(".06%08X" % 0x20000000)
    line.reply(".06")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    runs = int(sys.argv[2])
    sim = subprocess.Popen([sys.argv[1], "--version", "0x11A"], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE)
    try:
        line = Line(sim.stdout.readline().decode().strip())
        wake(line)
        image = read_image(line)
        taken = 0.0
        for _ in range(runs):
            target = bytearray(b ^ 0xFF for b in image[:BLOCK_SIZE]) + image[BLOCK_SIZE:]
            started = time.monotonic()
            reprogram(line, target)
            taken += time.monotonic() - started
            image = target
        print("%.6f" % (taken / runs))
    finally:
        sim.kill()
        sim.wait()


if __name__ == "__main__":
    main()
