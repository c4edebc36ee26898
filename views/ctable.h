#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

#include "core/loggerrecord.h"

class CMainApp;
class QTableView;
class QTableWidget;

// The readings table (one data set, or several merged by time, coloured by
// alarm level) and the summary table (one column per data set), with the
// cell formatters the report uses for its readings pages.
class CTable : public QObject
{
    Q_OBJECT
public:
    explicit CTable(CMainApp *app);

    // Alarm level of a reading, as counted in LoggerRecord::levelCounts.
    enum Level { LevelNormal = 0, LevelHighHigh, LevelHigh, LevelLow, LevelLowLow, LevelCount };

    // The alarm rule of one channel of one record: above HH, above H, below
    // LL, below L, over the levels the record enables.
    struct LevelRule
    {
        bool enabled[4] = {};
        double limit[4] = {};   // by AlarmLevel, degrees Celsius or percent
        static LevelRule of(const LoggerRecord &record, ViewChannel channel);
        Level levelOf(int tenths) const;
    };

    // What one channel of one record holds, for the summary.
    struct ChannelStats
    {
        int samples = 0;
        int counts[LevelCount] = {};
        int minTenths = 0;
        int maxTenths = 0;
        double averageTenths = 0.0;
        double mkt = 0.0;   // degrees Celsius; meaningful when samples > 0
    };
    static ChannelStats channelStats(const LoggerRecord &record, ViewChannel channel,
                                     int activationEnergy);

    // The rows of the summary, in the order they stand: general rows first,
    // then one block per channel in kSummaryBlocks order.
    enum class SummaryItem {
        Serial, ProductCode, Versions, MemorySize, Range, Battery, TripAndZone, Description,
        UnitMode, StartAt, StartDelay, StopAt, StopAfterRecords, Interval, Continuous,
        StopButton, MemoryUsed, RecordCount, StartedTime, StoppedTime, ConfiguredBy,
        DownloadedBy,
        LimitHH, LimitH, LimitL, LimitLL, ConsecutiveDelay, TotalDelay,
        TimeHH, TimeH, TimeL, TimeLL, ValueMax, ValueAvg, ValueMin, Mkt,
    };
    static constexpr int kGeneralRowCount = 22;
    static constexpr int kBlockRowCount = 14;
    static constexpr int kSummaryRowCount = kGeneralRowCount + 3 * kBlockRowCount;
    // Row of an item; channel rows need the channel of their block.
    static int summaryRow(SummaryItem item, ViewChannel channel = ChannelInternal);

    void setTable(QTableWidget *table);
    void initSummary(QTableWidget *table, QList<int> selection);
    // Always 64 rows: labels in column 0, one column per set of the selection.
    void fillSummary(QTableWidget *table, QList<int> selection, bool reportMode);

    // The text of id in the current language; "" for an unknown id.
    QString text(int id) const;

    // Fills the readings table, the level counters and mean kinetic
    // temperatures of the selected records, and valueHeaders. Without a
    // table, as collectReadings.
    void fillReadings(QTableView *table, QList<int> selection);
    // All of that but the table, and rowTimes / rowValues: what the text
    // exports write.
    void collectReadings(QList<int> selection);
    // Empties the readings table, and lets go of the readings it showed.
    void clearReadings(QTableView *table);

    QString formatValueInt(LoggerRecord *record, int index, bool celsius, QColor &back,
                           QColor &text, bool &mark);
    QString formatValueHum(LoggerRecord *record, int index, QColor &back, QColor &text, bool &mark);
    QString formatValueExt(LoggerRecord *record, int index, bool celsius, QColor &back,
                           QColor &text, bool &mark);
    // Left-padded with blanks to at least five characters.
    static QString formatMark(const QString &text);

    static QColor levelTextColor(Level level);
    static QColor levelBackColor(Level level);
    // A reading's value as the tables show it, one decimal.
    static QString valueText(int tenths, bool fahrenheit);
    // "mm'm'ss's'", minutes counted on past 60.
    static QString durationText(qint64 seconds);

    // The readings table's rows for the text exports: one "date time" text
    // per row (elapsed time for sets laid side by side), and that row's
    // value texts ("" where a set has no reading at that time).
    QStringList rowTimes;
    QList<QStringList> rowValues;
    QStringList valueHeaders;

    // A moment as the tables show it, in the chosen date format; "-" when
    // there is none.
    QString dateTimeText(const QDateTime &time) const;

private:
    QTableWidget *target(QTableWidget *table) const;
    void fillReadingsInto(QTableView *table, const QList<int> &selection);
    void collectValueHeaders(const QVector<LoggerRecord *> &trips, bool several);
    QStringList timeHeaders(bool several) const;
    QString formatValue(LoggerRecord *record, int index, ViewChannel channel, bool fahrenheit,
                        QColor &back, QColor &text, bool &mark);
    QString channelName(ViewChannel channel) const;
    QString channelHeader(const LoggerRecord &record, ViewChannel channel) const;
    QString summaryLabel(SummaryItem item, ViewChannel channel, bool shortLabel,
                         bool reportMode) const;
    QString generalValue(SummaryItem item, const LoggerRecord &record) const;
    QString channelValue(SummaryItem item, const LoggerRecord &record, ViewChannel channel,
                         const ChannelStats &stats) const;
    QString temperatureText(double celsius, int decimals = 1) const;
    bool fahrenheit() const;
    int activationEnergy() const;

    CMainApp *app;
    QTableWidget *m_table = nullptr;
};
