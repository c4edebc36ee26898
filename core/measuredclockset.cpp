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

MeasuredClockSet::Answer MeasuredClockSet::takeRead(quint32 value)
{
    --readsUnanswered;
    clockBefore = value;
    awaitingRead = false;
    return { Answer::Read, std::nullopt };
}

MeasuredClockSet::Answer MeasuredClockSet::take(quint32 value)
{
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
