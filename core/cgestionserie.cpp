#include "core/cgestionserie.h"

#include <algorithm>

#include "core/byteorder.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "users/cuseradmin.h"

using namespace MemoryMap;

namespace {

// Bytes that no frame can be longer than; a longer run without a line end
// is noise and is thrown away.
constexpr int kMaxPendingBytes = 64 * 1024;
constexpr int kClockTolerance = 30;
// The frames of one memory reply follow each other closely (a whole image
// takes some 150 ms at 115200 baud); a reply silent this long after its
// first frame lost the rest.
constexpr int kStaleReplyMs = 2000;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool parseHex(const QByteArray &text, quint32 &value)
{
    if (text.isEmpty() || text.size() > 8)
        return false;
    for (char c : text)
        if (!isHexDigit(c))
            return false;
    bool ok = false;
    value = text.toUInt(&ok, 16);
    return ok;
}

bool parseHexBytes(const QByteArray &text, QByteArray &bytes)
{
    if (text.size() % 2 != 0)
        return false;
    for (char c : text)
        if (!isHexDigit(c))
            return false;
    bytes = QByteArray::fromHex(text);
    return true;
}

void settlePassword(LoggerRecord &record, const CMainApp &app)
{
    const bool matches = app.takeTypedPassword(record);
    record.passwordAccepted = matches;
    record.ready = matches || record.opensWithoutPassword();
}

}

CGestionSerie::CGestionSerie()
    : now(processSteadyClock())
{
}

void CGestionSerie::dispatchReply(const QByteArray &bytes)
{
    pending.append(bytes);
    int offset = 0;
    while (offset < pending.size()) {
        if (rawRemaining > 0) {
            const int take = qMin(rawRemaining, pending.size() - offset);
            rawBlock.append(pending.constData() + offset, take);
            offset += take;
            rawRemaining -= take;
            if (rawRemaining == 0)
                rawBlockReady = true;
            continue;
        }
        const int end = pending.indexOf('\n', offset);
        if (end < 0)
            break;
        QByteArray line = pending.mid(offset, end - offset);
        offset = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        dispatchFrame(line);
    }
    pending.remove(0, offset);
    if (rawRemaining == 0 && pending.size() > kMaxPendingBytes)
        pending.clear();
}

void CGestionSerie::dispatchFrame(const QByteArray &line)
{
    // A frame is "." + two hex digits + payload; the wake line of dots and
    // noise are skipped.
    if (line.size() < 3 || line.at(0) != '.' || !isHexDigit(line.at(1)) || !isHexDigit(line.at(2)))
        return;
    const int code = line.mid(1, 2).toInt(nullptr, 16);
    const QByteArray payload = line.mid(3);
    quint32 value = 0;
    switch (code) {
    case Command::ReadMemory:
        onMemoryFrame(payload);
        break;
    case Command::WriteMemory:
        echoes << QString::fromLatin1(line);
        break;
    case Command::Clock:
        if (payload.size() == 8 && parseHex(payload, value))
            onClockFrame(value);
        break;
    case Command::AlarmStatus:
        if (payload.size() == 8 && parseHex(payload, value)) {
            LinkResult r;
            r.kind = LinkResult::AlarmStatus;
            r.value = value;
            post(r);
        }
        break;
    case Command::RawBlock:
        // Outside a download such a line is noise; taken as an announcement
        // it would swallow the replies behind it.
        if (downloadExpected && payload.size() == 4 && parseHex(payload, value)) {
            rawBlock.clear();
            rawRemaining = int(value);
            rawBlockReady = value == 0;
        }
        break;
    case Command::Download:
        onIndexFrame(payload);
        break;
    case Command::Commit:
    case Command::FactoryInit:
        if (payload.isEmpty())
            commandEchoes << code;
        break;
    default:
        break;   // wake, identify and the other echoes need nothing here
    }
}

void CGestionSerie::expectDownload()
{
    downloadExpected = true;
    download.fill(0, kMaxReadings);
    arrived.fill('\0', kMaxReadings);
    downloadReceived = 0;
}

