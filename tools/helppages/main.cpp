// Writes the context-help pages and their resource list from the one table
// resources/help/helptopics.tsv. Run by the build; a table that misses a
// page, repeats one or names a topic two ways stops the build with the line
// at fault, so a page can never be missing at run time.
//
// Usage: helppages <table.tsv> <output directory>
// Output: <dir>/help.qrc and <dir>/html/helpProgram<Word>_<LANG>.html
//
// The help view reads each page one byte per character (Latin-1), so the
// pages are written in plain ASCII: every other character becomes an HTML
// character reference.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTextStream>

#include "files/wholefile.h"

namespace {

const QStringList kLanguages = { "EN", "FR", "SP", "IT", "GR", "PR" };
const int kTopicCount = 39;

struct Page {
    int topic = 0;
    QString word;
    QString language;
    QString title;
    QString text;
    QString limits;
};

QString asciiHtml(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    const QVector<uint> codePoints = text.toUcs4();
    for (uint c : codePoints) {
        if (c == '&')
            out += QStringLiteral("&amp;");
        else if (c == '<')
            out += QStringLiteral("&lt;");
        else if (c == '>')
            out += QStringLiteral("&gt;");
        else if (c >= 0x20 && c < 0x7F)
            out += QChar(c);
        else
            out += QStringLiteral("&#%1;").arg(c);
    }
    return out;
}

QByteArray pageHtml(const Page &page)
{
    QString html;
    QTextStream out(&html);
    out << "<html><head><meta name=\"qrichtext\" content=\"1\" />"
        << "<title>" << asciiHtml(page.title) << "</title></head>\n"
        << "<body style=\"font-size:8.25pt; font-weight:400;\">\n"
        << "<p><span style=\"font-size:14pt; font-weight:600; text-decoration: underline;\">"
        << asciiHtml(page.title) << "</span></p>\n"
        << "<p><span style=\"font-size:11pt;\">" << asciiHtml(page.text) << "</span></p>\n"
        << "<p><span style=\"font-size:11pt; font-style:italic;\">" << asciiHtml(page.limits)
        << "</span></p>\n"
        << "</body></html>\n";
    out.flush();
    return html.toLatin1();
}

QString pageFileName(const Page &page)
{
    return QStringLiteral("helpProgram%1_%2.html").arg(page.word, page.language);
}

int fail(const QString &message)
{
    QTextStream(stderr) << "helppages: " << message << '\n';
    return 1;
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return fail(QStringLiteral("usage: helppages <table.tsv> <output directory>"));
    const QString tablePath = QString::fromLocal8Bit(argv[1]);
    const QString outputDir = QString::fromLocal8Bit(argv[2]);

    QFile table(tablePath);
    if (!table.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1").arg(tablePath));
    QTextStream in(&table);
    in.setCodec("UTF-8");

    QMap<QString, Page> pages;            // by file name, so the list is sorted
    QMap<int, QString> wordOfTopic;
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("%1:%2: ").arg(tablePath).arg(lineNumber);
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() != 6)
            return fail(where + QStringLiteral("expected 6 tab-separated cells, found %1").arg(cells.size()));
        Page page;
        bool numeric = false;
        page.topic = cells.at(0).toInt(&numeric);
        page.word = cells.at(1).trimmed();
        page.language = cells.at(2).trimmed();
        page.title = cells.at(3).trimmed();
        page.text = cells.at(4).trimmed();
        page.limits = cells.at(5).trimmed();
        if (!numeric || page.topic < 1 || page.topic > kTopicCount)
            return fail(where + QStringLiteral("topic must be 1 to %1").arg(kTopicCount));
        if (page.word.isEmpty() || !kLanguages.contains(page.language))
            return fail(where + QStringLiteral("needs a topic word and one of %1").arg(kLanguages.join(' ')));
        if (page.title.isEmpty() || page.text.isEmpty() || page.limits.isEmpty())
            return fail(where + QStringLiteral("title, text and limits must not be empty"));
        if (wordOfTopic.value(page.topic, page.word) != page.word)
            return fail(where + QStringLiteral("topic %1 is already called %2")
                                    .arg(page.topic).arg(wordOfTopic.value(page.topic)));
        wordOfTopic.insert(page.topic, page.word);
        const QString name = pageFileName(page);
        if (pages.contains(name))
            return fail(where + QStringLiteral("%1 is given twice").arg(name));
        pages.insert(name, page);
    }

    for (int topic = 1; topic <= kTopicCount; ++topic) {
        if (!wordOfTopic.contains(topic))
            return fail(QStringLiteral("topic %1 has no pages").arg(topic));
        for (const QString &language : kLanguages) {
            Page probe;
            probe.word = wordOfTopic.value(topic);
            probe.language = language;
            if (!pages.contains(pageFileName(probe)))
                return fail(QStringLiteral("%1 is missing").arg(pageFileName(probe)));
        }
    }

    QDir dir;
    if (!dir.mkpath(outputDir + QStringLiteral("/html")))
        return fail(QStringLiteral("cannot create %1/html").arg(outputDir));

    QString qrc;
    QTextStream list(&qrc);
    list << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n <qresource prefix=\"/help\">\n";
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        const QString relative = QStringLiteral("html/") + it.key();
        QString reason;
        if (!WholeFile::write(outputDir + QLatin1Char('/') + relative, pageHtml(it.value()), &reason))
            return fail(QStringLiteral("cannot write %1: %2").arg(relative, reason));
        list << "  <file>" << relative << "</file>\n";
    }
    list << " </qresource>\n</RCC>\n";
    list.flush();
    QString reason;
    if (!WholeFile::write(outputDir + QStringLiteral("/help.qrc"), qrc.toUtf8(), &reason))
        return fail(QStringLiteral("cannot write help.qrc: %1").arg(reason));
    return 0;
}
