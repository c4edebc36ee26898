#pragma once

#include <QCoreApplication>
#include <QString>

class LoggerWriter;
class ProgrammingHost;

// The production functions of the logger page and the production pages:
// factory initialisation, the calibration tables of the selected logger
// (listed, and written through the logger writer) and the jig's port list.
class ProductionPanel
{
    Q_DECLARE_TR_FUNCTIONS(ProductionPanel)
public:
    ProductionPanel(ProgrammingHost &host, LoggerWriter &writer) : host(host), writer(writer) {}

    void factoryInit();
    void writeInternalTable();
    void writeExternalTable();
    void showCalibrationTables();
    void fillJigPortCombo(const QString &port);

private:
    ProgrammingHost &host;
    LoggerWriter &writer;
};
