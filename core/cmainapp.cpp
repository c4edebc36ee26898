#include "core/cmainapp.h"

#include <algorithm>
#include <utility>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "core/clanguagetable.h"
#include "core/ccomm.h"
#include "core/cgestionserie.h"
#include "core/cmsd.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/platform.h"
#include "core/tripcontinuity.h"
#include "core/windowstate.h"
#include "files/cfilemanager.h"
#include "files/regularfile.h"
#include "reports/csendemail.h"
#include "users/cuseradmin.h"
#include "views/ctable.h"

namespace {

// Start values of the settings before "xZdr.ini" is read.
void applyStartValues(AppSettings &settings)
{
    settings.timeZone = 0.0f;
    settings.timeZoneIndex = 0;
    settings.timeZoneDaylight = 0;
    settings.smtpServerAuto = 0;
    settings.smtpAttachedFiles = 0;
    settings.smtpServerAddress.clear();
    settings.smtpUserName.clear();
    settings.smtpPassword.clear();
    settings.smtpSenderName.clear();
    settings.smtpSenderEmail.clear();
    settings.smtpRecipientName.clear();
    settings.smtpRecipientEmail.clear();
    settings.smtpSubject.clear();
    settings.showHelp = true;
}

}

CMainApp::CMainApp(WindowState *window, QObject *parent)
    : QObject(parent), mainWindow(window)
{
    languageTable = new CLanguageTable;
    fileManager = new CFileManager(this);
    userAdmin = new CUserAdmin(this);
    applyStartValues(settings);

    settingsDir = resolveSettingsDir();
    if (!QFileInfo::exists(settingsFilePath()))
        fileManager->writeSettings(settingsFilePath());   // a first start: write the defaults
    fileManager->readSettings(settingsFilePath());

    jigPort = CFileManager::readCsvTable(adminSettingsFilePath(), QStringLiteral("ADMIN_JIG_PORT"));
    userAdmin->enabled =
        CFileManager::readCsvTable(adminSettingsFilePath(), QStringLiteral("USER_ADMIN")).trimmed()
        == QLatin1String("1");

    table = new CTable(this);
    startLinks();

    connect(&timer10ms, &QTimer::timeout, this, &CMainApp::Timer);
    connect(&timer1s, &QTimer::timeout, this, &CMainApp::Timer1Sec);
    timer10ms.start(10);
    timer1s.start(1000);
}

CMainApp::~CMainApp()
{
    timer10ms.stop();
    timer1s.stop();
    // A Logout that cannot be written is told through the window, which
    // still stands while its core goes.
    userAdmin->addAuditEntry(QStringLiteral("Logout"));
    stopLinks();
    delete fileManager;
    delete languageTable;
}

// The application's configuration location, or the directory named by
// MIRELDA_SETTINGS_DIR (tests).
QString CMainApp::resolveSettingsDir()
{
    QString dir = qEnvironmentVariable("MIRELDA_SETTINGS_DIR");
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
              + QStringLiteral("/Mirelda");
    }
    QDir().mkpath(dir);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString CMainApp::settingsFilePath() const
{
    return settingsDir + QStringLiteral("xZdr.ini");
}

QString CMainApp::adminSettingsFilePath() const
{
    return settingsDir + QStringLiteral("xZdrAdmin.ini");
}

void CMainApp::warnUser(const QString &text) const
{
    if (mainWindow)
        mainWindow->warnUser(text);
}

bool CMainApp::nobodyLoggedIn() const
{
    return userAdmin->enabled && userAdmin->currentUser == -1;
}

quint32 CMainApp::currentLoggerTime() const
{
    if (settings.zoneChosen()) {
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        const qint64 seconds = LoggerTime::epoch().secsTo(utc) + settings.zoneOffsetSeconds();
        return seconds <= 0 ? 0 : quint32(seconds);
    }
    return LoggerTime::fromDateTime(QDateTime::currentDateTime());
}

bool CMainApp::checkLoggerPassword(quint32 word, quint16 entered)
{
    const quint16 password = quint16(word & PasswordBits::PasswordMask);
    return password == 0 || password == entered;
}

