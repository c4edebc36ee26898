#pragma once

#include <memory>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

#include "core/tripcontinuity.h"

class CComm;

// Channel groups of the alarm limits, as the logger stores them.
enum LimitGroup { GroupInternal = 0, GroupExternal = 1, GroupHumidity = 2 };
// Channels as the views number them (and as readings are interleaved).
enum ViewChannel { ChannelInternal = 0, ChannelHumidity = 1, ChannelExternal = 2 };
// Alarm levels inside a group of four thresholds.
enum AlarmLevel { LevelHH = 0, LevelH = 1, LevelL = 2, LevelLL = 3 };

// Bits of LoggerRecord::configWord.
namespace ConfigBits {
constexpr quint32 IntHH = 0x1, IntH = 0x2, IntL = 0x4, IntLL = 0x8;
constexpr quint32 Programmed = 0x10;
constexpr quint32 StartAt = 0x20, StartDelay = 0x40, StopAt = 0x80, StopAfterReadings = 0x100;
constexpr quint32 Continuous = 0x200, StopButton = 0x400, AutoRestart = 0x800;
constexpr quint32 ShowTemperature = 0x4000, ShowAlarms = 0x8000;
constexpr quint32 ExtHH = 0x10000, ExtH = 0x20000, ExtL = 0x40000, ExtLL = 0x80000;
constexpr quint32 HumHH = 0x100000, HumH = 0x200000, HumL = 0x400000, HumLL = 0x800000;
constexpr quint32 InternalOn = 0x1000000, ExternalOn = 0x2000000, HumidityOn = 0x4000000;
constexpr quint32 Sensors = InternalOn | ExternalOn | HumidityOn;
// every bit above: the page's boxes and the programmed mark
constexpr quint32 Known = IntHH | IntH | IntL | IntLL | Programmed | StartAt | StartDelay | StopAt
                          | StopAfterReadings | Continuous | StopButton | AutoRestart | ShowTemperature
                          | ShowAlarms | ExtHH | ExtH | ExtL | ExtLL | HumHH | HumH | HumL | HumLL | InternalOn
                          | ExternalOn | HumidityOn;
}

// Bits of LoggerRecord::alarmStatus.
namespace AlarmStatusBits {
constexpr quint32 HH = 0x02, H = 0x04, L = 0x08, LL = 0x10;
}

// Bits of LoggerRecord::passwordWord.
namespace PasswordBits {
constexpr quint32 PasswordMask = 0xFFFF;
constexpr quint32 MarkerMask = 0x0FFF0000;
constexpr quint32 Marker = 0x0A5A0000;
constexpr quint32 WriteWithout = 0x40000000;
constexpr quint32 ReadWithout = 0x80000000;
}

// Bits of LoggerRecord::sensorFlags.
namespace SensorBits {
constexpr quint8 InternalNtc = 0x1, ExternalProbe = 0x2, DigitalTempHum = 0x4;
}

constexpr int kImageSize = 768;
constexpr int kMaxReadings = 65536;
constexpr int kUnlimitedTrips = 9999;
// The longest comment of a trip: as many characters as the window's comment
// field takes, so that the report's device box has room for it.
constexpr int kCommentLength = 58;

// One connected logger or one opened data file. Held by value in
// CMainApp::records and copied whole, so every large member is implicitly
// shared and a copy costs a few reference counts.
struct LoggerRecord
{
    // identity: the same in every copy of one record, new for every new
    // record, so a record can be found again after the list changed
    quint64 recordId;
    // identity of the trip the record holds: kept by the row a trip is set
    // apart into, new when the logger's next trip takes the record, so a
    // trip can be found again after a download changed what a row holds
    quint64 tripId;
    QString portName;          // empty for a record read from a file
    QString fileName;
    // What fileName held when this record read or wrote it: a file changed
    // since then is someone else's save, not to be written over unasked.
    QByteArray fileDigest;
    QString exportFileName;
    QString serialNumber;
    QString productCode;
    QString description;
    QString comment;
    QString configuredBy;
    QString downloadedBy;
    quint16 versionWord = 0;
    quint16 modelWord = 0;

