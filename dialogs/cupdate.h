#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "dialogs/cftpclient.h"

class QBuffer;
class QTemporaryDir;
class QTimer;

namespace Ui {
class CUpdate;
}

// The update check: asks the update server over FTP whether a newer release
// exists and, when the user agrees, fetches the updater, closes the
// application through its usual questions and only then starts the updater,
// which replaces it. A 100 ms timer drives it one step at a time; the
// transfers run on the FTP client's worker, so the window never waits on the
// network. At start it runs hidden and only its questions appear; from the
// menu it is shown and lists its progress.
class CUpdate : public QDialog
{
    Q_OBJECT
public:
    // The steps of one run; any other value does nothing.
    enum State {
        Idle = 0,
        Asking = 1,            // a question is open
        Start = 100,
        Connecting = 105,
        GettingInstallIni = 109,
        InstallIniReady = 110,
        FetchUpdater = 120,
        GettingUpdater = 129,
        CloseThenStartUpdater = 130,
        ConfigFile = 200,
        ConnectingForConfig = 205,
        GettingConfigFile = 209,
        ConfigFileReady = 210,
        Done = 10000,
    };

    // owner is the window closed once the updater runs; it is not the
    // dialog's parent.
    explicit CUpdate(QWidget *owner);
    ~CUpdate() override;

    // Starts a run at the next tick for this product and running version.
    void setFolder(const QString &productTitle, const QString &version, const QString &buildDate);
    // A file that a declined update refreshes from the server: remote name
    // fileName, local directory + fileName. Nothing is refreshed without it.
    void setConfigFile(const QString &directory, const QString &fileName);
    void setServer(const CFtpClient::Server &server);

    // The update server: MIRELDA_UPDATE_SERVER, else UPDATE_SERVER of the
    // admin settings file, else our own; "host" or "host:port".
    static CFtpClient::Server serverFromSettings(const QString &adminSettingsPath);
    // Whether "install.ini" at path offers a newer release of productTitle:
    // its [MAIN] section names the product and a VERSION above version.
    static bool readInstallIni(const QString &path, const QString &productTitle,
                               const QString &version);
    // Dotted numbers compared number by number, a missing one counting 0
    // (1.16.34 is above 1.16.4, 1.17 equals 1.17.0); a version that is not
    // made of numbers is never newer.
    static bool isNewerVersion(const QString &offered, const QString &running);
    static bool compareIniFiles(const QString &pathA, const QString &pathB);

    int state = Idle;
    Ui::CUpdate *ui = nullptr;

private slots:
    void on_pushButton_clicked();
    void FtpCommandFinished(int command, bool error);
    void Timer100ms();

private:
    void addLine(const QString &text);
    void startRun();
    void connectToServer();
    void fetch(const QString &remoteName, const QString &localPath, State waiting);
    void getFile(const QString &remoteName, const QString &localPath, qint64 maxBytes);
    void offerUpdate();
    void closeThenStartUpdater();
    bool startUpgrade();
    void refreshConfigFile();
    void endRun();
    // told is what the user who accepted the update is told in a box
    void fail(const QString &line, const QString &told = QString());
    QString configPath(const QString &fileName) const;
    QString workPath(const QString &fileName) const;

    QWidget *ownerWindow = nullptr;
    QTimer *timer = nullptr;
    CFtpClient *ftp = nullptr;
    // The transfer lands in memory and becomes its file only once it is
    // whole: a broken transfer or a full disk never leaves a partial file.
    QBuffer *downloadBuffer = nullptr;
    QString downloadPath;
    QString productTitle;
    QString version;
    QString buildDate;
    QString configFileName;
    QString configDirectory;
    // logged in, too: the client's connect command includes the log-in
    bool connected = false;
    // the user said yes to the update: what fails from then on is told in a
    // box, as the list may never have been shown
    bool updateAccepted = false;
    CFtpClient::Server server;
    // the run's private directory: what is fetched is never taken from, nor
    // left in, a place other users can write to
    std::unique_ptr<QTemporaryDir> workDir;
};
