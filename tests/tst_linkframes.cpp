// Frames the link sends and the decoding of what a logger answers, without
// a port: the builders, reply assembly across reads, downloads, memory
// reads and the rules applied to the record.
#include "support/testenv.h"

#include "core/byteorder.h"
#include "core/cgestionserie.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "support/coretest.h"

namespace {

QByteArray rawBlock(int first, int count)
{
    QByteArray raw;
    for (int i = 0; i < count; ++i) {
        const quint16 word = quint16(first + i);
        raw += char(word >> 8);
        raw += char(word & 0xFF);
    }
    return ".10" + QByteArray::number(raw.size(), 16).toUpper().rightJustified(4, '0') + "\r\n" + raw;
}

QByteArray hex8(quint32 value)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(8, '0');
}

QByteArray lastReply(bool longIndex, quint32 count, quint32 start, quint32 end, quint32 roll)
{
    return ".0F" + QByteArray(longIndex ? 8 : 4, 'F') + hex8(count) + hex8(start) + hex8(end)
           + hex8(roll) + "\r\n";
}

// Feeds the decoder in pieces of the given size, as reads would split it.
void feed(CGestionSerie &decoder, const QByteArray &bytes, int piece)
{
    for (int at = 0; at < bytes.size(); at += piece)
        decoder.dispatchReply(bytes.mid(at, piece));
}

// ".03" frames of image from address over length bytes, 64 bytes each.
QByteArray memoryFrames(const QByteArray &image, int address, int length)
{
    QByteArray out;
    for (int at = address; at < address + length; at += 64)
        out += ".03" + QByteArray::number(at, 16).toUpper().rightJustified(4, '0')
               + image.mid(at, 64).toHex().toUpper() + "\r\n";
    return out;
}

QByteArray patternImage(int factor)
{
    QByteArray image(MemoryMap::ImageSize, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * factor);
    return image;
}

// A core holding one connected logger that the results are applied to.
struct OneLogger : TestCore
{
    OneLogger()
    {
        LoggerRecord record;
        record.portName = QStringLiteral("/dev/null");
        app.records << record;
    }
    const LoggerRecord &record() const { return app.records.at(0); }
};

LinkResult only(CGestionSerie &decoder, LinkResult::Kind kind)
{
    LinkResult found;
    found.kind = LinkResult::PortLost;
    const auto results = decoder.takeResults();
    for (const LinkResult &r : results)
        if (r.kind == kind)
            found = r;
    return found;
}

}

class TestLinkFrames : public QObject
{
    Q_OBJECT
private slots:

    void downloadAssembledAcrossReads_data()
    {
        QTest::addColumn<int>("piece");
        QTest::addColumn<bool>("longIndex");
        QTest::addColumn<int>("oldest");   // memory as a ring: the index of the oldest reading
        QTest::newRow("byte by byte, short index") << 1 << false << 0;
        QTest::newRow("odd pieces, long index") << 7 << true << 0;
        QTest::newRow("whole, rolled over") << 100000 << true << 3;
    }
    void downloadAssembledAcrossReads()
    {
        QFETCH(int, piece);
        QFETCH(bool, longIndex);
        QFETCH(int, oldest);
        const QByteArray index0 = longIndex ? "00000000" : "0000";
        const QByteArray index3 = longIndex ? "00000003" : "0003";
        QByteArray line = ".00\r\n" + rawBlock(0, 3) + ".0F" + index0 + "\r\n" + rawBlock(3, 2)
                          + ".0F" + index3 + "\r\n" + lastReply(longIndex, 5, 1000, 1240, quint32(oldest));
        // A raw block may hold bytes that look like line ends.
        line.replace(rawBlock(3, 2), rawBlock(0x0A0D, 2));
        CGestionSerie decoder;
        decoder.expectDownload();
        feed(decoder, line, piece);
        const LinkResult done = only(decoder, LinkResult::DownloadDone);
        const QVector<quint16> stored = { 0, 1, 2, 0x0A0D, 0x0A0E };
        QCOMPARE(done.readings, stored.mid(oldest) + stored.mid(0, oldest));
        QCOMPARE(done.wentRound, oldest != 0);
        QCOMPARE(done.start, 1000u);
        QCOMPARE(done.end, 1240u);
    }

