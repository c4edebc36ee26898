#pragma once

#include <optional>

#include <QtGlobal>

// A clock set and the reads of the logger's clock that go just before it,
// whose reply tells what the set moves the clock by. The logger answers
// each in turn with its clock or, having missed one, not at all; a read it
// answers late still comes before the set's reply. One object follows the
// set from its first read to its reply, so that no reply answers for another.
class MeasuredClockSet
{
public:
    // What a clock reply answers.
    struct Answer
    {
        enum Kind {
            Read,   // a read ahead of a set: the link's own
            Set,    // the set: the logger's clock as it set it
            Other   // a read of the clock asked for its own sake
        };
        Kind kind = Other;
        // Set: what it moved the clock by, when a read told the clock before.
        std::optional<qint64> moved;
    };

    // A read goes out ahead of a set.
    void readSent();
    // The read sent last is neither answered nor given up.
    bool readAwaited() const { return awaitingRead; }
    // The link waits no longer: the logger missed the read, or is still
    // busy with a long reply and answers it later.
    void readGivenUp() { awaitingRead = false; }
    // The set goes out, to value (logger seconds).
    void setSent(quint32 value) { setValue = value; }

    Answer take(quint32 value);

private:
    Answer takeRead(quint32 value);

    int readsUnanswered = 0;
    bool awaitingRead = false;
    std::optional<quint32> clockBefore;
    std::optional<quint32> setValue;
};
