#include "dialogs/cupdate.h"
#include "ui_cupdate.h"

#include <algorithm>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoopLocker>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

#include "core/appinfo.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"

namespace {

const char kInstallIni[] = "install.ini";
const char kUpdater[] = "Upgrade.exe";
const char kTempIni[] = "temp.ini";
const char kUser[] = "upgrade";
const char kPassword[] = "5Pemberlocksy71";
// ours, and reserved: nothing answers it until a real server is configured
const char kDefaultServer[] = "update.mirelda.example";

// What one fetch may bring at most: "install.ini" and the configuration
// file are a few lines, the updater a program. Past that the server is not
// ours, or broken, and the temporary folder must not fill up.
constexpr qint64 kInstallIniMaxBytes = 16 * 1024;
constexpr qint64 kConfigFileMaxBytes = 1024 * 1024;
constexpr qint64 kUpdaterMaxBytes = 64 * 1024 * 1024;

qint64 maxBytesOf(CUpdate::State waiting)
{
    switch (waiting) {
    case CUpdate::GettingInstallIni:
        return kInstallIniMaxBytes;
    case CUpdate::GettingUpdater:
        return kUpdaterMaxBytes;
    default:
        return kConfigFileMaxBytes;
    }
}

}

CUpdate::CUpdate(QWidget *owner)
    : QDialog(nullptr), ui(new Ui::CUpdate), ownerWindow(owner)
{
    ui->setupUi(this);
    setWindowFlags(AppInfo::dialogWindowFlags());
    setWindowTitle(tr("%1 %2 Update").arg(AppInfo::productTitle(), AppInfo::version()));
    // the list never keeps the application running, and closing it (shown
    // or not) never ends it
    setAttribute(Qt::WA_QuitOnClose, false);

    ftp = new CFtpClient(this);
    connect(ftp, &CFtpClient::commandFinished, this, &CUpdate::FtpCommandFinished);

    // ticks only while a run is under way: setFolder starts it, the run's end
    // stops it
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CUpdate::Timer100ms);
}

CUpdate::~CUpdate()
{
    // the transfer writes into the download file until the worker is gone
    delete ftp;
    ftp = nullptr;
    delete downloadBuffer;
    delete ui;
}

void CUpdate::setFolder(const QString &title, const QString &runningVersion, const QString &date)
{
    productTitle = title;
    version = runningVersion;
    buildDate = date;
    state = Start;
    if (!timer->isActive())
        timer->start(100);
}

void CUpdate::setConfigFile(const QString &directory, const QString &fileName)
{
    configDirectory = directory;
    configFileName = fileName;
}

void CUpdate::setServer(const CFtpClient::Server &to)
{
    server = to;
}

CFtpClient::Server CUpdate::serverFromSettings(const QString &adminSettingsPath)
{
    QString address = qEnvironmentVariable("MIRELDA_UPDATE_SERVER").trimmed();
    if (address.isEmpty())
        address = CFileManager::readCsvTable(adminSettingsPath, QStringLiteral("UPDATE_SERVER"));
    if (address.isEmpty())
        address = QString::fromLatin1(kDefaultServer);
    if (!address.contains(QLatin1String("://")))
        address.prepend(QStringLiteral("ftp://"));
    const QUrl url(address);
    CFtpClient::Server server;
    server.host = url.host();
    server.port = url.port(21);
    return server;
}

void CUpdate::on_pushButton_clicked()
{
    // hides the list only: the run goes on and its questions still come
    close();
}

void CUpdate::addLine(const QString &text)
{
    ui->m_listWidgetInfo->addItem(text);
}

QString CUpdate::workPath(const QString &fileName) const
{
    return workDir->filePath(fileName);
}

QString CUpdate::configPath(const QString &fileName) const
{
    return QDir(configDirectory).filePath(fileName);
}

