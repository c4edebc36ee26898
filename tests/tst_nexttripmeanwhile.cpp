// A box or a file chooser runs the window's timers: the logger's next trip
// may be downloaded while one is open, and set the trip it was opened for
// apart in a row of its own. What is saved, offered and closed is still
// what the user was asked about, and nothing comes in unoffered.
#include "support/testenv.h"

#include <QTemporaryDir>

#include "core/cgestionserie.h"
#include "files/cfilemanager.h"
#include "support/windowtest.h"

namespace {

const QVector<quint16> kFirstTrip{ 200, 201, 202, 203 };
const QVector<quint16> kNextTrip{ 300, 301 };

// A logger's row holding its first trip, downloaded and never saved.
struct Station : WindowTest::Harness
{
    Station()
    {
        LoggerRecord logger = WindowTest::loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("N-1"));
        logger.versionWord = 0x115;
        WindowTest::giveLoggerHeader(logger);
        logger.ready = true;
        addAndSelect(logger);
        download(kFirstTrip);
    }

    // The logger's readings, applied to its row as the window's timers do.
    void download(const QVector<quint16> &readings)
    {
        LinkResult done;
        done.kind = LinkResult::DownloadDone;
        done.readings = readings;
        done.start = 800000000u + readings.first();
        done.end = done.start + 60u * quint32(readings.size());
        CGestionSerie::applyResult(done, 0, *window.app);
    }

    // A program sent since the first trip's download makes what the logger
    // brings its next trip.
    void nextTripArrives()
    {
        records[0].programSentSinceDownload = true;
        download(kNextTrip);
    }

    // Answers the boxes in turn (Cancel when none is left), the next trip
    // arriving while the first is open; every chooser gets a file of its own,
    // of the type given.
    void answerBoxes(const QList<QMessageBox::StandardButton> &answers,
                     const QString &suffix = QStringLiteral("qlf"))
    {
        CPrompt::setBoxHandler([this, answers](CPrompt::Kind kind, const QString &text,
                                               QMessageBox::StandardButtons) {
            prompts.boxes.append({ kind, text });
            if (prompts.boxes.size() == 1)
                nextTripArrives();
            return answers.value(prompts.boxes.size() - 1, QMessageBox::Cancel);
        });
        CPrompt::setFileHandler([this, suffix](const QString &, const QString &, const QString &,
                                               const QString &) {
            chosen << homePath(QStringLiteral("chosen-%1.%2").arg(chosen.size()).arg(suffix));
            return QStringList{ chosen.last() };
        });
    }

    QStringList chosen;
};

QVector<quint16> readingsIn(const QString &path)
{
    LoggerRecord saved;
    QString error;
    if (!CFileManager::readDataFile(path, saved, false, &error))
        qWarning("%s: %s", qPrintable(path), qPrintable(error));
    return saved.readings.mid(0, saved.readingCount);
}

}

