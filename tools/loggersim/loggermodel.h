#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include "core/loggerrecord.h"

struct SimOptions
{
    QString serial = QStringLiteral("SIM0000001");
    quint16 version = 0x11A;
    quint8 sensors = 1;          // bit 0 internal, 1 external probe, 2 T/RH
    quint16 password = 0;
    // PasswordBits::ReadWithout or WriteWithout: what the password leaves open
    quint32 passwordAccess = 0;
    int readings = 100;
    int rollover = 0;            // index of the oldest reading in memory
    int dropEcho = 0;            // write frames lost before the logger (no echo)
    int badEcho = 0;             // write echoes to garble
    int clockSkew = 0;           // seconds the clock runs off
    int clockOffset = 0;         // seconds the clock is off until it is set
    bool answersAlarmCommand = true;   // false: 0x0B, the jig's command, goes unanswered
    // Rate of the clock; with a rate, a new program makes the logger record
    // at its interval (1 real time). 0: the clock runs at real time and a
    // new trip stays empty.
    int fast = 0;
};

// A logger as its serial line sees it: bytes in, reply bytes out. It holds
// a 768-byte memory image, the readings memory and a clock.
class LoggerModel
{
public:
    explicit LoggerModel(const SimOptions &options);

    QByteArray feed(const QByteArray &input);

    void setClockSkew(int seconds) { options.clockSkew = seconds; }
    void setSilent(bool on) { silent = on; }
    // The logger stops answering, as silent, once it has taken and answered
    // count more frames of command code: a transfer cut at a chosen frame.
    void silenceAfter(int code, int count);
    // The next frame of command code is lost on the way: the logger neither
    // takes nor answers it.
    void dropNext(int code) { dropCode = code; }
    // The clock runs factor times faster from now on, and new programs record.
    void setFast(int factor);
    // The stop button pressed: where the program enables it the trip ends,
    // and with Auto-Reset the logger begins its next trip at once, under
    // the same program.
    void pressStopButton();
    // The memory as it stands now, with the readings due by now recorded.
    const QByteArray &image()
    {
        recordDueReadings();
        return memoryImage;
    }

private:
    QByteArray handleFrame(const QByteArray &line);
    QByteArray identify() const;
    QByteArray readMemory(int address, int length) const;
    QByteArray writeMemory(const QByteArray &line);
    QByteArray clock(const QByteArray &payload);
    QByteArray download() const;
    QByteArray commit(const QByteArray &line);
    QByteArray factoryInit(const QByteArray &line);
    void startNewTrip();
    void clearTrip();
    void recordDueReadings();
    void storeTripState();
    quint32 now() const;
    void setClock(quint32 seconds);
    bool longIndex() const;

    SimOptions options;
    QByteArray memoryImage;
    QVector<quint16> memory;     // as stored: a ring when rolled over
    QByteArray pending;
    // The clock: clockBase logger seconds at the real time realBaseMs, then
    // running at the rate of options.fast.
    double clockBase = 0;
    qint64 realBaseMs = 0;
    bool silent = false;
    int silenceCode = -1;       // the command whose frames count down to silence
    int framesBeforeSilence = 0;
    int dropCode = -1;

    // The trip the memory holds: its first sample's time, its interval, and
    // what it records each interval.
    quint32 tripStart = 0;
    quint32 tripInterval = 0;
    int tripChannels = 1;
    // while a trip records (a program with a clock rate)
    bool recording = false;
    // An At or Wait trip has not begun until the clock reaches its start.
    bool tripBegun = false;
    // From a program's commit to its next frame but End or a clock read: a
    // clock set then is the program's own, and the trip's start is judged
    // on that clock.
    bool programClockDue = false;
    LoggerRecord tripProgram;   // channels, stop condition, limits
    QVector<int> tripChannelOrder;
    qint64 recordedWords = 0;   // every word recorded this trip
    int capacityWords = 0;
};