quint32 CMainApp::passwordTypedFor(const LoggerRecord &record) const
{
    return record.typedPassword != 0 ? record.typedPassword : enteredLoggerPassword;
}

bool CMainApp::typedPasswordMatches(const LoggerRecord &record) const
{
    return checkLoggerPassword(record.passwordWord, quint16(passwordTypedFor(record)));
}

bool CMainApp::takeTypedPassword(LoggerRecord &record) const
{
    if (!typedPasswordMatches(record))
        return false;
    if (record.isPasswordProtected())
        record.typedPassword = passwordTypedFor(record);
    return true;
}

// A password outlives neither the session it was typed in nor a choice
// made in it: the next user gives them again.
void CMainApp::forgetLoggerPasswords()
{
    enteredLoggerPassword = 0;
    for (LoggerRecord &record : records) {
        record.typedPassword = 0;
        record.passwordWaiver = LoggerRecord::PasswordWaiver::None;
        record.passwordAsked = false;
        // a file row keeps what its trip was read with
        if (!record.isFile())
            record.passwordAccepted = false;
    }
}

bool CMainApp::loggerOpenForWriting(const LoggerRecord &record) const
{
    return !record.isPasswordProtected() || record.passwordAccepted || typedPasswordMatches(record)
           || record.writableWithoutPassword();
}

double CMainApp::celsiusToFahrenheit(double celsius)
{
    return Units::celsiusToFahrenheit(celsius);
}

void CMainApp::macAddress()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!(iface.flags() & QNetworkInterface::IsRunning))
            continue;
        const QString hardware = iface.hardwareAddress();
        if (hardware.isEmpty() || hardware == QLatin1String("00:00:00:00:00:00"))
            continue;
        interfaceName = iface.humanReadableName();
        hardwareAddress = hardware;
        const auto entries = iface.addressEntries();
        ipAddress = entries.isEmpty() ? QString() : entries.first().ip().toString();
        return;
    }
}

// On Linux the registry look-ups of a PDF reader become a search of the
// PATH for Acrobat, then the desktop's default handler of PDF files.
QString CMainApp::findAcrobatPath() const
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("acroread"));
    return path.isEmpty() ? QString() : QStringLiteral("\"%1\"").arg(path);
}

