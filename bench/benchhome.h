#pragma once

#include <functional>
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// A benchmark runs with its own temporary HOME and settings directory, so
// that the user directory and settings the core creates never land in the
// real home. Both go when the object does; make it first in main().
class BenchHome
{
public:
    BenchHome()
    {
        const QString root = dir.path();
        QDir().mkpath(root + QStringLiteral("/home/.config"));
        QDir().mkpath(root + QStringLiteral("/settings"));
        qputenv("HOME", (root + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/home/.config")).toLocal8Bit());
        qputenv("MIRELDA_SETTINGS_DIR", (root + QStringLiteral("/settings")).toLocal8Bit());
    }

private:
    QTemporaryDir dir{ QDir::tempPath() + QStringLiteral("/mirelda-bench-XXXXXX") };
};

// The main() of a benchmark of the window: with its own home, drawn
// offscreen unless a platform is named, given the arguments that follow
// the program's name.
inline int runWindowBenchmark(int argc, char *argv[], const std::function<int(const QStringList &)> &bench)
{
    BenchHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return bench(QApplication::arguments().mid(1));
}