    void blocksPastTheMemoryAreDropped()
    {
        CGestionSerie decoder;
        decoder.expectDownload();
        // the whole memory, the last block starting 2 readings before its
        // end, and a count too big
        decoder.dispatchReply(rawBlock(0, 32767) + ".0F00000000\r\n" + rawBlock(0, 32767)
                              + ".0F00007FFF\r\n" + rawBlock(7, 4) + ".0F0000FFFE\r\n"
                              + rawBlock(1, 2) + ".0F00FFFFFF\r\n" + lastReply(true, 0x20000, 0, 0, 0));
        const LinkResult done = only(decoder, LinkResult::DownloadDone);
        QCOMPARE(done.readings.size(), kMaxReadings);
        QCOMPARE(done.readings.at(65534), quint16(7));
        QCOMPARE(done.readings.at(65535), quint16(8));
        QCOMPARE(done.readings.at(32767), quint16(0));
        QCOMPARE(done.readings.at(32766), quint16(32766));
    }

    void anIncompleteDownloadFails()
    {
        CGestionSerie decoder;
        decoder.expectDownload();
        decoder.dispatchReply(rawBlock(10, 3) + ".0F0000\r\n" + rawBlock(13, 2) + ".0F0003\r\n"
                              + lastReply(false, 5, 0, 0, 0));
        QCOMPARE(only(decoder, LinkResult::DownloadDone).readings.size(), 5);

        // the next download's last block comes one reading short: neither a
        // zero nor the reading of the one before fills the gap
        decoder.expectDownload();
        decoder.dispatchReply(rawBlock(20, 3) + ".0F0000\r\n" + rawBlock(23, 1) + ".0F0003\r\n"
                              + lastReply(false, 5, 0, 0, 0));
        const auto results = decoder.takeResults();
        QCOMPARE(results.last().kind, LinkResult::DownloadFailed);
        QCOMPARE(results.last().value, 4u);
        for (const LinkResult &r : results)
            QVERIFY(r.kind != LinkResult::DownloadDone);

        // the record keeps what it held
        OneLogger core;
        core.app.records[0].readings = { 1, 2 };
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("incomplete")));
        CGestionSerie::applyResult(results.last(), 0, core.app);
        QVERIFY(!core.record().dataLoaded);
        QCOMPARE(core.record().readings, QVector<quint16>({ 1, 2 }));
        QVERIFY(!core.window.viewsDirty);
        QVERIFY(core.window.downloadFailed);   // the user is told
    }

    // The alarm word read from the logger's memory ahead of a download is
    // the trip's; readings that all came are kept without it, their status
    // not known. A reply to the jig's 0x0B is not taken for it.
    void aDownloadCarriesTheAlarmWordReadBeforeIt_data()
    {
        QTest::addColumn<QByteArray>("wordReply");
        QTest::addColumn<int>("status");   // -1: not known
        QTest::newRow("answered") << QByteArray(".03002C0000001E\r\n") << 0x1E;
        QTest::newRow("not answered") << QByteArray() << -1;
        QTest::newRow("the jig's command answered") << QByteArray(".0B0000001E\r\n") << -1;
    }
    void aDownloadCarriesTheAlarmWordReadBeforeIt()
    {
        QFETCH(QByteArray, wordReply);
        QFETCH(int, status);
        CGestionSerie decoder;
        decoder.expectAlarmStatus();
        decoder.dispatchReply(wordReply);
        decoder.expectDownload();
        if (status < 0)
            QTest::ignoreMessage(QtWarningMsg, "The logger did not give the alarm status of its download");
        decoder.dispatchReply(rawBlock(10, 2) + ".0F0000\r\n" + lastReply(false, 2, 0, 60, 0));
        const LinkResult done = only(decoder, LinkResult::DownloadDone);
        QCOMPARE(done.readings.size(), 2);
        QCOMPARE(done.alarmStatus.has_value(), status >= 0);
        QCOMPARE(int(done.alarmStatus.value_or(0)), qMax(0, status));
        // the next download does not inherit it
        decoder.expectDownload();
        QTest::ignoreMessage(QtWarningMsg, "The logger did not give the alarm status of its download");
        decoder.dispatchReply(rawBlock(10, 2) + ".0F0000\r\n" + lastReply(false, 2, 0, 60, 0));
        QVERIFY(!only(decoder, LinkResult::DownloadDone).alarmStatus);
    }

    // A clock set and the reads ahead of it, step by step: "r" a read sent,
    // "g" given up, "s" the set to 1600 sent, "w" a wait of 2.5 s, "f" the
    // transfer failed, a number a clock reply. Each reply answers what the
    // logger answered: a missed read nothing, a late one before the set, the
    // set with the clock it set; a read of its own once the logger lost them.
    void aClockSetsReplyAnswersTheSet_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<quint32>("value");   // of the one reply the window gets
        QTest::addColumn<bool>("isSet");
        QTest::addColumn<int>("moved");   // -1: not known
        QTest::newRow("read answered") << "r 1000 s 1600" << 1600u << true << 600;
        QTest::newRow("read missed") << "r g s 1600" << 1600u << true << -1;
        QTest::newRow("read missed, then answered") << "r g r 1000 s 1600" << 1600u << true << 600;
        QTest::newRow("read answered late") << "r g s 1000 1601" << 1601u << true << 600;
        QTest::newRow("no set: a read of its own") << "1234" << 1234u << false << -1;
        QTest::newRow("set lost: a later read is its own") << "r g r g s w 1234" << 1234u << false << -1;
        QTest::newRow("set lost, its transfer failed") << "r g r g s f 1234" << 1234u << false << -1;
    }
    void aClockSetsReplyAnswersTheSet()
    {
        QFETCH(QString, steps);
        QFETCH(quint32, value);
        QFETCH(bool, isSet);
        QFETCH(int, moved);
        CGestionSerie decoder;
        qint64 nowMs = 1000;
        decoder.setClock([&nowMs] { return nowMs; });
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("r"))
                decoder.expectClockRead();
            else if (step == QLatin1String("w"))
                nowMs += 2500;
            else if (step == QLatin1String("f"))
                decoder.forgetExpectedReplies();
            else if (step == QLatin1String("g"))
                decoder.giveUpClockRead();
            else if (step == QLatin1String("s"))
                decoder.expectClockSet(1600);
            else
                decoder.dispatchReply(".06" + hex8(step.toUInt()) + "\r\n");
        }
        const auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().value, value);
        QCOMPARE(results.first().clockSet, isSet);
        QCOMPARE(results.first().clockMoved.value_or(-1), qint64(moved));
    }

    // Noise, unknown frames and stray block announcements outside a
    // download are passed over.
    void blockAnnouncementsCountOnlyDuringADownload()
    {
        CGestionSerie decoder;
        decoder.dispatchReply("garbage\r\n.....\r\n.ZZ12\r\n.06XYZ\r\n.10FFFF\r\n.0612345678\r\n"
                              + lastReply(false, 0, 0, 0, 0));
        auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().kind, LinkResult::Clock);
        QCOMPARE(results.first().value, 0x12345678u);

        decoder.expectDownload();
        decoder.dispatchReply(rawBlock(40, 2) + ".0F0000\r\n" + lastReply(false, 2, 0, 0, 0));
        QCOMPARE(only(decoder, LinkResult::DownloadDone).readings, QVector<quint16>({ 40, 41 }));
        // the download is over: the next stray line is noise again
        decoder.dispatchReply(".10FFFF\r\n.0612345678\r\n");
        QCOMPARE(only(decoder, LinkResult::Clock).value, 0x12345678u);
    }

    void memoryRepliesGoToTheirRequest()
    {
        const QByteArray image = patternImage(3);
        auto frames = [&image](int address, int length) { return memoryFrames(image, address, length); };
        CGestionSerie decoder;
        decoder.expectMemory(0x100, 0x100, false);
        decoder.dispatchReply(frames(0x100, 0x80));
        QVERIFY(decoder.takeResults().isEmpty());   // not complete yet
        decoder.dispatchReply(frames(0x180, 0x80));
        const auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().address, 0x100);
        QCOMPARE(results.first().data, image.mid(0x100, 0x100));
    }

    // A reply that lost a frame, or stopped coming, is not completed by a
    // later one.
    void aBrokenReplyIsNotCompletedLater()
    {
        const QByteArray first = patternImage(3);
        const QByteArray second = patternImage(7);
        CGestionSerie decoder;
        decoder.expectMemory(0, 0x300, true);
        QByteArray lossy = memoryFrames(first, 0, 0x300);
        lossy.remove(lossy.indexOf(".030040"), lossy.indexOf(".030080") - lossy.indexOf(".030040"));
        decoder.dispatchReply(lossy);
        QVERIFY(decoder.takeResults().isEmpty());

        decoder.expectMemory(0, 0x300, true);
        decoder.dispatchReply(memoryFrames(second, 0, 0x300));
        const auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().kind, LinkResult::Image);
        QCOMPARE(results.first().data, second);

        // the same with a partial read after a broken one
        decoder.expectMemory(0x100, 0x100, false);
        decoder.dispatchReply(memoryFrames(first, 0x100, 0x40));
        decoder.expectMemory(0x100, 0x100, false);
        decoder.dispatchReply(memoryFrames(second, 0x100, 0x100));
        QCOMPARE(only(decoder, LinkResult::MemoryRead).data, second.mid(0x100, 0x100));
    }

    // A reply to the whole image that pauses before its last frame: a short
    // pause is a slow logger and the reply is completed; after a long one
    // its rest is lost, and a later read of that last part alone gets its
    // own bytes.
    void aStalledReplyIsDroppedByTheClock_data()
    {
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<bool>("completed");
        QTest::newRow("slow logger") << 1500 << true;
        QTest::newRow("stopped logger") << 2500 << false;
    }
    void aStalledReplyIsDroppedByTheClock()
    {
        QFETCH(int, pauseMs);
        QFETCH(bool, completed);
        const QByteArray first = patternImage(3);
        const QByteArray second = patternImage(7);
        qint64 nowMs = 1000;
        CGestionSerie decoder;
        decoder.setClock([&nowMs] { return nowMs; });
        decoder.expectMemory(0, 0x300, false);
        decoder.dispatchReply(memoryFrames(first, 0, 0x2C0));
        nowMs += pauseMs;
        decoder.expectMemory(0x2C0, 0x40, false);
        decoder.dispatchReply(memoryFrames(second, 0x2C0, 0x40));
        const auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        if (completed) {
            QCOMPARE(results.first().address, 0);
            QCOMPARE(results.first().data, first.left(0x2C0) + second.mid(0x2C0, 0x40));
        } else {
            QCOMPARE(results.first().address, 0x2C0);
            QCOMPARE(results.first().data, second.mid(0x2C0, 0x40));
        }
    }

    void strayMemoryFramesDoNotCaptureALaterRead_data()
    {
        QTest::addColumn<int>("strayAddress");
        QTest::newRow("stray frame at 0") << 0;
        QTest::newRow("stray frame inside the read") << 0x140;
    }
    void strayMemoryFramesDoNotCaptureALaterRead()
    {
        QFETCH(int, strayAddress);
        const QByteArray image = patternImage(5);
        CGestionSerie decoder;
        decoder.dispatchReply(memoryFrames(patternImage(11), strayAddress, 0x40));
        QVERIFY(decoder.takeResults().isEmpty());
        decoder.expectMemory(0x100, 0x100, false);
        decoder.dispatchReply(memoryFrames(image, 0x100, 0x100));
        const auto results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().kind, LinkResult::MemoryRead);
        QCOMPARE(results.first().address, 0x100);
        QCOMPARE(results.first().data, image.mid(0x100, 0x100));

        // an image the logger sends unasked is still taken
        decoder.dispatchReply(memoryFrames(image, 0, 0x300));
        QCOMPARE(only(decoder, LinkResult::Image).data, image);

        // a frame longer than what was asked, or than the image, is dropped
        decoder.dispatchReply(".030000" + QByteArray(800, 'Z').toHex() + "\r\n");
        decoder.expectMemory(0x100, 0x40, false);
        decoder.dispatchReply(".030100" + QByteArray(0x80, 'Z').toHex() + "\r\n");
        QVERIFY(decoder.takeResults().isEmpty());
    }

    void clockCheck_data()
    {
        QTest::addColumn<int>("behind");
        QTest::addColumn<bool>("timeWrong");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("exact") << 0 << false << true;
        QTest::newRow("30 s behind") << 30 << false << true;
        QTest::newRow("10 s ahead") << -10 << false << true;
        QTest::newRow("8 min ahead") << -500 << false << false;   // as wrong as behind
        QTest::newRow("2 min behind") << 120 << false << false;
        QTest::newRow("2 min behind, time wrong set") << 120 << true << true;
    }
    void clockCheck()
    {
        QFETCH(int, behind);
        QFETCH(bool, timeWrong);
        OneLogger core;
        core.window.clockCheckRecordId = core.record().recordId;
        core.window.clockCheckPending = true;
        core.window.loggerTimeWrong = timeWrong;
        LinkResult clock;
        clock.kind = LinkResult::Clock;
        // a second of margin for the clock ticking during the test
        clock.value = core.app.currentLoggerTime() - quint32(behind) + (behind == 30 ? 1 : 0);
        CGestionSerie::applyResult(clock, 0, core.app);
        QTEST(core.window.clockConfirmed.load(), "confirmed");
        QVERIFY(!core.window.clockCheckPending);
        QCOMPARE(core.record().loggerClockSeconds, clock.value);
        QCOMPARE(core.record().loggerClock, LoggerTime::toDateTime(clock.value));

        // without a pending check the clock is only stored
        core.window.clockConfirmed = false;
        CGestionSerie::applyResult(clock, 0, core.app);
        QVERIFY(!core.window.clockConfirmed);
    }

    // Two loggers: the one being written waits for its clock while the
    // other's clock comes in first.
    void onlyTheWrittenLoggersClockSettlesItsCheck()
    {
        OneLogger core;
        LoggerRecord other;
        other.portName = QStringLiteral("/dev/zero");
        core.app.records << other;
        core.window.clockCheckRecordId = core.record().recordId;
        core.window.clockCheckPending = true;
        LinkResult clock;
        clock.kind = LinkResult::Clock;

        // a logger that was never set, plugged in meanwhile
        clock.value = core.app.currentLoggerTime() - 3600;
        CGestionSerie::applyResult(clock, 1, core.app);
        QVERIFY(core.window.clockCheckPending);
        QVERIFY(!core.window.clockConfirmed);
        QCOMPARE(core.app.records.at(1).loggerClockSeconds, clock.value);

        // a right clock of the other logger confirms nothing either
        clock.value = core.app.currentLoggerTime();
        CGestionSerie::applyResult(clock, 1, core.app);
        QVERIFY(core.window.clockCheckPending);
        QVERIFY(!core.window.clockConfirmed);

        CGestionSerie::applyResult(clock, 0, core.app);
        QVERIFY(!core.window.clockCheckPending);
        QVERIFY(core.window.clockConfirmed);
    }

    // The simulator's tests cover a logger without a password and one that
    // waits for it; one that lets itself be read without is only here.
    void readableWithoutPasswordIsReadyButNotAccepted()
    {
        OneLogger core;
        core.app.enteredLoggerPassword = 1;
        LinkResult result;
        result.kind = LinkResult::Image;
        result.data = QByteArray(MemoryMap::ImageSize, '\0');
        ByteOrder::putBE16(result.data, MemoryMap::Version, 0x115);
        ByteOrder::putBE32(result.data, MemoryMap::Password, PasswordBits::Marker | PasswordBits::ReadWithout | 4321);
        CGestionSerie::applyResult(result, 0, core.app);
        QVERIFY(core.record().ready && !core.record().passwordAccepted);
    }

    void eepromReadIsNotTakenForTheImage()
    {
        OneLogger core;
        LinkResult result;
        result.kind = LinkResult::Image;   // a new record's first image
        result.data = QByteArray(MemoryMap::ImageSize, '\x5A');
        ByteOrder::putBE16(result.data, MemoryMap::Version, 0x114);
        CGestionSerie::applyResult(result, 0, core.app);
        QCOMPARE(core.record().eepromReadState, 0);
        QCOMPARE(core.record().versionWord, quint16(0x114));
        result.kind = LinkResult::MemoryRead;
        CGestionSerie::applyResult(result, 0, core.app);
        QCOMPARE(core.record().eepromReadState, 1);
        QCOMPARE(core.record().eepromImage, result.data);
    }
};

MIRELDA_TEST_MAIN(TestLinkFrames)
#include "tst_linkframes.moc"
