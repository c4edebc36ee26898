#include "programming/productionpanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "core/ccomm.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "core/platform.h"
#include "core/windowstate.h"
#include "programming/calibrationtable.h"
#include "programming/loggerwriter.h"
#include "programming/programminghost.h"

void ProductionPanel::writeInternalTable()
{
    const QLineEdit *field = host.productionWidgets().internalTableFile;
    writer.writeCalibrationTable(MemoryMap::InternalTable, field->text().trimmed(), field->objectName(), 4);
}

void ProductionPanel::writeExternalTable()
{
    const QLineEdit *field = host.productionWidgets().externalTableFile;
    writer.writeCalibrationTable(MemoryMap::ExternalTable, field->text().trimmed(), field->objectName(), 7);
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
            CalibrationTable::listing(image.mid(MemoryMap::ExternalTable, CalibrationTable::Size)));
    }
    state.updatingForm = wasUpdating;
}

void ProductionPanel::factoryInit()
{
    host.restartInactivityCountdown();
    const LoggerRecord *record = host.recordAt(host.state().currentLoggerRow());
    if (!record || !record->commandLink)
        return;
    record->commandLink->sendCommand(MemoryMap::Command::Wake);
    record->commandLink->sendCommand(MemoryMap::Command::FactoryInit);
    // the logger sends its image again, so that the page shows it as it now is
    record->commandLink->sendCommand(MemoryMap::Command::End);
    host.auditUserAction(QStringLiteral("Factory Init: ") + record->serialNumber);
}

void ProductionPanel::fillJigPortCombo(const QString &port)
{
    WindowState &state = host.state();
    QComboBox *combo = host.productionWidgets().jigPort;
    const bool wasUpdating = state.updatingForm;
    state.updatingForm = true;
    combo->clear();
    combo->addItems(Platform::serialPorts());
    if (!port.isEmpty() && combo->findText(port) < 0)
        combo->addItem(port);
    combo->setCurrentIndex(combo->findText(port));
    state.updatingForm = wasUpdating;
}
