#include "programming/transferwatch.h"

void TransferWatch::start(Kind kind, bool clockQueued)
{
    current = kind;
    clockTries = clockQueued ? 1 : 0;
    emptySinceMs = -1;
}

TransferWatch::Verdict TransferWatch::step(const Seen &seen)
{
    if (current == None)
        return Waiting;
    if (!seen.recordPresent)
        return RecordLost;
    if (seen.writeDropped)
        return current == Programming ? Unconfirmed : Failed;
    if (seen.queueLength > 0) {
        emptySinceMs = -1;
        return Progress;
    }
    if (emptySinceMs < 0)
        emptySinceMs = seen.nowMs;
    return afterFrames(seen);
}

TransferWatch::Verdict TransferWatch::afterFrames(const Seen &seen)
{
    if (needsClock())
        return clockStep(seen);
    if (seen.dataArrived)
        return Succeeded;
    return seen.nowMs - emptySinceMs > DataReplyMs ? Failed : Waiting;
}

// The clock goes last; its reply comes after every other reply of the
// transfer, so a confirmed clock means the logger took the whole transfer.
TransferWatch::Verdict TransferWatch::clockStep(const Seen &seen)
{
    if (seen.clockConfirmed) {
        if (current == Programming && !seen.programReadBack)
            return Unconfirmed;
        return Succeeded;
    }
    if (seen.clockReplyPending && clockTries > 0) {
        if (seen.nowMs - emptySinceMs <= ClockReplyMs)
            return Waiting;
        return current == Programming ? Unconfirmed : Failed;
    }
    if (clockTries >= ClockTries)
        return ClockWrong;
    emptySinceMs = seen.nowMs;   // the reply to this clock is awaited from now
    return SendClock;
}
