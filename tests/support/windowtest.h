#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"

class QMenu;

// Answers every box, file chooser and menu of the window without a modal
// loop, and remembers what was asked.
class PromptRecorder
{
public:
    PromptRecorder();
    ~PromptRecorder();

    struct Box {
        CPrompt::Kind kind;
        QString text;
    };
    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QStringList filesToChoose;        // handed to every file chooser
    QStringList fileCaptions;
    QList<QStringList> menus;         // object names of each menu's actions

    bool sawBoxContaining(const QString &part) const;
};

// Records as the link and the file loader make them.
namespace WindowTest {
LoggerRecord loggerRecord(const QString &port, const QString &serial, quint32 alarmStatus);
LoggerRecord fileRecord(const QString &path, const QString &serial, quint32 alarmStatus);
// Collects the messages Qt prints while it lives.
class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();
    static QStringList messages;
};
}