    // configuration
    quint32 configWord = 0;
    quint32 passwordWord = 0;
    bool passwordAccepted = false;
    bool passwordAsked = false;   // the logger-password dialog was shown for this logger
    // The password word typed for this logger (0 while none): each image the
    // logger sends is checked against it, not against what another logger
    // was given since.
    quint32 typedPassword = 0;
    // What the user chose in that dialog instead of giving the password.
    enum class PasswordWaiver { None, Read, Write };
    PasswordWaiver passwordWaiver = PasswordWaiver::None;
    quint8 sensorFlags = 1;
    quint32 recordedChannels = 0;
    qint32 channelCount = 0;

    // readings: channels interleaved internal, humidity, external
    QVector<quint16> readings;
    qint32 readingCount = 0;
    quint32 recordedCount = 0;
    QDateTime startTime;
    QDateTime stopTime;
    QDateTime downloadTime;
    quint32 interval = 0;

    // limits, by LimitGroup
    double alarmThresholds[3][4] = {};
    quint16 consecutiveDelay[3] = {};
    quint16 totalDelay[3] = {};
    float lowestValue[3] = {};
    float highestValue[3] = {};
    float averageValue[3] = {};
    float mktValue[3] = {};
    qint32 rangeLow = 0;
    qint32 rangeHigh = 0;
    quint32 alarmStatus = 0;
    // The logger did not give the alarm status of the trip downloaded:
    // alarmStatus is what was known before, which the lights do not show.
    bool alarmStatusUnknown = false;
    int battery = 0;
    int unitProgrammed = 0;
    int timeZoneProgrammed = 0;

    // schedule and trips
    int tripNumber = 0;
    int maxTrip = kUnlimitedTrips;
    QDateTime startAt;
    QDateTime stopAt;
    quint32 startDelay = 0;
    quint32 duration = 0;
    qint32 stopReadingCount = 0;
    quint32 memorySize = 0;
    bool hasHeader = false;

    // memory images
    QByteArray imageRead;
    // One byte per address, non-zero where a write went out to the logger
    // since imageRead was read there: after a failed or cut write the
    // logger may hold there what was written, or what it held before.
    QByteArray writtenSinceRead;
    QByteArray imageToWrite;
    QByteArray eepromImage;
    QByteArray eepromFileImage;

    // state
    bool fromFile = false;
    bool massStorage = false;
    bool ready = false;
    bool dataLoaded = false;
    bool autoDownloaded = false;
    // The readings of the download begun automatically have come: the
    // steps after it are for them, not for readings held before it.
    bool autoDownloadArrived = false;
    bool autoSaved = false;
    bool autoPdfDone = false;
    bool autoTxtDone = false;
    bool autoCsvDone = false;
    bool autoMailStarted = false;
    int autoDelay = 0;
    int eepromReadState = 0;
    int productionTask = 0;
    int eepromTask = 0;
    // ranges of imageRead read again since the logger was found, so that a
    // reader knows when the range it asked for is in
    int memoryReadsArrived = 0;
    // clock replies come since the logger was found, so that a reader
    // knows when the clock it asked for is in
    int clockRepliesArrived = 0;
    quint32 loggerClockSeconds = 0;
    QDateTime loggerClock;
    bool disconnectRequested = false;
    CComm *commandLink = nullptr;   // not owned: CMainApp owns the threads
    // Readings arrived from a logger and were not yet written to a data
    // file, whatever became of the logger since.
    bool unsavedReadings = false;
    // The data file that held the trip until it was changed or written
    // over since: the trip is in no file now. Empty for a trip in its file,
    // or one never saved.
    QString lostFileName;
    // The record holds a trip that came from a logger which is no longer
    // connected to it (see standWithoutLogger): a file row that was never
    // opened from a file; its logger, plugged in, has a row of its own.
    bool loggerGone = false;
    // A download was asked for and has neither finished nor failed yet;
    // the seconds since its last sign of progress.
    bool downloadRunning = false;
    int downloadSilentSeconds = 0;
    // The progress of its last download in percent; -1 while a download
    // waits for the logger's first readings.
    int downloadPercent = 0;
    // A program (or an initialisation) went to the logger since its last
    // download: what it records from then on is its next trip.
    bool programSentSinceDownload = false;
    // The logger's clock sets since its last download, and what they moved
    // its clock by: the start it reports for its trip moved with it.
    TripContinuity::ClockSets clockSetsSinceDownload;

