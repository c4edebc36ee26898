#include "dialogs/cftpclient.h"

#include <curl/curl.h>

#include <QIODevice>
#include <QMetaObject>
#include <QUrl>

namespace {

// libcurl's global set-up is not safe once threads run: do it once, on the
// thread that makes the first client.
void initCurlOnce()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(done);
}

// A short count makes libcurl end the transfer with a write error: so it
// ends when the file is larger than its cap, also when the server never
// said how large it is.
size_t writeToDevice(char *data, size_t size, size_t count, void *target)
{
    auto *sink = static_cast<CFtpClient::Sink *>(target);
    const qint64 bytes = qint64(size * count);
    if (!sink->device)
        return size_t(bytes);   // a log-in carries no data worth keeping
    if (bytes > sink->maxBytes - sink->written)
        return 0;
    if (sink->device->write(data, bytes) != bytes)
        return 0;
    sink->written += bytes;
    return size_t(bytes);
}

// Polls are short so that a cancel is seen at once.
const int kPollMs = 100;

}

CFtpClient::CFtpClient(QObject *parent)
    : QObject(parent)
{
    initCurlOnce();
    easy = curl_easy_init();
    multi = curl_multi_init();
}

CFtpClient::~CFtpClient()
{
    cancelled = true;
    waitForWorker();
    curl_multi_cleanup(static_cast<CURLM *>(multi));
    curl_easy_cleanup(static_cast<CURL *>(easy));
}

void CFtpClient::waitForWorker()
{
    if (worker.joinable())
        worker.join();
}

QByteArray CFtpClient::urlFor(const QString &path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("ftp"));
    url.setHost(server.host);
    url.setPort(server.port);
    url.setPath(QLatin1Char('/') + path);
    return url.toEncoded();
}

void CFtpClient::connectToHost(const Server &to, const QString &user, const QString &password,
                               const QString &remoteFolder)
{
    close();
    server = to;
    folder = remoteFolder;
    inFolder = false;

    CURL *handle = static_cast<CURL *>(easy);
    curl_easy_reset(handle);
    curl_easy_setopt(handle, CURLOPT_USERNAME, user.toUtf8().constData());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, password.toUtf8().constData());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(server.connectTimeoutMs));
    const long stallSeconds = qMax(1L, long((server.stallTimeoutMs + 999) / 1000));
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075700
    // a cancelled name look-up is left to finish on its own instead of
    // holding up the window that closes
    curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
#endif
    // the folder URL ends in "/": libcurl logs in and changes into it only
    run(Connect, urlFor(folder + QLatin1Char('/')), nullptr, 0);
}

void CFtpClient::get(const QString &name, QIODevice *target, qint64 maxBytes)
{
    const QString path = inFolder ? folder + QLatin1Char('/') + name : name;
    run(Get, urlFor(path), target, maxBytes);
}

void CFtpClient::close()
{
    ++generation;
    cancelled = true;
    waitForWorker();
    // forget the connection so that the next session logs in afresh
    curl_multi_cleanup(static_cast<CURLM *>(multi));
    multi = curl_multi_init();
}

void CFtpClient::run(Command command, const QByteArray &url, QIODevice *target, qint64 maxBytes)
{
    waitForWorker();
    cancelled = false;
    sink = Sink{ target, 0, maxBytes };
    CURL *handle = static_cast<CURL *>(easy);
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_NOBODY, target ? 0L : 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeToDevice);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    // a size the server announces is refused before anything is fetched
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(target ? maxBytes : 0));
    curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, 0L);
    const int id = ++generation;
    worker = std::thread([this, command, id] {
        const int result = perform();
        QMetaObject::invokeMethod(this, [this, command, id, result] { finish(command, id, result); },
                                  Qt::QueuedConnection);
    });
}

// Runs on the worker: one transfer through the multi handle, so that the
// loop can look at the cancel flag between polls.
int CFtpClient::perform()
{
    CURLM *m = static_cast<CURLM *>(multi);
    CURL *handle = static_cast<CURL *>(easy);
    curl_multi_add_handle(m, handle);
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            while (CURLMsg *message = curl_multi_info_read(m, &queued))
                if (message->msg == CURLMSG_DONE && message->easy_handle == handle)
                    result = message->data.result;
            break;
        }
        if (cancelled)
            break;
        curl_multi_poll(m, nullptr, 0, kPollMs, nullptr);
    }
    curl_multi_remove_handle(m, handle);
    return result;
}

void CFtpClient::finish(Command command, int id, int result)
{
    // a command cancelled by close() may have ended before it saw the cancel
    if (id != generation)
        return;
    waitForWorker();
    if (command == Connect && result == CURLE_REMOTE_ACCESS_DENIED) {
        // logged in, but the server has no such folder
        inFolder = false;
        emit commandFinished(command, false);
        return;
    }
    if (command == Connect && result == CURLE_OK)
        inFolder = true;
    emit commandFinished(command, result != CURLE_OK);
}
