#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

#include "core/loggerrecord.h"
#include "core/tripcontinuity.h"
#include "files/appsettings.h"

class CComm;
class CFileManager;
class CLanguageTable;
class CMsd;
class CSendEmail;
class CTable;
class CUserAdmin;
class WindowState;

// The application core: the records of connected loggers and opened files,
// the selection, the settings and the helpers every part of the program
// reaches through it. Owned by the main window.
class CMainApp : public QObject
{
    Q_OBJECT
public:
    // window may be a bare WindowState (tests) or the MainWindow; parent is
    // the owning QObject (the window), or null.
    explicit CMainApp(WindowState *window, QObject *parent = nullptr);
    ~CMainApp() override;

    QList<LoggerRecord> records;
    QList<int> selection;
    int currentRecord = -1;
    QString settingsDir;           // ends in "/"
    QString jigPort;
    int jigTestStep = 0;
    quint32 enteredLoggerPassword = 0;

    AppSettings settings;
    CFileManager *fileManager = nullptr;
    CLanguageTable *languageTable = nullptr;
    CTable *table = nullptr;
    CUserAdmin *userAdmin = nullptr;
    CMsd *msd = nullptr;
    CComm *scanner = nullptr;      // port scanner, index -1
    CComm *jigLink = nullptr;      // production jig, index 1000
    WindowState *mainWindow = nullptr;
    QPointer<CSendEmail> emailSender;   // the newest e-mail sender, null once it is done

    // what macAddress() found
    QString interfaceName;
    QString hardwareAddress;
    QString ipAddress;

    // The settings directory, created when missing; ends in "/".
    static QString resolveSettingsDir();
    QString settingsFilePath() const;      // settingsDir + "xZdr.ini"
    QString adminSettingsFilePath() const; // settingsDir + "xZdrAdmin.ini"

    // Removes a record that has no link, keeping the selection, the current
    // record and the watched transfer on the records they named.
    void removeRecord(int index);

    // The trip of the record at index (see LoggerRecord::trip), null
    // outside the list; the second for a change of the trip's own.
    const LoggerRecord *tripAt(int index) const;
    LoggerRecord *tripForChangeAt(int index);

    // Before the readings of a download are kept for the record at index:
    // when they are another trip than the row holds (see TripContinuity),
    // or the readings its trip carries ahead of them would no longer fit
    // one data file with them, an earlier trip never saved becomes a row of
    // its own, and the row's file name, which belongs to the trip saved in
    // it, goes; -1 then. Else how many readings of the row's trip stay
    // ahead of them.
    int makeRoomForDownloadedTrip(int index, TripContinuity::Download download);

    // A logout lets every logger go, and the scanner finds one still
    // plugged in again as a new record: the trip each had downloaded is
    // held, and the first download of its new record that brings that trip
    // again takes it back, with its file, its automatic steps done, and
    // the row it stood in while never saved.
    void holdTripsAtLogout();

    // The index of the record of that identity, -1 when it is gone.
    int indexOfRecord(quint64 recordId) const;

    quint32 currentLoggerTime() const;
    static bool checkLoggerPassword(quint32 word, quint16 entered);
    // The password typed for the record, or, while none was, the one typed last.
    quint32 passwordTypedFor(const LoggerRecord &record) const;
    // Whether that password opens the record.
    bool typedPasswordMatches(const LoggerRecord &record) const;
    // The same; a password that opens the record then stays with it.
    bool takeTypedPassword(LoggerRecord &record) const;
    // What was typed or chosen for the loggers' passwords goes: a protected
    // logger asks for its password again.
    void forgetLoggerPasswords();
    // Whether what was typed or chosen for the record's logger lets the
    // user write to it.
    bool loggerOpenForWriting(const LoggerRecord &record) const;
    static double celsiusToFahrenheit(double celsius);
    void macAddress();
    QString findAcrobatPath() const;
    bool findPdfReader() const;
    void openFileUrl(const QString &path) const;
    void recalcProgramTiming(int index, int mode);
    QString nextDataFileName(const LoggerRecord &record) const;
    QString nextPdfFileName(const LoggerRecord &record) const;
    // The report's name with another extension, at the first counter free
    // for both the report and that extension.
    QString nextExportFileName(const LoggerRecord &record, const QString &extension) const;
    void startEmail(int row);

    // logger link
    void onLoggerFound(const QString &portName);
    void onMassStorageFound(const QString &dataFilePath);
    void onDriveClockNotSet(const QString &driveRoot, const QString &reason);
    void onDriveGoneBeforeClock(const QString &driveRoot);
    void pollLoggers();
    void writeLoggerBlock0(int index);
    void readEeprom();
    bool writeEeprom();

public slots:
    void Timer();
    void Timer1Sec();

    // ---- logger link -------------------------------------------------------
public:
    // "eeprom.bin" in the default data path; "" while no path is set.
    QString eepromFilePath() const;
    // Writes the EEPROM image that a read delivered (eepromReadState 1) to
    // eepromFilePath and sets the state to 2. False when nothing was
    // delivered, or when the file could not be written: then the user is
    // warned and the state goes back to 0.
    bool storeEepromImage(int index);
    // Ports whose logger the user disconnected: the scanner leaves them
    // alone until they disappear from the system.
    QSet<QString> disconnectedPorts;
    // Queues the download of the record's logger and marks the transfer;
    // nothing while a download of that logger runs.
    void startDownload(int index);
    // Seconds without any block before a running download counts as failed.
    static constexpr int kDownloadSilenceSeconds = 30;

    // The window hears of a download of the record's logger that failed
    // or was cut: nothing of it was kept.
    void tellDownloadFailed(const LoggerRecord &record);
    // Ends every download under way without a word (a logout lets their
    // loggers go); the serial numbers of their loggers.
    QStringList endDownloadsUntold();

signals:
    // A download of the record at recordIndex advanced (0..100; -1 while
    // it waits for the logger's first readings).
    void downloadProgress(int recordIndex, int percent);

private:
    bool applyLinkResults();
    bool applyResultsOf(int recordIndex);
    bool settleEnteredPasswords();
    void releaseRecord(int index);
    // The row of the drive logger that the record just read from a drive
    // came from, -1 when that logger has no row.
    int driveRowOf(const LoggerRecord &read) const;
    void letGoOfTripsBeforeOnDrive(const LoggerRecord &read);
    void restartScanner();
    QStringList busyPorts() const;
    void forgetVanishedPorts();
    void endTransferOf(int index);
    void takeBackTripHeldAtLogout(LoggerRecord &record, TripContinuity::Download &download);
    void removeRowsTakenBack();
    void failDownload(int index);
    void endDownload(int index);
    void showDownloadPercent(int index, int percent);
    void expireSilentDownloads();
    QList<LoggerRecord> tripsHeldAtLogout;
    // rows whose trip went back to its logger's record, removed once the
    // link's results are applied
    QList<quint64> rowsTakenBack;
    // ---- end of logger link ----------------------------------------------

private:
    // The window shows it; a core without a window has nobody to tell.
    void warnUser(const QString &text) const;
    // User administration is on and nobody is logged in: the drive waits.
    bool nobodyLoggedIn() const;
    void startLinks();
    void stopLinks();
    QString nextFreeName(const LoggerRecord &record, const QStringList &extensions) const;

    QTimer timer10ms;
    QTimer timer1s;
};
