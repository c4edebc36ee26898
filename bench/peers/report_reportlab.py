#!/usr/bin/python3
"""The report's layout drawn with reportlab, as the peer of bench_report.

Writes the PDF report of 65,536 single-channel readings (658 A4 pages): on
every page the logo, the header rule, serial number and print time, five
alarm lights and the footer; page 1 the device box and a
graph, page 2 the alarm table and a histogram, then 100 samples a page in
two columns of a rounded box, each value in the colour of its alarm level,
marked samples veiled. The trip is the benchmark's own (bench/benchtrip.h).

Prints the seconds taken to build and write the document (imports and the
trip's readings excluded, as in the benchmark) on stdout.

    /usr/bin/python3 bench/peers/report_reportlab.py [output.pdf] [readings]
"""
import math
import os
import sys
import tempfile
import time
from datetime import datetime, timedelta

from reportlab.lib.colors import Color, black, white
from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas

HERE = os.path.dirname(os.path.abspath(__file__))
LOGO = os.path.join(HERE, "..", "..", "resources", "pictures", "NorvelLogoButton.png")
UNIT = 72.0 / 1200.0          # one report unit (1/1200 inch) in points
GREY = Color(200 / 255, 200 / 255, 200 / 255)
VEIL = Color(200 / 255, 200 / 255, 200 / 255, alpha=0.5)
LEVEL_COLOURS = {
    "HH": Color(1, 0, 0), "H": Color(0.8, 0.4, 0), "N": black,
    "L": Color(0, 0.4, 0.8), "LL": Color(0, 0, 1),
}


def trip(readings):
    values = []
    for i in range(readings):
        tenths = int(150 + 200 * math.sin(i / 700.0) + (i * 7919 % 23) - 11)
        values.append((tenths, i % 5000 == 17))
    return values


def level(tenths):
    value = tenths / 10.0
    if value >= 30:
        return "HH"
    if value >= 25:
        return "H"
    if value <= 0:
        return "LL"
    if value <= 5:
        return "L"
    return "N"


