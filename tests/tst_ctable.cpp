#include <QTableView>
#include <QTableWidget>

#include "core/loggertime.h"
#include "support/coretest.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "views/ctable.h"

namespace {

using Item = CTable::SummaryItem;

const QDateTime kStart(QDate(2026, 3, 2), QTime(10, 0, 0), Qt::LocalTime);
constexpr quint32 kAllIntLevels =
    ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH | ConfigBits::IntL | ConfigBits::IntLL;

// A downloaded file set; tenths holds the readings interleaved internal,
// humidity, external as the record stores them.
LoggerRecord makeRecord(const QString &serial, quint8 sensors, quint32 config, const QVector<int> &tenths,
                        quint32 interval = 60, const QDateTime &start = kStart)
{
    LoggerRecord record = ViewsTest::downloadedSet(serial, sensors, config, ViewsTest::words(tenths),
                                                   interval, start);
    record.fromFile = true;
    return record;
}

LoggerRecord internalSet(const QString &serial, const QVector<int> &tenths, quint32 interval = 60,
                         const QDateTime &start = kStart)
{
    return ViewsTest::openedSet(serial, tenths, interval, start);
}

// The tables' cells as their models give them: the summary's items and
// the readings the readings table's model makes.
QVariant cellData(const QTableView &table, int row, int column, int role = Qt::DisplayRole)
{
    return table.model()->index(row, column).data(role);
}

QString cell(const QTableView &table, int row, int column)
{
    const QVariant text = cellData(table, row, column);
    return text.isValid() ? text.toString() : QStringLiteral("<none>");
}

int rowCount(const QTableView &table)
{
    return table.model()->rowCount();
}

QColor textColour(const QTableView &table, int row, int column)
{
    return qvariant_cast<QBrush>(cellData(table, row, column, Qt::ForegroundRole)).color();
}

QString colourName(const QBrush &brush)
{
    return brush.style() == Qt::NoBrush ? QStringLiteral("-") : brush.color().name();
}

// A cell as the user sees it: its text, its text colour and its background
// ("-" where the table's own applies), and ">" when it is right-aligned.
QString look(const QTableView &table, int row, int column)
{
    if (!cellData(table, row, column).isValid())
        return QStringLiteral("<none>");
    const int alignment = cellData(table, row, column, Qt::TextAlignmentRole).toInt();
    return QStringLiteral("%1 %2 %3%4")
        .arg(cell(table, row, column),
             colourName(qvariant_cast<QBrush>(cellData(table, row, column, Qt::ForegroundRole))),
             colourName(qvariant_cast<QBrush>(cellData(table, row, column, Qt::BackgroundRole))),
             (alignment & Qt::AlignRight) ? QStringLiteral(" >") : QString());
}

QStringList rowLooks(const QTableView &table, int row)
{
    QStringList looks;
    for (int column = 0; column < table.model()->columnCount(); ++column)
        looks << look(table, row, column);
    return looks;
}

QStringList headers(const QTableView &table)
{
    QStringList texts;
    for (int column = 0; column < table.model()->columnCount(); ++column)
        texts << table.model()->headerData(column, Qt::Horizontal).toString();
    return texts;
}

// Internal temperature (HH 30, H 25, L 5, LL 0), humidity (H 70 only) and
// external temperature (LL -10 only), five samples 90 s apart; the internal
// reading of the second sample is marked.
LoggerRecord threeChannelTrip()
{
    const quint32 config = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn
                           | kAllIntLevels | ConfigBits::HumH | ConfigBits::ExtLL;
    QVector<quint16> words = ViewsTest::words({ 200, 455, -35, 260, 750, -120, 310, 500, -99,
                                                49, 0, 40, -5, 1000, -100 });
    words[3] = ReadingWord::make(260, true);
    LoggerRecord record = ViewsTest::downloadedSet("A", SensorBits::DigitalTempHum | SensorBits::ExternalProbe,
                                                   config, words, 90, kStart);
    ViewsTest::setLimits(record, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
    ViewsTest::setLimits(record, ChannelHumidity, 90.0, 70.0, 20.0, 10.0);
    ViewsTest::setLimits(record, ChannelExternal, 40.0, 30.0, 0.0, -10.0);
    record.fromFile = true;
    return record;
}

}

class TestCTable : public QObject, CoreFixture
{
    Q_OBJECT

