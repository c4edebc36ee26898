#include "support/testenv.h"

#include "core/clanguagetable.h"
#include "core/labelid.h"
#include "core/loggertime.h"
#include "dialogs/coption.h"
#include "files/cfilemanager.h"
#include "support/coretest.h"
#include "support/envguard.h"
#include "users/cuseradmin.h"

namespace {
QString readAll(const QString &path)
{
    return QString::fromUtf8(TestEnv::readFile(path));
}
}

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    // A first start on a machine without a settings folder.
    void firstStartWritesDefaults()
    {
        EnvGuard settingsDir("MIRELDA_SETTINGS_DIR", (TestEnv::home() + "/fresh/config").toLocal8Bit());
        {
            TestCore core;
            const QString text = readAll(core.app.settingsFilePath());
            QVERIFY(core.app.settingsFilePath().startsWith(TestEnv::home() + "/fresh/config/"));
            QVERIFY(text.startsWith("[SETTINGS]\r\n") && text.endsWith("\r\n\r\n"));
            QVERIFY(text.contains("MKT_ACTIVATION_ENERGY=83.144\r\n"));
            QVERIFY(text.contains("FIRST_INIT_LANGUAGE=1\r\n"));
            QVERIFY(text.indexOf("SMTP_PASSWORD=") > text.indexOf("USER_ADMIN_LOGOUT_TIME=3\r\n"));
        }
    }

    // Every value comes back; a file holding a mail password is its owner's
    // alone, and no password is built in for the default account.
    void roundTripKeepsEveryValue()
    {
        TestCore core;
        CMainApp &app = core.app;
        const QString path = TestEnv::settingsDir() + "roundtrip.ini";
        QVERIFY(app.fileManager->writeSettings(path));
        QVERIFY(QFileInfo(path).permissions() & QFileDevice::ReadGroup);   // nothing secret yet
        AppSettings &s = app.settings;
        s.graphBackground = QColor(1, 2, 3);
        s.histogramLineColor = QColor(250, 128, 7);
        s.graphLineThickness = 7;
        s.graphShowVGrid = false;
        s.defaultPath = "/data/loggers=trips";     // a value holding "="
        s.autoGenerateCsv = true;
        s.modeCelsius = 0;
        s.mktActivationEnergy = 95.5;
        s.timeZone = 5.5f;
        s.timeZoneIndex = 12;
        s.timeZoneDaylight = 2;
        s.dateFormat = 1;
        s.smtpServerAddress = "smtp.example.org";
        s.smtpUserName = "someone@example.org";
        s.smtpPassword = "p=ss;word";
        s.smtpSubject = "Trip report: été";
        s.smtpAttachedFiles = 9;
        s.lockDescription = true;
        app.languageTable->language = 5;
        app.languageTable->firstInitLanguage = 0;
        app.userAdmin->logoutMinutes = 0;
        QVERIFY(app.fileManager->writeSettings(path));
        QVERIFY(readAll(path).contains("TIME_ZONE=5.5\r\n"));
        QVERIFY(!(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                   | QFileDevice::ReadOther | QFileDevice::WriteOther)));

        // every value read back writes the same file again
        TestCore other;
        QVERIFY(other.app.fileManager->readSettings(path));
        QCOMPARE(other.app.settings.defaultPath, QString("/data/loggers=trips"));
        QCOMPARE(other.app.settings.smtpSubject, QString("Trip report: été"));
        QCOMPARE(other.app.settings.smtpPassword, QString("p=ss;word"));
        const QString again = TestEnv::settingsDir() + "again.ini";
        QVERIFY(other.app.fileManager->writeSettings(again));
        QCOMPARE(readAll(again), readAll(path));
        QVERIFY(!app.fileManager->writeSettings(TestEnv::settingsDir() + "missing-dir/xZdr.ini"));

        QVERIFY(TestEnv::writeFile(path, "[SETTINGS]\r\nSMTP_USER_NAME=" + DefaultMailAccount::address().toUtf8() + "\r\n"));
        other.app.settings.smtpPassword.clear();
        QVERIFY(other.app.fileManager->readSettings(path));
        QCOMPARE(other.app.settings.smtpPassword, QString());
    }

    // The zones one hour behind UTC are chosen zones like any other (the
    // unset mark of earlier files is the index -1, which no row has).
    void zonesOneHourBehindStayChosen()
    {
        const QStringList rows = COption::timeZoneRows();
        const QString path = TestEnv::settingsDir() + "behind.ini";
        for (const QString &row : { QStringLiteral("(GMT  -1:00) Azores"), QStringLiteral("(GMT  -1:00) Cape Verde") }) {
            const int index = rows.indexOf(row);
            QVERIFY(index > 0);
            TestCore core;
            core.app.settings.timeZone = COption::timeZoneOffset(row);
            core.app.settings.timeZoneIndex = index;
            QVERIFY(core.app.fileManager->writeSettings(path));
            TestCore next;
            QVERIFY(next.app.fileManager->readSettings(path));
            QCOMPARE(next.app.settings.timeZone, -1.0f);
            QCOMPARE(next.app.settings.timeZoneIndex, index);
        }
    }

    void oddValuesFallBack()
    {
        TestCore core;
        CMainApp &app = core.app;
        const QString path = TestEnv::settingsDir() + "odd.ini";
        QVERIFY(TestEnv::writeFile(path, "[SETTINGS]\nTIME_ZONE=-1\nTIME_ZONE_INDEX=-1\nLANGUAGE=9\nFIRST_INIT_LANGUAGE=x\n"
                                         "GRAPH_BACKGROUND=oops\nno separator here\n"));
        QVERIFY(app.fileManager->readSettings(path));
        QCOMPARE(app.settings.timeZone, 0.0f);
        QCOMPARE(app.settings.timeZoneIndex, 0);
        QCOMPARE(app.languageTable->language, 0);
        QCOMPARE(app.languageTable->firstInitLanguage, 0);
        QCOMPARE(app.settings.graphBackground, QColor(255, 255, 255));

        // the placeholder column, which no language choice offers, holds
        // no texts of its own: English, as a value out of range
        app.languageTable->language = 2;
        QVERIFY(TestEnv::writeFile(path, "[SETTINGS]\nTIME_ZONE=3\nTIME_ZONE_INDEX=-1\nLANGUAGE=4\n"));
        QVERIFY(app.fileManager->readSettings(path));
        QCOMPARE(app.settings.timeZone, 0.0f);
        QCOMPARE(app.settings.timeZoneIndex, 0);
        QCOMPARE(app.languageTable->language, 0);
        QCOMPARE(app.languageTable->text(LabelId::Program), QStringLiteral("Program"));

        // numbers no setting can mean keep what the setting had
        app.settings.timeZone = 2.0f;
        for (const char *energy : { "2147483648", "nan", "inf", "-5" }) {
            QVERIFY(TestEnv::writeFile(path, QByteArray("[SETTINGS]\nTIME_ZONE=nan\nTIME_ZONE_INDEX=4\n"
                                                        "MKT_ACTIVATION_ENERGY=")
                                                 + energy + "\nUSER_ADMIN_LOGOUT_TIME=35791395\n"));
            QVERIFY(app.fileManager->readSettings(path));
            QCOMPARE(app.settings.timeZone, 2.0f);
            QCOMPARE(app.settings.mktActivationEnergy, 83.144);
            QCOMPARE(app.userAdmin->logoutMinutes, 3);
        }
        // the longest time-out still counts down
        app.userAdmin->logoutMinutes = CUserAdmin::kMaxLogoutMinutes;
        app.userAdmin->resetLogoutCountdown();
        QVERIFY(app.userAdmin->logoutCountdown > 0);
    }

    void loggerTimeFollowsTheZoneRule()
    {
        TestCore core;
        CMainApp &app = core.app;
        app.settings.timeZoneIndex = 0;
        app.settings.timeZone = 9.0f;
        const qint64 local = LoggerTime::fromDateTime(QDateTime::currentDateTime());
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - local) <= 1);

        app.settings.timeZoneIndex = 3;
        app.settings.timeZone = -3.5f;
        app.settings.timeZoneDaylight = 0;
        const qint64 expected = LoggerTime::epoch().secsTo(QDateTime::currentDateTimeUtc()) - 12600;
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - expected) <= 1);
        app.settings.timeZoneDaylight = 2;
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - (expected + 3600)) <= 1);
    }

    void programScheduleStaysConsistent()
    {
        TestCore core;
        LoggerRecord r;
        r.channelCount = 2;
        r.interval = 60;
        r.memorySize = 768 + 2 * 1000;   // 1,000 readings behind the header
        r.hasHeader = true;
        r.startAt = QDateTime(QDate(2026, 6, 1), QTime(12, 0));
        core.app.records << r;
        LoggerRecord &rec = core.app.records[0];

        rec.duration = 3600;                          // one hour: 60 samples of 2 channels
        core.app.recalcProgramTiming(0, 0);
        QCOMPARE(rec.stopReadingCount, 120);
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(3600));
        rec.duration = 10 * 86400;                    // more than the memory holds
        core.app.recalcProgramTiming(0, 0);
        QCOMPARE(rec.stopReadingCount, 1000);
        QCOMPARE(rec.duration, quint32(500 * 60));   // what it holds
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(499 * 60));   // its last reading
        rec.stopReadingCount = 240;                   // from a count
        core.app.recalcProgramTiming(0, 1);
        QCOMPARE(rec.duration, quint32(7200));
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(7200));
        rec.stopAt = rec.startAt.addSecs(1800);       // from a stop time
        core.app.recalcProgramTiming(0, 4);
        QCOMPARE(rec.duration, quint32(1800));
        QCOMPARE(rec.stopReadingCount, 60);
        rec.stopReadingCount = -5;                    // a negative count is no duration
        core.app.recalcProgramTiming(0, 1);
        QCOMPARE(rec.duration, 0u);

        // no interval or no channel yet: taken as one second and one
        // channel rather than divided by
        rec.interval = 0;
        rec.channelCount = 0;
        rec.duration = 100;
        core.app.recalcProgramTiming(0, 0);
        QCOMPARE(rec.stopReadingCount, 100);
        rec.stopReadingCount = 50;
        core.app.recalcProgramTiming(0, 1);
        QCOMPARE(rec.duration, 50u);
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(50));
        core.app.recalcProgramTiming(5, 0);   // a bad index does nothing
        core.app.recalcProgramTiming(-1, 1);
        QCOMPARE(QList<qint64>({ rec.stopReadingCount, rec.duration }), QList<qint64>({ 50, 50 }));
    }
};

MIRELDA_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