void CGestionSerie::expectAlarmStatus()
{
    dropAlarmWordRead();
    downloadAlarmStatus.reset();
    expectMemory(AlarmStatus, 4, false);
    if (!expectations.isEmpty())
        expectations.last().alarmWord = true;
}

// The logger answers in turn: once the readings came, the word read ahead
// of them is not coming any more.
void CGestionSerie::dropAlarmWordRead()
{
    for (int i = expectations.size() - 1; i >= 0; --i)
        if (expectations.at(i).alarmWord)
            expectations.removeAt(i);
}

// The clock read before a set is the link's own: only the set's reply
// says what the logger's clock is.
void CGestionSerie::onClockFrame(quint32 value)
{
    const MeasuredClockSet::Answer answer = clockSet.take(value, now());
    if (answer.kind == MeasuredClockSet::Answer::Read)
        return;
    LinkResult r;
    r.kind = LinkResult::Clock;
    r.value = value;
    r.clockSet = answer.kind == MeasuredClockSet::Answer::Set;
    r.clockMoved = answer.moved;
    post(r);
}

void CGestionSerie::expectMemory(int address, int length, bool image)
{
    if (address < 0 || length <= 0 || address + length > ImageSize)
        return;
    Expectation e;
    e.address = address;
    e.length = length;
    e.image = image;
    e.data = QByteArray(length, '\0');
    e.covered = QByteArray(length, '\0');
    e.missing = length;
    e.nextAddress = address;
    expectations << e;
}

// ".03" address(4) data: a part of the memory. It fills the oldest
// outstanding request that covers it. The frames of one reply come in
// rising addresses, so a frame below the last one a request received starts
// a new reply: that request lost a frame and is dropped rather than
// completed with bytes of another reply; so is a request whose reply
// stopped coming for a while. An unrequested image (frames from
// address 0 with nothing asked) is taken as the logger's own image, but
// only after every request the link announced.
void CGestionSerie::onMemoryFrame(const QByteArray &payload)
{
    quint32 address = 0;
    QByteArray bytes;
    if (payload.size() < 4 || !parseHex(payload.left(4), address)
        || !parseHexBytes(payload.mid(4), bytes) || bytes.isEmpty())
        return;
    // No memory reaches past the image: such a frame is garbled, whatever
    // was asked.
    if (int(address) + bytes.size() > ImageSize)
        return;
    int i = requestFor(int(address), bytes.size());
    if (i < 0 && address == 0) {
        expectMemory(0, ImageSize, true);
        expectations.last().announced = false;
        i = expectations.size() - 1;
    }
    if (i < 0)
        return;
    Expectation &e = expectations[i];
    const int at = int(address) - e.address;
    for (int k = 0; k < bytes.size(); ++k) {
        e.data[at + k] = bytes.at(k);
        if (!e.covered.at(at + k)) {
            e.covered[at + k] = 1;
            --e.missing;
        }
    }
    e.nextAddress = int(address) + bytes.size();
    e.lastFrameMs = now();
    if (e.missing == 0 && e.alarmWord) {
        // the trip's alarms go with its readings, not into the image
        downloadAlarmStatus = ByteOrder::getBE32(e.data, 0);
        expectations.removeAt(i);
    } else if (e.missing == 0) {
        LinkResult r;
        r.kind = e.image ? LinkResult::Image : LinkResult::MemoryRead;
        r.address = e.address;
        r.data = e.data;
        post(r);
        expectations.removeAt(i);
    }
}

void CGestionSerie::forgetExpectedReplies()
{
    expectations.clear();
    clockSet.forget();
}

// Index of the request a frame of length bytes at address belongs to, -1
// when none; drops the requests whose reply the frame shows to be broken.
// A frame that goes on where a request stands (its first address, or the
// end of its last frame) is that request's before any other: an older
// request that merely covers the address may be one the logger never
// answered, and would take the bytes of the reply to a later one.
int CGestionSerie::requestFor(int address, int length)
{
    const auto covers = [address, length](const Expectation &e) {
        return address >= e.address && address + length <= e.address + e.length;
    };
    for (int i = 0; i < expectations.size();) {
        const Expectation &e = expectations.at(i);
        const bool started = e.nextAddress > e.address;
        if (covers(e) && (address < e.nextAddress || (started && now() - e.lastFrameMs > kStaleReplyMs)))
            expectations.removeAt(i);
        else
            ++i;
    }
    for (bool goesOn : { true, false })
        for (bool announced : { true, false })
            for (int i = 0; i < expectations.size(); ++i) {
                const Expectation &e = expectations.at(i);
                if (e.announced == announced && covers(e) && (!goesOn || address == e.nextAddress))
                    return i;
            }
    return -1;
}

