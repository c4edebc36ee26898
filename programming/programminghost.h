#pragma once

#include <QDateTime>
#include <QString>

class CMainApp;
class QComboBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QWidget;
class WindowState;
struct LoggerRecord;

// What the programming and production classes need of the window: its
// flags, the core, the few widgets they fill, and the window services
// around a user action. The window implements it; nothing else of its form
// is reachable from here.
class ProgrammingHost
{
public:
    virtual ~ProgrammingHost() = default;

    virtual WindowState &state() = 0;
    virtual CMainApp *core() const = 0;
    // parent of the boxes they show
    virtual QWidget *promptParent() = 0;
    virtual LoggerRecord *recordAt(int row) = 0;
    // the row of the record after a modal box, -1 when it went meanwhile
    virtual int rowOfRecord(const LoggerRecord &record) const = 0;
    virtual QDateTime loggerNow() const = 0;
    // copies the page's editable fields into the selected record
    virtual void readProgramForm() = 0;
    // the logger password as typed on the page
    virtual QString typedLoggerPassword() const = 0;
    virtual void restartInactivityCountdown() = 0;
    // audit line of a user action, written while somebody is logged in
    virtual void auditUserAction(const QString &text) = 0;
    // the window's program() signal: a re-emission of the program action
    virtual void reemitProgram() = 0;

    virtual QProgressBar *writeProgressBar() = 0;
    struct ProductionWidgets {
        QListWidget *internalTable = nullptr;
        QListWidget *externalTable = nullptr;
        QLineEdit *internalTableFile = nullptr;
        QLineEdit *externalTableFile = nullptr;
        QComboBox *jigPort = nullptr;
    };
    virtual ProductionWidgets productionWidgets() = 0;
};
