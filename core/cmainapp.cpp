#include "core/cmainapp.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "app/clanguagetable.h"
#include "core/loggertime.h"
#include "core/windowstate.h"
#include "files/cfilemanager.h"
#include "users/cuseradmin.h"
#include "views/ctable.h"

namespace {

// The settings directory: the application's configuration location, or the
// directory named by MIRELDA_SETTINGS_DIR (tests). Created when missing.
QString resolveSettingsDir()
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
    userAdmin->addAuditEntry(QStringLiteral("Logout"));
    stopLinks();
    delete fileManager;
    delete languageTable;
}

QString CMainApp::settingsFilePath() const
{
    return settingsDir + QStringLiteral("xZdr.ini");
}

QString CMainApp::adminSettingsFilePath() const
{
    return settingsDir + QStringLiteral("xZdrAdmin.ini");
}

bool CMainApp::saveSettings()
{
    return fileManager->writeSettings(settingsFilePath());
}

int CMainApp::recordIndexOf(const CComm *comm) const
{
    for (int i = 0; i < records.size(); ++i)
        if (records.at(i).commandLink == comm)
            return i;
    return -1;
}

quint32 CMainApp::currentLoggerTime() const
{
    if (settings.timeZoneIndex != 0) {
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        double offset = double(settings.timeZone) * 3600.0;
        if (settings.timeZoneDaylight != 0)
            offset += 3600.0;
        const double seconds =
            double(LoggerTime::epoch().secsTo(utc)) + offset;
        return seconds <= 0 ? 0 : quint32(qint64(seconds));
    }
    return LoggerTime::fromDateTime(QDateTime::currentDateTime());
}

bool CMainApp::checkLoggerPassword(quint32 word, quint16 entered)
{
    const quint16 password = quint16(word & PasswordBits::PasswordMask);
    return password == 0 || password == entered;
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

// Keeps the program schedule of a record consistent after one of its fields
// changed. Mode 0: the duration changed; 1: interval, count or sensors;
// 2: the start; 4: the stop.
void CMainApp::recalcProgramTiming(int index, int mode)
{
    if (index < 0 || index >= records.size())
        return;
    LoggerRecord &r = records[index];
    const quint32 channels = quint32(qMax(1, r.channelCount));
    const quint32 interval = qMax<quint32>(1, r.interval);
    const quint32 usable = r.hasHeader ? (r.memorySize > 768 ? (r.memorySize - 768) / 2 : 0)
                                       : r.memorySize / 2;
    const quint32 cap = qMin<quint32>(usable ? usable : quint32(kMaxReadings), quint32(kMaxReadings));
    switch (mode) {
    case 0: {
        const quint64 count = quint64(r.duration) / interval * channels;
        r.stopReadingCount = qint32(qMin<quint64>(count, cap));
        break;
    }
    case 1:
        r.duration = quint32(quint64(r.stopReadingCount) / channels * interval);
        break;
    case 4:
        if (r.startAt.isValid() && r.stopAt.isValid()) {
            const qint64 seconds = r.startAt.secsTo(r.stopAt);
            r.duration = seconds > 0 ? quint32(seconds) : 0;
            r.stopReadingCount =
                qint32(qMin<quint64>(quint64(r.duration) / interval * channels, cap));
        }
        return;
    default:
        break;
    }
    if (r.startAt.isValid())
        r.stopAt = r.startAt.addSecs(qint64(r.duration));
}

QString CMainApp::nextFreeName(const LoggerRecord &record, const QString &extension) const
{
    const QString path = settings.defaultPath;
    const QString serial = record.serialNumber.trimmed();
    if (path.isEmpty() || serial.isEmpty())
        return QString();
    for (int counter = 0; counter <= 999; ++counter) {
        const QString name = record.tripNumber == kUnlimitedTrips
            ? QString::asprintf("%s/%s_%03d.%s", qPrintable(path), qPrintable(serial), counter,
                                qPrintable(extension))
            : QString::asprintf("%s/%s_%04d_%03d.%s", qPrintable(path), qPrintable(serial),
                                record.tripNumber, counter, qPrintable(extension));
        if (!QFileInfo::exists(name))
            return name;
    }
    return QString();
}

QString CMainApp::nextDataFileName(const LoggerRecord &record) const
{
    return nextFreeName(record, QStringLiteral("qlf"));
}

QString CMainApp::nextPdfFileName(const LoggerRecord &record) const
{
    return nextFreeName(record, QStringLiteral("pdf"));
}

void CMainApp::startEmail(int row)
{
    // The automatic e-mail sender is not part of this build yet.
    Q_UNUSED(row)
}

void CMainApp::Timer()
{
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
}

void CMainApp::stopLinks()
{
}

void CMainApp::onLoggerFound(const QString &portName)
{
    Q_UNUSED(portName)
}

void CMainApp::onMassStorageFound(const QString &dataFilePath)
{
    Q_UNUSED(dataFilePath)
}

void CMainApp::pollLoggers()
{
}

void CMainApp::writeLoggerBlock0(int index)
{
    Q_UNUSED(index)
}

void CMainApp::readEeprom()
{
}

bool CMainApp::writeEeprom()
{
    return false;
}
