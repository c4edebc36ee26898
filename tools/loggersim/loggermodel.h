#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

struct SimOptions
{
    QString serial = QStringLiteral("SIM0000001");
    quint16 version = 0x11A;
    quint8 sensors = 1;          // bit 0 internal, 1 external probe, 2 T/RH
    quint16 password = 0;
    int readings = 100;
    int rollover = 0;            // index of the oldest reading in memory
    int dropEcho = 0;            // write frames lost before the logger (no echo)
    int badEcho = 0;             // write echoes to garble
    int clockSkew = 0;           // seconds the clock runs off
    int clockOffset = 0;         // seconds the clock is off until it is set
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
    const QByteArray &image() const { return memoryImage; }

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
    quint32 now() const;
    bool longIndex() const;

    SimOptions options;
    QByteArray memoryImage;
    QVector<quint16> memory;     // as stored: a ring when rolled over
    QByteArray pending;
    qint64 clockOffset = 0;      // set by the clock command
    bool silent = false;
};
