// Downloads against the logger simulator that fail or are cut: the trail
// says so in the name of the user who asked, the box names the logger, and
// the bar shows the logger of the current row. A logger that leaves the
// jig's alarm command unanswered is downloaded all the same.
#include "support/programstation.h"

#include <QScopeGuard>

#include "core/byteorder.h"

using namespace ProgramStation;

namespace {

constexpr int kDownloadMs = 20000;

QString failedLine(const QString &serial)
{
    return QStringLiteral("Download failed, nothing kept: ") + serial;
}

}

class TestDownloadFailure : public QObject
{
    Q_OBJECT
private slots:
    // 0x0B is the jig's: the trip's alarms come from the logger's memory.
    void aLoggerLeavingTheJigCommandUnansweredIsDownloaded()
    {
        Station s({ "--serial", "JIG-0001", "--readings", "600", "--sensors", "5", "--no-0b" });
        START_SELECTED(s);
        DOWNLOAD_RUNS(s);
        QCOMPARE(s.record().trip().readingCount, 600);
        const quint32 held = ByteOrder::getBE32(s.sim.memory(), MemoryMap::AlarmStatus);
        QVERIFY(held & AlarmStatusBits::HH);
        QCOMPARE(s.record().trip().alarmStatus, held);
        QTRY_COMPARE_WITH_TIMEOUT(WindowTest::alarmLights(s.ui, 0), (QStringList{ "H", "HH" }), kReplyMs);
        QVERIFY(s.prompts.boxes.isEmpty());
    }

    void aDownloadThatFailsIsInTheTrail_data()
    {
        QTest::addColumn<QString>("cut");
        QTest::newRow("unplugged midway") << "unplug midway";
        QTest::newRow("silent, then unplugged") << "silent";
        QTest::newRow("logout while it waits") << "logout";
    }
    void aDownloadThatFailsIsInTheTrail()
    {
        QFETCH(QString, cut);
        const QString serial = QStringLiteral("CUT-0001");
        const bool midway = cut == QLatin1String("unplug midway");
        Station s({ "--serial", serial, "--readings", midway ? "20000" : "300" }, midway);
        START_SELECTED(s);
        CUserAdmin *users = s.logInAda(UserStoreFile::user("dora", "Dora1pass", "8", UserRecord::RightDownload));
        const auto off = qScopeGuard([users] { users->enabled = false; });
        const int trailBefore = UserStoreFile::auditOfToday().size();
        QProgressBar *bar = s.ui->m_progressBarWrite;
        if (!midway)
            QVERIFY(s.sim.command(QStringLiteral("silent on")));
        s.ui->m_actionDownload->trigger();
        if (midway) {
            QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0, kDownloadMs);
        } else {
            // nothing comes: the bar says what it waits for
            QTRY_VERIFY_WITH_TIMEOUT(bar->text().contains(QStringLiteral("Waiting for logger ") + serial), kReplyMs);
        }
        if (cut == QLatin1String("logout")) {
            s.logOutFor(false, { "dora", "Dora1pass" });
            QTRY_COMPARE_WITH_TIMEOUT(users->currentUserLogin(), QStringLiteral("dora"), kReplyMs);
        } else {
            QVERIFY(s.sim.command(QStringLiteral("unplug")));
            QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("Logger: ") + serial), kReplyMs);
        }
        if (cut != QLatin1String("logout"))
            QTRY_VERIFY_WITH_TIMEOUT(s.records.isEmpty(), kReplyMs);
        const QString trail = UserStoreFile::auditOfToday().mid(trailBefore);
        QCOMPARE(trail.count(QStringLiteral("Downloaded logger: ") + serial), 1);
        QVERIFY2(trail.count(failedLine(serial)) == 1, qPrintable(trail));
        QVERIFY(trail.contains(QStringLiteral("User: Ada Test\r\n") + failedLine(serial)));
        QVERIFY(trail.indexOf(failedLine(serial)) > trail.indexOf(QStringLiteral("Downloaded logger: ")));
        if (cut == QLatin1String("logout")) {
            // the leaving user's, before her logout; the next one is told nothing
            QVERIFY(trail.indexOf(failedLine(serial)) < trail.indexOf(QStringLiteral("\nLogout")));
            QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("nothing was kept")));
        }
    }

    // Two loggers, one gone silent: its failure is told by its own name,
    // while the bar keeps showing the sound logger selected.
    void aFailureBoxNamesItsLoggerAndLeavesTheBarToTheRowShown()
    {
        Station s({ "--serial", "SND-0001", "--readings", "300" });
        START_SELECTED(s);
        LoggerSimProcess silent({ "--serial", "SIL-0002", "--readings", "300" });
        QVERIFY(silent.start());
        LoggerSimProcess::exposePorts({ s.sim.ptyPath(), silent.ptyPath() });
        QTableWidget *table = s.ui->m_tableWidgetLogger;
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, kFoundMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.records.at(1).loggerClockSeconds != 0, kReplyMs);
        QProgressBar *bar = s.ui->m_progressBarWrite;

        DOWNLOAD_RUNS(s);
        QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 100, kReplyMs);
        table->setCurrentCell(1, 0);
        QTRY_VERIFY_WITH_TIMEOUT(s.records.at(1).ready && s.ui->m_actionDownload->isEnabled(), kReplyMs);
        QCOMPARE(bar->value(), 0);   // the second logger has downloaded nothing yet
        QVERIFY(silent.command(QStringLiteral("silent on")));
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(bar->text().contains(QStringLiteral("SIL-0002")), kReplyMs);

        table->setCurrentCell(0, 0);
        QCOMPARE(bar->value(), 100);
        QVERIFY(!bar->text().contains(QStringLiteral("SIL-0002")));
        QVERIFY(silent.command(QStringLiteral("unplug")));
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("nothing was kept")), kReplyMs);
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("Logger: SIL-0002")), 1);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("SND-0001")));
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(bar->value(), 100);
        QVERIFY(s.record().dataLoaded);
    }
};

MIRELDA_TEST_MAIN(TestDownloadFailure)
#include "tst_downloadfailure.moc"
