#include "dialogs/chelp.h"

#include <QFile>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>

#include "core/clanguagetable.h"
#include "app/mainwindow.h"
#include "core/cmainapp.h"

namespace {

const char *const kTopicWords[CHelp::kTopicCount] = {
    "Serial", "Product", "MemSize", "NbTrip", "DateTime", "AlarmHH", "AlarmH", "AlarmL",
    "AlarmLL", "AlarmRaiseHH", "AlarmRaiseH", "AlarmRaiseL", "AlarmRaiseLL", "AlarmConsecutive",
    "AlarmTotal", "Interval", "StartAt", "StartAtTime", "StopAt", "StopAtTime", "StartWait",
    "StartWaitTime", "StopAfter", "StopAfterNb", "StopAfterMax", "StopEnable", "Continu",
    "Restart", "UserDefined", "DurationCalculated", "MemProgressBar", "Pass", "PassRead",
    "PassWrite", "Firmware", "Description", "Range", "ShowTemp", "ShowAlarm",
};

// By label-table column; the fifth column is no language of its own.
const char *const kLanguageSuffixes[] = { "EN", "FR", "SP", "IT", nullptr, "GR", "PR" };

// Given no room at all, a page puts each run that may not be broken on a
// line of its own, and is as wide as the widest of them and its margins.
qreal widestRun(const QString &html, const QTextDocument &view)
{
    QTextDocument page;
    page.setDefaultFont(view.defaultFont());
    page.setDocumentMargin(view.documentMargin());
    QTextOption option = view.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    page.setDefaultTextOption(option);
    page.setHtml(html);
    page.setTextWidth(0);
    return page.idealWidth();
}

}

// The pages are compiled into the static library, whose resource
// initialiser the linker would otherwise drop.
static void initHelpPages()
{
    Q_INIT_RESOURCE(help);
}

CHelp::CHelp(MainWindow *owner)
    : QObject(nullptr), owner(owner)
{
    initHelpPages();
}

CHelp::~CHelp() = default;

void CHelp::setTextEdit(QTextEdit *view)
{
    textEdit = view;
}

QString CHelp::pageName(int topic, int language)
{
    const int languageCount = int(sizeof kLanguageSuffixes / sizeof *kLanguageSuffixes);
    if (topic < 1 || topic > kTopicCount || language < 0 || language >= languageCount
        || !kLanguageSuffixes[language])
        return QString();
    return QStringLiteral(":/help/html/helpProgram%1_%2.html")
        .arg(QLatin1String(kTopicWords[topic - 1]), QLatin1String(kLanguageSuffixes[language]));
}

QString CHelp::readFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QByteArray bytes = file.readAll();
    const int end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    return QString::fromLatin1(bytes);
}

int CHelp::widthForWholeWords(int language) const
{
    if (!textEdit)
        return 0;
    qreal widest = 0;
    for (int topic = 1; topic <= kTopicCount; ++topic) {
        const QString name = pageName(topic, language);
        if (name.isEmpty())
            return 0;
        widest = qMax(widest, widestRun(readFile(name), *textEdit->document()));
    }
    return qCeil(widest) + 2 * textEdit->frameWidth() + textEdit->verticalScrollBar()->sizeHint().width();
}

// Called on every tick while the mouse rests on a field, so a repeated
// topic must cost nothing.
void CHelp::showHelp(int topic)
{
    if (!textEdit || topic == currentTopic)
        return;
    currentTopic = topic;
    const QString name = pageName(topic, owner->app->languageTable->language);
    if (name.isEmpty())
        return;
    textEdit->setHtml(readFile(name));
    shownPage = true;
}
