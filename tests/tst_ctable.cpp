#include <QTableWidget>

#include "app/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "core/windowstate.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "views/ctable.h"

namespace {

using Item = CTable::SummaryItem;

const QDateTime kStart(QDate(2026, 3, 2), QTime(10, 0, 0), Qt::LocalTime);

// A downloaded set; tenths holds the readings interleaved internal,
// humidity, external as the record stores them.
LoggerRecord makeRecord(const QString &serial, quint8 sensors, quint32 config,
                        const QVector<int> &tenths, quint32 interval = 60,
                        const QDateTime &start = kStart)
{
    LoggerRecord record = ViewsTest::downloadedSet(serial, sensors, config, ViewsTest::words(tenths),
                                                   interval, start);
    record.fromFile = true;
    return record;
}

LoggerRecord internalSet(const QString &serial, const QVector<int> &tenths, quint32 interval = 60,
                         const QDateTime &start = kStart)
{
    return makeRecord(serial, SensorBits::InternalNtc, ConfigBits::InternalOn, tenths, interval, start);
}

using ViewsTest::setLimits;

QColor colourOf(const QBrush &brush, const QColor &unset)
{
    return brush.style() == Qt::NoBrush ? unset : brush.color();
}

QString cell(QTableWidget &table, int row, int column)
{
    QTableWidgetItem *item = table.item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

}

class TestCTable : public QObject
{
    Q_OBJECT
private:
    WindowState window;
    CMainApp *app = nullptr;

    CTable *table() { return app->table; }

private slots:
    void init()
    {
        app = new CMainApp(&window);
        app->settings = AppSettings();
        // Texts the tables read, as the label table gives them in English.
        const QList<QPair<int, const char *>> english = {
            { 4, "Serial #" }, { 100, "High" }, { 103, "Low" }, { 125, "Time" }, { 130, "Elapsed" },
            { 140, "Consecutive alarm delay" }, { 192, "Temperature" }, { 193, "Humidity" },
            { 197, "outside its limits" }, { 207, "Yes" }, { 208, "No" },
        };
        for (const auto &text : english)
            app->languageTable->texts[0][text.first] = QString::fromUtf8(text.second);
    }

    void cleanup()
    {
        delete app;
        app = nullptr;
    }

    void readingWordsBecomeValues()
    {
        LoggerRecord record = internalSet("A", {});
        record.readings = { 0x00C8, 0x08C8, 0x07FF, 0x03FF, 0x0400, 0xF0C8 };
        record.readingCount = record.readings.size();
        QColor back, text;
        bool mark = true;
        const QStringList expected = { "20.0", "20.0", "-0.1", "102.3", "-102.4", "20.0" };
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(table()->formatValueInt(&record, i, true, back, text, mark), expected.at(i));
            QCOMPARE(mark, i == 1);
        }
        QCOMPARE(table()->formatValueInt(&record, 0, false, back, text, mark), QStringLiteral("68.0"));
        QCOMPARE(table()->formatValueHum(&record, 0, back, text, mark), QStringLiteral("20.0"));   // never °F

        // A reading index outside the record gives nothing and counts nothing.
        const int counted = record.levelCounts[ChannelInternal][CTable::LevelNormal];
        QCOMPARE(table()->formatValueInt(&record, 6, true, back, text, mark), QString());
        QCOMPARE(table()->formatValueInt(&record, -1, true, back, text, mark), QString());
        QCOMPARE(record.levelCounts[ChannelInternal][CTable::LevelNormal], counted);
    }

