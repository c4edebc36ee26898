#pragma once

#include <optional>

#include <QVector>

struct LoggerRecord;

// Whether a download brings again the trip a row already holds, or a trip
// the logger began afresh. The readings alone are no guide: a trip begun
// afresh may record the same values again. Nor is the program: a logger
// whose stop button resets it begins its next trip under the same one.
namespace TripContinuity {

// The clock sets a logger took since its trip was downloaded: a logger that
// records moves the start it reports for the trip with its clock; one whose
// trip ended (its stop button, a trip recorded before) keeps it.
struct ClockSets
{
    bool any = false;
    // sets whose move has not come back, or could not be read
    int unmeasured = 0;
    // seconds the others moved the clock by, together
    qint64 moved = 0;

    void sent();
    // The reply of a set came, with what it moved the clock by when known.
    void cameBack(std::optional<qint64> move);
    bool known() const { return unmeasured == 0; }
    // These sets, then those of later.
    ClockSets operator+(const ClockSets &later) const;
};

// What a download says of the trip its logger holds.
struct Download
{
    QVector<quint16> readings;   // oldest first
    quint32 start = 0;           // logger seconds of the oldest reading
    bool wentRound = false;      // the memory went round: older readings were written over
    ClockSets clock;             // since the trip held before was downloaded
};

// The program two images hold is the same: what a program sets, not what
// the logger counts while it records (readings, alarm state, extremes,
// battery), nor the comment line, which is edited with the trip.
bool sameProgram(const LoggerRecord &earlier, const LoggerRecord &later);

// How many of the readings downloaded before come ahead of the later
// download, when the rest of them stand again, in order, at its head: all
// of them from the first (0), or, for a memory that went round, the newest
// of them from a whole sample on (at least one sample of them); -1 when
// they go on in nothing, or when they would go on in several places (a
// steady value, or values taking turns): the readings cannot tell then how
// many the memory dropped.
int readingsBefore(const QVector<quint16> &earlier, const QVector<quint16> &later, int channels,
                   bool roundTheMemory);

// How many readings of the trip earlier come ahead of the later download
// of the logger whose program laterProgram decodes, when that download
// goes on with the trip; -1 when it is another trip, or when nothing tells
// that it is not. The same trip has the same program, readings that go
// on, and a start that stays, or moves by exactly the samples the memory
// dropped going round, and by what clock sets since moved the clock when
// it still recorded. The move of a clock set is read to the second while
// the logger's clock runs on: after one, the readings alone say how many
// the memory dropped, and the start must agree with them, exactly when it
// stayed, or to within what that reading may miss when it moved.
int readingsBefore(const LoggerRecord &earlier, const LoggerRecord &laterProgram, const Download &later);

}
