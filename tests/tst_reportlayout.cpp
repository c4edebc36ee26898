#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "reports/cprint.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"

// The readings pages hold every sample of the trip whatever the screen's
// dpi: the report is written by a child process of this test started with
// a font dpi of its own (read once, when the application starts), then
// read back word by word.
namespace {

const char kWriteReports[] = "--write-reports";
constexpr int kSamples = 345;   // three full readings pages and a part page

LoggerRecord trip()
{
    const quint8 sensors = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
    const quint32 channels = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn;
    QVector<int> tenths;
    for (int i = 0; i < kSamples * 3; ++i)
        tenths << (i % 3 == 1 ? 455 : -123);
    LoggerRecord record = ViewsTest::downloadedSet(QStringLiteral("LAYOUT1"), sensors, channels,
                                                   ViewsTest::words(tenths), 60,
                                                   QDateTime(QDate(2026, 6, 1), QTime(6, 0), Qt::LocalTime));
    record.fromFile = true;
    record.fileName = QStringLiteral("/data/LAYOUT1.qlf");
    record.configuredBy = QStringLiteral("jdoe");
    return record;
}

// The child: the A4 PDF as the PDF action writes it, and the Letter pages
// of the print preview painted into a PDF through the preview's own
// printer, the compliance band of user administration on both.
int writeReports(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    WindowTest::Harness h;
    h.window.app->userAdmin->enabled = true;
    const LoggerRecord record = trip();
    h.addAndSelect(record);
    CPrint report(&h.window);
    if (!report.printPdf(folder + QStringLiteral("/a4.pdf"), record))
        return 1;
    bool previewed = false;
    CPrompt::setDialogHandler([&](QDialog *dialog) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
        if (!preview)
            return 0;
        QPrinter *printer = preview->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(folder + QStringLiteral("/letter.pdf"));
        emit preview->paintRequested(printer);
        previewed = true;
        return 0;
    });
    report.printPreview(record);
    return previewed ? 0 : 2;
}

struct Word {
    QString text;
    QRectF box;
};
struct Page {
    QSizeF size;
    QList<Word> words;
};

// Every word of a PDF with its box, page by page, as pdftotext sees them.
QList<Page> wordsOf(const QString &pdf)
{
    QList<Page> pages;
    QXmlStreamReader xml(TestEnv::programOutput(QStringLiteral("pdftotext"),
                                                { QStringLiteral("-bbox"), pdf, QStringLiteral("-") }));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        auto number = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == QLatin1String("page")) {
            pages.append({ QSizeF(number("width"), number("height")), {} });
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")), QPointF(number("xMax"), number("yMax")));
            pages.last().words.append({ xml.readElementText(), box });
        }
    }
    return pages;
}

// The number nearest left of a date on its line: the sample's.
int sampleBefore(const Page &page, const Word &date, const QRegularExpression &number)
{
    const Word *nearest = nullptr;
    for (const Word &word : page.words) {
        if (qAbs(word.box.bottom() - date.box.bottom()) < 1.0 && word.box.right() <= date.box.left()
            && (!nearest || word.box.right() > nearest->box.right()))
            nearest = &word;
    }
    return nearest && number.match(nearest->text).hasMatch() ? nearest->text.toInt() : -1;
}

// A trip of the channels config switches on, with the widest values a
// reading word takes among its readings: -102.4 and 102.3.
LoggerRecord widestTrip(quint32 config, int readings)
{
    const quint8 sensors = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
    QVector<int> tenths;
    for (int i = 0; i < readings; ++i)
        tenths << (i % 7 == 0 ? -1024 : i % 7 == 3 ? 1023 : -55 + i % 13);
    LoggerRecord record = ViewsTest::downloadedSet(QStringLiteral("WIDE%1").arg(config >> 24), sensors, config,
                                                   ViewsTest::words(tenths), 60,
                                                   QDateTime(QDate(2026, 6, 1), QTime(6, 0), Qt::LocalTime));
    record.fromFile = true;
    record.fileName = QStringLiteral("/data/WIDE.qlf");
    return record;
}

// Words that cross. A word's box is as high as its font's bounding box,
// higher than the line pitch of the report's lists: its middle three fifths
// hold the letters.
QStringList overlaps(const Page &page)
{
    QList<QRectF> letters;
    for (const Word &word : page.words)
        letters << word.box.adjusted(0.1, word.box.height() / 5, -0.1, -word.box.height() / 5);
    QStringList crossed;
    for (int i = 0; i < letters.size(); ++i)
        for (int j = i + 1; j < letters.size(); ++j)
            if (letters.at(i).intersects(letters.at(j)))
                crossed << page.words.at(i).text + QStringLiteral(" / ") + page.words.at(j).text;
    return crossed;
}

}

