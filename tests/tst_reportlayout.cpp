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

}

class TestReportLayout : public QObject
{
    Q_OBJECT
    // where each sample stood at the first dpi, per paper
    QHash<QString, QVector<double>> firstLayout;

private slots:
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
