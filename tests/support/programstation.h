// A window with a simulated logger, as the tests of the programming and of
// the Admin page's writes drive it.
#pragma once

#include <QPair>
#include <QTemporaryDir>
#include <QtTest>

#include "core/ccomm.h"
#include "core/imagecodec.h"
#include "core/memorymap.h"
#include "programming/calibrationtable.h"
#include "programming/cpass.h"
#include "support/testenv.h"
#include "support/useradmintest.h"
#include "support/windowtest.h"
#include "ui_cpass.h"
#include "ui_mainwindow.h"

namespace ProgramStation {

constexpr int kFoundMs = 30000;
constexpr int kReplyMs = 20000;
constexpr int kProgramMs = 15000;

// A window with one simulated logger that answers questions with Yes.
struct Station : WindowTest::SimulatedStation
{
    explicit Station(const QStringList &simArguments, bool pacing = false) : SimulatedStation(simArguments, pacing)
    {
        prompts.answer = QMessageBox::Yes;
    }
    CComm *link() { return record().commandLink; }
    // A round trip to the logger and through the window's timers: a clock
    // read queued now is answered after every frame queued before it, and
    // applied by the timer that serves the transfers. What has not happened
    // by then does not follow from what came before.
    bool roundTrip()
    {
        record().loggerClockSeconds = 0;
        link()->sendCommand(MemoryMap::Command::Clock);
        return QTest::qWaitFor([this] { return record().loggerClockSeconds != 0; }, kReplyMs);
    }
    // For a logger that has gone silent: the transfer's clock moves past
    // every reply time at each tick of the window, so that what follows
    // from the silence comes at once instead of after the real waits.
    void makeEveryReplyOverdue()
    {
        const qint64 step = qMax(TransferWatch::ClockReplyMs, TransferWatch::DataReplyMs) + 1;
        window.loggerWriter.setClock([step, nowMs = qint64(0)]() mutable { return nowMs += step; });
    }
    // F6, until the readings are in.
    bool download()
    {
        const QDateTime before = record().downloadTime;
        ui->m_actionDownload->trigger();
        return QTest::qWaitFor([&] { return !record().downloadRunning && record().downloadTime != before; },
                               kReplyMs);
    }
    bool clockReaches(qint64 seconds)
    {
        return QTest::qWaitFor([&] { return roundTrip() && record().loggerClockSeconds >= seconds; }, kProgramMs);
    }
    // Ada, an administrator, is logged in; next may log in after her.
    CUserAdmin *logInAda(const UserRecord &next)
    {
        CUserAdmin *users = window.app->userAdmin;
        users->users = { UserStoreFile::user("ada", "Ada1pass", "1", UserRecord::RightAdmin), next };
        users->enabled = true;
        users->currentUser = 0;
        return users;
    }
    // Ada's Logout, chosen or automatic, and the login of next as typed.
    void logOutFor(bool automatic, const QPair<QString, QString> &next)
    {
        CUserAdmin *users = window.app->userAdmin;
        prompts.logins = { next };
        users->logoutRequested = users->autoLogout = automatic;
        if (!automatic)
            window.on_m_actionLogout_triggered();
        window.Timer100ms();
    }
    // The logger's image as it stands.
    LoggerRecord loggerImage()
    {
        LoggerRecord image;
        ImageCodec::decode(sim.memory(), image);
        return image;
    }
};


// Starts the write to the selected logger that write names: sync,
// program, eeprom, internal, external or init.
inline void startWriteNamed(WindowTest::Harness &h, const QString &write)
{
    if (write == QLatin1String("sync"))
        h.ui->m_pushButtonLoggerSyncTime->click();
    else if (write == QLatin1String("program"))
        h.window.on_m_actionProgram_triggered();   // as the window's program() signal
    else if (write == QLatin1String("eeprom"))
        h.window.on_m_actionEEpromWrite_triggered();
    else if (write == QLatin1String("internal"))
        h.window.on_m_pushButtonAdminWriteIntTable_clicked();
    else if (write == QLatin1String("external"))
        h.window.on_m_pushButtonAdminWriteExtTable_clicked();
    else
        h.ui->m_pushButtonFactoryInit->click();
}

// Every write finds what it takes in dataDir, made the data path: image
// as "eeprom.bin", and a calibration table for both sensors that leaves
// the image's sensor flags as they are, whose path comes back ("" when a
// file could not be written).
inline QString giveWritesTheirFiles(Station &s, const QTemporaryDir &dataDir, const QByteArray &image)
{
    s.window.app->settings.defaultPath = dataDir.path();
    QVector<qint16> points(CalibrationTable::PointCount, 100);
    points[CalibrationTable::SensorFlagsPoint] = qint16(0x0100 | quint8(image.at(MemoryMap::SensorFlags)));
    const QString table = dataDir.filePath(QStringLiteral("table.bin"));
    if (!TestEnv::writeFile(dataDir.filePath(QStringLiteral("eeprom.bin")), image)
        || !TestEnv::writeFile(table, CalibrationTable::make(-20, 60, -200, 5, points)))
        return QString();
    s.ui->m_lineEditAdminIntCalFile->setText(table);
    s.ui->m_lineEditAdminExtCalFile->setText(table);
    return table;
}

// Plugs the logger in and selects it; its page is filled and open.
#define START_SELECTED(station)                                                              \
    do {                                                                                     \
        QVERIFY(station.plugInAndSelect(kFoundMs));                                          \
        QTRY_VERIFY_WITH_TIMEOUT(station.record().ready, kReplyMs);                          \
        QTRY_COMPARE_WITH_TIMEOUT(station.ui->m_lineEditLoggerSerial->text(),                \
                                  station.record().serialNumber, kReplyMs);                  \
        /* the page opens once the views of the new row are built */                        \
        QTRY_VERIFY_WITH_TIMEOUT(station.ui->m_groupBoxProgram->isEnabled(), kReplyMs);      \
    } while (false)

// Checks "Wait" and programs until the logger confirmed it.
#define PROGRAM_CONFIRMED(station)                                                           \
    do {                                                                                     \
        if (!station.ui->m_radioButtonPrgStartWait->isChecked())                             \
            station.ui->m_radioButtonPrgStartWait->click();                                  \
        QTRY_VERIFY_WITH_TIMEOUT(station.ui->m_actionProgram->isEnabled(), kReplyMs);        \
        station.ui->m_actionProgram->trigger();                                              \
        QVERIFY(station.window.transferInProgress);                                          \
        QTRY_VERIFY_WITH_TIMEOUT(station.transferOver(), kProgramMs);                        \
        QCOMPARE(station.ui->m_progressBarWrite->styleSheet(), QString());                   \
    } while (false)

// The logger-password dialog is answered as a user does: typed goes into
// its field, then the button of choice is pressed.
inline void answerPasswordDialog(PromptRecorder &prompts, CPass::Choice choice, const QString &typed = QString())
{
    prompts.otherDialogs = [choice, typed](QDialog *dialog) {
        auto *pass = qobject_cast<CPass *>(dialog);
        if (!pass)
            return int(QDialog::Rejected);
        QPushButton *const buttons[] = { pass->ui->m_pushButtonCancel, pass->ui->m_pushButtonRead,
                                         pass->ui->m_pushButtonWrite, pass->ui->m_pushButtonReadWithout,
                                         pass->ui->m_pushButtonWriteWithout };
        pass->ui->m_lineEditPassword->setText(typed);
        if (buttons[choice]->isEnabled())
            buttons[choice]->click();
        return pass->result();
    };
}

// The download is offered and runs: no transfer holds the logger any more.
#define DOWNLOAD_RUNS(station)                                                               \
    do {                                                                                     \
        QVERIFY(station.ui->m_actionDownload->isEnabled());                                  \
        station.prompts.boxes.clear();                                                       \
        station.ui->m_actionDownload->trigger();                                             \
        QVERIFY(station.prompts.boxes.isEmpty());                                            \
        QTRY_VERIFY_WITH_TIMEOUT(station.record().dataLoaded, kReplyMs);                     \
    } while (false)

}
