// Transfers to a logger cut at a chosen frame (the simulator goes silent
// after it, or loses it): what the logger holds afterwards, what the trail
// and the boxes say, and that the next command is answered.
#include "support/programstation.h"

#include <QScopeGuard>
#include <QMutexLocker>
#include <QRegularExpression>

#include "programming/programimage.h"
#include "support/testenv.h"
#include "support/useradmintest.h"

using namespace ProgramStation;

namespace {

// Ada, an administrator, is logged in for the rest of the test: the
// trail names what she did.
auto logInAda(Station &s)
{
    s.logInAda(UserStoreFile::user("bo", "Bo1pass", "2", UserRecord::RightDownload));
    return qScopeGuard([&s] { s.window.app->userAdmin->enabled = false; });
}

QString trailSince(int size)
{
    return UserStoreFile::auditOfToday().mid(size);
}

QStringList queuedFrames(Station &s)
{
    QMutexLocker lock(&s.link()->queueMutex);
    return s.link()->commandQueue;
}

}

class TestCutTransfer : public QObject
{
    Q_OBJECT
private slots:
    // The logger may hold part of what a cut transfer wrote while the page
    // still shows the program it held before: a program of that page
    // writes those bytes again at its first attempt, and is confirmed once
    // the logger's image holds it.
    void aProgramAfterACutOneWritesWhatThePageShows_data()
    {
        QTest::addColumn<QString>("cut");
        QTest::newRow("Factory Init whose image was lost") << "init";
        QTest::newRow("program cut after its first write frame") << "program";
    }
    void aProgramAfterACutOneWritesWhatThePageShows()
    {
        QFETCH(QString, cut);
        const QString serial = QStringLiteral("CUT-0001");
        Station s({ "--serial", serial });
        START_SELECTED(s);
        const auto loggedOut = logInAda(s);
        PROGRAM_CONFIRMED(s);   // the page holds what the logger holds
        const QString description = s.ui->m_lineEditLoggerDescription->text();
        const int trailBefore = UserStoreFile::auditOfToday().size();
        if (cut == QLatin1String("init")) {
            QVERIFY(s.sim.command(QStringLiteral("drop 0C")));
            s.ui->m_pushButtonFactoryInit->click();
            QTRY_VERIFY_WITH_TIMEOUT(trailSince(trailBefore).contains(QStringLiteral("Factory Init: ") + serial),
                                     kProgramMs);
            QCOMPARE(s.loggerImage().description, QString());
        } else {
            s.ui->m_lineEditLoggerDescription->setText(QString(24, QLatin1Char('Z')));
            QVERIFY(s.sim.command(QStringLiteral("silent after 1 04")));
            s.ui->m_actionProgram->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("Program unsuccessful")), 120000);
            QVERIFY(trailSince(trailBefore).contains(QStringLiteral("Configure failed: ") + serial));
            QVERIFY(s.sim.command(QStringLiteral("silent off")));
            QCOMPARE(s.loggerImage().description.left(16), QString(16, QLatin1Char('Z')));
            s.ui->m_lineEditLoggerDescription->setText(description);
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        s.prompts.boxes.clear();
        const int programBefore = UserStoreFile::auditOfToday().size();
        s.ui->m_actionProgram->trigger();
        // the first attempt writes the description again, though the page
        // shows what the logger held before the cut: the wake line's pause
        // keeps its frames queued this long
        QVERIFY(!queuedFrames(s).filter(QRegularExpression(QStringLiteral("^\\.040080"))).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), 60000);
        QVERIFY(trailSince(programBefore).contains(QStringLiteral("Configure: ") + serial));
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        QVERIFY(ProgramImage::holdsProgram(s.sim.memory(), s.window.loggerWriter.programImage()));
        QCOMPARE(s.loggerImage().description, description);
    }

    // Echoes that come back garbled make the program fail, though the
    // logger took its first frame: its image is read back.
    void aFailedProgramShowsWhatTheLoggerKept()
    {
        Station s({ "--serial", "ECHO-0001", "--bad-echo", "100000" });
        START_SELECTED(s);
        const QByteArray before = s.sim.memory();
        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Never confirmed"));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        s.ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("Program unsuccessful")), 60000);
        QVERIFY(s.sim.memory() != before);
        // what it holds once the image asked for after the box came back
        QTRY_VERIFY_WITH_TIMEOUT(s.record().imageRead == s.sim.memory(), kReplyMs);
    }

    // Sync's line in the trail follows the logger's answer, and a Sync the
    // logger lost leaves nothing awaited: the Read presses after it show
    // the clock they read.
    void syncSaysWhetherTheLoggerTookTheTime_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QString>("cut");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("box");
        const QStringList plain;
        QTest::newRow("answered") << plain << "" << ": " << "";
        QTest::newRow("silent logger") << plain << "silent on" << " failed: " << "did not answer the clock setting";
        QTest::newRow("cut between the clock read and the set")
            << plain << "silent after 1 06" << " failed: " << "did not answer the clock setting";
        QTest::newRow("clock that stays wrong")
            << QStringList{ "--clock-skew", "600" } << "" << " failed: " << "Logger Time/Date is wrong";
        QTest::newRow("unplugged after the set left")
            << plain << "silent after 1 06" << " not confirmed: " << "disconnected before the transfer ended";
    }
    void syncSaysWhetherTheLoggerTookTheTime()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(QString, cut);
        QFETCH(QString, outcome);
        QFETCH(QString, box);
        const QString serial = QStringLiteral("SYNC-0001");
        Station s(QStringList{ "--serial", serial, "--clock-offset", "-3600" } + simArguments);
        START_SELECTED(s);
        const auto loggedOut = logInAda(s);
        const bool unplug = outcome == QLatin1String(" not confirmed: ");
        if (!cut.isEmpty())
            QVERIFY(s.sim.command(cut));
        const int trailBefore = UserStoreFile::auditOfToday().size();
        const int setsBefore = s.link()->clockSetsSent;
        // the unplug, not the silence, ends the Sync
        if (unplug)
            s.window.loggerWriter.setClock([] { return qint64(0); });
        s.ui->m_pushButtonLoggerSyncTime->click();
        if (unplug) {
            QTRY_VERIFY_WITH_TIMEOUT(s.link()->clockSetsSent > setsBefore, kReplyMs);
            QVERIFY(s.sim.command(QStringLiteral("unplug")));
            QTRY_VERIFY_WITH_TIMEOUT(s.records.isEmpty(), kReplyMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QTRY_VERIFY_WITH_TIMEOUT(trailSince(trailBefore).contains(QStringLiteral("Sync Time") + outcome + serial),
                                 kReplyMs);
        QCOMPARE(trailSince(trailBefore).count(QStringLiteral("Sync Time")), 1);
        if (box.isEmpty())
            QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        else
            QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(box), kReplyMs);
        if (unplug)
            return;   // the logger is gone with its clock

        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        for (int press = 0; press < 2; ++press) {
            s.record().loggerClockSeconds = 0;
            s.ui->m_pushButtonLoggerReadTime->click();
            QTRY_VERIFY_WITH_TIMEOUT(s.record().loggerClockSeconds != 0, kReplyMs);
        }
        const qint64 off = qint64(s.record().loggerClockSeconds) - qint64(s.window.app->currentLoggerTime());
        QCOMPARE(qAbs(off) < 10, outcome == QLatin1String(": "));
    }

    // A protected logger whose image was lost on the way has not told its
    // password yet: neither Sync nor Download goes to it before its image.
    void aLoggerWhoseImageWasLostIsNotServed()
    {
        Station s({ "--serial", "LOST-0001", "--password", "4321", "--clock-offset", "-3600" });
        QVERIFY(s.plugInAndSelect(kFoundMs, QStringLiteral("drop 0C")));
        QVERIFY(s.record().awaitsImage());
        QVERIFY(!s.ui->m_actionDownload->isEnabled());
        s.window.on_m_actionDownload_triggered();
        s.window.on_m_pushButtonLoggerSyncTime_clicked();   // its button is off too
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("has not sent its settings yet")), 2);
        QVERIFY(!s.record().downloadRunning);

        s.window.on_m_tableWidgetLogger_doubleClicked(QModelIndex());   // asks for the image again
        QTRY_VERIFY_WITH_TIMEOUT(!s.record().awaitsImage(), kReplyMs);
        s.record().loggerClockSeconds = 0;
        s.ui->m_pushButtonLoggerReadTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().loggerClockSeconds != 0, kReplyMs);
        const qint64 off = qint64(s.record().loggerClockSeconds) - qint64(s.window.app->currentLoggerTime());
        QVERIFY2(qAbs(off + 3600) < 60, qPrintable(QString::number(off)));
    }

    // A Factory Init whose image the logger lost leaves no reply awaited
    // that would take the count the next one reads first.
    void theNextCommandAfterALostOneIsAnswered()
    {
        const QString serial = QStringLiteral("NEXT-0001");
        Station s({ "--serial", serial });
        START_SELECTED(s);
        const auto loggedOut = logInAda(s);
        QVERIFY(s.sim.command(QStringLiteral("drop 0C")));
        for (int press = 1; press <= 2; ++press) {
            s.prompts.boxes.clear();
            s.ui->m_pushButtonFactoryInit->click();
            QTRY_COMPARE_WITH_TIMEOUT(UserStoreFile::auditOfToday().count(QStringLiteral("Factory Init: ") + serial),
                                      press, kProgramMs);
            QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
            QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        }
    }
};

MIRELDA_TEST_MAIN(TestCutTransfer)
#include "tst_cuttransfer.moc"