bool CMainApp::findPdfReader() const
{
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf") });
        if (query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

void CMainApp::openFileUrl(const QString &path) const
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {
// A trip longer than the memory holds ends when the memory is full: the
// count and the duration are then those of a full memory, so that the page
// shows the trip the logger will record. True when the memory cut it.
bool fitDurationToMemory(LoggerRecord &r)
{
    const quint32 channels = quint32(qMax(1, r.channelCount));
    const quint32 interval = qMax<quint32>(1, r.interval);
    const quint32 usable = r.memoryReadings();
    const quint32 cap = qMin<quint32>(usable ? usable : quint32(kMaxReadings), quint32(kMaxReadings));
    const quint64 count = quint64(r.duration) / interval * channels;
    r.stopReadingCount = qint32(qMin<quint64>(count, cap));
    if (count <= cap)
        return false;
    r.duration = r.durationOf(r.stopReadingCount);
    return true;
}
}

// Keeps the program schedule of a record consistent after one of its fields
// changed. Mode 0: the duration changed; 1: interval, count or sensors;
// 2: the start; 4: the stop.
void CMainApp::recalcProgramTiming(int index, int mode)
{
    if (index < 0 || index >= records.size())
        return;
    LoggerRecord &r = records[index];
    switch (mode) {
    case 0:
        // a stop at the time the memory is full comes with its last reading
        if (fitDurationToMemory(r) && r.startAt.isValid()) {
            r.stopAt = r.startAt.addSecs(qint64(r.readingsSpan(r.stopReadingCount)));
            return;
        }
        break;
    case 1:
        r.duration = r.durationOf(r.stopReadingCount);
        break;
    case 4:
        if (r.startAt.isValid() && r.stopAt.isValid()) {
            const qint64 seconds = r.startAt.secsTo(r.stopAt);
            r.duration = seconds > 0 ? quint32(seconds) : 0;
            fitDurationToMemory(r);
        }
        return;
    default:
        break;
    }
    if (r.startAt.isValid())
        r.stopAt = r.startAt.addSecs(qint64(r.duration));
}

// First counter at which nothing, not even a link, stands under any of the
// extensions; the name carries the first extension. The serial number
// comes from the logger's memory or a drive file: it enters the name only
// as the same safe base the attachments use, and a name that would still
// leave the data folder is not given.
QString CMainApp::nextFreeName(const LoggerRecord &record, const QStringList &extensions) const
{
    const QString path = settings.defaultPath;
    if (path.isEmpty() || record.serialNumber.trimmed().isEmpty())
        return QString();
    const QDir folder(path);
    QString base = CFileManager::fileBaseName(record.serialNumber);
    if (record.tripNumber != kUnlimitedTrips)
        base += QStringLiteral("_%1").arg(record.tripNumber, 4, 10, QLatin1Char('0'));
    auto nameAt = [&](int counter, const QString &extension) {
        return folder.filePath(
            QStringLiteral("%1_%2.%3").arg(base).arg(counter, 3, 10, QLatin1Char('0')).arg(extension));
    };
    if (QFileInfo(nameAt(0, extensions.first())).absolutePath() != folder.absolutePath())
        return QString();
    for (int counter = 0; counter <= 999; ++counter) {
        const bool taken = std::any_of(extensions.begin(), extensions.end(),
                                       [&](const QString &extension) {
                                           return !RegularFile::isFree(nameAt(counter, extension));
                                       });
        if (!taken)
            return nameAt(counter, extensions.first());
    }
    return QString();
}

QString CMainApp::nextDataFileName(const LoggerRecord &record) const
{
    return nextFreeName(record, { QStringLiteral("qlf") });
}

QString CMainApp::nextPdfFileName(const LoggerRecord &record) const
{
    return nextFreeName(record, { QStringLiteral("pdf") });
}

QString CMainApp::nextExportFileName(const LoggerRecord &record, const QString &extension) const
{
    return nextFreeName(record, { extension, QStringLiteral("pdf") });
}

// A sender still busy with an earlier record goes on: it finishes its own
// message and then deletes itself.
void CMainApp::startEmail(int row)
{
    emailSender = new CSendEmail(this);
    emailSender->start(row);
}

void CMainApp::Timer()
{
    bool changed = applyLinkResults();
    removeRowsTakenBack();
    changed = settleEnteredPasswords() || changed;
    if (!mainWindow)
        return;
    // The views of a logger that still waits for its password stay empty.
    if (currentRecord >= 0 && currentRecord < records.size()) {
        const LoggerRecord &current = records.at(currentRecord);
        if (!current.isFile() && current.versionWord != 0 && !current.ready)
            mainWindow->viewsDirty = false;
    }
    if (changed)
        mainWindow->updateActions();
}

void CMainApp::Timer1Sec()
{
    pollLoggers();
    if (userAdmin->enabled && userAdmin->currentUser != -1 && userAdmin->logoutCountdown != 0) {
        if (--userAdmin->logoutCountdown == 0) {
            userAdmin->logoutRequested = true;
            userAdmin->autoLogout = true;
        }
    }
    if (mainWindow)
        mainWindow->fillLoggerTable(false);
}

// ---- logger link ---------------------------------------------------------

void CMainApp::startLinks()
{
    scanner = new CComm(CComm::ScannerIndex, QString());
    connect(scanner, &CComm::loggerFound, this, &CMainApp::onLoggerFound, Qt::QueuedConnection);
    restartScanner();
    // The jig link waits for the production jig test, which starts it.
    jigLink = new CComm(CComm::JigIndex, jigPort);
    msd = new CMsd;
    connect(msd, &CMsd::massStorageFound, this, &CMainApp::onMassStorageFound,
            Qt::QueuedConnection);
    connect(msd, &CMsd::clockLineFailed, this, &CMainApp::onDriveClockNotSet, Qt::QueuedConnection);
    connect(msd, &CMsd::clockLineDropped, this, &CMainApp::onDriveGoneBeforeClock, Qt::QueuedConnection);
    msd->paused = nobodyLoggedIn();
    msd->start();
}

void CMainApp::stopLinks()
{
    delete scanner;   // each stops and joins its thread first
    scanner = nullptr;
    delete jigLink;
    jigLink = nullptr;
    delete msd;
    msd = nullptr;
    for (LoggerRecord &record : records) {
        delete record.commandLink;
        record.commandLink = nullptr;
    }
}

QStringList CMainApp::busyPorts() const
{
    QStringList ports;
    for (const LoggerRecord &record : records)
        if (!record.portName.isEmpty())
            ports << record.portName;
    if (!jigPort.isEmpty())
        ports << jigPort;
    for (const QString &port : disconnectedPorts)
        if (!ports.contains(port))
            ports << port;
    return ports;
}

void CMainApp::forgetVanishedPorts()
{
    if (disconnectedPorts.isEmpty())
        return;
    const QStringList present = Platform::serialPorts();
    for (auto it = disconnectedPorts.begin(); it != disconnectedPorts.end();) {
        if (present.contains(*it) && QFileInfo::exists(*it))
            ++it;
        else
            it = disconnectedPorts.erase(it);
    }
}

void CMainApp::restartScanner()
{
    if (!scanner || scanner->isRunning())
        return;
    scanner->setBusyPorts(busyPorts());
    scanner->start();
}

void CMainApp::onLoggerFound(const QString &portName)
{
    if (portName.isEmpty() || busyPorts().contains(portName))
        return;
    LoggerRecord record;
    record.portName = portName;
    record.commandLink = new CComm(records.size(), portName);
    records.append(record);
    CComm *link = record.commandLink;
    link->start();
    link->sendCommand(MemoryMap::Command::Wake);
    link->sendCommand(MemoryMap::Command::Clock);
    if (mainWindow) {
        mainWindow->updatingForm = true;
        mainWindow->showRecordPending = true;
        mainWindow->fillLoggerTable(false);
        mainWindow->updateActions();
    }
}

void CMainApp::onMassStorageFound(const QString &dataFilePath)
{
    // A drive found just before a logout waits for the next login, which
    // sends the worker looking again.
    if (nobodyLoggedIn())
        return;
    LoggerRecord record;
    QString error;
    if (!CMsd::readDataFile(dataFilePath, record, &error)) {
        if (msd)
            msd->readFailed(dataFilePath);
        warnUser(QStringLiteral("Warning!\n\n%1\n%2").arg(dataFilePath, error));
        return;
    }
    int row = driveRowOf(record);
    if (row < 0) {
        letGoOfTripsBeforeOnDrive(record);
        records.append(record);
        row = records.size() - 1;
    } else {
        // the row and the trip it was, holding what its drive holds now, with the comment
        // typed for its trip, which the drive does not carry (and which is still to be saved)
        const LoggerRecord &held = records.at(row);
        record.recordId = held.recordId;
        record.tripId = held.trip().tripId;
        record.comment = held.trip().comment;
        record.unsavedReadings = held.unsavedReadings;
        record.lostFileName = held.lostFileName;
        record.keepAsTrip();   // the trip is what the window shows, saves and finds again
        records[row] = record;
    }
    if (mainWindow) {
        mainWindow->loggerTableDirty = true;
        mainWindow->updatingForm = true;
        mainWindow->showRecordPending = true;
        mainWindow->fillLoggerTable(false);
    }
    currentRecord = row;
    if (mainWindow) {
        mainWindow->selectTableRow(row);
        mainWindow->updateLoggerPage();
        mainWindow->showLoggerStatus();
        mainWindow->refreshSelectedLogger(row);
        mainWindow->updateActions();
    }
    if (msd)
        msd->requestClockLine(currentLoggerTime());
}

// A read sets the drive logger's clock through its command file; a drive
// that takes no file keeps its own time, and the user hears of it.
void CMainApp::onDriveClockNotSet(const QString &driveRoot, const QString &reason)
{
    if (nobodyLoggedIn())
        return;   // the next login reads the drive again, and is told then
    warnUser(tr("Warning!\n\nThe clock of the logger on drive \"%1\" was not set: its command file "
                "\"CMD.TXT\" cannot be written (%2).\nIts readings were read. The program tries again "
                "while the drive stays plugged in.")
                 .arg(QDir::toNativeSeparators(driveRoot), reason));
}

// A drive unplugged right after its read keeps its own time as well.
void CMainApp::onDriveGoneBeforeClock(const QString &driveRoot)
{
    if (nobodyLoggedIn())
        return;
    warnUser(tr("Warning!\n\nThe clock of the logger on drive \"%1\" was not set: the drive was removed "
                "before its command file \"CMD.TXT\" was written.\nIts readings were read. Plug it in again "
                "to set its clock.")
                 .arg(QDir::toNativeSeparators(driveRoot)));
}

// The drive logger's record stays when its drive goes, as a file row; a
// drive that comes back is that row when it carries the same logger and
// the same trip, every reading the row holds again at its head. A drive
// that brings another trip gets a row of its own: the row before keeps
// what it holds.
int CMainApp::driveRowOf(const LoggerRecord &read) const
{
    for (int i = 0; i < records.size(); ++i) {
        const LoggerRecord &held = records.at(i);
        if (!held.massStorage || held.serialNumber != read.serialNumber || held.startTime != read.startTime)
            continue;
        const QVector<quint16> before = held.readings.mid(0, held.readingCount);
        if (before.isEmpty()
            || TripContinuity::readingsBefore(before, read.readings.mid(0, read.readingCount), 1, false) == 0)
            return i;
    }
    return -1;
}

// The drive holds one trip of its logger: a trip before it that only the
// drive held is held nowhere now, as an unplugged logger's trip never saved.
void CMainApp::letGoOfTripsBeforeOnDrive(const LoggerRecord &read)
{
    for (LoggerRecord &held : records) {
        if (!held.massStorage || held.serialNumber != read.serialNumber || held.hasDataFile())
            continue;
        held.fileName.clear();
        CFileManager::fileLost(held);
        if (mainWindow)
            mainWindow->loggerTableDirty = true;
    }
}

void CMainApp::pollLoggers()
{
    expireSilentDownloads();
    for (int i = records.size() - 1; i >= 0; --i) {
        LoggerRecord &record = records[i];
        // A link whose thread ended has lost its port.
        if (record.commandLink && record.commandLink->isFinished())
            record.disconnectRequested = true;
        if (!record.disconnectRequested)
            continue;
        // The user's disconnect must hold: the logger is still on its port
        // and the scanner would find it again at once.
        if (record.commandLink && !record.commandLink->portLost && !record.portName.isEmpty())
            disconnectedPorts.insert(record.portName);
        releaseRecord(i);
    }
    forgetVanishedPorts();
    restartScanner();
    if (msd)
        msd->paused = nobodyLoggedIn();
}

// Stops and deletes the record's link after applying what it decoded last
// (a download may have finished just before the port went). A record that
// holds a download not yet saved stays, as a record without a logger, so
// the readings can still be saved; any other is removed and every stored
// index that pointed past it moves.
void CMainApp::releaseRecord(int index)
{
    if (CComm *link = records.at(index).commandLink) {
        link->stop();
        applyResultsOf(index);
        delete link;
        records[index].commandLink = nullptr;
    }
    endTransferOf(index);   // its logger is gone
    if (mainWindow) {
        mainWindow->viewsDirty = true;
        mainWindow->loggerTableDirty = true;
    }
    if (records.at(index).downloadRunning)
        failDownload(index);
    LoggerRecord &record = records[index];
    if (record.unsavedReadings) {
        record.standWithoutLogger();
        return;
    }
    removeRecord(index);
}

// The same trip downloaded again brings its readings again and more, into
// the same row and the same file, behind those its logger's memory dropped
// going round while they fit one data file; a trip the logger began afresh
// is another, and so is the rest of a trip past that: the earlier one,
// never saved, stays beside it.
int CMainApp::makeRoomForDownloadedTrip(int index, TripContinuity::Download download)
{
    LoggerRecord &record = records[index];
    const bool programSent = std::exchange(record.programSentSinceDownload, false);
    download.clock = std::exchange(record.clockSetsSinceDownload, {});
    if (!record.recordedTrip && !programSent)
        takeBackTripHeldAtLogout(record, download);
    if (!record.recordedTrip)
        return -1;
    const int kept = programSent ? -1 : TripContinuity::readingsBefore(record.trip(), record.asLastRead(), download);
    // a download alone is what its logger holds, whatever file it fits
    if (kept == 0 || (kept > 0 && kept + download.readings.size() <= record.trip().fileCapacity()))
        return kept;
    record.fileName.clear();
    record.exportFileName.clear();
    // the trip kept apart keeps its identity: a chooser opened for it finds it there
    record.beginNextTrip();
    if (record.unsavedReadings)
        records.append(record.tripApart());
    if (mainWindow)
        mainWindow->loggerTableDirty = true;
    return -1;
}

void CMainApp::holdTripsAtLogout()
{
    tripsHeldAtLogout.clear();
    for (LoggerRecord held : qAsConst(records)) {
        if (held.portName.isEmpty() || !held.recordedTrip || held.programSentSinceDownload)
            continue;
        held.commandLink = nullptr;
        tripsHeldAtLogout << held;
    }
}

// A trip never saved stands in a row of its own once its logger is let go,
// and is taken back from there while the row stays; a saved one is taken
// back as the logout left it.
void CMainApp::takeBackTripHeldAtLogout(LoggerRecord &record, TripContinuity::Download &download)
{
    for (int i = 0; i < tripsHeldAtLogout.size(); ++i) {
        if (tripsHeldAtLogout.at(i).serialNumber != record.serialNumber)
            continue;
        LoggerRecord held = tripsHeldAtLogout.takeAt(i);
        const int row = indexOfRecord(held.recordId);
        if (held.unsavedReadings && row < 0)
            return;   // its row was saved or closed since, as its user chose
        if (row >= 0)
            held = records.at(row);
        TripContinuity::Download since = download;
        since.clock = held.clockSetsSinceDownload + download.clock;
        if (TripContinuity::readingsBefore(held.trip(), record.asLastRead(), since) < 0)
            return;
        download.clock = since.clock;
        record.recordedTrip = held.recordedTrip;
        record.tripId = held.tripId;
        record.comment = held.comment;
        record.fileName = held.fileName;
        record.fileDigest = held.fileDigest;
        record.exportFileName = held.exportFileName;
        record.unsavedReadings = held.unsavedReadings;
        record.lostFileName = held.lostFileName;
        record.autoSaved = held.autoSaved;
        record.autoPdfDone = held.autoPdfDone;
        record.autoTxtDone = held.autoTxtDone;
        record.autoCsvDone = held.autoCsvDone;
        record.autoMailStarted = held.autoMailStarted;
        if (row >= 0)
            rowsTakenBack << held.recordId;
        return;
    }
}

void CMainApp::removeRowsTakenBack()
{
    for (quint64 id : std::exchange(rowsTakenBack, {})) {
        const int row = indexOfRecord(id);
        if (row < 0)
            continue;
        removeRecord(row);
        if (mainWindow) {
            mainWindow->loggerTableDirty = true;
            mainWindow->viewsDirty = true;
        }
    }
}

int CMainApp::indexOfRecord(quint64 recordId) const
{
    for (int i = 0; i < records.size(); ++i)
        if (records.at(i).recordId == recordId)
            return i;
    return -1;
}

const LoggerRecord *CMainApp::tripAt(int index) const
{
    return index >= 0 && index < records.size() ? &records.at(index).trip() : nullptr;
}

LoggerRecord *CMainApp::tripForChangeAt(int index)
{
    return index >= 0 && index < records.size() ? &records[index].tripForChange() : nullptr;
}

void CMainApp::removeRecord(int index)
{
    if (index < 0 || index >= records.size())
        return;
    records.removeAt(index);
    QList<int> kept;
    for (int selected : qAsConst(selection)) {
        if (selected < index)
            kept << selected;
        else if (selected > index)
            kept << selected - 1;
    }
    selection = kept;
    if (currentRecord == index)
        currentRecord = -1;
    else if (currentRecord > index)
        --currentRecord;
    if (mainWindow && mainWindow->transferRecordIndex > index)
        --mainWindow->transferRecordIndex;
}

void CMainApp::startDownload(int index)
{
    if (index < 0 || index >= records.size() || !records.at(index).commandLink
        || records.at(index).downloadRunning)
        return;
    LoggerRecord &record = records[index];
    record.commandLink->sendCommand(MemoryMap::Command::Wake);
    // the alarms the logger latched for the trip, as its memory holds them
    // now: 0x0B is the jig's, which a logger need not answer
    record.commandLink->sendReadMemory(MemoryMap::AlarmStatus, 4);
    record.commandLink->sendCommand(MemoryMap::Command::Download);
    record.downloadRunning = true;
    record.downloadSilentSeconds = 0;
    showDownloadPercent(index, -1);
    if (mainWindow) {
        mainWindow->transferRecordIndex = index;
        mainWindow->transferInProgress = true;
    }
}

void CMainApp::endTransferOf(int index)
{
    if (mainWindow && mainWindow->transferRecordIndex == index) {
        mainWindow->transferInProgress = false;
        mainWindow->transferRecordIndex = -1;
    }
}

// The user is told, and the progress bar starts again from nothing: the
// readings that did arrive are not kept.
void CMainApp::failDownload(int index)
{
    endDownload(index);
    tellDownloadFailed(records.at(index));
}

void CMainApp::endDownload(int index)
{
    records[index].downloadRunning = false;
    endTransferOf(index);
    showDownloadPercent(index, 0);
}

void CMainApp::tellDownloadFailed(const LoggerRecord &record)
{
    if (!mainWindow)
        return;
    mainWindow->failedDownloads << record.serialNumber;
    mainWindow->downloadFailed = true;
}

QStringList CMainApp::endDownloadsUntold()
{
    QStringList serials;
    for (int i = 0; i < records.size(); ++i) {
        if (!records.at(i).downloadRunning)
            continue;
        endDownload(i);
        serials << records.at(i).serialNumber;
    }
    return serials;
}

void CMainApp::showDownloadPercent(int index, int percent)
{
    records[index].downloadPercent = percent;
    emit downloadProgress(index, percent);
}

// A logger that stops sending in the middle of a download (or never
// starts) would otherwise keep its download action off for good.
void CMainApp::expireSilentDownloads()
{
    for (int i = 0; i < records.size(); ++i) {
        LoggerRecord &record = records[i];
        if (record.downloadRunning && ++record.downloadSilentSeconds > kDownloadSilenceSeconds)
            failDownload(i);
    }
}

void CMainApp::writeLoggerBlock0(int index)
{
    if (index < 0 || index >= records.size() || !records.at(index).commandLink)
        return;
    CComm *link = records.at(index).commandLink;
    link->sendCommand(MemoryMap::Command::Wake);
    link->sendWriteMemory(0, records.at(index).imageToWrite.left(MemoryMap::BlockSize));
    if (mainWindow) {
        mainWindow->transferRecordIndex = index;
        mainWindow->transferInProgress = true;
    }
}

void CMainApp::readEeprom()
{
    if (currentRecord < 0 || currentRecord >= records.size()
        || !records.at(currentRecord).commandLink)
        return;
    LoggerRecord &record = records[currentRecord];
    record.eepromReadState = 0;
    record.commandLink->sendReadMemory(0, MemoryMap::ImageSize);
    record.commandLink->sendCommand(MemoryMap::Command::End);
}

bool CMainApp::writeEeprom()
{
    if (currentRecord < 0 || currentRecord >= records.size()
        || !records.at(currentRecord).commandLink)
        return false;
    const QString path = eepromFilePath();
    QByteArray image;
    QString why;
    if (!path.isEmpty() && !RegularFile::read(path, MemoryMap::ImageSize + 1, &image, &why)) {
        warnUser(QStringLiteral("Warning!\n\n%1\n%2.").arg(path, why));
        return false;
    }
    if (image.size() != MemoryMap::ImageSize) {
        warnUser(QStringLiteral("Warning!\n\n%1\n%2 bytes expected.")
                     .arg(path.isEmpty() ? QStringLiteral("eeprom.bin") : path)
                     .arg(MemoryMap::ImageSize));
        return false;
    }
    LoggerRecord &record = records[currentRecord];
    record.eepromFileImage = image;
    record.eepromTask = 1;
    CComm *link = record.commandLink;
    link->sendCommand32(MemoryMap::Command::Clock, currentLoggerTime());
    link->sendWriteMemory(0, image);
    link->sendCommand(MemoryMap::Command::Commit);
    link->sendCommand(MemoryMap::Command::End);
    return true;
}

QString CMainApp::eepromFilePath() const
{
    if (settings.defaultPath.isEmpty())
        return QString();
    return settings.defaultPath + QStringLiteral("/eeprom.bin");
}

bool CMainApp::storeEepromImage(int index)
{
    if (index < 0 || index >= records.size() || records.at(index).eepromReadState != 1)
        return false;
    LoggerRecord &record = records[index];
    const QString path = eepromFilePath();
    QString reason;
    if (!path.isEmpty()
        && CFileManager::writeBinaryFile(path, record.eepromImage.constData(),
                                         record.eepromImage.size(), &reason)) {
        record.eepromReadState = 2;
        return true;
    }
    // Said once: the image is dropped and has to be read again, rather
    // than being offered to be written on every tick.
    record.eepromReadState = 0;
    QString text = QStringLiteral("Warning!\n\n%1\ncould not be written.")
                       .arg(path.isEmpty() ? QStringLiteral("eeprom.bin") : path);
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    warnUser(text);
    return false;
}

// Moves what the link threads decoded into the records, on this thread.
bool CMainApp::applyLinkResults()
{
    bool changed = false;
    for (int i = 0; i < records.size(); ++i)
        changed = applyResultsOf(i) || changed;
    return changed;
}

bool CMainApp::applyResultsOf(int i)
{
    CComm *link = records.at(i).commandLink;
    if (!link)
        return false;
    bool changed = false;
    const QList<LinkResult> results = link->takeResults();
    for (const LinkResult &result : results) {
        if (result.kind == LinkResult::DownloadProgress) {
            records[i].downloadSilentSeconds = 0;
            const quint32 expected = qMax<quint32>(1, records.at(i).recordedCount);
            showDownloadPercent(i, int(qMin<quint64>(100, quint64(result.value) * 100 / expected)));
            continue;
        }
        const bool wasDownloading = records.at(i).downloadRunning;
        CGestionSerie::applyResult(result, i, *this);
        if (wasDownloading && !records.at(i).downloadRunning)
            endTransferOf(i);
        if (result.kind == LinkResult::DownloadDone) {
            records[i].autoDownloadArrived = records.at(i).autoDownloaded;
            showDownloadPercent(i, 100);
        } else if (result.kind == LinkResult::DownloadFailed) {
            showDownloadPercent(i, 0);
        }
        changed = true;
    }
    return changed;
}

// A protected logger becomes ready once the password entered by the user
// matches its own, or once the user opened it without as its word allows.
// Its page and views are then built as for a logger without a password.
bool CMainApp::settleEnteredPasswords()
{
    bool changed = false;
    for (LoggerRecord &record : records) {
        if (record.ready || record.isFile() || record.versionWord == 0)
            continue;
        if (record.passwordAccepted || takeTypedPassword(record))
            record.passwordAccepted = true;
        else if (!record.opensWithoutPassword())
            continue;
        record.ready = true;
        if (mainWindow) {
            mainWindow->loggerTableDirty = true;
            mainWindow->viewsDirty = true;
        }
        changed = true;
    }
    return changed;
}
