#include "support/testenv.h"

#include <QFile>
#include <QFileInfo>

#include "app/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "core/windowstate.h"
#include "files/cfilemanager.h"
#include "users/cuseradmin.h"

namespace {
QString readAll(const QString &path)
{
    return QString::fromUtf8(TestEnv::readFile(path));
}
void writeAll(const QString &path, const QByteArray &bytes)
{
    QVERIFY(TestEnv::writeFile(path, bytes));
}
}

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void firstStartWritesDefaults()
    {
        QFile::remove(TestEnv::settingsDir() + "xZdr.ini");
        WindowState w;
        CMainApp app(&w);
        const QString text = readAll(app.settingsFilePath());
        QVERIFY(text.startsWith("[SETTINGS]\r\n"));
        QVERIFY(text.contains("GRAPH_THRESHOLD_HH=200=0=0\r\n"));
        QVERIFY(text.contains("MKT_ACTIVATION_ENERGY=83.144\r\n"));
        QVERIFY(text.contains("SMTP_SERVER_PORT=465\r\n"));
        QVERIFY(text.contains("FIRST_INIT_LANGUAGE=1\r\n"));
        QVERIFY(text.contains("USER_ADMIN_LOGOUT_TIME=3\r\n"));
        QVERIFY(text.endsWith("\r\n\r\n"));
        QVERIFY(text.indexOf("SMTP_PASSWORD=") > text.indexOf("USER_ADMIN_LOGOUT_TIME="));
        QCOMPARE(app.settings.showHelp, true);
        QCOMPARE(app.settings.multiLinkSyncElapsedTime, true);
    }

    void roundTripKeepsEveryValue()
    {
        WindowState w;
        CMainApp app(&w);
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
        const QString path = TestEnv::settingsDir() + "roundtrip.ini";
        QVERIFY(app.fileManager->writeSettings(path));

        const QString text = readAll(path);
        QVERIFY(text.indexOf("SMTP_PASSWORD=") > text.indexOf("USER_ADMIN_LOGOUT_TIME="));
        QVERIFY(text.contains("TIME_ZONE=5.5\r\n"));

        // every value read back writes the same file again
        WindowState w2;
        CMainApp other(&w2);
        QVERIFY(other.fileManager->readSettings(path));
        QCOMPARE(other.settings.defaultPath, QString("/data/loggers=trips"));
        QCOMPARE(other.settings.smtpSubject, QString("Trip report: été"));
        const QString again = TestEnv::settingsDir() + "again.ini";
        QVERIFY(other.fileManager->writeSettings(again));
        QCOMPARE(readAll(again), text);
    }

    // No password is built in: the default account's password is the user's
    // and is kept like any other, in a file only its owner may read.
    void mailPasswordIsKeptForItsOwnerOnly()
    {
        WindowState w;
        CMainApp app(&w);
        const QString path = TestEnv::settingsDir() + "account.ini";
        QVERIFY(app.fileManager->writeSettings(path));
        QVERIFY(QFileInfo(path).permissions() & QFileDevice::ReadGroup);   // nothing secret yet

        app.settings.smtpUserName = DefaultMailAccount::address();
        app.settings.smtpPassword = "typed by the user";
        QVERIFY(app.fileManager->writeSettings(path));
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QVERIFY(QFileInfo(path).permissions() & QFileDevice::ReadOwner);
        QVERIFY(!(QFileInfo(path).permissions() & others));

        WindowState w2;
        CMainApp other(&w2);
        QVERIFY(other.fileManager->readSettings(path));
        QCOMPARE(other.settings.smtpPassword, QString("typed by the user"));

        writeAll(path, "[SETTINGS]\r\nSMTP_USER_NAME=" + DefaultMailAccount::address().toUtf8() + "\r\n");
        other.settings.smtpPassword.clear();
        QVERIFY(other.fileManager->readSettings(path));
        QCOMPARE(other.settings.smtpPassword, QString());
    }

    void oddValuesFallBack()
    {
        WindowState w;
        CMainApp app(&w);
        const QString path = TestEnv::settingsDir() + "odd.ini";
        writeAll(path, "[SETTINGS]\nTIME_ZONE=-1\nTIME_ZONE_INDEX=7\nLANGUAGE=9\nFIRST_INIT_LANGUAGE=x\n"
                       "GRAPH_BACKGROUND=oops\nno separator here\n");
        QVERIFY(app.fileManager->readSettings(path));
        QCOMPARE(app.settings.timeZone, 0.0f);
        QCOMPARE(app.settings.timeZoneIndex, 0);
        QCOMPARE(app.languageTable->language, 0);
        QCOMPARE(app.languageTable->firstInitLanguage, 0);
        QCOMPARE(app.settings.graphBackground, QColor(255, 255, 255));

        writeAll(path, "[SETTINGS]\nTIME_ZONE=3\nTIME_ZONE_INDEX=-1\nLANGUAGE=4\n");
        QVERIFY(app.fileManager->readSettings(path));
        QCOMPARE(app.settings.timeZone, 0.0f);
        QCOMPARE(app.settings.timeZoneIndex, 0);
        QCOMPARE(app.languageTable->language, 4);

        // numbers no setting can mean keep what the setting had
        app.settings.timeZone = 2.0f;
        for (const char *energy : { "2147483648", "nan", "inf", "-5" }) {
            writeAll(path, QByteArray("[SETTINGS]\nTIME_ZONE=nan\nTIME_ZONE_INDEX=4\nMKT_ACTIVATION_ENERGY=")
                               + energy + "\nUSER_ADMIN_LOGOUT_TIME=35791395\n");
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

    void languageFromTheSettingsFile()
    {
        WindowState w;
        CMainApp app(&w);
        QCOMPARE(app.languageTable->text(0), QString("Program"));
        const QString path = TestEnv::settingsDir() + "german.ini";
        writeAll(path, "[SETTINGS]\r\nLANGUAGE=5\r\n");
        QVERIFY(app.fileManager->readSettings(path));
        QCOMPARE(app.languageTable->text(0), QString("Programm"));
        QVERIFY(app.languageTable->text(183).startsWith("Warning!"));
    }

    void failedWriteIsReported()
    {
        WindowState w;
        CMainApp app(&w);
        QVERIFY(!app.fileManager->writeSettings(TestEnv::settingsDir() + "missing-dir/xZdr.ini"));
    }

    void adminFileKeys()
    {
        const QString admin = TestEnv::settingsDir() + "xZdrAdmin.ini";
        writeAll(admin, "[SETTINGS]\r\nADMIN_JIG_PORT=/dev/ttyUSB3\r\nURL=http://example.org/a=b\r\nUSER_ADMIN=1\r\n");
        {
            WindowState w;
            CMainApp app(&w);
            QCOMPARE(app.jigPort, QString("/dev/ttyUSB3"));
            QCOMPARE(CFileManager::readCsvTable(admin, "URL"), QString("http://example.org/a=b"));
            QCOMPARE(CFileManager::readCsvTable(admin, "MISSING"), QString());
            QCOMPARE(CFileManager::readCsvTable(admin + ".none", "URL"), QString());
            QVERIFY(app.userAdmin->enabled);
        }
        QFile::remove(admin);
        WindowState w;
        CMainApp app(&w);
        QVERIFY(!app.userAdmin->enabled);
        QCOMPARE(app.jigPort, QString());

        const QString csv = TestEnv::settingsDir() + "table.csv";
        writeAll(csv, "A;1\nB;2;extra\n");
        QCOMPARE(CFileManager::readCsvTable(csv, "B"), QString("2;extra"));
    }

    void loggerTimeFollowsTheZoneRule()
    {
        WindowState w;
        CMainApp app(&w);
        app.settings.timeZoneIndex = 0;
        app.settings.timeZone = 9.0f;
        const qint64 local = LoggerTime::fromDateTime(QDateTime::currentDateTime());
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - local) <= 1);

        app.settings.timeZoneIndex = 3;
        app.settings.timeZone = -3.5f;
        app.settings.timeZoneDaylight = 0;
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        const qint64 expected = LoggerTime::epoch().secsTo(utc) - 12600;
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - expected) <= 1);

        app.settings.timeZoneDaylight = 2;
        QVERIFY(qAbs(qint64(app.currentLoggerTime()) - (expected + 3600)) <= 1);
    }
};

MIRELDA_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
