#include "views/ctable.h"

#include <cmath>
#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>

#include "core/appinfo.h"
#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggertime.h"
#include "views/cmktcalculator.h"
#include "views/cplot.h"
#include "views/elapsedtimescaledraw.h"
#include "views/readingrows.h"
#include "views/readingsmodel.h"
#include "views/rowclock.h"

namespace {

using Item = CTable::SummaryItem;

// The summary's row order: the general rows, then the rows of one channel
// block, repeated for each channel of kSummaryBlocks.
const Item kGeneralRows[CTable::kGeneralRowCount] = {
    Item::Serial, Item::ProductCode, Item::Versions, Item::MemorySize, Item::Range,
    Item::Battery, Item::TripAndZone, Item::Description, Item::UnitMode, Item::StartAt,
    Item::StartDelay, Item::StopAt, Item::StopAfterRecords, Item::Interval, Item::Continuous,
    Item::StopButton, Item::MemoryUsed, Item::RecordCount, Item::StartedTime,
    Item::StoppedTime, Item::ConfiguredBy, Item::DownloadedBy,
};
const Item kBlockRows[CTable::kBlockRowCount] = {
    Item::LimitHH, Item::LimitH, Item::LimitL, Item::LimitLL, Item::ConsecutiveDelay,
    Item::TotalDelay, Item::TimeHH, Item::TimeH, Item::TimeL, Item::TimeLL, Item::ValueMax,
    Item::ValueAvg, Item::ValueMin, Item::Mkt,
};
const ViewChannel kSummaryBlocks[3] = { ChannelInternal, ChannelHumidity, ChannelExternal };
const ViewChannel kChannelOrder[3] = { ChannelInternal, ChannelHumidity, ChannelExternal };

constexpr int kReadingRowHeight = 20;
constexpr int kReadingColumnWidth = 90;
constexpr int kTimeColumnWidth = 170;

bool isTemperature(ViewChannel channel)
{
    return channel != ChannelHumidity;
}

AlarmLevel alarmLevelOf(Item item)
{
    switch (item) {
    case Item::LimitH: case Item::TimeH: return LevelH;
    case Item::LimitL: case Item::TimeL: return LevelL;
    case Item::LimitLL: case Item::TimeLL: return LevelLL;
    default: return LevelHH;
    }
}

CTable::Level countedLevelOf(AlarmLevel level)
{
    return CTable::Level(int(level) + 1);
}

// Seconds from the first sample of a set to sample i.
qint64 sampleOffset(const LoggerRecord &record, int sample)
{
    return qint64(sample) * qint64(record.interval);
}

}

CTable::CTable(CMainApp *app)
    : QObject(app), app(app)
{
}

// ---------------------------------------------------------------------------
// levels and statistics

CTable::LevelRule CTable::LevelRule::of(const LoggerRecord &record, ViewChannel channel)
{
    LevelRule rule;
    for (int level = LevelHH; level <= LevelLL; ++level) {
        rule.enabled[level] = record.levelEnabled(channel, AlarmLevel(level));
        rule.limit[level] = record.threshold(channel, AlarmLevel(level));
    }
    return rule;
}

CTable::Level CTable::LevelRule::levelOf(int tenths) const
{
    const double value = tenths / 10.0;
    if (enabled[LevelHH] && value > limit[LevelHH])
        return LevelHighHigh;
    if (enabled[LevelH] && value > limit[LevelH])
        return LevelHigh;
    if (enabled[LevelLL] && value < limit[LevelLL])
        return LevelLowLow;
    if (enabled[LevelL] && value < limit[LevelL])
        return LevelLow;
    return LevelNormal;
}

