#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QtTest>

#include "support/envguard.h"
#include "support/nonewfiles.h"

// Each test process runs with its own HOME and settings directory, both
// temporary, so that no test reads or writes the user's real files.
namespace TestEnv {
void isolate();
QString home();
QString settingsDir();
QString sourceDir();   // tests/ in the source tree
QString binaryDir();   // the build directory
// Debian's Python, which has the packaged server modules.
QString systemPython();
// Answers every message box with Ok and prints it as a warning, for tests
// that expect none.
void warnOnMessageBoxes();
// What a program (poppler's tools, say) prints, waited for at most a minute.
QByteArray programOutput(const QString &program, const QStringList &arguments);
// Whole-file helpers for tests.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
// Makes dir the process's temporary folder, so that a test can look for
// what the program leaves there: the entries whose names match pattern.
void useTempDir(const QString &dir);
QStringList tempEntries(const QString &pattern);
}

// A check made in a helper ends the test where it failed.
#define CHECKED(call)                                                                        \
    do {                                                                                     \
        call;                                                                                \
        if (QTest::currentTestFailed())                                                      \
            return;                                                                          \
    } while (false)

// main() of a QtTest executable that runs isolated and headless.
#define MIRELDA_TEST_MAIN(TestObject)                          \
    int main(int argc, char *argv[])                           \
    {                                                          \
        TestEnv::isolate();                                    \
        QApplication app(argc, argv);                          \
        app.setAttribute(Qt::AA_Use96Dpi, true);               \
        TestObject tc;                                         \
        QTEST_SET_MAIN_SOURCE_PATH                             \
        return QTest::qExec(&tc, argc, argv);                  \
    }
