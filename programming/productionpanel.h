#pragma once

#include <QCoreApplication>
#include <QString>

class LoggerWriter;
class ProgrammingHost;
struct LoggerRecord;

// The production functions of the logger page and the production pages:
// factory initialisation, the calibration tables of the selected logger
// (listed, and written through the logger writer) and the jig's port list.
class ProductionPanel
{
    Q_DECLARE_TR_FUNCTIONS(ProductionPanel)
public:
    ProductionPanel(ProgrammingHost &host, LoggerWriter &writer) : host(host), writer(writer) {}

    // Erases the selected logger's program, limits, description and
    // readings, after the user said yes to the question; only for a user
    // who may configure loggers.
    void factoryInit();
    void writeInternalTable();
    void writeExternalTable();
    void showCalibrationTables();
    // ports: as Platform::serialPorts lists them
    void fillJigPortCombo(const QString &port, const QStringList &ports);

    // The logger has readings in its memory that this station has not
    // downloaded (or more than it downloaded).
    static bool holdsReadingsNotDownloaded(const LoggerRecord &record);
    static quint32 readingsNotDownloaded(const LoggerRecord &record);
    static QString factoryInitQuestion(const LoggerRecord &record);

private:
    void askAndInitialise(const LoggerRecord &counted);

    ProgrammingHost &host;
    LoggerWriter &writer;
};