CTable::ChannelStats CTable::channelStats(const LoggerRecord &record, ViewChannel channel,
                                          int activationEnergy)
{
    ChannelStats stats;
    const int position = record.channelPosition(channel);
    const int stride = record.channelCount;
    if (position < 0 || position >= stride)
        return stats;
    const int samples = record.sampleCount();
    const LevelRule rule = LevelRule::of(record, channel);
    CMktCalculator mkt(activationEnergy);
    const quint16 *words = record.readings.constData();
    qint64 sum = 0;
    stats.minTenths = 1 << 20;
    stats.maxTenths = -(1 << 20);
    for (int i = 0; i < samples; ++i) {
        const int tenths = ReadingWord::tenths(words[position + i * stride]);
        ++stats.counts[rule.levelOf(tenths)];
        stats.minTenths = qMin(stats.minTenths, tenths);
        stats.maxTenths = qMax(stats.maxTenths, tenths);
        sum += tenths;
        mkt.add(tenths / 10.0);
    }
    stats.samples = samples;
    if (samples > 0) {
        stats.averageTenths = double(sum) / samples;
        stats.mkt = mkt.result();
    } else {
        stats.minTenths = stats.maxTenths = 0;
    }
    return stats;
}

// ---------------------------------------------------------------------------
// cell formatters

QColor CTable::levelTextColor(Level level)
{
    switch (level) {
    case LevelHighHigh: case LevelHigh: return QColor(255, 100, 100);
    case LevelLow: case LevelLowLow: return QColor(100, 100, 255);
    default: return QColor(Qt::black);
    }
}

QColor CTable::levelBackColor(Level level)
{
    // The text colour tells high from low; the outer levels also tint the cell.
    switch (level) {
    case LevelHighHigh: return QColor(255, 215, 215);
    case LevelLowLow: return QColor(215, 215, 255);
    default: return QColor(Qt::white);
    }
}

QString CTable::valueText(int tenths, bool fahrenheit)
{
    if (fahrenheit)
        return Units::decimalText(Units::celsiusToFahrenheit(tenths / 10.0), 1);
    const int magnitude = std::abs(tenths);
    QString text = QString::number(magnitude / 10) + QLatin1Char('.')
                   + QLatin1Char(char('0' + magnitude % 10));
    return tenths < 0 ? QLatin1Char('-') + text : text;
}

QString CTable::durationText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1m%2s")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CTable::formatMark(const QString &text)
{
    return text.rightJustified(5, QLatin1Char(' '));
}

QString CTable::formatValue(LoggerRecord *record, int index, ViewChannel channel, bool fahrenheit,
                            QColor &back, QColor &text, bool &mark)
{
    back = levelBackColor(LevelNormal);
    text = levelTextColor(LevelNormal);
    mark = false;
    if (!record || index < 0 || index >= record->readings.size())
        return QString();
    const quint16 word = record->readings.at(index);
    const int tenths = ReadingWord::tenths(word);
    const Level level = LevelRule::of(*record, channel).levelOf(tenths);
    ++record->levelCounts[channel][level];
    back = levelBackColor(level);
    text = levelTextColor(level);
    mark = ReadingWord::mark(word);
    return valueText(tenths, fahrenheit);
}

QString CTable::formatValueInt(LoggerRecord *record, int index, bool celsius, QColor &back,
                               QColor &text, bool &mark)
{
    return formatValue(record, index, ChannelInternal, !celsius, back, text, mark);
}

QString CTable::formatValueHum(LoggerRecord *record, int index, QColor &back, QColor &text,
                               bool &mark)
{
    return formatValue(record, index, ChannelHumidity, false, back, text, mark);
}

QString CTable::formatValueExt(LoggerRecord *record, int index, bool celsius, QColor &back,
                               QColor &text, bool &mark)
{
    return formatValue(record, index, ChannelExternal, !celsius, back, text, mark);
}

// ---------------------------------------------------------------------------
// common helpers

QString CTable::text(int id) const
{
    return app->languageTable ? app->languageTable->text(id) : QString();
}

void CTable::setTable(QTableWidget *table)
{
    m_table = table;
}

