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

    // A late answer comes behind a reply the logger was still sending; one
    // that has not come this long after its question never comes.
    static constexpr qint64 LateAnswerMs = 2000;

    // A read goes out ahead of a set.
    void readSent();
    // The read sent last is neither answered nor given up.
    bool readAwaited() const { return awaitingRead; }
    // The link waits no longer, at nowMs (a steady clock): the logger missed
    // the read, or is still busy with a long reply and answers it later.
    void readGivenUp(qint64 nowMs);
    // The set goes out at nowMs, to value (logger seconds).
    void setSent(quint32 value, qint64 nowMs);
    // The transfer the set belongs to ended: nothing it asked is awaited.
    void forget() { *this = {}; }

    Answer take(quint32 value, qint64 nowMs);

private:
    Answer takeRead(quint32 value);
    void dropWhatNeverCame(qint64 nowMs);

    int readsUnanswered = 0;
    bool awaitingRead = false;
    qint64 lastGivenUpMs = 0;
    std::optional<quint32> clockBefore;
    std::optional<quint32> setValue;
    qint64 setSentMs = 0;
};