void CUpdate::Timer100ms()
{
    switch (state) {
    case Start:
        startRun();
        break;
    case Connecting:
        if (connected)
            fetch(QString::fromLatin1(kInstallIni), workPath(QString::fromLatin1(kInstallIni)),
                  GettingInstallIni);
        break;
    case InstallIniReady:
        offerUpdate();
        break;
    case FetchUpdater:
        // always fetched afresh: a copy left from another run is never started
        fetch(QString::fromLatin1(kUpdater), workPath(QString::fromLatin1(kUpdater)),
              GettingUpdater);
        break;
    case CloseThenStartUpdater:
        closeThenStartUpdater();
        break;
    case ConfigFile:
        state = configFileName.isEmpty() ? Done : ConnectingForConfig;
        break;
    case ConnectingForConfig:
        if (connected)
            fetch(configFileName, configPath(QString::fromLatin1(kTempIni)), GettingConfigFile);
        break;
    case ConfigFileReady:
        refreshConfigFile();
        if (state == ConfigFileReady)
            state = Done;
        break;
    case Done:
        ftp->close();
        close();
        timer->stop();
        break;
    default:
        break;
    }
}

void CUpdate::startRun()
{
    ftp->close();   // a run started over drops the transfer of the one before
    delete downloadBuffer;
    downloadBuffer = nullptr;
    updateAccepted = false;
    ui->m_listWidgetInfo->clear();
    addLine(tr("Connect to server..."));
    workDir.reset(new QTemporaryDir(QDir::tempPath() + QStringLiteral("/%1-update-XXXXXX").arg(productTitle)));
    if (!workDir->isValid()) {
        fail(tr("Download Error..."));
        return;
    }
    connectToServer();
    state = Connecting;
}

void CUpdate::connectToServer()
{
    connected = false;
    ftp->connectToHost(server, QString::fromLatin1(kUser), QString::fromLatin1(kPassword),
                       productTitle);
}

void CUpdate::fetch(const QString &remoteName, const QString &localPath, State waiting)
{
    addLine(tr("Get %1").arg(remoteName));
    getFile(remoteName, localPath, maxBytesOf(waiting));
    state = waiting;
}

// The fetch lands in memory, which cannot refuse it; its file is written
// only once it is whole, and the failure, if any, is told then.
void CUpdate::getFile(const QString &remoteName, const QString &localPath, qint64 maxBytes)
{
    QFile::remove(localPath);
    downloadPath = localPath;
    downloadBuffer = new QBuffer;
    downloadBuffer->open(QIODevice::WriteOnly);
    ftp->get(remoteName, downloadBuffer, maxBytes);
}

void CUpdate::FtpCommandFinished(int command, bool error)
{
    if (command == CFtpClient::Connect) {
        // no server, a silent one or a refused log-in: nothing more can come
        if (error)
            fail(tr("Download Error..."));
        else
            connected = true;
        return;
    }
    if (!downloadBuffer)
        return;
    const QByteArray received = downloadBuffer->data();
    delete downloadBuffer;
    downloadBuffer = nullptr;
    QString reason;
    if (error || !WholeFile::write(downloadPath, received, &reason)) {
        if (!reason.isEmpty())
            addLine(reason);
        QString told = tr("The update could not be downloaded from %1.").arg(server.host);
        if (!reason.isEmpty())
            told += QLatin1Char('\n') + reason;
        fail(tr("Download Error..."), told);
        return;
    }
    if (state == GettingInstallIni || state == GettingUpdater || state == GettingConfigFile)
        ++state;
}

void CUpdate::endRun()
{
    ftp->close();
    state = Idle;
    timer->stop();
}

void CUpdate::fail(const QString &line, const QString &told)
{
    addLine(line);
    endRun();
    if (updateAccepted)
        CPrompt::warning(nullptr, told);
}