QTableWidget *CTable::target(QTableWidget *table) const
{
    return table ? table : m_table;
}

bool CTable::fahrenheit() const
{
    return app->settings.modeCelsius == 0;
}

int CTable::activationEnergy() const
{
    return int(app->settings.mktActivationEnergy);
}

QString CTable::dateTimeText(const QDateTime &time) const
{
    if (!time.isValid())
        return QStringLiteral("-");
    return time.toString(app->settings.dateFormat == 0 ? QStringLiteral("dd/MM/yyyy hh:mm:ss")
                                                       : QStringLiteral("MM/dd/yyyy hh:mm:ss"));
}

QString CTable::temperatureText(double celsius, int decimals) const
{
    if (fahrenheit())
        return Units::decimalText(Units::celsiusToFahrenheit(celsius), decimals) + QStringLiteral(" °F");
    return Units::decimalText(celsius, decimals) + QStringLiteral(" °C");
}

QString CTable::channelName(ViewChannel channel) const
{
    switch (channel) {
    case ChannelHumidity: return QStringLiteral("Int. ") + text(LabelId::Humidity);
    case ChannelExternal: return QStringLiteral("Ext. ") + text(LabelId::Temperature);
    default: return QStringLiteral("Int. ") + text(LabelId::Temperature);
    }
}

QString CTable::channelHeader(const LoggerRecord &record, ViewChannel channel) const
{
    const QString unit = fahrenheit() ? QStringLiteral("°F") : QStringLiteral("°C");
    const bool twoProbes = CPlot::isTwoProbeModel(record);
    switch (channel) {
    case ChannelHumidity: return QStringLiteral("H%");
    case ChannelExternal: return (twoProbes ? QStringLiteral("RE") : QStringLiteral("eT")) + unit;
    default: return (twoProbes ? QStringLiteral("LE") : QStringLiteral("T")) + unit;
    }
}

// ---------------------------------------------------------------------------
// summary

int CTable::summaryRow(SummaryItem item, ViewChannel channel)
{
    for (int row = 0; row < kGeneralRowCount; ++row)
        if (kGeneralRows[row] == item)
            return row;
    for (int block = 0; block < 3; ++block) {
        if (kSummaryBlocks[block] != channel)
            continue;
        for (int row = 0; row < kBlockRowCount; ++row)
            if (kBlockRows[row] == item)
                return kGeneralRowCount + block * kBlockRowCount + row;
    }
    return -1;
}

void CTable::initSummary(QTableWidget *table, QList<int> selection)
{
    table = target(table);
    if (!table)
        return;
    table->clear();
    table->setRowCount(0);
    table->setSortingEnabled(false);
    table->setColumnCount(1 + selection.size());
    QStringList headers { QString() };
    for (int index : selection) {
        const LoggerRecord *trip = app->tripAt(index);
        headers << (trip ? trip->serialNumber : QString());
    }
    table->setHorizontalHeaderLabels(headers);
    // The labels, longer in some languages than in others, take the width
    // they need; the last column takes the room the page has left.
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    for (int column = 1; column < table->columnCount(); ++column)
        table->setColumnWidth(column, 170);
    QFont font = table->font();
    font.setPointSize(9);
    table->setFont(font);
}

