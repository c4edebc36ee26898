#include "programming/productionpanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>

#include "core/ccomm.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "programming/calibrationtable.h"
#include "programming/loggerwriter.h"
#include "programming/programminghost.h"

void ProductionPanel::writeInternalTable()
{
    const QLineEdit *field = host.productionWidgets().internalTableFile;
    writer.writeCalibrationTable(MemoryMap::InternalTable, field->text().trimmed(), 4);
}

void ProductionPanel::writeExternalTable()
{
    const QLineEdit *field = host.productionWidgets().externalTableFile;
    writer.writeCalibrationTable(MemoryMap::ExternalTable, field->text().trimmed(), 7);
}

void ProductionPanel::showCalibrationTables()
{
    host.restartInactivityCountdown();
    WindowState &state = host.state();
    const bool wasUpdating = state.updatingForm;
    state.updatingForm = true;
    const ProgrammingHost::ProductionWidgets widgets = host.productionWidgets();
    widgets.internalTable->clear();
    widgets.externalTable->clear();
    // before the logger's image has come there is no table to list
    const LoggerRecord *record = host.recordAt(state.currentLoggerRow());
    if (record && record->imageRead.size() >= MemoryMap::ImageSize) {
        const QByteArray image = record->imageRead;
        widgets.internalTable->addItems(
            CalibrationTable::listing(image.mid(MemoryMap::InternalTable, CalibrationTable::Size)));
        widgets.externalTable->addItems(
            CalibrationTable::listing(image.mid(MemoryMap::ExternalTable, CalibrationTable::Size),
                                      CalibrationTable::holdsSensorFlags(MemoryMap::ExternalTable,
                                                                         record->versionWord)));
    }
    state.updatingForm = wasUpdating;
}

bool ProductionPanel::holdsReadingsNotDownloaded(const LoggerRecord &record)
{
    return readingsNotDownloaded(record) > 0;
}

namespace {

// A logger that records over a full memory counts no more than the memory
// holds: what it took since the newest reading downloaded shows on its
// clock, read with its count. A clock set since moved its readings with it.
quint32 readingsTakenSinceDownload(const LoggerRecord &record)
{
    const LoggerRecord &trip = record.trip();
    if (!(trip.configWord & ConfigBits::Continuous) || !trip.stopTime.isValid() || !record.loggerClock.isValid())
        return 0;
    const qint64 newest = qint64(LoggerTime::fromDateTime(trip.stopTime)) + record.clockSetsSinceDownload.moved;
    const qint64 samples = (qint64(record.loggerClockSeconds) - newest) / qint64(qMax<quint32>(1, trip.interval));
    return samples > 0 ? quint32(qMin<qint64>(samples * qMax(1, trip.channelCount), 0xFFFFFFFFLL)) : 0;
}

}

// What a download brought is the head of the trip the logger holds, unless
// a program or an initialisation went to it since; what came after it is
// told by the logger's count or, once its memory went round, by its clock.
// A trip's count only grows: one the logger holds with fewer readings than
// the download brought began since (its stop button restarted it).
quint32 ProductionPanel::readingsNotDownloaded(const LoggerRecord &record)
{
    if (!record.dataLoaded || record.programSentSinceDownload)
        return record.recordedCount;
    const quint32 downloaded = quint32(qMax(0, record.trip().readingCount));
    // a continuous trip's count stops at the memory, below what it brought
    // together with the readings it dropped before
    if (record.recordedCount < downloaded && !(record.trip().configWord & ConfigBits::Continuous))
        return record.recordedCount;
    const quint32 beyondCount = record.recordedCount > downloaded ? record.recordedCount - downloaded : 0;
    return qMin(record.recordedCount, qMax(beyondCount, readingsTakenSinceDownload(record)));
}

QString ProductionPanel::factoryInitQuestion(const LoggerRecord &record)
{
    QString text = tr("Question?\n\nFactory Init erases the program, the limits, the description "
                      "and every reading of the logger #%1.")
                       .arg(record.serialNumber);
    const quint32 lost = readingsNotDownloaded(record);
    if (lost > 0)
        text += tr("\nIt holds %1 readings now, %2 of them never downloaded: they will be lost.")
                    .arg(record.recordedCount)
                    .arg(lost);
    else if (record.recordedCount > 0)
        text += tr("\nIt holds %1 readings now, every one of them downloaded.").arg(record.recordedCount);
    // the page may hold another password than the logger's
    if (record.asLastRead().isPasswordProtected())
        text += tr("\nIts password goes too: the logger will no longer be protected.");
    return text + tr("\n\nInitialise the logger?");
}

// The question counts what the logger holds when it is asked, not what it
// held at the last download: it is read again first.
void ProductionPanel::factoryInit()
{
    host.restartInactivityCountdown();
    const int row = host.state().currentLoggerRow();
    if (!writer.recordToWrite(row, tr("Factory Init")))
        return;
    writer.readHeldReadings(row, [this](const LoggerRecord &counted) { askAndInitialise(counted); });
}

void ProductionPanel::askAndInitialise(const LoggerRecord &counted)
{
    QWidget *parent = host.promptParent();
    const LoggerRecord asked = counted;
    if (CPrompt::question(parent, factoryInitQuestion(asked)) != QMessageBox::Yes)
        return;
    // the timers ran while the question was open
    LoggerRecord *logger = host.recordAt(host.rowOfRecord(asked));
    if (!logger || !logger->commandLink) {
        CPrompt::warning(parent, tr("Warning!\n\nThe logger was disconnected; nothing was changed."));
        return;
    }
    // an automatic download may have begun while the question was open
    if (writer.refuseWhileBusy(*logger))
        return;
    writer.initialise(*logger);
}

void ProductionPanel::fillJigPortCombo(const QString &port, const QStringList &ports)
{
    WindowState &state = host.state();
    QComboBox *combo = host.productionWidgets().jigPort;
    const bool wasUpdating = state.updatingForm;
    state.updatingForm = true;
    combo->clear();
    combo->addItems(ports);
    if (!port.isEmpty() && combo->findText(port) < 0)
        combo->addItem(port);
    combo->setCurrentIndex(combo->findText(port));
    state.updatingForm = wasUpdating;
}
