#pragma once

#include <QByteArray>
#include <QList>

struct LoggerRecord;

// The configuration image a programming writes, and the part of it that
// has to go on the line: only the bytes that differ from what the logger
// holds, in write-memory frames of at most 16 bytes.
namespace ProgramImage {

struct Span
{
    int address = 0;
    QByteArray data;
};

// The 768-byte image of program over base (the logger's image as last
// read, so that its calibration tables and unknown bytes stay), in the
// layout its firmware selects, marked as programmed, with the password
// word in the form the logger recognises.
QByteArray build(const LoggerRecord &program, const QByteArray &base);

// The fewest spans of at most one frame's length (16 bytes) that cover
// every byte in [begin, end) where target differs from current; each ends
// at a changed byte. A frame costs a round trip for its echo, so a few
// unchanged bytes inside a frame are cheaper than another frame. A current
// image too short to compare counts as different everywhere, and so does
// an address whose byte in unsure is non-zero: the logger may hold
// something else there than current says.
QList<Span> changedSpans(const QByteArray &current, const QByteArray &target, int begin, int end,
                         const QByteArray &unsure = QByteArray());

// Marks in unsure (one byte per address of the image) the bytes of spans.
void markWritten(QByteArray &unsure, const QList<Span> &spans);

// The image a logger sent back holds program in its configuration block:
// every byte but those the logger keeps itself (the readings recorded,
// the alarm status, the extremes and the battery), which a new trip
// changes.
bool holdsProgram(const QByteArray &readBack, const QByteArray &program);

}
