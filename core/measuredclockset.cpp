#include "core/measuredclockset.h"

namespace {

// The logger answers a set with the clock it set, which may have ticked
// meanwhile; a reply further from the value set is the clock before it: a
// read the logger answered late.
constexpr qint64 kSetReplySlack = 2;

}

void MeasuredClockSet::readSent()
{
    if (setValue)   // a set never answered: the next one starts afresh
        *this = {};
    ++readsUnanswered;
    awaitingRead = true;
}

void MeasuredClockSet::readGivenUp(qint64 nowMs)
{
    awaitingRead = false;
    lastGivenUpMs = nowMs;
}

void MeasuredClockSet::setSent(quint32 value, qint64 nowMs)
{
    setValue = value;
    setSentMs = nowMs;
}

// A logger that was silent answers nothing it missed: a reply long after
// the question is another's.
void MeasuredClockSet::dropWhatNeverCame(qint64 nowMs)
{
    if (setValue && nowMs - setSentMs > LateAnswerMs) {
        *this = {};
        return;
    }
    const int awaited = awaitingRead ? 1 : 0;
    if (readsUnanswered > awaited && nowMs - lastGivenUpMs > LateAnswerMs)
        readsUnanswered = awaited;
}

MeasuredClockSet::Answer MeasuredClockSet::takeRead(quint32 value)
{
    --readsUnanswered;
    clockBefore = value;
    awaitingRead = false;
    return { Answer::Read, std::nullopt };
}

MeasuredClockSet::Answer MeasuredClockSet::take(quint32 value, qint64 nowMs)
{
    dropWhatNeverCame(nowMs);
    if (!setValue)
        return readsUnanswered > 0 ? takeRead(value) : Answer{};
    if (readsUnanswered > 0 && qAbs(qint64(value) - qint64(*setValue)) > kSetReplySlack)
        return takeRead(value);
    Answer set{ Answer::Set, std::nullopt };
    if (clockBefore)
        set.moved = qint64(*setValue) - qint64(*clockBefore);
    *this = {};
    return set;
}
