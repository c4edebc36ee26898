#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>

#include "core/cmainapp.h"
#include "core/windowstate.h"

class TestCoreShell : public QObject
{
    Q_OBJECT
private slots:
    void startsWithoutSettingsOrHardware()
    {
        qputenv("MIRELDA_SETTINGS_DIR", QByteArray((TestEnv::home() + "/fresh/config").toLocal8Bit()));
        {
            WindowState w;
            CMainApp app(&w);
            QVERIFY(app.settingsDir.endsWith('/'));
            QVERIFY(QFileInfo::exists(app.settingsDir + "xZdr.ini"));
            QCOMPARE(app.currentRecord, -1);
            QVERIFY(app.records.isEmpty());
        }
        qputenv("MIRELDA_SETTINGS_DIR", TestEnv::settingsDir().toLocal8Bit());
    }

    void scheduleStaysConsistent()
    {
        WindowState w;
        CMainApp app(&w);
        LoggerRecord r;
        r.channelCount = 2;
        r.interval = 60;
        r.memorySize = 768 + 2 * 1000;   // 1,000 readings behind the header
        r.hasHeader = true;
        r.startAt = QDateTime(QDate(2026, 6, 1), QTime(12, 0));
        app.records << r;
        LoggerRecord &rec = app.records[0];

        rec.duration = 3600;                          // one hour: 60 samples of 2 channels
        app.recalcProgramTiming(0, 0);
        QCOMPARE(rec.stopReadingCount, 120);
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(3600));

        rec.duration = 10 * 86400;                    // more than the memory holds
        app.recalcProgramTiming(0, 0);
        QCOMPARE(rec.stopReadingCount, 1000);

        rec.stopReadingCount = 240;                   // from a count
        app.recalcProgramTiming(0, 1);
        QCOMPARE(rec.duration, quint32(7200));
        QCOMPARE(rec.stopAt, rec.startAt.addSecs(7200));

        rec.stopAt = rec.startAt.addSecs(1800);       // from a stop time
        app.recalcProgramTiming(0, 4);
        QCOMPARE(rec.duration, quint32(1800));
        QCOMPARE(rec.stopReadingCount, 60);

        rec.stopReadingCount = -5;                    // a negative count is no duration
        app.recalcProgramTiming(0, 1);
        QCOMPARE(rec.duration, 0u);

        rec.interval = 0;                             // never a division by zero
        rec.channelCount = 0;
        app.recalcProgramTiming(0, 0);
        app.recalcProgramTiming(0, 1);
        app.recalcProgramTiming(5, 0);                // a bad index does nothing
    }

};

MIRELDA_TEST_MAIN(TestCoreShell)
#include "tst_coreshell.moc"