class TestReportLayout : public QObject
{
    Q_OBJECT
    // where each sample stood at the first dpi, per paper
    QHash<QString, QVector<double>> firstLayout;

    // The record's report printed through the print dialog on a PDF file of
    // that paper, pages from to to (0: all of them), read back word by word.
    static QList<Page> printedOn(QPageSize::PageSizeId paper, const LoggerRecord &record, int from = 0, int to = 0)
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
        WindowTest::Harness h;
        h.addAndSelect(record);
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            QPrinter *printer = static_cast<QPrintDialog *>(dialog)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(paper));
            if (from > 0) {
                printer->setPrintRange(QPrinter::PageRange);
                printer->setFromTo(from, to);
            }
            return int(QDialog::Accepted);
        });
        CPrint report(&h.window);
        return report.print(record) ? wordsOf(pdf) : QList<Page>();
    }

private slots:
    void everyPaperHoldsTheWholeReport_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<quint32>("config");
        QTest::addColumn<int>("readings");
        const quint32 two = ConfigBits::InternalOn | ConfigBits::HumidityOn;
        const quint32 three = two | ConfigBits::ExternalOn;
        const QPair<const char *, QPageSize::PageSizeId> papers[] = {
            { "A5", QPageSize::A5 }, { "B5", QPageSize::B5 }, { "Executive", QPageSize::Executive },
            { "A4", QPageSize::A4 } };
        for (const auto &paper : papers) {
            QTest::addRow("%s, 2 channels", paper.first) << int(paper.second) << two << 65536;
            QTest::addRow("%s, 3 channels", paper.first) << int(paper.second) << three << 65535;
        }
        // the header and the alarm table are wider than these readings
        QTest::newRow("A5, no readings") << int(QPageSize::A5) << quint32(ConfigBits::InternalOn) << 0;
        QTest::newRow("B5, probe, no readings") << int(QPageSize::B5) << quint32(ConfigBits::ExternalOn) << 0;
    }

    // Printed through the print dialog: every word inside the sheet, none
    // over another, and every sample's row there once.
    void everyPaperHoldsTheWholeReport()
    {
        QFETCH(int, paper);
        QFETCH(quint32, config);
        QFETCH(int, readings);
        const LoggerRecord record = widestTrip(config, readings);
        const QList<Page> pages = printedOn(QPageSize::PageSizeId(paper), record);
        QCOMPARE(pages.size(), CPrint::pageCountOf(record));
        const int samples = record.sampleCount();
        QVector<int> seen(samples + 1, 0);
        const QRegularExpression date(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d$"));
        const QRegularExpression number(QStringLiteral("^\\d+$"));
        for (int p = 0; p < pages.size(); ++p) {
            const Page &page = pages.at(p);
            const QString where = QStringLiteral("page %1").arg(p + 1);
            for (const Word &word : page.words) {
                QVERIFY2(QRectF(QPointF(0, 0), page.size).contains(word.box),
                         qPrintable(QStringLiteral("%1: \"%2\" off the sheet").arg(where, word.text)));
                const int sample = date.match(word.text).hasMatch() ? sampleBefore(page, word, number) : 0;
                QVERIFY2(sample >= 0 && sample <= samples, qPrintable(where));
                ++seen[sample];
            }
            const QStringList crossed = overlaps(page);
            QVERIFY2(crossed.isEmpty(), qPrintable(where + QStringLiteral(": ") + crossed.join(QStringLiteral(", "))));
        }
        seen.removeFirst();
        QCOMPARE(seen.count(1), samples);
    }

    void a4AndLetterKeepTheFullSize_data()
    {
        QTest::addColumn<int>("paper");
        QTest::newRow("A4") << int(QPageSize::A4);
        QTest::newRow("Letter") << int(QPageSize::Letter);
    }

    // The widest readings page a trip gives has its words as wide on these
    // sheets as on A3, which holds it with room to spare.
    void a4AndLetterKeepTheFullSize()
    {
        QFETCH(int, paper);
        const LoggerRecord record =
            widestTrip(ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn, 65535);
        auto widthOfWords = [&record](QPageSize::PageSizeId sheet) {
            double width = 0;
            for (const Word &word : printedOn(sheet, record, 3, 3).value(0).words)
                width += word.box.width();
            return width;
        };
        const double full = widthOfWords(QPageSize::A3);
        QVERIFY(full > 1000);
        QVERIFY2(qAbs(widthOfWords(QPageSize::PageSizeId(paper)) - full) < 0.5, qPrintable(QString::number(full)));
    }

    void readingsPagesHoldEverySampleAtAnyFontDpi_data()
    {
        QTest::addColumn<QString>("dpi");
        for (const char *dpi : { "72", "96", "100", "120", "144", "192" })
            QTest::newRow(dpi) << QString::fromLatin1(dpi);
    }

    void readingsPagesHoldEverySampleAtAnyFontDpi()
    {
        QFETCH(QString, dpi);
        QTemporaryDir folder;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_FONT_DPI"), dpi);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    { QString::fromLatin1(kWriteReports), folder.path() });
        QVERIFY(child.waitForFinished(120000));
        QCOMPARE(child.exitCode(), 0);

        const int pageCount = 2 + (kSamples + 99) / 100;
        const QRegularExpression date(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d$"));
        const QRegularExpression number(QStringLiteral("^\\d+$"));
        for (const char *paper : { "a4", "letter" }) {
            const QList<Page> pages = wordsOf(folder.filePath(QLatin1String(paper) + QStringLiteral(".pdf")));
            QCOMPARE(pages.size(), pageCount);
            QVector<int> seen(kSamples + 1, 0);
            QVector<double> baselines(kSamples + 1, 0.0);
            for (int p = 2; p < pages.size(); ++p) {
                const Page &page = pages.at(p);
                const QString where = QStringLiteral("%1 page %2").arg(QLatin1String(paper)).arg(p + 1);
                // the footer's lines: the page number, and the compliance band
                QList<double> footerLines;
                for (const Word &word : page.words)
                    if (word.text == QLatin1String("Page") || word.text == QLatin1String("compliant"))
                        footerLines << word.box.top();
                QCOMPARE(footerLines.size(), 2);
                const double footerTop = *std::min_element(footerLines.cbegin(), footerLines.cend());
                auto inFooter = [&footerLines](const Word &word) {
                    return std::any_of(footerLines.cbegin(), footerLines.cend(),
                                       [&word](double line) { return qAbs(word.box.top() - line) < 1.0; });
                };
                QVERIFY2(footerTop < page.size.height(), qPrintable(where));
                for (const Word &word : page.words) {
                    if (inFooter(word))
                        continue;
                    QVERIFY2(word.box.left() >= 0 && word.box.right() <= page.size.width()
                                 && word.box.bottom() <= footerTop,
                             qPrintable(QStringLiteral("%1: \"%2\" at %3, %4 below the footer at %5")
                                            .arg(where, word.text).arg(word.box.left())
                                            .arg(word.box.bottom()).arg(footerTop)));
                    if (date.match(word.text).hasMatch()) {
                        const int sample = sampleBefore(page, word, number);
                        QVERIFY2(sample >= 1 && sample <= kSamples, qPrintable(where));
                        ++seen[sample];
                        baselines[sample] = word.box.bottom();
                    }
                }
            }
            for (int sample = 1; sample <= kSamples; ++sample)
                QVERIFY2(seen.at(sample) == 1, qPrintable(QStringLiteral("%1: sample %2 printed %3 times")
                                                               .arg(QLatin1String(paper)).arg(sample)
                                                               .arg(seen.at(sample))));
            // and the screen's dpi moves nothing
            const QVector<double> &first = *firstLayout.insert(QLatin1String(paper),
                                                               firstLayout.value(QLatin1String(paper), baselines));
            for (int sample = 1; sample <= kSamples; ++sample)
                QVERIFY2(qAbs(baselines.at(sample) - first.at(sample)) < 0.01,
                         qPrintable(QStringLiteral("%1: sample %2 at %3, at %4 with the first dpi")
                                        .arg(QLatin1String(paper)).arg(sample).arg(baselines.at(sample))
                                        .arg(first.at(sample))));
        }
    }
};

int main(int argc, char *argv[])
{
    TestEnv::isolate();
    if (argc == 3 && qstrcmp(argv[1], kWriteReports) == 0)
        return writeReports(argc, argv);
    QApplication application(argc, argv);
    TestReportLayout test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportlayout.moc"
