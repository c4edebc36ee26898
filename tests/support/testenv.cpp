#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dialogs/cprompt.h"

namespace {
// Removed when the test process ends.
QTemporaryDir *rootDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/mirelda-test-XXXXXX"));
    return &dir;
}
}

namespace TestEnv {

void isolate()
{
    const QString root = rootDir()->path();
    QDir().mkpath(root + QStringLiteral("/home"));
    QDir().mkpath(root + QStringLiteral("/settings"));
    qputenv("HOME", (root + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/home/.config")).toLocal8Bit());
    qputenv("MIRELDA_SETTINGS_DIR", (root + QStringLiteral("/settings")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Paris");
    // the update check at start goes to a loopback port nobody listens on:
    // refused at once, and nothing leaves the machine
    if (qEnvironmentVariableIsEmpty("MIRELDA_UPDATE_SERVER"))
        qputenv("MIRELDA_UPDATE_SERVER", "127.0.0.1:1");
}

QString home()
{
    return rootDir()->path() + QStringLiteral("/home");
}

QString settingsDir()
{
    return rootDir()->path() + QStringLiteral("/settings/");
}

QString sourceDir()
{
    return QStringLiteral(MIRELDA_TEST_DIR);
}

QString binaryDir()
{
    return QStringLiteral(MIRELDA_BINARY_DIR);
}

QString systemPython()
{
    return QStringLiteral("/usr/bin/python3");
}

void warnOnMessageBoxes()
{
    CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
        qWarning("unexpected message box: %s", qPrintable(text));
        return QMessageBox::Ok;
    });
}

QByteArray programOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        qWarning() << program << "did not finish";
    return process.readAllStandardOutput();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void useTempDir(const QString &dir)
{
    qputenv("TMPDIR", dir.toLocal8Bit());
}

QStringList tempEntries(const QString &pattern)
{
    return QDir(QDir::tempPath()).entryList({ pattern }, QDir::AllEntries | QDir::NoDotAndDotDot);
}

}
