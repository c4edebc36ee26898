#pragma once

#include <atomic>
#include <thread>

#include <QObject>
#include <QString>

class QIODevice;

// A small FTP client over libcurl. Each command runs on a worker thread so
// that a slow or silent server never freezes the window; the end of a
// command comes back as commandFinished on the client's own thread. One
// command runs at a time, and the logged-in connection is kept from one
// command to the next.
class CFtpClient : public QObject
{
    Q_OBJECT
public:
    enum Command { Connect = 1, Get = 2 };

    struct Server {
        QString host;
        int port = 21;
        int connectTimeoutMs = 10000;   // name look-up, connection and greeting
        int stallTimeoutMs = 30000;     // a reply or a transfer that stops moving
    };

    explicit CFtpClient(QObject *parent = nullptr);
    // Cancels what still runs and waits for the worker, which the cancel
    // ends within a fraction of a second.
    ~CFtpClient() override;

    // Logs in and enters folder. A server without that folder is not an
    // error: the following gets are made in the login directory.
    void connectToHost(const Server &server, const QString &user, const QString &password,
                       const QString &folder);
    // Fetches name from the current folder, in binary, into target, which
    // must stay open and untouched until commandFinished. A file larger than
    // maxBytes fails the command, whether the server announces its size or
    // only sends too much; target then holds at most maxBytes.
    void get(const QString &name, QIODevice *target, qint64 maxBytes);
    // Cancels a running command, which then reports nothing, and drops the
    // connection.
    void close();

    // Where a transfer's bytes go; read by the worker only while it runs.
    struct Sink {
        QIODevice *device = nullptr;
        qint64 written = 0;
        qint64 maxBytes = 0;
    };

signals:
    void commandFinished(int command, bool error);

private:
    void run(Command command, const QByteArray &url, QIODevice *target, qint64 maxBytes);
    int perform();
    void finish(Command command, int id, int result);
    void waitForWorker();
    QByteArray urlFor(const QString &path) const;

    void *easy = nullptr;    // CURL *
    void *multi = nullptr;   // CURLM *, keeps the connection between commands
    std::thread worker;
    Sink sink;
    std::atomic_bool cancelled{false};
    int generation = 0;      // of the command whose end is awaited
    Server server;
    QString folder;
    bool inFolder = false;
};
