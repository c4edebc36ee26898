#pragma once

#include <QByteArray>
#include <QDir>
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
