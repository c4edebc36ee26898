#pragma once

#include <QVector>

struct LoggerRecord;

// Whether a download brings again the trip a row already holds, or a trip
// the logger began afresh. The start a logger reports is no guide: it
// moves with the logger's clock when that is set, and with the oldest
// reading kept once a continuous trip went round the memory.
namespace TripContinuity {

// The program two images hold is the same: what a program sets, not what
// the logger counts while it records (readings, alarm state, extremes,
// battery), nor the comment line, which is edited with the trip.
bool sameProgram(const LoggerRecord &earlier, const LoggerRecord &later);

// The readings downloaded before stand again, in order, at the head of the
// later download: all of them from the first, or, for a trip that goes
// round the memory, the newest of them from a whole sample on (at least
// one sample of them). No readings before go on in anything.
bool readingsGoOn(const QVector<quint16> &earlier, const QVector<quint16> &later, int channels,
                  bool roundTheMemory);

// The later download, of the logger whose program laterProgram decodes,
// goes on with the trip earlier: the same program, the readings going on.
bool sameTrip(const LoggerRecord &earlier, const LoggerRecord &laterProgram,
              const QVector<quint16> &laterReadings);

}
