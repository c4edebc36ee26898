#!/usr/bin/python3
"""Reads the readings of a trip exported as CSV (a header line, then
number, date-time and one value per channel) and prints the minimum,
maximum and mean of each channel. The peer of opening a data file: the
least a script must do to show what the file holds. Given several files,
it reads each in turn, as a load of many files does."""
import csv
import sys


def main(path):
    with open(path, newline="", encoding="utf-8") as source:
        rows = csv.reader(source)
        header = next(rows)
        channels = header[2:]
        lowest = [float("inf")] * len(channels)
        highest = [float("-inf")] * len(channels)
        total = [0.0] * len(channels)
        count = [0] * len(channels)
        for row in rows:
            for column, text in enumerate(row[2:]):
                if not text:
                    continue
                value = float(text)
                lowest[column] = min(lowest[column], value)
                highest[column] = max(highest[column], value)
                total[column] += value
                count[column] += 1
    for column, name in enumerate(channels):
        if count[column]:
            print("%s min %.1f max %.1f mean %.2f (%d readings)"
                  % (name, lowest[column], highest[column], total[column] / count[column], count[column]))
        else:
            print("%s no readings" % name)


if __name__ == "__main__":
    for path in sys.argv[1:]:
        main(path)