namespace {
// Questions default to Cancel: a stray Enter must not start an upgrade.
bool askToGoOn(const QString &text, const QString &question)
{
    QMessageBox box(QMessageBox::NoIcon, AppInfo::windowTitle(), text,
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.setInformativeText(question);
    box.setDefaultButton(QMessageBox::Cancel);
    return CPrompt::exec(&box) == QMessageBox::Ok;
}
}

void CUpdate::offerUpdate()
{
    if (!readInstallIni(workPath(QString::fromLatin1(kInstallIni)), productTitle, version)) {
        addLine(tr("Up to Date..."));
        state = Done;
        return;
    }
    addLine(tr("New update available..."));
    state = Asking;
    updateAccepted = askToGoOn(tr("New update available."), tr("Do you want to start upgrade?"));
    state = updateAccepted ? FetchUpdater : ConfigFile;
}

// The program closes first, through its usual questions (a trip never saved
// is offered there): the updater must never run beside it. Cancel keeps the
// program, and nothing is started.
void CUpdate::closeThenStartUpdater()
{
    addLine(tr("Close Application..."));
    state = Asking;   // the questions run the timers
    // a start that fails is told once the window has gone: the application
    // must not end before the box has been read
    QEventLoopLocker untilTold;
    if (!ownerWindow->close()) {
        addLine(tr("Upgrade Cancelled..."));
        endRun();
        return;
    }
    if (!startUpgrade()) {
        const QString updater = QDir::toNativeSeparators(workPath(QString::fromLatin1(kUpdater)));
        fail(tr("Upgrade Start Error..."), tr("The updater %1 could not be started.").arg(updater));
        return;
    }
    endRun();
    close();
}

bool CUpdate::startUpgrade()
{
    addLine(tr("Start Upgrade Process..."));
    const QString updater = workPath(QString::fromLatin1(kUpdater));
    QFile::setPermissions(updater, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                       | QFileDevice::ExeOwner);
    // the updater learns where the running program lives and which release it is
    const QStringList arguments = {
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + productTitle, version };
    if (!QProcess::startDetached(updater, arguments))
        return false;
    workDir->setAutoRemove(false);   // the updater runs from there
    return true;
}

// The refreshed file replaces the old one in a single step, so that a
// failure half way never leaves the configuration missing.
void CUpdate::refreshConfigFile()
{
    const QString current = configPath(configFileName);
    const QString fetched = configPath(QString::fromLatin1(kTempIni));
    if (compareIniFiles(current, fetched)) {
        QFile::remove(fetched);
        return;
    }
    addLine(tr("New iniFile available..."));
    state = Asking;
    const bool replace = askToGoOn(tr("New configuration file available."),
                                   tr("Do you want to download this file?"));
    state = ConfigFileReady;
    if (!replace)
        return;
    QFile source(fetched);
    const QByteArray fresh = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    if (source.isOpen() && fresh.size() == source.size() && WholeFile::write(current, fresh))
        QFile::remove(fetched);
    else
        fail(tr("Download Error..."));
}

bool CUpdate::readInstallIni(const QString &path, const QString &title, const QString &running)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    in.setCodec("ISO-8859-1");
    bool inMain = false;
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(QLatin1Char('='));
        if (parts.at(0) != QLatin1String("[MAIN]") && !inMain)
            continue;
        // a key line without "=" carries no value and decides nothing
        const bool keyed = parts.size() > 1;
        if (keyed && parts.at(0) == QLatin1String("NAME") && parts.at(1) != title)
            return false;
        inMain = true;
        if (keyed && parts.at(0) == QLatin1String("VERSION") && isNewerVersion(parts.at(1), running))
            return true;
    }
    return false;
}

namespace {
// The numbers of a dotted version; empty when any part is not a number.
QList<qulonglong> versionNumbers(const QString &version)
{
    QList<qulonglong> numbers;
    for (const QString &part : version.split(QLatin1Char('.'))) {
        bool ok = false;
        numbers << part.toULongLong(&ok);
        if (!ok)
            return {};
    }
    return numbers;
}
}

bool CUpdate::isNewerVersion(const QString &offered, const QString &running)
{
    QList<qulonglong> a = versionNumbers(offered);
    QList<qulonglong> b = versionNumbers(running);
    if (a.isEmpty() || b.isEmpty())
        return false;
    while (a.size() < b.size())
        a << 0;
    while (b.size() < a.size())
        b << 0;
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end());
}

bool CUpdate::compareIniFiles(const QString &pathA, const QString &pathB)
{
    QFile a(pathA);
    QFile b(pathB);
    if (!a.exists() || !b.exists() || a.size() != b.size())
        return false;
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    return a.readAll() == b.readAll();
}