QString CTable::summaryLabel(SummaryItem item, ViewChannel channel, bool shortLabel,
                             bool reportMode) const
{
    const QString space = QStringLiteral(" ");
    const QString outOfSpec = text(LabelId::OutOfLimits);
    QString label;
    switch (item) {
    case Item::Serial: return text(LabelId::SerialNumber);
    case Item::ProductCode: return text(LabelId::ProductCode);
    case Item::Versions: return text(LabelId::FirmwareVersion);
    case Item::MemorySize: return text(LabelId::MemorySize);
    case Item::Range: return QStringLiteral("Range");
    case Item::Battery: return text(LabelId::Battery);
    case Item::TripAndZone: return text(LabelId::TripAndTimeZone);
    case Item::Description: return text(LabelId::Description);
    case Item::UnitMode: return text(LabelId::UnitModeProgrammed);
    case Item::StartAt: return text(LabelId::ProgramStartAt);
    case Item::StartDelay: return text(LabelId::ProgramStartButtonAfter);
    case Item::StopAt: return text(LabelId::ProgramStopAt);
    case Item::StopAfterRecords: return text(LabelId::ProgramStopAfterRecords);
    case Item::Interval: return text(LabelId::ProgramInterval);
    case Item::Continuous: return text(LabelId::ProgramContinuousLogging);
    case Item::StopButton: return text(LabelId::ProgramStopButtonEnabled);
    case Item::MemoryUsed: return text(LabelId::ProgramMemoryUsed);
    case Item::RecordCount: return text(LabelId::NumberOfRecords);
    case Item::StartedTime: return text(LabelId::StartedTime);
    case Item::StoppedTime: return text(LabelId::StoppedTime);
    case Item::ConfiguredBy: return QStringLiteral("Configured by:");
    case Item::DownloadedBy: return QStringLiteral("Downloaded by:");
    case Item::LimitHH: label = reportMode ? QStringLiteral("Alarm HH") : QStringLiteral("HH"); break;
    case Item::LimitH: label = reportMode ? QStringLiteral("Alarm H") : QStringLiteral("H"); break;
    case Item::LimitL: label = reportMode ? QStringLiteral("Alarm L") : QStringLiteral("L"); break;
    case Item::LimitLL: label = reportMode ? QStringLiteral("Alarm LL") : QStringLiteral("LL"); break;
    case Item::ConsecutiveDelay: label = text(LabelId::ConsecutiveAlarmDelay); break;
    case Item::TotalDelay: label = text(LabelId::TotalAlarmDelay); break;
    case Item::TimeHH: label = text(LabelId::High) + space + text(LabelId::High) + space + outOfSpec; break;
    case Item::TimeH: label = text(LabelId::High) + space + outOfSpec; break;
    case Item::TimeL: label = text(LabelId::Low) + space + outOfSpec; break;
    case Item::TimeLL: label = text(LabelId::Low) + space + text(LabelId::Low) + space + outOfSpec; break;
    case Item::ValueMax: label = QStringLiteral("Value Max:"); break;
    case Item::ValueAvg: label = QStringLiteral("Value Avg:"); break;
    case Item::ValueMin: label = QStringLiteral("Value Min:"); break;
    case Item::Mkt: label = QStringLiteral("MKT (%1 kJ/mol)").arg(activationEnergy()); break;
    }
    return shortLabel ? label : channelName(channel) + space + label;
}