class Report:
    def __init__(self, path, values):
        self.values = values
        self.width, self.height = A4
        self.c = canvas.Canvas(path, pagesize=A4, pageCompression=1)
        self.c.setTitle("B1x65536")
        self.c.setCreator("peer")
        self.start = datetime(2026, 1, 5, 8, 0, 0)
        self.pages = 2 + (len(values) + 99) // 100
        self.content_top = (4 * 162 + 100) * UNIT

    def y(self, top):
        """A y measured from the top of the page, in points."""
        return self.height - top

    def header(self):
        c = self.c
        c.drawImage(LOGO, 0, self.y(4 * 162 * UNIT), 4 * 242 * UNIT, 4 * 162 * UNIT)
        c.setLineWidth(16 * UNIT)
        c.line(0, self.y(self.content_top), self.width, self.y(self.content_top))
        c.setFont("Helvetica-Bold", 16)
        now = datetime.now().strftime("%H:%M:%S %d/%m/%Y")
        w = c.stringWidth(now, "Helvetica-Bold", 16)
        c.drawString(self.width - w, self.y(self.content_top - 1.2 * 18), "B1x65536")
        c.drawString(self.width - w, self.y(self.content_top - 0.2 * 18), now)
        d, s = 360 * UNIT, 500 * UNIT
        c.setFont("Helvetica-Bold", 14)
        for i, label in enumerate(("LL", "L", "", "H", "HH")):
            left = self.width / 2 - d / 2 - 2 * s + i * s
            top = self.content_top - d - 100 * UNIT
            c.drawCentredString(left + d / 2, self.y(top - d / 3), label)
            c.setFillColor(Color(1, 0.4, 0.4) if i >= 3 else white)
            c.circle(left + d / 2, self.y(top + d / 2), d / 2, stroke=1, fill=1)
            c.setFillColor(black)

    def footer(self, page):
        c = self.c
        c.setFont("Courier", 12)
        c.drawCentredString(self.width / 2, self.y(self.height - 600 * UNIT - 4),
                            "( Page  %d / %d )" % (page, self.pages))

    def frame(self, top, height, divider):
        """A rounded box with its grey title band and one vertical rule."""
        c = self.c
        r = 300 * UNIT
        c.setLineWidth(16 * UNIT)
        c.setFillColor(GREY)
        c.roundRect(0, self.y(top + r), self.width, r, r / 2, stroke=0, fill=1)
        c.setFillColor(black)
        c.roundRect(0, self.y(top + height), self.width, height, r, stroke=1, fill=0)
        c.line(0, self.y(top + r), self.width, self.y(top + r))
        c.line(divider, self.y(top + r), divider, self.y(top + height))

    def box(self, top, height, title, rows):
        c = self.c
        r = 300 * UNIT
        self.frame(top, height, self.width / 3)
        c.setFont("Helvetica-Bold", 18)
        c.drawCentredString(self.width / 2, self.y(top + r * 0.8), title)
        line = 13.0
        for i, (label, value) in enumerate(rows):
            baseline = self.y(top + r + line * (i + 1))
            c.setFont("Helvetica", 11)
            c.drawString(150 * UNIT, baseline, label)
            c.setFont("Courier", 11)
            c.drawString(self.width / 3 + 150 * UNIT, baseline, value)
        return top + height + 20

    def graph(self, top):
        c = self.c
        bottom = self.height - 800 * UNIT
        c.rect(0, self.y(bottom), self.width, bottom - top)
        step = max(1, len(self.values) // 2000)
        path = c.beginPath()
        low, high = -100.0, 400.0
        for n, i in enumerate(range(0, len(self.values), step)):
            x = self.width * i / len(self.values)
            y = self.y(bottom - (self.values[i][0] - low) / (high - low) * (bottom - top))
            if n == 0:
                path.moveTo(x, y)
            else:
                path.lineTo(x, y)
        c.drawPath(path, stroke=1, fill=0)

    def histogram(self, top):
        c = self.c
        bottom = self.height - 800 * UNIT
        bins = {}
        for tenths, _ in self.values:
            bins[tenths // 10] = bins.get(tenths // 10, 0) + 1
        low, high = min(bins), max(bins)
        most = max(bins.values())
        width = self.width / (high - low + 1)
        c.setFillColor(Color(0, 0, 1, alpha=0.7))
        for value, count in bins.items():
            h = count / most * (bottom - top)
            c.rect((value - low) * width, self.y(bottom), width, h, stroke=1, fill=1)
        c.setFillColor(black)

    def readings_page(self, first):
        c = self.c
        top = (200 + 4 * 162 + 100) * UNIT
        m = 300 * UNIT
        rows = min(100, len(self.values) - first)
        pitch = 12.5
        height = 1.5 * m + (rows // 2 + rows % 2) * pitch
        self.frame(top, height, self.width / 2)
        c.setFont("Courier-Bold", 12)
        title = "  #   Date   Time     T\xb0C  H%  eT\xb0C"
        c.drawString(150 * UNIT, self.y(top + m * 0.75), title)
        c.drawString(self.width / 2 + 150 * UNIT, self.y(top + m * 0.75), title)
        c.setFont("Courier-Bold", 10)
        left_rows = rows // 2 + rows % 2
        n = first
        for column in range(2):
            x = 150 * UNIT + column * self.width / 2
            baseline = top + m / 1.5 + pitch + 100 * UNIT
            for _ in range(left_rows if column == 0 else rows - left_rows):
                tenths, mark = self.values[n]
                when = self.start + timedelta(seconds=60 * n)
                text = "%4d  %s" % (n + 1, when.strftime("%d/%m/%y %H:%M:%S"))
                c.setFillColor(black)
                c.drawString(x, self.y(baseline), text)
                cell_x = x + c.stringWidth(text + "-", "Courier-Bold", 10)
                cell = " " + ("%.1f" % (tenths / 10.0)).rjust(5)
                c.setFillColor(LEVEL_COLOURS[level(tenths)])
                c.drawString(cell_x, self.y(baseline), cell)
                if mark:
                    c.setFillColor(VEIL)
                    c.rect(column * self.width / 2, self.y(baseline + 2), self.width / 2, 12,
                           stroke=0, fill=1)
                n += 1
                baseline += pitch

    def write(self):
        c = self.c
        rows = [("Label %d" % i, "Value %d" % i) for i in range(22)]
        self.header()
        bottom = self.box((100 + 4 * 162 + 100) * UNIT, 1.5 * 300 * UNIT + 22 * 13.0,
                          "Device Specification", rows)
        self.graph(bottom)
        self.footer(1)
        c.showPage()
        self.header()
        self.box((200 + 4 * 162 + 100) * UNIT, 14 * 14.0 + 800 * UNIT, "Alarms", rows[:14])
        self.histogram(bottom)
        self.footer(2)
        c.showPage()
        for page in range(3, self.pages + 1):
            self.header()
            self.readings_page((page - 3) * 100)
            self.footer(page)
            c.showPage()
        c.save()


def main():
    readings = int(sys.argv[2]) if len(sys.argv) > 2 else 65536
    values = trip(readings)
    folder = None
    if len(sys.argv) > 1:
        path = sys.argv[1]
    else:
        folder = tempfile.TemporaryDirectory()
        path = os.path.join(folder.name, "report.pdf")
    began = time.perf_counter()
    Report(path, values).write()
    seconds = time.perf_counter() - began
    print("%.4f" % seconds)
    print("pages %d, %d bytes" % (2 + (readings + 99) // 100, os.path.getsize(path)), file=sys.stderr)


if __name__ == "__main__":
    main()