class TestNextTripMeanwhile : public QObject
{
    Q_OBJECT
private slots:
    // The file holds the trip its chooser was opened for, found in the row
    // it was kept apart into; a trip saved before is kept apart nowhere, and
    // nothing is written then.
    void aChooserWritesTheTripItWasOpenedFor_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("savedBefore");
        QTest::newRow("Save As") << true << false;
        QTest::newRow("Save asking for a name") << false << false;
        QTest::newRow("Save As of a trip saved before") << true << true;
    }
    void aChooserWritesTheTripItWasOpenedFor()
    {
        QFETCH(bool, saveAs);
        QFETCH(bool, savedBefore);
        Station s;
        QTemporaryDir folder;
        const QString before = folder.filePath(QStringLiteral("before.qlf"));
        if (savedBefore) {
            s.prompts.filesToChoose = QStringList{ before };
            s.ui->m_actionSaveAs->trigger();
            QVERIFY(!s.records.at(0).unsavedReadings);
        }
        const QString path = folder.filePath(QStringLiteral("chosen.qlf"));
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            s.nextTripArrives();
            return QStringList{ path };
        });
        (saveAs ? s.ui->m_actionSaveAs : s.ui->m_actionSave)->trigger();

        QCOMPARE(s.records.at(0).trip().readings, kNextTrip);
        QVERIFY(s.records.at(0).unsavedReadings);
        if (savedBefore) {
            QVERIFY(!QFile::exists(path));
            QCOMPARE(s.records.size(), 1);
            QCOMPARE(s.prompts.boxesContaining(QStringLiteral("next trip")), 1);
            QCOMPARE(readingsIn(before), kFirstTrip);
            return;
        }
        QVERIFY2(s.prompts.boxes.isEmpty(), qPrintable(s.prompts.boxes.value(0).text));
        QCOMPARE(readingsIn(path), kFirstTrip);
        QCOMPARE(s.records.size(), 2);
        QVERIFY(!s.records.at(1).unsavedReadings);
        QCOMPARE(s.records.at(1).fileName, path);
    }

    // Exit offers the trip that came while its question was open: after
    // Yes, the trip asked for goes to the first file and the next one is
    // asked for; No, or a TXT, CSV or PDF file, answers for the trip asked
    // for wherever it went since.
    void exitOffersTheTripThatCameMeanwhile()
    {
        Station s;
        s.window.show();
        s.answerBoxes({ QMessageBox::Yes, QMessageBox::Yes });
        QVERIFY(s.window.close());
        QCOMPARE(s.prompts.boxes.size(), 2);
        QCOMPARE(s.chosen.size(), 2);
        QCOMPARE(readingsIn(s.chosen.at(0)), kFirstTrip);
        QCOMPARE(readingsIn(s.chosen.at(1)), kNextTrip);
        for (const LoggerRecord &record : qAsConst(s.records))
            QVERIFY(!record.unsavedReadings);

        Station declining;
        declining.window.show();
        declining.answerBoxes({ QMessageBox::No, QMessageBox::No });
        QVERIFY(declining.window.close());
        QCOMPARE(declining.prompts.boxes.size(), 2);
        QCOMPARE(declining.records.size(), 2);

        for (const QString &suffix : { QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("pdf") }) {
            Station exporting;
            exporting.window.show();
            exporting.answerBoxes({ QMessageBox::Yes, QMessageBox::Yes }, suffix);
            QVERIFY2(exporting.window.close(), qPrintable(suffix));
            QCOMPARE(exporting.prompts.boxes.size(), 2);
            QCOMPARE(exporting.chosen.size(), 2);
            QVERIFY(QFile::exists(exporting.chosen.first()));
        }
    }

    // A comment being typed over the graph is for the trip shown: when the
    // logger's next trip comes meanwhile, it goes with that trip into the
    // row it was kept apart into, whether the views caught up with the next
    // trip before Save As or not, and the next trip's file has none of it.
    void aCommentBeingTypedStaysWithItsTrip()
    {
        for (bool viewsCaughtUp : { true, false }) {
            Station s;
            s.window.Timer();
            QTest::keyClicks(s.ui->m_lineEditComment, QStringLiteral("Door left open"));
            s.nextTripArrives();
            if (viewsCaughtUp) {
                s.window.Timer();
                QVERIFY(s.ui->m_lineEditComment->text().isEmpty());   // the next trip's own
            }
            s.prompts.filesToChoose = QStringList{ s.homePath(QStringLiteral("next.qlf")) };
            s.ui->m_actionSaveAs->trigger();
            QVERIFY(s.records.at(0).trip().comment.isEmpty());
            QCOMPARE(s.records.at(1).trip().readings, kFirstTrip);
            QCOMPARE(s.records.at(1).trip().comment, QStringLiteral("Door left open"));
        }
    }

    // Close All Files closes a file row that came while a question was
    // open, and offers its trip first.
    void closingAllFilesClosesTheRowThatCameMeanwhile()
    {
        Station s;
        LoggerRecord orphan = WindowTest::downloadedTrip(QStringLiteral("N-2"), { 1, 2 });
        orphan.fromFile = orphan.dataLoaded = orphan.unsavedReadings = true;
        s.records << orphan;
        s.answerBoxes({ QMessageBox::No, QMessageBox::Yes });
        s.ui->m_actionCloseAllFiles->trigger();
        QCOMPARE(s.prompts.boxes.size(), 2);
        QVERIFY(s.prompts.boxes.last().text.contains(QStringLiteral("N-1")));
        QCOMPARE(s.chosen.size(), 1);
        QCOMPARE(readingsIn(s.chosen.first()), kFirstTrip);
        QCOMPARE(s.records.size(), 1);
        QVERIFY(!s.records.first().fromFile);
    }
};

MIRELDA_TEST_MAIN(TestNextTripMeanwhile)
#include "tst_nexttripmeanwhile.moc"
