#pragma once

#include <QtGlobal>

// What a write transfer to a logger is, and how far it got. The window's
// 25 ms tick hands it what it sees (frames left, the clock check, the data
// that came back) and acts on the verdict. Each kind ends its own way:
// only a programming is tried again, the transfers that write a program
// set the logger's clock, a clock set (Sync) is that alone, and a read
// ends when its data is in.
class TransferWatch
{
public:
    enum Kind { None, Programming, EepromWrite, EepromRead, CalibrationTable, FactoryInit, HeldReadingsRead, ClockSet };

    enum Verdict {
        Waiting,       // nothing to do this tick
        Progress,      // frames still queued: move the bar
        SendClock,     // set the logger's clock (again)
        Succeeded,
        Unconfirmed,   // the logger did not confirm: a programming is tried again
        ClockWrong,    // the logger answers but keeps a wrong clock
        Failed,        // a write was dropped or the data never came back
        RecordLost     // the logger went during the transfer
    };

    struct Seen {
        bool recordPresent = true;
        int queueLength = 0;
        bool writeDropped = false;      // the link gave a write up
        bool clockConfirmed = false;
        bool clockReplyPending = false; // the clock was sent and its reply not checked yet
        bool programReadBack = false;   // the image read back holds the program written
        bool dataArrived = false;       // a read's data, a table read back as written
        qint64 nowMs = 0;
    };

    // A clock reply that is this late never comes; the logger is not
    // answering.
    static constexpr int ClockReplyMs = 1500;
    // Clock settings a logger that answers gets before its clock is
    // reported as wrong.
    static constexpr int ClockTries = 3;
    // A read or a table read back that takes this long after the last frame
    // left did not come.
    static constexpr int DataReplyMs = 4000;

    void start(Kind kind, bool clockQueued);
    void finish() { current = None; }
    Kind kind() const { return current; }
    bool running() const { return current != None; }
    bool needsClock() const { return current == Programming || current == EepromWrite || current == ClockSet; }

    Verdict step(const Seen &seen);
    // The window sent the clock on a SendClock verdict.
    void clockSent() { ++clockTries; }

private:
    Verdict afterFrames(const Seen &seen);
    Verdict clockStep(const Seen &seen);

    Kind current = None;
    int clockTries = 0;
    qint64 emptySinceMs = -1;   // the first tick that found the queue empty
};