QString CTable::generalValue(SummaryItem item, const LoggerRecord &record) const
{
    const QString none = QStringLiteral("-");
    const quint32 config = record.configWord;
    auto yesNo = [&](bool yes) { return yes ? text(LabelId::Yes) : text(LabelId::No); };
    auto orNone = [&](const QString &value) { return value.trimmed().isEmpty() ? none : value; };
    switch (item) {
    case Item::Serial: return record.serialNumber;
    case Item::ProductCode: return record.productCode;
    case Item::Versions:
        return QStringLiteral("0x%1 / %2")
            .arg(QString::number(record.versionWord, 16).toUpper().rightJustified(3, QLatin1Char('0')),
                 AppInfo::version());
    case Item::MemorySize: return QStringLiteral("%1 kB").arg(record.memorySize / 1024);
    case Item::Range:
        return QStringLiteral("%1 / %2").arg(temperatureText(record.rangeLow, 0),
                                             temperatureText(record.rangeHigh, 0));
    case Item::Battery: return QStringLiteral("%1 %").arg(record.battery);
    case Item::TripAndZone:
        return QStringLiteral("%1 / %2").arg(record.tripNumber).arg(record.timeZoneProgrammed);
    case Item::Description: return record.description;
    case Item::UnitMode: return record.unitProgrammed == 0 ? QStringLiteral("°C") : QStringLiteral("°F");
    case Item::StartAt: return (config & ConfigBits::StartAt) ? dateTimeText(record.startAt) : none;
    case Item::StartDelay:
        return (config & ConfigBits::StartDelay) ? ElapsedTimeScaleDraw::formatElapsed(record.startDelay)
                                                 : none;
    case Item::StopAt: return (config & ConfigBits::StopAt) ? dateTimeText(record.stopAt) : none;
    case Item::StopAfterRecords:
        return (config & ConfigBits::StopAfterReadings) ? QString::number(record.stopReadingCount) : none;
    case Item::Interval: return ElapsedTimeScaleDraw::formatElapsed(record.interval);
    case Item::Continuous: return yesNo(config & ConfigBits::Continuous);
    case Item::StopButton: return yesNo(config & ConfigBits::StopButton);
    case Item::MemoryUsed: {
        const quint32 capacity = record.memoryReadings();
        if (capacity == 0)
            return none;
        // a continuous trip keeps more than its memory, which stays full
        return QStringLiteral("%1 %").arg(100.0 * qMin<quint32>(quint32(record.readingCount), capacity) / capacity,
                                          0, 'f', 1);
    }
    case Item::RecordCount: return QString::number(record.sampleCount());
    case Item::StartedTime: return dateTimeText(record.startTime);
    case Item::StoppedTime: {
        const int samples = record.sampleCount();
        if (samples > 0 && record.startTime.isValid())
            return dateTimeText(LoggerTime::readingOrigin(record.startTime, app->settings)
                                    .addSecs(sampleOffset(record, samples - 1)));
        return dateTimeText(record.stopTime);
    }
    case Item::ConfiguredBy: return orNone(record.configuredBy);
    case Item::DownloadedBy: return orNone(record.downloadedBy);
    default: return none;
    }
}

QString CTable::channelValue(SummaryItem item, const LoggerRecord &record, ViewChannel channel,
                             const ChannelStats &stats) const
{
    const QString none = QStringLiteral("-");
    if (!record.isChannelOn(channel))
        return none;
    const LimitGroup group = limitGroupOf(channel);
    auto valueOf = [&](double value, int decimals) {
        return isTemperature(channel) ? temperatureText(value, decimals)
                                      : QString::number(value, 'f', decimals) + QStringLiteral(" %");
    };
    switch (item) {
    case Item::LimitHH: case Item::LimitH: case Item::LimitL: case Item::LimitLL: {
        const AlarmLevel level = alarmLevelOf(item);
        return record.levelEnabled(channel, level) ? valueOf(record.threshold(channel, level), 1) : none;
    }
    case Item::ConsecutiveDelay: return QString::number(record.consecutiveDelay[group]);
    case Item::TotalDelay: return QString::number(record.totalDelay[group]);
    case Item::TimeHH: case Item::TimeH: case Item::TimeL: case Item::TimeLL: {
        const AlarmLevel level = alarmLevelOf(item);
        if (!record.levelEnabled(channel, level))
            return none;
        return durationText(qint64(stats.counts[countedLevelOf(level)]) * record.interval);
    }
    case Item::ValueMax: return stats.samples > 0 ? valueOf(stats.maxTenths / 10.0, 1) : none;
    case Item::ValueAvg: return stats.samples > 0 ? valueOf(stats.averageTenths / 10.0, 1) : none;
    case Item::ValueMin: return stats.samples > 0 ? valueOf(stats.minTenths / 10.0, 1) : none;
    case Item::Mkt:
        if (!isTemperature(channel) || stats.samples == 0 || !std::isfinite(stats.mkt))
            return none;
        return temperatureText(stats.mkt, 2);
    default: return none;
    }
}

