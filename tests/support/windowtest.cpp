#include "support/windowtest.h"
#include "support/testenv.h"

#include <QAction>
#include <QMenu>

PromptRecorder::PromptRecorder()
{
    CPrompt::setBoxHandler([this](CPrompt::Kind kind, const QString &text,
                                  QMessageBox::StandardButtons) {
        boxes.append({ kind, text });
        return answer;
    });
    CPrompt::setFileHandler([this](const QString &, const QString &caption, const QString &directory,
                                   const QString &) {
        fileCaptions.append(caption);
        fileDirectories.append(directory);
        return filesToChoose;
    });
    CPrompt::setMenuHandler([this](QMenu *menu) -> QAction * {
        QStringList names;
        const auto actions = menu->actions();
        for (QAction *action : actions)
            names.append(action->objectName());
        menus.append(names);
        return nullptr;
    });
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
}

PromptRecorder::~PromptRecorder()
{
    CPrompt::setBoxHandler(nullptr);
    CPrompt::setFileHandler(nullptr);
    CPrompt::setMenuHandler(nullptr);
    CPrompt::setDialogHandler(nullptr);
}

bool PromptRecorder::sawBoxContaining(const QString &part) const
{
    for (const Box &box : boxes)
        if (box.text.contains(part))
            return true;
    return false;
}

namespace WindowTest {

LoggerRecord loggerRecord(const QString &port, const QString &serial, quint32 alarmStatus)
{
    LoggerRecord r;
    r.portName = port;
    r.serialNumber = serial;
    r.alarmStatus = alarmStatus;
    return r;
}

LoggerRecord fileRecord(const QString &path, const QString &serial, quint32 alarmStatus)
{
    LoggerRecord r;
    r.fileName = path;
    r.serialNumber = serial;
    r.alarmStatus = alarmStatus;
    r.fromFile = true;
    r.ready = true;
    r.dataLoaded = true;
    return r;
}

LoggerRecord downloadedTrip(const QString &serial, const QVector<quint16> &readings)
{
    LoggerRecord r = loggerRecord(QString(), serial, 0);
    r.versionWord = 0x115;
    r.readings = readings;
    r.readingCount = readings.size();
    return r;
}

void Harness::addAndSelect(const LoggerRecord &record)
{
    records.append(record);
    window.selectTableRow(records.size() - 1);
}

QString Harness::homePath(const QString &name) const
{
    return TestEnv::home() + QLatin1Char('/') + name;
}

QStringList MessageCatcher::messages;

namespace {
QtMessageHandler previousHandler = nullptr;
void catchMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    MessageCatcher::messages.append(text);
    if (previousHandler)
        previousHandler(type, context, text);
}
}

MessageCatcher::MessageCatcher()
{
    messages.clear();
    previousHandler = qInstallMessageHandler(catchMessage);
}

MessageCatcher::~MessageCatcher()
{
    qInstallMessageHandler(previousHandler);
}

}