// ".0F" index: the raw block just received starts at that reading. The
// last one carries the index FFFF (FFFFFFFF from firmware 0x115) followed
// by count, start, end and the roll-over offset.
void CGestionSerie::onIndexFrame(const QByteArray &payload)
{
    quint32 index = 0;
    if (payload.size() == 4 || payload.size() == 8) {
        if (parseHex(payload, index) && rawBlockReady && downloadExpected)
            storeBlock(index);
        rawBlockReady = false;
        rawBlock.clear();
        return;
    }
    if (downloadExpected && (payload.size() == 4 + 32 || payload.size() == 8 + 32))
        finishDownload(payload.right(32));
}

void CGestionSerie::storeBlock(quint32 index)
{
    const int count = rawBlock.size() / 2;
    const uchar *raw = reinterpret_cast<const uchar *>(rawBlock.constData());
    // Readings past the end of the array are dropped: the memory of a
    // logger never holds more, so they can only come from a bad index.
    for (int k = 0; k < count; ++k) {
        const quint64 at = quint64(index) + quint64(k);
        if (at >= quint64(kMaxReadings))
            break;
        download[int(at)] = quint16(raw[2 * k] << 8 | raw[2 * k + 1]);
        if (!arrived.at(int(at))) {
            arrived[int(at)] = 1;
            ++downloadReceived;
        }
    }
    LinkResult r;
    r.kind = LinkResult::DownloadProgress;
    r.value = quint32(downloadReceived);
    post(r);
}

// A download that misses any of the readings it announced is a failure:
// zeros in their place would pass for measurements. One whose alarm word
// went unanswered is kept: its readings are whole.
void CGestionSerie::finishDownload(const QByteArray &tail)
{
    quint32 count = 0, start = 0, end = 0, rollOffset = 0;
    if (!parseHex(tail.mid(0, 8), count) || !parseHex(tail.mid(8, 8), start)
        || !parseHex(tail.mid(16, 8), end) || !parseHex(tail.mid(24, 8), rollOffset))
        return;
    const int n = int(qMin<quint32>(count, quint32(kMaxReadings)));
    const int received = int(std::count(arrived.constBegin(), arrived.constBegin() + n, '\1'));
    LinkResult r;
    if (received < n) {
        r.kind = LinkResult::DownloadFailed;
        r.value = quint32(received);
        r.address = n;
    } else {
        QVector<quint16> readings = download.mid(0, n);
        // A roll-over memory is a ring: put the oldest reading first.
        r.wentRound = n > 0 && rollOffset % quint32(n) != 0;
        if (r.wentRound) {
            const int first = int(rollOffset % quint32(n));
            readings = readings.mid(first) + readings.mid(0, first);
        }
        r.kind = LinkResult::DownloadDone;
        r.readings = readings;
        r.start = start;
        r.end = end;
        r.alarmStatus = downloadAlarmStatus;
        if (!r.alarmStatus)
            qWarning("The logger did not give the alarm status of its download");
    }
    post(r);
    dropAlarmWordRead();
    downloadAlarmStatus.reset();
    download.clear();
    arrived.clear();
    downloadReceived = 0;
    downloadExpected = false;
    rawBlockReady = false;
    rawBlock.clear();
}

void CGestionSerie::post(const LinkResult &result)
{
    results << result;
}

QList<LinkResult> CGestionSerie::takeResults()
{
    QList<LinkResult> taken;
    taken.swap(results);
    return taken;
}

QStringList CGestionSerie::takeEchoes()
{
    QStringList taken;
    taken.swap(echoes);
    return taken;
}

QList<int> CGestionSerie::takeCommandEchoes()
{
    QList<int> taken;
    taken.swap(commandEchoes);
    return taken;
}