    void readingsTableColoursAndCountersAcrossEveryThreshold()
    {
        // HH 30, H 25, L 5, LL 0; readings at and across each limit.
        LoggerRecord record = makeRecord(QStringLiteral("A"), SensorBits::InternalNtc,
                                         ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH
                                             | ConfigBits::IntL | ConfigBits::IntLL,
                                         { 100, 260, 310, 40, -10, 300, 250, 50, 0 });
        setLimits(record, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
        app->records << record;

        QTableWidget widget;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(widget.rowCount(), 9);
        QCOMPARE(widget.columnCount(), 3);   // time, elapsed, internal temperature
        const QList<CTable::Level> levels = {
            CTable::LevelNormal, CTable::LevelHigh, CTable::LevelHighHigh, CTable::LevelLow,
            CTable::LevelLowLow, CTable::LevelHigh, CTable::LevelNormal, CTable::LevelNormal,
            CTable::LevelLow,
        };
        for (int row = 0; row < levels.size(); ++row) {
            const QTableWidgetItem *item = widget.item(row, 2);
            QVERIFY(item);
            QCOMPARE(colourOf(item->foreground(), Qt::black), CTable::levelTextColor(levels.at(row)));
            QCOMPARE(colourOf(item->background(), Qt::white), CTable::levelBackColor(levels.at(row)));
        }

        // Filling again counts afresh.
        table()->fillReadings(&widget, { 0 });
        const int expectedCounts[CTable::LevelCount] = { 3, 1, 2, 2, 1 };
        for (int level = 0; level < CTable::LevelCount; ++level)
            QCOMPARE(app->records[0].levelCounts[ChannelInternal][level], expectedCounts[level]);

        // With HH switched off, the reading above HH is only high.
        app->records[0].configWord &= ~ConfigBits::IntHH;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(app->records[0].levelCounts[ChannelInternal][CTable::LevelHighHigh], 0);
        QCOMPARE(app->records[0].levelCounts[ChannelInternal][CTable::LevelHigh], 3);
        QCOMPARE(widget.item(2, 2)->foreground().color(), QColor(255, 100, 100));
    }

    void singleSetColumnsAndExportRows()
    {
        // internal, humidity and external interleaved, two samples
        app->records << makeRecord(QStringLiteral("A"), SensorBits::DigitalTempHum | SensorBits::ExternalProbe,
                                   ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn,
                                   { 200, 455, -35, 210, 460, -30 }, 90);
        QTableWidget widget;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(widget.columnCount(), 5);
        QCOMPARE(widget.horizontalHeaderItem(1)->text(), QStringLiteral("Elapsed"));
        QCOMPARE(table()->valueHeaders, QStringList({ "T°C", "H%", "eT°C" }));
        QCOMPARE(cell(widget, 1, 1), QStringLiteral("00:01:30"));
        QCOMPARE(table()->rowTimes, QStringList({ "02/03/2026 10:00:00", "02/03/2026 10:01:30" }));
        QCOMPARE(table()->rowValues.at(0), QStringList({ "20.0", "45.5", "-3.5" }));

        app->settings.modeCelsius = 0;
        app->settings.dateFormat = 1;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(table()->rowValues.at(0), QStringList({ "68.0", "45.5", "25.7" }));
        QCOMPARE(table()->rowTimes.at(1), QStringLiteral("03/02/2026 10:01:30"));
    }

    void mergedSetsAreOrderedByTime()
    {
        app->settings.multiLinkSyncDateTime = true;
        app->records << internalSet("A", { 10, 11, 12 }) << internalSet("B", { 20, 21, 22 }, 60, kStart.addSecs(30))
                     << internalSet("C", { 30, 31 }, 60, kStart.addSecs(60));
        QTableWidget widget;
        table()->fillReadings(&widget, { 1, 0, 2 });
        QCOMPARE(widget.horizontalHeaderItem(1)->text(), QStringLiteral("B T°C"));
        QCOMPARE(table()->rowTimes,
                 QStringList({ "02/03/2026 10:00:00", "02/03/2026 10:00:30", "02/03/2026 10:01:00",
                               "02/03/2026 10:01:30", "02/03/2026 10:02:00", "02/03/2026 10:02:30" }));
        // Columns follow the selection: B, A, C. Sets at the same time share a row.
        QCOMPARE(table()->rowValues.at(0), QStringList({ "", "1.0", "" }));
        QCOMPARE(table()->rowValues.at(1), QStringList({ "2.0", "", "" }));
        QCOMPARE(table()->rowValues.at(2), QStringList({ "", "1.1", "3.0" }));
        QCOMPARE(table()->rowValues.at(5), QStringList({ "2.2", "", "" }));
        QCOMPARE(cell(widget, 2, 3), QStringLiteral("3.0"));

        // Sets without an interval keep every reading.
        app->records << internalSet("D", { 10, 11, 12 }, 0) << internalSet("E", { 20, 21 }, 0);
        table()->fillReadings(&widget, { 3, 4 });
        QCOMPARE(table()->rowValues.size(), 3);
        QCOMPARE(table()->rowValues.at(2), QStringList({ "1.2", "" }));

        // Laid side by side, every set counts from its own start.
        app->settings.multiLinkSyncDateTime = false;
        table()->fillReadings(&widget, { 0, 1 });
        QCOMPARE(widget.horizontalHeaderItem(0)->text(), QStringLiteral("Elapsed"));
        QCOMPARE(table()->rowTimes, QStringList({ "00:00:00", "00:01:00", "00:02:00" }));
        QCOMPARE(table()->rowValues.at(0), QStringList({ "1.0", "2.0" }));
    }

    void rowTimesFollowTheClockChange()
    {
        // Paris moves from 02:00 to 03:00 on 29 March 2026.
        const QDateTime start(QDate(2026, 3, 29), QTime(0, 50, 0), Qt::LocalTime);
        app->records << internalSet("D", QVector<int>(40, 100), 600, start);
        QTableWidget widget;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(table()->rowTimes.at(6), QStringLiteral("29/03/2026 01:50:00"));
        QCOMPARE(table()->rowTimes.at(7), QStringLiteral("29/03/2026 03:00:00"));
        QCOMPARE(cell(widget, 39, 1), QStringLiteral("06:30:00"));
    }

    void summaryOfAHumidityOnlySet()
    {
        LoggerRecord record = makeRecord(QStringLiteral("H1"), SensorBits::DigitalTempHum,
                                         ConfigBits::HumidityOn | ConfigBits::HumH, { 400, 800, 600 });
        setLimits(record, ChannelHumidity, 90.0, 70.0, 20.0, 10.0);
        record.consecutiveDelay[GroupHumidity] = 3;
        app->records << record;
        app->settings.modeCelsius = 0;   // humidity stays in percent

        QTableWidget widget;
        table()->initSummary(&widget, { 0 });
        table()->fillSummary(&widget, { 0 }, false);
        QCOMPARE(widget.rowCount(), 64);
        for (int row = 22; row < 36; ++row)
            QCOMPARE(cell(widget, row, 1), QStringLiteral("-"));
        for (int row = 50; row < 64; ++row)
            QCOMPARE(cell(widget, row, 1), QStringLiteral("-"));
        auto value = [&](Item item) { return cell(widget, CTable::summaryRow(item, ChannelHumidity), 1); };
        QCOMPARE(value(Item::LimitH), QStringLiteral("70.0 %"));
        QCOMPARE(value(Item::LimitHH), QStringLiteral("-"));   // level off
        QCOMPARE(value(Item::ConsecutiveDelay), QStringLiteral("3"));
        QCOMPARE(value(Item::TimeH), QStringLiteral("01m00s"));
        QCOMPARE(value(Item::ValueMax), QStringLiteral("80.0 %"));
        QCOMPARE(value(Item::ValueAvg), QStringLiteral("60.0 %"));
        QCOMPARE(value(Item::Mkt), QStringLiteral("-"));
        QCOMPARE(cell(widget, 36, 0), QStringLiteral("Int. Humidity HH"));
    }

    void summaryOfTwoSetsSideBySide()
    {
        app->records << internalSet("A1", { 250, 250 })
                     << makeRecord(QStringLiteral("B2"), SensorBits::InternalNtc | SensorBits::ExternalProbe,
                                   ConfigBits::InternalOn | ConfigBits::ExternalOn, { 200, -50, 300, -40 });
        QTableWidget widget;
        table()->initSummary(&widget, { 1, 0 });
        table()->fillSummary(&widget, { 1, 0 }, false);
        QCOMPARE(widget.horizontalHeaderItem(1)->text(), QStringLiteral("B2"));
        QCOMPARE(cell(widget, 0, 2), QStringLiteral("A1"));
        const int maxInt = CTable::summaryRow(Item::ValueMax, ChannelInternal);
        QCOMPARE(cell(widget, maxInt, 1), QStringLiteral("30.0 °C"));
        QCOMPARE(cell(widget, maxInt, 2), QStringLiteral("25.0 °C"));
        const int mktInt = CTable::summaryRow(Item::Mkt, ChannelInternal);
        QCOMPARE(cell(widget, mktInt, 1), QStringLiteral("26.26 °C"));
        QCOMPARE(cell(widget, mktInt, 0), QStringLiteral("Int. Temperature MKT (83 kJ/mol)"));
        const int minExt = CTable::summaryRow(Item::ValueMin, ChannelExternal);
        QCOMPARE(cell(widget, minExt, 1), QStringLiteral("-5.0 °C"));
        QCOMPARE(cell(widget, minExt, 2), QStringLiteral("-"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::RecordCount), 1), QStringLiteral("2"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::StoppedTime), 1), QStringLiteral("02/03/2026 10:01:00"));
    }

    void summaryTimesInEachLevel()
    {
        // HH 30, H 25, L 5, LL 0 at a 90 s interval.
        QVector<int> series;
        for (int i = 0; i < 50; ++i)
            series << 280;          // H: 50 x 90 s = 75 minutes
        series << 350 << 350;       // HH: 3 minutes
        series << 20;               // L: 1 m 30 s
        series << -20 << 100;       // LL, then normal
        LoggerRecord record = makeRecord(QStringLiteral("T"), SensorBits::InternalNtc,
                                         ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH
                                             | ConfigBits::IntL | ConfigBits::IntLL,
                                         series, 90);
        setLimits(record, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
        app->records << record;
        QTableWidget widget;
        table()->initSummary(&widget, { 0 });
        table()->fillSummary(&widget, { 0 }, true);
        auto value = [&](Item item) { return cell(widget, CTable::summaryRow(item), 1); };
        QCOMPARE(value(Item::TimeHH), QStringLiteral("03m00s"));
        QCOMPARE(value(Item::TimeH), QStringLiteral("75m00s"));
        QCOMPARE(value(Item::TimeL), QStringLiteral("01m30s"));
        QCOMPARE(value(Item::TimeLL), QStringLiteral("01m30s"));
        // Report mode: the first block carries the short labels.
        QCOMPARE(cell(widget, 22, 0), QStringLiteral("Alarm HH"));
        QCOMPARE(cell(widget, 28, 0), QStringLiteral("High High outside its limits"));
        QVERIFY(cell(widget, 36, 0) != QStringLiteral("Alarm HH"));
    }

    void summaryOfARecordWithoutChannelsOrInterval()
    {
        LoggerRecord record = makeRecord(QStringLiteral("Z"), 0, 0, { 100, 200 }, 0);
        record.channelCount = 0;
        record.memorySize = 0;
        record.hasHeader = true;
        app->records << record;
        LoggerRecord empty = makeRecord(QStringLiteral("E"), SensorBits::InternalNtc,
                                        ConfigBits::InternalOn | ConfigBits::IntH, {}, 0);
        app->records << empty;

        QTableWidget widget;
        table()->initSummary(&widget, { 0, 1, 7 });
        table()->fillSummary(&widget, { 0, 1, 7 }, false);
        QCOMPARE(widget.rowCount(), 64);
        for (int row = 22; row < 64; ++row)
            QCOMPARE(cell(widget, row, 1), QStringLiteral("-"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::MemoryUsed), 1), QStringLiteral("-"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::RecordCount), 1), QStringLiteral("0"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::ValueMax), 2), QStringLiteral("-"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::Mkt), 2), QStringLiteral("-"));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::TimeH), 2), QStringLiteral("00m00s"));

        table()->fillReadings(&widget, { 0, 1 });
        QCOMPARE(widget.rowCount(), 0);
        QCOMPARE(app->records[1].mktValue[GroupInternal], 0.0f);
    }

    void summaryIntoTheTargetTableAndTextFallbacks()
    {
        app->records << internalSet("S", { 1 });
        QTableWidget widget;
        table()->setTable(&widget);
        table()->initSummary(nullptr, { 0 });
        table()->fillSummary(nullptr, { 0 }, false);
        QCOMPARE(cell(widget, 0, 0), QStringLiteral("Serial #"));
        table()->setTable(nullptr);
        QCOMPARE(table()->text(209), QString());
        app->languageTable->language = 99;
        QCOMPARE(table()->text(4), QStringLiteral("Serial #"));
    }
};

MIRELDA_TEST_MAIN(TestCTable)
#include "tst_ctable.moc"
