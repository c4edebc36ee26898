#pragma once

#include <functional>

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "support/loggersimprocess.h"
#include "ui_mainwindow.h"

class QDialog;
class QLineEdit;
class QMenu;

// Answers every box, file chooser and menu of the window without a modal
// loop, and remembers what was asked.
class PromptRecorder
{
public:
    PromptRecorder();
    ~PromptRecorder();

    struct Box {
        CPrompt::Kind kind;
        QString text;
    };
    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QStringList filesToChoose;        // handed to every file chooser
    QStringList fileCaptions;
    QStringList fileDirectories;      // where each chooser was to open
    QList<QStringList> menus;         // object names of each menu's actions
    // Name and password typed into each login dialog in turn; with none
    // left, or a null name, the login is cancelled, which is counted
    // instead of ending the program.
    QList<QPair<QString, QString>> logins;
    // Old password, new password and its repeat typed into each
    // change-password dialog in turn; OK is pressed when it is enabled.
    QList<QStringList> passwordChanges;
    // A box takes the keyboard focus from the field that had it, as a real
    // one does when it opens.
    bool boxesTakeFocus = false;
    // Runs every other dialog; none rejects it at once.
    std::function<int(QDialog *)> otherDialogs;
    int loginDialogs = 0;
    int passwordDialogs = 0;
    int loginCancels = 0;

    bool sawBoxContaining(const QString &part) const { return boxesContaining(part) > 0; }
    int boxesContaining(const QString &part) const;

private:
    int answerDialog(QDialog *dialog);
};

// Records as the link and the file loader make them.
namespace WindowTest {
LoggerRecord loggerRecord(const QString &port, const QString &serial, quint32 alarmStatus = 0);
LoggerRecord fileRecord(const QString &path, const QString &serial, quint32 alarmStatus = 0);
// A downloaded trip holding these readings, as written to a data file.
LoggerRecord downloadedTrip(const QString &serial, const QVector<quint16> &readings);
// Gives a record made up field by field the header of a real logger (its
// version word kept), so that its data file opens again.
void giveLoggerHeader(LoggerRecord &record);
// Turns user administration on or off for the windows built afterwards.
void setUserAdministration(bool on);
// A main window whose boxes, choosers and menus never block.
struct Harness
{
    PromptRecorder prompts;
    MainWindow window;
    Ui::MainWindow *ui = window.ui;
    QList<LoggerRecord> &records = window.app->records;

    // Adds the record as the last row of the table and makes it current.
    void addAndSelect(const LoggerRecord &record);
    QString homePath(const QString &name) const;
};
// The window with one logger simulator (tools/loggersim) that it can find.
struct SimulatedStation : Harness
{
    explicit SimulatedStation(const QStringList &simArguments, bool pacing = false) : sim(simArguments, pacing) {}
    // Starts the simulator, waits (bounded) for its row and makes it current.
    // scriptLine, when given, takes effect before the logger is seen.
    bool plugInAndSelect(int timeoutMs = 20000, const QString &scriptLine = QString());
    LoggerRecord &record() { return records.first(); }
    // No write transfer running or being watched.
    bool transferOver() const { return !window.transferInProgress && !window.loggerWriter.watch().running(); }

    LoggerSimProcess sim;
};
// The alarm balls the logger list shows for row, among LL L OK H HH.
QStringList alarmLights(const Ui::MainWindow *ui, int row);
// Types text into the field as a user does who then leaves it.
void finishEditing(QLineEdit *field, const QString &text);
// One notch of the wheel with the pointer on the middle of field, delivered
// as the system delivers it: to the widget under the pointer.
void turnWheel(QWidget *field, int notches);
// The on_<child>_<signal> slots of object that name no child with that
// signal: slots that nothing ever calls.
QStringList unboundSlots(const QObject *object);
}