void CGestionSerie::applyResult(const LinkResult &result, int recordIndex, CMainApp &app)
{
    if (recordIndex < 0 || recordIndex >= app.records.size())
        return;
    LoggerRecord &record = app.records[recordIndex];
    WindowState *window = app.mainWindow;
    switch (result.kind) {
    case LinkResult::Image:
        ImageCodec::decode(result.data, record);
        record.writtenSinceRead.clear();   // the image tells what every write left
        settlePassword(record, app);
        if (window) {
            window->loggerTableDirty = true;
            window->showRecordPending = true;
            window->templateCheckPending = true;
        }
        break;
    case LinkResult::MemoryRead:
        if (result.address == 0 && result.data.size() == ImageSize) {
            record.eepromImage = result.data;
            record.eepromReadState = 1;
        } else {
            record.imageRead.replace(result.address, result.data.size(), result.data);
            if (record.writtenSinceRead.size() >= result.address + result.data.size())
                record.writtenSinceRead.replace(result.address, result.data.size(),
                                                QByteArray(result.data.size(), '\0'));
            ++record.memoryReadsArrived;
            if (window && result.address + result.data.size() > InternalTable)
                window->calibrationTablesDue = true;
        }
        break;
    case LinkResult::Clock: {
        if (result.clockSet)
            record.clockSetsSinceDownload.cameBack(result.clockMoved);
        record.loggerClockSeconds = result.value;
        record.loggerClock = LoggerTime::toDateTime(result.value);
        ++record.clockRepliesArrived;
        // Only the clock of the logger that was sent one settles its check:
        // the clock of another one (just plugged in, say) tells nothing of
        // whether this one took its transfer.
        if (window && window->clockCheckPending && record.recordId == window->clockCheckRecordId) {
            window->clockCheckPending = false;
            // a clock ahead of now is as wrong as one behind it
            const qint64 off = qint64(app.currentLoggerTime()) - qint64(result.value);
            if (qAbs(off) <= kClockTolerance || window->loggerTimeWrong)
                window->clockConfirmed = true;
        }
        break;
    }
    case LinkResult::AlarmStatus:
        record.alarmStatus = result.value;
        break;
    case LinkResult::DownloadProgress:
        break;   // the core turns it into the progress bar
    case LinkResult::DownloadDone: {
        const int kept =
            app.makeRoomForDownloadedTrip(recordIndex, { result.readings, result.start, result.wentRound, {} });
        LoggerRecord &downloaded = app.records[recordIndex];
        // a saved trip brought again without a reading more is in its file
        const bool nothingNew = kept >= 0 && !downloaded.unsavedReadings
                                && downloaded.trip().readings.mid(kept) == result.readings;
        if (result.alarmStatus)
            downloaded.alarmStatus = *result.alarmStatus;
        downloaded.alarmStatusUnknown = !result.alarmStatus;
        if (app.userAdmin->enabled)
            downloaded.downloadedBy = app.userAdmin->currentUserShortName();
        downloaded.keepDownloadAsTrip(result.readings, LoggerTime::toDateTime(result.start),
                                      LoggerTime::toDateTime(result.end), qMax(0, kept));
        // a trip that has not begun holds nothing to lose
        downloaded.unsavedReadings = !result.readings.isEmpty() && !nothingNew;
        downloaded.downloadRunning = false;
        if (window) {
            window->viewsDirty = true;
            window->loggerTableDirty = true;   // the row's alarm lights are the trip's
        }
        break;
    }
    case LinkResult::DownloadFailed:
        qWarning("Download from logger %s incomplete: %u of %d readings received; nothing kept",
                 qPrintable(record.serialNumber), result.value, result.address);
        record.downloadRunning = false;
        app.tellDownloadFailed(record);
        break;
    case LinkResult::WriteFailed:
        // Only the window knows what the transfer was (a programming is
        // tried again, an EEPROM or table write is not).
        record.eepromTask = 0;
        if (window)
            window->transferInProgress = false;
        break;
    case LinkResult::PortLost:
        record.disconnectRequested = true;
        break;
    }
}