void CTable::fillSummary(QTableWidget *table, QList<int> selection, bool reportMode)
{
    table = target(table);
    if (!table)
        return;
    const int energy = activationEnergy();
    table->setUpdatesEnabled(false);
    table->setSortingEnabled(false);
    table->setColumnCount(qMax(table->columnCount(), 1 + selection.size()));
    table->setRowCount(0);
    table->setRowCount(kSummaryRowCount);

    for (int row = 0; row < kGeneralRowCount; ++row)
        table->setItem(row, 0, new QTableWidgetItem(summaryLabel(kGeneralRows[row], ChannelInternal,
                                                                 true, reportMode)));
    for (int block = 0; block < 3; ++block) {
        const ViewChannel channel = kSummaryBlocks[block];
        const bool shortLabel = reportMode && block == 0;
        for (int row = 0; row < kBlockRowCount; ++row)
            table->setItem(kGeneralRowCount + block * kBlockRowCount + row, 0,
                           new QTableWidgetItem(summaryLabel(kBlockRows[row], channel, shortLabel,
                                                             reportMode)));
    }

    for (int column = 0; column < selection.size(); ++column) {
        const int index = selection.at(column);
        LoggerRecord *trip = app->tripForChangeAt(index);
        if (!trip)
            continue;
        LoggerRecord &record = *trip;
        for (int row = 0; row < kGeneralRowCount; ++row)
            table->setItem(row, column + 1, new QTableWidgetItem(generalValue(kGeneralRows[row], record)));
        for (int block = 0; block < 3; ++block) {
            const ViewChannel channel = kSummaryBlocks[block];
            const ChannelStats stats = channelStats(record, channel, energy);
            // The counters and the mean kinetic temperature the readings
            // table would leave, so the record agrees with what is shown.
            for (int level = 0; level < LevelCount; ++level)
                record.levelCounts[channel][level] = stats.counts[level];
            if (isTemperature(channel))
                record.mktValue[limitGroupOf(channel)] = stats.samples > 0 ? float(stats.mkt) : 0.0f;
            for (int row = 0; row < kBlockRowCount; ++row)
                table->setItem(kGeneralRowCount + block * kBlockRowCount + row, column + 1,
                               new QTableWidgetItem(channelValue(kBlockRows[row], record, channel, stats)));
        }
    }
    table->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------------------
// readings table

// The value columns' headers: the channels of one set, or each set's
// serial number and channel.
void CTable::collectValueHeaders(const QVector<LoggerRecord *> &trips, bool several)
{
    valueHeaders.clear();
    for (const LoggerRecord *record : trips) {
        for (ViewChannel channel : kChannelOrder)
            if (record->channelPosition(channel) >= 0)
                valueHeaders << (several ? record->serialNumber + QLatin1Char(' ') + channelHeader(*record, channel)
                                         : channelHeader(*record, channel));
        if (!several)
            break;
    }
}

QStringList CTable::timeHeaders(bool several) const
{
    if (!several)
        return { text(LabelId::Time), text(LabelId::Elapsed) };
    return { app->settings.multiLinkSyncDateTime ? text(LabelId::Time) : text(LabelId::Elapsed) };
}

namespace {

// One data set of the readings table: where its channels stand in the
// record and in the table, and how its samples line up in time.
struct ReadingSet
{
    LoggerRecord *record = nullptr;
    int samples = 0;
    int stride = 0;
    qint64 start = 0;      // seconds of sample 0 on the merged time line
    qint64 interval = 0;
    int next = 0;          // next sample to place
    struct Channel
    {
        ViewChannel channel;
        int position;
        CTable::LevelRule rule;
    };
    QVector<Channel> channels;
    QVector<CMktCalculator> mkt;   // by ViewChannel
    qint64 timeOf(int sample) const { return start + qint64(sample) * interval; }
    bool pending() const { return next < samples; }
};

// Earliest start of the selected sets: the origin of a time line by date.
QDateTime earliestStart(const QVector<LoggerRecord *> &trips, const AppSettings &settings)
{
    QDateTime origin;
    for (const LoggerRecord *trip : trips) {
        const QDateTime start = LoggerTime::readingOrigin(trip->startTime, settings);
        if (start.isValid() && (!origin.isValid() || start < origin))
            origin = start;
    }
    return origin;
}

// The sets of the selection, with their counters cleared, and their
// columns in rows. Placed by date, every set counts from origin; otherwise
// each from its own start.
QVector<ReadingSet> readingSets(const QVector<LoggerRecord *> &trips, const QDateTime &origin,
                                const AppSettings &settings, bool byDate, bool fahrenheit, int energy,
                                ReadingRows &rows)
{
    QVector<ReadingSet> sets;
    for (LoggerRecord *trip : trips) {
        ReadingSet set;
        set.record = trip;
        LoggerRecord &record = *set.record;
        set.stride = record.channelCount;
        set.samples = record.sampleCount();
        set.interval = record.interval;
        if (byDate && origin.isValid() && record.startTime.isValid())
            set.start = origin.secsTo(LoggerTime::readingOrigin(record.startTime, settings));
        set.mkt = QVector<CMktCalculator>(3, CMktCalculator(energy));
        const int setIndex = rows.addSet(record.readings, set.stride, set.samples);
        for (ViewChannel channel : kChannelOrder) {
            const int position = record.channelPosition(channel);
            if (position < 0)
                continue;
            const CTable::LevelRule rule = CTable::LevelRule::of(record, channel);
            // flags and stored channel count disagree: the column stays empty
            const bool readable = position < set.stride;
            rows.addColumn(setIndex, readable ? position : -1, fahrenheit && isTemperature(channel), rule);
            if (readable)
                set.channels.append({ channel, position, rule });
        }
        for (auto &counts : record.levelCounts)
            for (int &count : counts)
                count = 0;
        sets.append(set);
    }
    return sets;
}

// Earliest time a set still has a sample at; false when all are placed.
bool nextRowTime(const QVector<ReadingSet> &sets, qint64 &time)
{
    bool pending = false;
    for (const ReadingSet &set : sets) {
        if (!set.pending())
            continue;
        const qint64 t = set.timeOf(set.next);
        if (!pending || t < time)
            time = t;
        pending = true;
    }
    return pending;
}

// Counts the next sample of a set: its level counts and its temperatures
// for the mean kinetic temperature.
void countSample(ReadingSet &set)
{
    const quint16 *words = set.record->readings.constData() + qint64(set.next) * set.stride;
    for (const ReadingSet::Channel &channel : qAsConst(set.channels)) {
        const int tenths = ReadingWord::tenths(words[channel.position]);
        ++set.record->levelCounts[channel.channel][channel.rule.levelOf(tenths)];
        if (isTemperature(channel.channel))
            set.mkt[channel.channel].add(tenths / 10.0);
    }
    ++set.next;
}

// Merges the sets by time. A row takes the next sample of every set at the
// earliest pending time, never two samples of one set, so sets with equal
// or zero intervals keep every reading.
void mergeByTime(QVector<ReadingSet> &sets, ReadingRows &rows)
{
    qint64 time = 0;
    while (nextRowTime(sets, time)) {
        const int row = rows.addRow(time);
        for (int s = 0; s < sets.size(); ++s) {
            ReadingSet &set = sets[s];
            if (set.pending() && set.timeOf(set.next) == time) {
                countSample(set);
                rows.placeNextSample(s, row);
            }
        }
    }
    rows.squeeze();
}

void storeMeanKineticTemperatures(QVector<ReadingSet> &sets)
{
    for (ReadingSet &set : sets) {
        for (ViewChannel channel : { ChannelInternal, ChannelExternal }) {
            CMktCalculator &calculator = set.mkt[channel];
            set.record->mktValue[limitGroupOf(channel)] =
                calculator.isEmpty() ? 0.0f : float(calculator.result());
        }
    }
}

// The rows as the text exports write them: the row's time (date and time,
// or the elapsed time of sets laid side by side) and its value texts.
void exportRows(const ReadingRows &rows, const QDateTime &origin, bool monthFirst, QStringList &rowTimes,
                QList<QStringList> &rowValues)
{
    rowTimes.clear();
    rowValues.clear();
    rowTimes.reserve(rows.rowCount());
    rowValues.reserve(rows.rowCount());
    RowClock clock(origin, monthFirst);
    ReadingRows::ValueTexts texts;
    for (int r = 0; r < rows.rowCount(); ++r) {
        const qint64 time = rows.timeOf(r);
        rowTimes << (origin.isValid() ? clock.text(time) : ElapsedTimeScaleDraw::formatElapsed(time));
        QStringList values;
        values.reserve(rows.columnCount());
        for (int c = 0; c < rows.columnCount(); ++c) {
            const ReadingRows::Cell cell = rows.cell(r, c);
            values << (cell.present ? texts.of(cell) : QString());
        }
        rowValues << values;
    }
}

// Rows keep a fixed height, and the columns their widths: nothing is
// measured per row.
void layOutReadings(QTableView *table, int timeColumns)
{
    QHeaderView *vertical = table->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setDefaultSectionSize(kReadingRowHeight);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int columns = table->model()->columnCount();
    for (int column = 0; column < columns; ++column)
        table->setColumnWidth(column, column < timeColumns ? kTimeColumnWidth : kReadingColumnWidth);
}

// The model the view shows the readings with: its own, made at its first fill.
ReadingsModel *readingsModelOf(QTableView *table)
{
    if (auto *model = qobject_cast<ReadingsModel *>(table->model()))
        return model;
    auto *model = new ReadingsModel(table);
    table->setModel(model);
    return model;
}

}

void CTable::fillReadings(QTableView *table, QList<int> selection)
{
    fillReadingsInto(table, selection);
}

void CTable::collectReadings(QList<int> selection)
{
    fillReadingsInto(nullptr, selection);
}

void CTable::clearReadings(QTableView *table)
{
    readingsModelOf(table)->clear();
}

// The table shows the rows; without one, the rows are made into the texts
// the exports write (rowTimes, rowValues), which a table never needs.
void CTable::fillReadingsInto(QTableView *table, const QList<int> &selection)
{
    // Released first, so the new rows reuse their memory.
    rowTimes.clear();
    rowValues.clear();
    const bool several = selection.size() > 1;
    const bool byDate = !several || app->settings.multiLinkSyncDateTime;
    // the counters and temperatures the sets leave go to their trips
    QVector<LoggerRecord *> trips;
    for (int index : selection)
        if (LoggerRecord *trip = app->tripForChangeAt(index))
            trips << trip;
    const QDateTime origin = earliestStart(trips, app->settings);
    ReadingRows rows;
    QVector<ReadingSet> sets = readingSets(trips, origin, app->settings, byDate, fahrenheit(),
                                           activationEnergy(), rows);
    collectValueHeaders(trips, several);
    mergeByTime(sets, rows);
    storeMeanKineticTemperatures(sets);
    const QDateTime rowOrigin = byDate ? origin : QDateTime();
    const bool monthFirst = app->settings.dateFormat != 0;
    if (!table) {
        exportRows(rows, rowOrigin, monthFirst, rowTimes, rowValues);
        return;
    }
    const QStringList times = timeHeaders(several);
    ReadingsModel *model = readingsModelOf(table);
    if (trips.isEmpty())
        model->clear();
    else
        model->show(rows, times + valueHeaders, times.size(), rowOrigin, monthFirst);
    layOutReadings(table, times.size());
}
