#pragma once

#include <atomic>
#include <QString>
#include <QStringList>
#include <QtGlobal>

struct LoggerRecord;

// The main window's request and state flags, and the few window services
// the core calls back. MainWindow derives from it. The core and the user
// administration reach the window only through this part: what the user
// must be told goes through warnUser, and their tests run them with a bare
// WindowState.
//
// One-shot flags are set by a producer and served and cleared by one timer
// slot. Every flag is written and read on the GUI thread: the communication
// threads hand their results to the core's timer, which applies them
// (CGestionSerie::applyResult), so no flag, atomic or not, is shared with
// another thread.
class WindowState
{
public:
    virtual ~WindowState() = default;

    // guard flags
    bool updatingProgramForm = false;
    bool updatingForm = false;
    bool fillingLoggerTable = false;
    bool updatingUserAdminPage = false;

    // one-shot requests
    std::atomic_bool viewsDirty{false};
    std::atomic_bool loggerTableDirty{false};
    std::atomic_bool showRecordPending{false};
    std::atomic_bool templateCheckPending{false};
    std::atomic_bool calibrationTablesDue{false};
    std::atomic_bool reportDialogPending{false};
    std::atomic_bool programFailed{false};
    std::atomic_bool loggerTimeWrong{false};
    // the serial number of the logger programFailed or loggerTimeWrong is about
    QString transferFailedSerial;
    std::atomic_bool downloadFailed{false};   // a download ended with readings missing
    // the serial numbers of the loggers whose downloads failed since the
    // window last told them, oldest first
    QStringList failedDownloads;

    // state flags
    bool formLocked = false;
    std::atomic_bool transferInProgress{false};
    std::atomic_bool clockCheckPending{false};
    // the record (LoggerRecord::recordId) whose logger's clock reply
    // settles the pending check: its row moves when a row above it goes
    std::atomic<quint64> clockCheckRecordId{0};
    std::atomic_bool clockConfirmed{false};
    std::atomic_int transferRecordIndex{-1};

    // services of the window that the core calls; a bare WindowState (tests,
    // a core without a window) does nothing
    virtual void fillLoggerTable(bool /*rebuild*/) {}
    virtual void updateActions() {}
    virtual void refreshSelectedLogger(int /*row*/) {}
    virtual void updateLoggerPage() {}
    virtual void showLoggerStatus() {}
    virtual void addAudit(const QString & /*text*/) {}
    // Tells the user of a failure that the code which met it cannot show
    // (a warning box in the window). Without a window it goes to the log.
    virtual void warnUser(const QString &text) { qWarning("%s", qPrintable(text)); }
    virtual int currentLoggerRow() const { return -1; }
    virtual void selectTableRow(int /*row*/) {}

    // ---- e-mail of a record (reports/csendemail) ----
    // Progress of a sending on the graph page's bar.
    virtual void showGraphProgress(bool /*visible*/, int /*value*/) {}
    // Writes the record in the form extension names ("qlf", "txt", "csv",
    // "pdf", "jpg") as directory/<serial>.<extension> and returns that path;
    // "" with the reason in error when it was not written.
    virtual QString exportSelectedFile(const QString & /*extension*/, const QString & /*directory*/,
                                       const LoggerRecord & /*record*/, QString *error)
    {
        if (error)
            *error = QStringLiteral("There is no window to export from.");
        return QString();
    }
};