    CTable *table() { return app->table; }

    // The cells of the summary items in one column.
    QStringList summary(QTableWidget &widget, const QList<Item> &items, int column = 1,
                        ViewChannel channel = ChannelInternal)
    {
        QStringList cells;
        for (Item item : items)
            cells << cell(widget, CTable::summaryRow(item, channel), column);
        return cells;
    }

private slots:
    void init() { renewCore(); }

    // A reading index outside the record gives nothing and counts nothing.
    void readingOutsideTheRecordIsNothing()
    {
        LoggerRecord record = internalSet("A", { 200, 200 });
        QColor back, text;
        bool mark = true;
        const int counted = record.levelCounts[ChannelInternal][CTable::LevelNormal];
        QCOMPARE(table()->formatValueInt(&record, 2, true, back, text, mark), QString());
        QCOMPARE(table()->formatValueInt(&record, -1, true, back, text, mark), QString());
        QCOMPARE(record.levelCounts[ChannelInternal][CTable::LevelNormal], counted);
    }

    void readingsTableColoursAndCountersAcrossEveryThreshold()
    {
        // HH 30, H 25, L 5, LL 0; readings at and across each limit.
        LoggerRecord record = makeRecord("A", SensorBits::InternalNtc, kAllIntLevels,
                                         { 100, 260, 310, 40, -10, 300, 250, 50, 0 });
        ViewsTest::setLimits(record, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
        app->records << record;
        QTableView widget;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(rowCount(widget), 9);
        QCOMPARE(widget.model()->columnCount(), 3);   // time, elapsed, internal temperature
        // a reading at a limit is on its inner side
        QStringList colours;
        for (int row = 0; row < rowCount(widget); ++row)
            colours << look(widget, row, 2).section(QLatin1Char(' '), 1, 2);
        const QString n = "- -", h = "#ff6464 -", hh = "#ff6464 #ffd7d7", l = "#6464ff -", ll = "#6464ff #d7d7ff";
        QCOMPARE(colours, QStringList({ n, h, hh, l, ll, h, n, n, l }));
        // filling again counts afresh
        table()->fillReadings(&widget, { 0 });
        const int *counts = app->records[0].levelCounts[ChannelInternal];
        QCOMPARE(QList<int>(counts, counts + CTable::LevelCount), QList<int>({ 3, 1, 2, 2, 1 }));

        // With HH switched off, the reading above HH is only high.
        app->records[0].configWord &= ~ConfigBits::IntHH;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(counts[CTable::LevelHighHigh], 0);
        QCOMPARE(counts[CTable::LevelHigh], 3);
        QCOMPARE(textColour(widget, 2, 2), QColor(255, 100, 100));
    }

    // Every cell of a small trip: times, values, alarm colours, marks,
    // alignment and the table's geometry, in Celsius day first and again
    // in Fahrenheit month first.
    void readingsTableCellByCell()
    {
        app->records << threeChannelTrip();
        QTableView widget;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(headers(widget), QStringList({ "Time", "Elapsed", "T°C", "H%", "eT°C" }));
        QCOMPARE(rowCount(widget), 5);
        const QString red = "#ff6464", blue = "#6464ff";
        QCOMPARE(rowLooks(widget, 0), QStringList({ "02/03/2026 10:00:00 - -", "00:00:00 - -", "20.0 - - >",
                                                   "45.5 - - >", "-3.5 - - >" }));
        QCOMPARE(rowLooks(widget, 1), QStringList({ "02/03/2026 10:01:30 - -", "00:01:30 - -",
                                                   "26.0 " + red + " #c8c8c8 >", "75.0 " + red + " - >",
                                                   "-12.0 " + blue + " #d7d7ff >" }));
        QCOMPARE(rowLooks(widget, 2), QStringList({ "02/03/2026 10:03:00 - -", "00:03:00 - -",
                                                   "31.0 " + red + " #ffd7d7 >", "50.0 - - >", "-9.9 - - >" }));
        QCOMPARE(rowLooks(widget, 3), QStringList({ "02/03/2026 10:04:30 - -", "00:04:30 - -",
                                                   "4.9 " + blue + " - >", "0.0 - - >", "4.0 - - >" }));
        QCOMPARE(rowLooks(widget, 4), QStringList({ "02/03/2026 10:06:00 - -", "00:06:00 - -",
                                                   "-0.5 " + blue + " #d7d7ff >", "100.0 " + red + " - >",
                                                   "-10.0 - - >" }));
        QCOMPARE(widget.columnWidth(0), 170);
        QCOMPARE(widget.columnWidth(1), 170);
        QCOMPARE(widget.columnWidth(4), 90);
        QCOMPARE(table()->valueHeaders, QStringList({ "T°C", "H%", "eT°C" }));
        // the rows the exports write are made for them alone
        QVERIFY(table()->rowValues.isEmpty());
        table()->collectReadings({ 0 });
        QCOMPARE(table()->rowTimes.mid(0, 2), QStringList({ "02/03/2026 10:00:00", "02/03/2026 10:01:30" }));
        QCOMPARE(table()->rowValues.at(0), QStringList({ "20.0", "45.5", "-3.5" }));
        QCOMPARE(table()->rowValues.at(4), QStringList({ "-0.5", "100.0", "-10.0" }));
        const int *counts = app->records[0].levelCounts[ChannelInternal];
        QCOMPARE(QList<int>(counts, counts + CTable::LevelCount), QList<int>({ 1, 1, 1, 1, 1 }));

        app->settings.modeCelsius = 0;
        app->settings.dateFormat = 1;
        table()->fillReadings(&widget, { 0 });
        QCOMPARE(headers(widget), QStringList({ "Time", "Elapsed", "T°F", "H%", "eT°F" }));
        QCOMPARE(rowCount(widget), 5);
        QCOMPARE(rowLooks(widget, 1), QStringList({ "03/02/2026 10:01:30 - -", "00:01:30 - -",
                                                   "78.8 " + red + " #c8c8c8 >", "75.0 " + red + " - >",
                                                   "10.4 " + blue + " #d7d7ff >" }));
        QCOMPARE(rowLooks(widget, 4).mid(2), QStringList({ "31.1 " + blue + " #d7d7ff >", "100.0 " + red + " - >",
                                                          "14.0 - - >" }));
        QCOMPARE(QList<int>(counts, counts + CTable::LevelCount), QList<int>({ 1, 1, 1, 1, 1 }));
        table()->collectReadings({ 0 });
        QCOMPARE(table()->rowValues.at(0), QStringList({ "68.0", "45.5", "25.7" }));
        QCOMPARE(table()->rowTimes.at(1), QStringLiteral("03/02/2026 10:01:30"));
    }

    // Sets merged by time share the time column; a set without a reading at
    // a row's time has no cell there.
    void mergedReadingsTableCellByCell()
    {
        app->settings.multiLinkSyncDateTime = true;
        LoggerRecord a = internalSet("A", { 100, 260, 120 });
        ViewsTest::setLimits(a, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
        a.configWord |= kAllIntLevels;
        app->records << a << internalSet("B", { 200, 210 }, 60, kStart.addSecs(30));
        QTableView widget;
        table()->fillReadings(&widget, { 0, 1 });
        QCOMPARE(headers(widget), QStringList({ "Time", "A T°C", "B T°C" }));
        QCOMPARE(rowCount(widget), 5);
        QCOMPARE(rowLooks(widget, 0), QStringList({ "02/03/2026 10:00:00 - -", "10.0 - - >", "<none>" }));
        QCOMPARE(rowLooks(widget, 1), QStringList({ "02/03/2026 10:00:30 - -", "<none>", "20.0 - - >" }));
        QCOMPARE(rowLooks(widget, 2), QStringList({ "02/03/2026 10:01:00 - -", "26.0 #ff6464 - >", "<none>" }));
        QCOMPARE(rowLooks(widget, 4), QStringList({ "02/03/2026 10:02:00 - -", "12.0 - - >", "<none>" }));
        QCOMPARE(widget.columnWidth(0), 170);
        QCOMPARE(widget.columnWidth(1), 90);

        // laid side by side, each set from its own start
        app->settings.multiLinkSyncDateTime = false;
        table()->fillReadings(&widget, { 1, 0 });
        QCOMPARE(headers(widget), QStringList({ "Elapsed", "B T°C", "A T°C" }));
        QCOMPARE(rowCount(widget), 3);
        QCOMPARE(rowLooks(widget, 1), QStringList({ "00:01:00 - -", "21.0 - - >", "26.0 #ff6464 - >" }));
        QCOMPARE(rowLooks(widget, 2), QStringList({ "00:02:00 - -", "<none>", "12.0 - - >" }));
    }

    void mergedSetsAreOrderedByTime()
    {
        app->settings.multiLinkSyncDateTime = true;
        app->records << internalSet("A", { 10, 11, 12 }) << internalSet("B", { 20, 21, 22 }, 60, kStart.addSecs(30))
                     << internalSet("C", { 30, 31 }, 60, kStart.addSecs(60));
        QTableView widget;
        table()->fillReadings(&widget, { 1, 0, 2 });
        table()->collectReadings({ 1, 0, 2 });
        QCOMPARE(headers(widget).at(1), QStringLiteral("B T°C"));
        QCOMPARE(table()->rowTimes, QStringList({ "02/03/2026 10:00:00", "02/03/2026 10:00:30", "02/03/2026 10:01:00",
                                                  "02/03/2026 10:01:30", "02/03/2026 10:02:00", "02/03/2026 10:02:30" }));
        // Columns follow the selection: B, A, C. Sets at the same time share a row.
        QCOMPARE(table()->rowValues.at(0), QStringList({ "", "1.0", "" }));
        QCOMPARE(table()->rowValues.at(1), QStringList({ "2.0", "", "" }));
        QCOMPARE(table()->rowValues.at(2), QStringList({ "", "1.1", "3.0" }));
        QCOMPARE(table()->rowValues.at(5), QStringList({ "2.2", "", "" }));
        QCOMPARE(cell(widget, 2, 3), QStringLiteral("3.0"));

        // Sets without an interval keep every reading.
        app->records << internalSet("D", { 10, 11, 12 }, 0) << internalSet("E", { 20, 21 }, 0);
        table()->collectReadings({ 3, 4 });
        QCOMPARE(table()->rowValues.size(), 3);
        QCOMPARE(table()->rowValues.at(2), QStringList({ "1.2", "" }));

        // Laid side by side, every set counts from its own start.
        app->settings.multiLinkSyncDateTime = false;
        table()->fillReadings(&widget, { 0, 1 });
        table()->collectReadings({ 0, 1 });
        QCOMPARE(headers(widget).at(0), QStringLiteral("Elapsed"));
        QCOMPARE(table()->rowTimes, QStringList({ "00:00:00", "00:01:00", "00:02:00" }));
        QCOMPARE(table()->rowValues.at(0), QStringList({ "1.0", "2.0" }));
    }

    void rowTimesFollowTheClockChange()
    {
        // Paris moves from 02:00 to 03:00 on 29 March 2026.
        app->records << internalSet("D", QVector<int>(40, 100), 600, QDateTime(QDate(2026, 3, 29), QTime(0, 50)));
        QTableView widget;
        table()->fillReadings(&widget, { 0 });
        table()->collectReadings({ 0 });
        QCOMPARE(table()->rowTimes.mid(6, 2), QStringList({ "29/03/2026 01:50:00", "29/03/2026 03:00:00" }));
        QCOMPARE(cell(widget, 39, 1), QStringLiteral("06:30:00"));
    }

    // A logger set by a zone chosen in the options runs on that zone's
    // offset: its rows, alone or merged by date, and its last reading take
    // no notice of the PC's changes in March and October.
    void rowTimesKeepAChosenZone()
    {
        app->settings.timeZone = 1.0f;
        app->settings.timeZoneIndex = 34;
        app->records << internalSet("M", QVector<int>(5, 100), 3600, QDateTime(QDate(2026, 3, 29), QTime(0, 0)))
                     << internalSet("O", QVector<int>(5, 100), 3600, QDateTime(QDate(2026, 10, 25), QTime(0, 0)))
                     << internalSet("N", { 200, 201 }, 3600, QDateTime(QDate(2026, 3, 29), QTime(3, 0)));
        QTableWidget widget;
        for (int index : { 0, 1 }) {
            table()->collectReadings({ index });
            const QString day = index == 0 ? QStringLiteral("29/03/2026") : QStringLiteral("25/10/2026");
            QStringList hours;
            for (int hour = 0; hour < 5; ++hour)
                hours << QStringLiteral("%1 0%2:00:00").arg(day).arg(hour);
            QCOMPARE(table()->rowTimes, hours);
        }
        app->settings.multiLinkSyncDateTime = true;
        table()->collectReadings({ 0, 2 });
        QCOMPARE(table()->rowTimes.at(3), QStringLiteral("29/03/2026 03:00:00"));
        QCOMPARE(table()->rowValues.at(3), QStringList({ "10.0", "20.0" }));

        table()->initSummary(&widget, { 0 });
        table()->fillSummary(&widget, { 0 }, false);
        QCOMPARE(summary(widget, { Item::StoppedTime }), QStringList({ "29/03/2026 04:00:00" }));
    }

    void summaryOfAHumidityOnlySet()
    {
        LoggerRecord record = makeRecord("H1", SensorBits::DigitalTempHum, ConfigBits::HumidityOn | ConfigBits::HumH,
                                         { 400, 800, 600 });
        ViewsTest::setLimits(record, ChannelHumidity, 90.0, 70.0, 20.0, 10.0);
        record.consecutiveDelay[GroupHumidity] = 3;
        app->records << record;
        app->settings.modeCelsius = 0;   // humidity stays in percent
        QTableWidget widget;
        table()->initSummary(&widget, { 0 });
        table()->fillSummary(&widget, { 0 }, false);
        QCOMPARE(widget.rowCount(), 64);
        for (int row = 22; row < 64; ++row)   // the other channels' blocks
            if (row < 36 || row >= 50)
                QCOMPARE(cell(widget, row, 1), QStringLiteral("-"));
        QCOMPARE(summary(widget, { Item::LimitH, Item::LimitHH, Item::ConsecutiveDelay, Item::TimeH, Item::ValueMax,
                                   Item::ValueAvg, Item::Mkt }, 1, ChannelHumidity),
                 QStringList({ "70.0 %", "-", "3", "01m00s", "80.0 %", "60.0 %", "-" }));
        QCOMPARE(cell(widget, 36, 0), QStringLiteral("Int. Humidity HH"));
    }

    void summaryOfTwoSetsSideBySide()
    {
        app->records << internalSet("A1", { 250, 250 })
                     << makeRecord("B2", SensorBits::InternalNtc | SensorBits::ExternalProbe,
                                   ConfigBits::InternalOn | ConfigBits::ExternalOn, { 200, -50, 300, -40 });
        QTableWidget widget;
        table()->initSummary(&widget, { 1, 0 });
        table()->fillSummary(&widget, { 1, 0 }, false);
        QCOMPARE(widget.horizontalHeaderItem(1)->text(), QStringLiteral("B2"));
        QCOMPARE(cell(widget, 0, 2), QStringLiteral("A1"));
        QCOMPARE(summary(widget, { Item::ValueMax, Item::Mkt }), QStringList({ "30.0 °C", "26.26 °C" }));
        QCOMPARE(summary(widget, { Item::ValueMax, Item::Mkt }, 2), QStringList({ "25.0 °C", "25.00 °C" }));
        QCOMPARE(cell(widget, CTable::summaryRow(Item::Mkt), 0), QStringLiteral("Int. Temperature MKT (83 kJ/mol)"));
        QCOMPARE(summary(widget, { Item::ValueMin }, 1, ChannelExternal), QStringList({ "-5.0 °C" }));
        QCOMPARE(summary(widget, { Item::ValueMin }, 2, ChannelExternal), QStringList({ "-" }));
        QCOMPARE(summary(widget, { Item::RecordCount, Item::StoppedTime }),
                 QStringList({ "2", "02/03/2026 10:01:00" }));
    }

    void summaryTimesInEachLevel()
    {
        // HH 30, H 25, L 5, LL 0 at a 90 s interval: 50 readings H (75
        // minutes), 2 HH (3 minutes), 1 L, 1 LL, then normal.
        QVector<int> series(50, 280);
        series << 350 << 350 << 20 << -20 << 100;
        LoggerRecord record = makeRecord("T", SensorBits::InternalNtc, kAllIntLevels, series, 90);
        ViewsTest::setLimits(record, ChannelInternal, 30.0, 25.0, 5.0, 0.0);
        app->records << record;
        QTableWidget widget;
        table()->initSummary(&widget, { 0 });
        table()->fillSummary(&widget, { 0 }, true);
        QCOMPARE(summary(widget, { Item::TimeHH, Item::TimeH, Item::TimeL, Item::TimeLL }),
                 QStringList({ "03m00s", "75m00s", "01m30s", "01m30s" }));
        // Report mode: the first block carries the short labels.
        QCOMPARE(cell(widget, 22, 0), QStringLiteral("Alarm HH"));
        QCOMPARE(cell(widget, 28, 0), QStringLiteral("High High out of specification"));
        QVERIFY(cell(widget, 36, 0) != QStringLiteral("Alarm HH"));
    }

    void summaryOfARecordWithoutChannelsOrInterval()
    {
        LoggerRecord record = makeRecord("Z", 0, 0, { 100, 200 }, 0);
        record.channelCount = 0;
        record.memorySize = 0;
        record.hasHeader = true;
        app->records << record
                     << makeRecord("E", SensorBits::InternalNtc, ConfigBits::InternalOn | ConfigBits::IntH, {}, 0);
        QTableWidget widget;
        table()->initSummary(&widget, { 0, 1, 7 });
        table()->fillSummary(&widget, { 0, 1, 7 }, false);
        QCOMPARE(widget.rowCount(), 64);
        for (int row = 22; row < 64; ++row)
            QCOMPARE(cell(widget, row, 1), QStringLiteral("-"));
        QCOMPARE(summary(widget, { Item::MemoryUsed, Item::RecordCount }), QStringList({ "-", "0" }));
        QCOMPARE(summary(widget, { Item::ValueMax, Item::Mkt, Item::TimeH }, 2), QStringList({ "-", "-", "00m00s" }));
        QTableView readings;
        table()->fillReadings(&readings, { 0, 1 });
        QCOMPARE(rowCount(readings), 0);
        QCOMPARE(app->records[1].mktValue[GroupInternal], 0.0f);
    }

};

MIRELDA_TEST_MAIN(TestCTable)
#include "tst_ctable.moc"
