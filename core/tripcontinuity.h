#pragma once

#include <QVector>

struct LoggerRecord;

// Whether a download brings again the trip a row already holds, or a trip
// the logger began afresh. The readings alone are no guide: a trip begun
// afresh may record the same values again. Nor is the program: a logger
// whose stop button resets it begins its next trip under the same one.
namespace TripContinuity {

// What a download says of the trip its logger holds.
struct Download
{
    QVector<quint16> readings;   // oldest first
    quint32 start = 0;           // logger seconds of the oldest reading
    bool wentRound = false;      // the memory went round: older readings were written over
};

// The program two images hold is the same: what a program sets, not what
// the logger counts while it records (readings, alarm state, extremes,
// battery), nor the comment line, which is edited with the trip.
bool sameProgram(const LoggerRecord &earlier, const LoggerRecord &later);

// How many of the readings downloaded before come ahead of the later
// download, when the rest of them stand again, in order, at its head: all
// of them from the first (0), or, for a memory that went round, the newest
// of them from a whole sample on (at least one sample of them); -1 when
// they go on in nothing. Where several would do, the fewest ahead.
int readingsBefore(const QVector<quint16> &earlier, const QVector<quint16> &later, int channels,
                   bool roundTheMemory);

// How many readings of the trip earlier come ahead of the later download
// of the logger whose program laterProgram decodes, when that download
// goes on with the trip; -1 when it is another trip. The same trip has the
// same program, readings that go on, and a start that stays, or moves by
// exactly the samples the memory dropped going round; a clock set since
// (clockSet) moves it by what the clock was off, so only the readings
// tell then.
int readingsBefore(const LoggerRecord &earlier, const LoggerRecord &laterProgram, const Download &later,
                   bool clockSet);

}