    // readings per alarm level, by ViewChannel: normal, HH, H, L, LL
    int levelCounts[3][5] = {};

    // The trip whose readings the record holds, with the program it was
    // recorded under. The page sets up the logger's next trip in the
    // record's own fields, and a program sent rereads them from the logger;
    // neither may change the interval, channels, limits, texts or alarm
    // state that the readings are shown, reported and saved with. Null
    // while the record took no readings: its trip is then the record
    // itself. The copies of a record share it until one changes it.
    std::shared_ptr<LoggerRecord> recordedTrip;

    LoggerRecord();

    bool isFile() const { return portName.isEmpty(); }
    // A logger on the line whose image has not come: its password word,
    // and even its serial number, are not known yet.
    bool awaitsImage() const { return !isFile() && versionWord == 0; }
    // The row's file is a data file on this computer, one the program read
    // or wrote; a drive logger's file name is the drive's own.
    bool hasDataFile() const;
    // Readings read from a file (a data file, the drive logger's), not
    // downloaded: a trip whose logger went stands as a file row, yet it is
    // a download.
    bool readFromFile() const { return fromFile && !loggerGone; }
    bool isChannelOn(ViewChannel channel) const;
    // Position of a channel inside one interleaved sample, -1 when not recorded.
    int channelPosition(ViewChannel channel) const;
    int sampleCount() const;
    quint16 reading(ViewChannel channel, int sample) const;
    bool levelEnabled(ViewChannel channel, AlarmLevel level) const;
    double threshold(ViewChannel channel, AlarmLevel level) const;
    bool isPasswordProtected() const;
    // Opened without the password for reading (or writing): the user chose
    // it and the protection word allows it. Programming still needs the
    // password after reading without it, and the readings after writing.
    bool readableWithoutPassword() const;
    bool writableWithoutPassword() const;
    // The password needs not be given for the logger to be served, as far
    // as its word and the user's choice go.
    bool opensWithoutPassword() const;
    // Readings the logger's memory holds: the 768-byte header, when the
    // memory has one, is not for readings.
    quint32 memoryReadings() const;
    // Seconds the logger takes to record that many readings, one sample of
    // its channels at each interval.
    quint32 durationOf(qint64 readings) const;
    // Seconds from the first of that many readings to the last: the last
    // sample is taken (samples - 1) intervals after the first.
    quint32 readingsSpan(qint64 readings) const;
    // Readings one data file of this logger holds.
    int fileCapacity() const;

    // Recomputes recordedChannels and channelCount from sensorFlags and configWord.
    void updateChannels();

    // What shows, prints, exports or saves the readings reads them here.
    const LoggerRecord &trip() const { return recordedTrip ? *recordedTrip : *this; }
    // The trip, for a change of its own (its comment, its statistics): the
    // other copies of the record keep theirs.
    LoggerRecord &tripForChange();
    // The record as it stands becomes its trip.
    void keepAsTrip();
    // A record whose logger is gone and whose readings stay, as a file row.
    void standWithoutLogger();
    // The trip as a record of its own, with a new identity and no file:
    // the row of a trip kept when its logger brought the next one. It keeps
    // the program it was recorded under whatever its page sets up.
    LoggerRecord tripApart() const;
    // The logger's next trip takes the record: a trip identity of its own.
    void beginNextTrip();
    // The logger as the image last read from it has it: its program as it
    // stands, not the page's edits nor the program of the trip shown.
    LoggerRecord asLastRead() const;
    // Readings that arrived from the logger become the trip, with the
    // program of the image the logger gave (imageRead), not with the
    // page's edits of the next one. The first kept readings of the trip
    // held so far stay ahead of them (those its logger's memory dropped
    // going round): the trip starts with them, and keeps the alarms and
    // extremes they raised.
    void keepDownloadAsTrip(const QVector<quint16> &downloaded, const QDateTime &start,
                            const QDateTime &stop, int kept = 0);
};

// The views number channels internal, humidity, external; the logger stores
// its limit groups internal, external, humidity.
LimitGroup limitGroupOf(ViewChannel channel);
