#include <QClipboard>
#include <QImage>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSvgRenderer>
#include <QImageReader>
#include <QRegularExpression>

#include "core/loggertime.h"
#include "dialogs/cmessage.h"
#include "dialogs/cprompt.h"
#include "reports/cprint.h"
#include "support/coretest.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "views/chistogram.h"
#include "views/cplot.h"

namespace {

LoggerRecord fileSet()
{
    return ViewsTest::openedSet(QStringLiteral("IMG1"), { 10, 25, 40, 35, 20 }, 60,
                                QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
}

// The boxes of the dates on the first page's line that holds most of them,
// in reading order, and the words of that line.
QList<QRectF> datesOfTheFullestLine(const QString &pdf, QStringList *line)
{
    const QRegularExpression date(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$"));
    QMap<int, QList<QPair<QString, QRectF>>> lines;   // by top, in points
    for (const auto &word : ViewsTest::pdfWords(pdf, 1))
        lines[qRound(word.second.top())].append(word);
    QList<QRectF> fullest;
    for (auto words : lines) {
        std::sort(words.begin(), words.end(),
                  [](const auto &a, const auto &b) { return a.second.left() < b.second.left(); });
        QList<QRectF> dates;
        QStringList texts;
        for (const auto &word : words) {
            texts << word.first;
            if (date.match(word.first).hasMatch())
                dates << word.second;
        }
        if (dates.size() > fullest.size()) {
            fullest = dates;
            *line = texts;
        }
    }
    return fullest;
}

}

// Images of the views, their copies with the self-closing notice, and the
// graph's export.
class TestGraphImage : public QObject
{
    Q_OBJECT
private slots:
    // The tenth tick of 100 ms closes a notice of one second, not one before;
    // with no seconds it stays.
    void noticeClosesAfterItsSeconds()
    {
        CMessage message(nullptr, QStringLiteral("Copied to clipboard..."), 1);
        message.show();
        for (int tick = 1; tick < 10; ++tick)
            message.Timer();
        QVERIFY(message.isVisible());
        message.Timer();
        QVERIFY(!message.isVisible());
        CMessage running(nullptr, QStringLiteral("PDF saved: /tmp/a.pdf"), 1);
        running.show();
        QTRY_VERIFY_WITH_TIMEOUT(!running.isVisible(), 10000);
        for (int seconds : { 0, -3 }) {
            CMessage stays(nullptr, QStringLiteral("stays"), seconds);
            stays.show();
            for (int tick = 0; tick < 200; ++tick)
                stays.Timer();
            QVERIFY(stays.isVisible());
        }
    }

    void imagesAndCopiesOfTheViews()
    {
        WindowTest::Harness harness;
        QStringList notices;
        CPrompt::setDialogHandler([&notices](QDialog *dialog) {
            if (auto *message = qobject_cast<CMessage *>(dialog))
                notices << message->message();
            return 0;
        });
        harness.addAndSelect(fileSet());
        harness.window.viewsDirty = true;
        QTRY_VERIFY(harness.window.plot && harness.window.histogram);
        harness.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&harness.window));
        harness.ui->m_tabWidget->setCurrentWidget(harness.ui->m_tabGraph);
        QTRY_VERIFY(harness.window.plot->isVisible());

        QTemporaryDir dir;
        const QString plotJpg = dir.filePath(QStringLiteral("plot.jpg"));
        QVERIFY(harness.window.savePlotImage(harness.window.plot, plotJpg));
        QImageReader plotReader(plotJpg);
        QCOMPARE(plotReader.format(), QByteArray("jpeg"));
        QCOMPARE(plotReader.size(), harness.window.plot->size());
        const QString windowPng = dir.filePath(QStringLiteral("program.png"));
        QVERIFY(harness.window.saveWindowImage(windowPng));
        QCOMPARE(QImage(windowPng).size(), harness.window.size());
        // the senders learn of a failure
        QVERIFY(!harness.window.savePlotImage(harness.window.plot, dir.filePath(QStringLiteral("no/such/plot.jpg"))));
        QVERIFY(!harness.window.savePlotImage(nullptr, plotJpg));
        QVERIFY(!harness.window.saveWindowImage(dir.filePath(QStringLiteral("program.unknownformat"))));

        // a double-click over the graph copies it, without the value label
        // under the pointer, and says so
        QClipboard *clipboard = QApplication::clipboard();
        clipboard->clear();
        QWidget *canvas = harness.window.plot->canvas();
        const QImage graph = harness.window.plot->grab().toImage();
        QMouseEvent move(QEvent::MouseMove, canvas->rect().center(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        QVERIFY(harness.window.plot->grab().toImage() != graph);   // the label stands over it
        QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, canvas->rect().center());
        QCOMPARE(clipboard->image().convertToFormat(graph.format()), graph);
        QCOMPARE(notices, QStringList{ QStringLiteral("Copied to clipboard...") });
        // over the histogram it copies without a word
        harness.ui->m_tabWidget->setCurrentWidget(harness.ui->m_tabHistogram);
        QTRY_VERIFY(harness.window.histogram->isVisible());
        clipboard->clear();
        QTest::mouseDClick(harness.window.histogram->canvas(), Qt::LeftButton);
        QCOMPARE(clipboard->image().size(), harness.window.histogram->size());
        QCOMPARE(notices.size(), 1);
        clipboard->clear();
        QTest::mouseDClick(harness.ui->m_tableWidgetLogger->viewport(), Qt::LeftButton);
        QVERIFY(clipboard->image().isNull());
    }

    // The graph of a five-day trip in the report previewed on A5 paper: the
    // page is narrower than the window's graph, its fonts the printer's.
    void timeLabelsStandApartOnPaper()
    {
        WindowTest::Harness harness;
        const LoggerRecord trip = ViewsTest::openedSet(QStringLiteral("DAYS"), QVector<int>(720, 150), 600,
                                                       QDateTime(QDate(2026, 12, 7), QTime(1, 33, 9)));
        harness.addAndSelect(trip);
        harness.window.viewsDirty = true;
        QTRY_VERIFY(harness.window.plot);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("a5.pdf"));
        CPrompt::setDialogHandler([&pdf](QDialog *dialog) {
            if (auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog)) {
                QPrinter *printer = preview->printer();
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(pdf);
                printer->setPageSize(QPageSize(QPageSize::A5));
                emit preview->paintRequested(printer);
            }
            return 0;
        });
        CPrint(&harness.window).printPreview(trip);
        QStringList line;
        const QList<QRectF> dates = datesOfTheFullestLine(pdf, &line);
        // every word of the line a date, each clear of the next
        QVERIFY2(dates.size() >= 3 && dates.size() == line.size(), qPrintable(line.join(QLatin1Char(' '))));
        for (int i = 1; i < dates.size(); ++i)
            QVERIFY2(dates.at(i).left() > dates.at(i - 1).right(), qPrintable(line.join(QLatin1Char(' '))));
    }

    // With another row chosen beside it, the window's graph is Multi-Link;
    // a report of the current row draws that row's graph and histogram, its
    // own serial in their legends and no other.
    void reportOfTheCurrentRowDrawsItsOwnViews_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("print") << false;
        QTest::newRow("print preview") << true;
    }
    void reportOfTheCurrentRowDrawsItsOwnViews()
    {
        QFETCH(bool, preview);
        WindowTest::Harness harness;
        harness.addAndSelect(fileSet());
        harness.addAndSelect(ViewsTest::openedSet(QStringLiteral("IMG2"), { 50, 55 }, 600, QDateTime::currentDateTime()));
        QTableWidget *table = harness.ui->m_tableWidgetLogger;
        table->setCurrentCell(0, 0);
        table->selectionModel()->select(table->model()->index(1, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        harness.window.viewsDirty = true;
        QTRY_VERIFY(harness.window.plot && harness.window.plot->title().text() == QLatin1String("Multi-Link"));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        CPrompt::setDialogHandler([&pdf](QDialog *dialog) {
            auto *previewDialog = qobject_cast<QPrintPreviewDialog *>(dialog);
            QPrinter *printer = previewDialog ? previewDialog->printer() : static_cast<QPrintDialog *>(dialog)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            if (previewDialog)
                emit previewDialog->paintRequested(printer);
            return int(QDialog::Accepted);
        });
        (preview ? harness.ui->m_actionPrintPreview : harness.ui->m_actionPrintPrint)->trigger();
        QVERIFY(harness.prompts.boxes.isEmpty());
        for (const char *page : { "1", "2" }) {
            const QString text = QString::fromUtf8(TestEnv::programOutput("pdftotext", { "-f", page, "-l", page, pdf, "-" }));
            QVERIFY2(text.contains(QLatin1String("IMG1 Int.Temp")) && !text.contains(QLatin1String("IMG2"))
                         && !text.contains(QLatin1String("Multi-Link")),
                     qPrintable(text));
        }
        // the window's views and choice stay as they were
        QCOMPARE(harness.window.app->selection, QList<int>({ 0, 1 }));
        QCOMPARE(harness.window.plot->title().text(), QStringLiteral("Multi-Link"));
    }

    void graphExportedAsDocumentOrImage()
    {
        PromptRecorder prompts;
        TestCore core;
        core.app.records << fileSet();
        core.app.selection = { 0 };
        CPlot plot;
        plot.setData(&core.app, 0);
        plot.setupPlot();
        QTemporaryDir dir;

        // 300 x 200 mm (850 x 567 points), images at 85 dpi
        const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
        QVERIFY(plot.exportDocument(pdf));
        const QString info = QString::fromLatin1(TestEnv::programOutput("pdfinfo", { pdf }));
        QVERIFY2(info.contains(QStringLiteral("Page size:       850 x 567 pts")), qPrintable(info));

        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        plot.renderToPrinter(printer);
        QVERIFY(QFileInfo(printer.outputFileName()).size() > 0);

        const QString svg = dir.filePath(QStringLiteral("graph.svg"));
        QVERIFY(plot.exportDocument(svg));
        QVERIFY(QSvgRenderer(svg).isValid());

        prompts.filesToChoose = QStringList{ dir.filePath(QStringLiteral("graph.png")) };
        plot.exportDocument();
        QCOMPARE(prompts.fileCaptions, QStringList{ QStringLiteral("Export File Name") });
        const QSize png = QImage(dir.filePath(QStringLiteral("graph.png"))).size();
        QVERIFY2(qAbs(png.width() - 1004) <= 1 && qAbs(png.height() - 669) <= 1, qPrintable(QStringLiteral("%1 x %2").arg(png.width()).arg(png.height())));
        QVERIFY(prompts.boxes.isEmpty());

        // no PostScript in this Qt: refused, said, and nothing left behind
        QVERIFY(!CPlot::exportFilters().join(QString()).contains(QStringLiteral("*.ps")));
        QVERIFY(!plot.exportDocument(dir.filePath(QStringLiteral("graph.ps"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("graph.ps"))));
        QVERIFY(!plot.exportDocument(dir.filePath(QStringLiteral("missing/graph.pdf"))));
        QCOMPARE(prompts.boxes.size(), 2);
        QVERIFY(prompts.boxes.at(1).text.startsWith(QStringLiteral("Warning!")));
    }
};

MIRELDA_TEST_MAIN(TestGraphImage)
#include "tst_graphimage.moc"
