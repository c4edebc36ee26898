#include <cerrno>
#include <cstring>

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "core/clanguagetable.h"
#include "dialogs/cmessage.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"
#include "reports/cprint.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"
#include "views/ctable.h"

namespace {

const QDateTime kStart(QDate(2026, 12, 5), QTime(14, 30, 0), Qt::LocalTime);
const quint8 kAllSensors = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
const quint32 kAllChannels = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn;

using TestEnv::programOutput;

int pageCountOf(const QString &pdf)
{
    const QByteArray info = programOutput(QStringLiteral("pdfinfo"), { pdf });
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(QString::fromUtf8(info)).captured(1).toInt();
}

// Text of one page (0: every page) with the layout kept, blanks included.
QString textOf(const QString &pdf, int page = 0)
{
    QStringList arguments { QStringLiteral("-layout") };
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    return QString::fromUtf8(programOutput(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-")));
}

// pdftotext spaces words by their places: blanks are compared as one
bool shows(const QString &text, const QString &expected)
{
    return text.simplified().contains(expected.simplified());
}

QImage pageImage(const QString &pdf, int page, int dpi)
{
    const QString n = QString::number(page);
    const QString prefix = QFileInfo(pdf).absolutePath() + QStringLiteral("/page");
    programOutput(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), n,
                                          QStringLiteral("-l"), n, QStringLiteral("-png"),
                                          QStringLiteral("-singlefile"), pdf, prefix });
    return QImage(prefix + QStringLiteral(".png"));
}

// samples of every channel the flags switch on, 21.5 °C / 45.0 % unless marked
LoggerRecord trip(int samples, quint8 sensors = SensorBits::InternalNtc,
                  quint32 config = ConfigBits::InternalOn)
{
    const int channels = ViewsTest::downloadedSet(QString(), sensors, config, {}, 60, kStart).channelCount;
    LoggerRecord record = ViewsTest::downloadedSet(QStringLiteral("RPT%1").arg(samples), sensors, config,
                                                   ViewsTest::words(QVector<int>(samples * channels, 215)), 60, kStart);
    record.fromFile = true;
    record.fileName = QStringLiteral("/data/RPT%1.qlf").arg(samples);
    record.comment = QStringLiteral("Cold chain");
    return record;
}

using PdfWord = QPair<QString, QRectF>;

// Rows of a page image holding anything darker than a light grey.
int inkedRows(const QImage &page)
{
    int rows = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 160) {
                ++rows;
                break;
            }
    return rows;
}

// Where text's words stand, drawn one after another from index from on,
// none taken yet and, when top <= bottom, each with its middle between top
// and bottom (on a line of a label that spans them, whatever the fonts'
// ascents). Its words are taken; the index past them, or -1 when the text is
// not there whole.
int findText(const QList<PdfWord> &words, QSet<int> &taken, int from, const QString &text, double top,
             double bottom, QList<QRectF> &boxes)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto fits = [&](int at, const QString &part) {
        const QRectF &box = words.at(at).second;
        return !taken.contains(at) && words.at(at).first == part
               && (top > bottom || (box.center().y() > top && box.center().y() < bottom));
    };
    for (int start = from; start + parts.size() <= words.size(); ++start) {
        int k = 0;
        while (k < parts.size() && fits(start + k, parts.at(k)))
            ++k;
        if (k < parts.size())
            continue;
        boxes.clear();
        for (k = 0; k < parts.size(); ++k) {
            taken.insert(start + k);
            boxes << words.at(start + k).second;
        }
        return start + k;
    }
    return -1;
}

// Space between two word boxes side by side; none when one is above the other.
double gapBeside(const QRectF &a, const QRectF &b)
{
    if (a.bottom() <= b.top() || b.bottom() <= a.top())
        return qInf();
    return qMax(b.left() - a.right(), a.left() - b.right());
}

// One box of the report as printed, under its title: the words of each
// row's label (the summary's column 0) and of the values beside it (column
// 1 of the rows valueOffsets below), and what a reader would find wrong.
struct PrintedBox
{
    QRectF title;
    QHash<QString, QList<QRectF>> labels;
    QList<QList<QRectF>> values;
    QStringList faults;
};

PrintedBox printedBox(const QList<PdfWord> &words, const QString &title, const QTableWidget &summary,
                      int firstRow, int rows, const QList<int> &valueOffsets)
{
    PrintedBox box;
    int start = 0;
    while (start < words.size() && words.at(start).first != title)
        ++start;
    if (start == words.size())
        return { {}, {}, {}, { title + QStringLiteral(" is not printed") } };
    box.title = words.at(start).second;
    QSet<int> taken;
    int next = start;
    for (int row = firstRow; row < firstRow + rows; ++row) {
        const QString label = summary.item(row, 0)->text();
        QList<QRectF> &labelWords = box.labels[label];
        const int past = findText(words, taken, next, label, 1, 0, labelWords);
        if (past < 0) {
            box.faults << QStringLiteral("label \"%1\" is not printed whole").arg(label);
            continue;
        }
        next = past;
        for (int offset : valueOffsets) {
            const QString value = summary.item(row + offset, 1)->text();
            box.values.append(QList<QRectF>());
            if (findText(words, taken, start, value, labelWords.first().top(), labelWords.last().bottom(),
                         box.values.last()) < 0)
                box.faults << QStringLiteral("value \"%1\" of \"%2\" is not printed whole").arg(value, label);
        }
    }
    // what follows the box starts below its rows
    double rowsBottom = 0;
    for (const int index : qAsConst(taken))
        rowsBottom = qMax(rowsBottom, words.at(index).second.bottom());
    for (int index = start + 1; index < words.size(); ++index) {
        const QRectF &word = words.at(index).second;
        if (!taken.contains(index) && word.top() > box.title.bottom() && word.top() < rowsBottom)
            box.faults << QStringLiteral("\"%1\" stands among the rows").arg(words.at(index).first);
    }
    for (auto label = box.labels.cbegin(); label != box.labels.cend(); ++label) {
        double nearest = qInf();
        for (const QRectF &word : label.value())
            for (const QList<QRectF> &value : qAsConst(box.values))
                for (const QRectF &valueWord : value)
                    nearest = qMin(nearest, gapBeside(word, valueWord));
        if (nearest < 3.0)
            box.faults << QStringLiteral("label \"%1\" is %2 pt from a value")
                              .arg(label.key()).arg(nearest, 0, 'f', 1);
    }
    return box;
}

}

class TestReport : public QObject
{
    Q_OBJECT
private:
    WindowTest::Harness *h = nullptr;
    QTemporaryDir *folder = nullptr;

    QString writePdf(const LoggerRecord &record, const QString &name = QStringLiteral("r.pdf"))
    {
        h->addAndSelect(record);
        const QString path = folder->filePath(name);
        CPrint report(&h->window);
        return report.printPdf(path, record) ? path : QString();
    }

    // The record printed through the print dialog onto a PDF printer of that resolution.
    QString printedAt(const LoggerRecord &record, int dpi)
    {
        const QString pdf = folder->filePath(QStringLiteral("at%1.pdf").arg(dpi));
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            QPrinter *printer = static_cast<QPrintDialog *>(dialog)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setResolution(dpi);
            return int(QDialog::Accepted);
        });
        CPrint report(&h->window);
        return report.print(record) ? pdf : QString();
    }

private slots:
    void init()
    {
        folder = new QTemporaryDir;
        h = new WindowTest::Harness;
        h->window.app->settings.defaultPath = folder->path();
        h->window.app->settings.dateFormat = 0;
    }

    void cleanup()
    {
        delete h;
        h = nullptr;
        delete folder;
    }

    // Sample times read as the wall clock showed them, across both changes
    // of daylight saving time (the tests run in Europe/Paris) and at
    // intervals that do and do not divide a quarter hour.
    void sampleTimesFollowTheWallClockAcrossDaylightSaving_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("dayFirst");
        QTest::addColumn<QString>("monthFirst");
        const QDateTime spring(QDate(2026, 3, 29), QTime(1, 50), Qt::LocalTime);
        const QDateTime autumn(QDate(2026, 10, 25), QTime(1, 50), Qt::LocalTime);
        QTest::newRow("before spring") << spring << 60 << 10 << "  10  29/03/26 01:59:00" << "  10  03/29/26 01:59:00";
        QTest::newRow("after spring") << spring << 60 << 11 << "  11  29/03/26 03:00:00" << "  11  03/29/26 03:00:00";
        QTest::newRow("summer time") << autumn << 60 << 70 << "  70  25/10/26 02:59:00" << "  70  10/25/26 02:59:00";
        QTest::newRow("the hour again") << autumn << 60 << 71 << "  71  25/10/26 02:00:00" << "  71  10/25/26 02:00:00";
        QTest::newRow("odd interval") << spring << 7 << 1001 << "1001  29/03/26 04:46:40" << "1001  03/29/26 04:46:40";
        QTest::newRow("over a year") << spring << 3700 << 9000 << "9000  18/04/27 11:48:20" << "9000  04/18/27 11:48:20";
        QTest::newRow("wide number") << spring << 60 << 65536 << "65536  13/05/26 15:05:00" << "65536  05/13/26 15:05:00";
    }

    void sampleTimesFollowTheWallClockAcrossDaylightSaving()
    {
        QFETCH(QDateTime, start);
        QFETCH(int, interval);
        QFETCH(int, n);
        QFETCH(QString, dayFirst);
        QFETCH(QString, monthFirst);
        LoggerRecord record = trip(1);
        record.startTime = start;
        record.interval = quint32(interval);
        QCOMPARE(CPrint::sampleText(record, n, true), dayFirst);
        QCOMPARE(CPrint::sampleText(record, n, false), monthFirst);
        // a set without a start time numbers its samples all the same
        record.startTime = QDateTime();
        QCOMPARE(CPrint::sampleText(record, n, true), dayFirst.left(dayFirst.indexOf(QLatin1Char('/')) - 4));
    }

    // A whole page of samples spanning a change of the clock, printed.
    void readingsPageShowsTheWallTimeOfEverySample()
    {
        LoggerRecord record = trip(300);
        record.startTime = QDateTime(QDate(2026, 10, 25), QTime(1, 10), Qt::LocalTime);
        record.interval = 37;
        const QString pages = textOf(writePdf(record)).simplified();
        const qint64 startUtc = record.startTime.toSecsSinceEpoch();
        for (int n = 1; n <= 300; ++n) {
            const QString expected = QStringLiteral("%1 %2").arg(n).arg(
                QDateTime::fromSecsSinceEpoch(startUtc + (n - 1) * 37, Qt::LocalTime)
                    .toString(QStringLiteral("dd/MM/yy hh:mm:ss")));
            QVERIFY2(pages.contains(expected), qPrintable(expected));
        }
    }

    // With a zone chosen in the options, the samples stand at the start
    // plus their elapsed time at that zone's offset, through the PC's
    // October change.
    void sampleTimesKeepAChosenZone()
    {
        h->window.app->settings.timeZone = 1.0f;
        h->window.app->settings.timeZoneIndex = 34;
        LoggerRecord record = trip(6);
        record.startTime = QDateTime(QDate(2026, 10, 25), QTime(0, 30), Qt::LocalTime);
        record.interval = 3600;
        const QString pages = textOf(writePdf(record)).simplified();
        for (int n = 1; n <= 6; ++n) {
            const QString expected = QStringLiteral("%1 25/10/26 0%2:30:00").arg(n).arg(n - 1);
            QVERIFY2(pages.contains(expected), qPrintable(expected));
        }
    }

    void pageCountFollowsTheSamples_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("pages");
        QTest::newRow("none") << 0 << 1 << 2;
        QTest::newRow("100") << 100 << 1 << 3;
        QTest::newRow("101") << 101 << 1 << 4;
        QTest::newRow("150 of two channels") << 150 << 2 << 4;
        QTest::newRow("3 readings, no channel") << 3 << 0 << 2;
    }

    void pageCountFollowsTheSamples()
    {
        QFETCH(int, samples);
        QFETCH(int, channels);
        QFETCH(int, pages);
        LoggerRecord record = channels == 1
            ? trip(samples)
            : trip(samples, SensorBits::DigitalTempHum, ConfigBits::InternalOn | ConfigBits::HumidityOn);
        if (channels == 0)
            record.channelCount = 0;
        const QString pdf = writePdf(record);
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCountOf(pdf), pages);
        QVERIFY(programOutput(QStringLiteral("pdfinfo"), { pdf }).contains("(A4)"));
        const QString last = textOf(pdf, pages);
        QVERIFY2(shows(last, QStringLiteral("( Page  %1 / %1 )").arg(pages)), qPrintable(last));
    }

    void pagesCarryTheirFixedTexts()
    {
        LoggerRecord record = trip(150, kAllSensors, kAllChannels);
        record.configuredBy = QStringLiteral("jdoe");
        record.downloadedBy = QStringLiteral("amy");
        const QString plain = textOf(writePdf(record));
        for (const char *text : { "Device Specification", "Alarms", "Int. Temp.", "Int. Hum.",
                                  "Ext. Temp.", "RPT150", "( Page  1 / 4 )", "Cold chain" })
            QVERIFY2(shows(plain, QLatin1String(text)), text);
        QVERIFY(shows(plain, QStringLiteral("  #   Date   Time     T°C  H%  eT°C")));
        // sample 1 and the first of the second column (51), all three channels
        QVERIFY(shows(plain, QStringLiteral("   1  05/12/26 14:30:00  21.5  21.5  21.5")));
        QVERIFY(shows(plain, QStringLiteral("  51  05/12/26 15:20:00  21.5  21.5  21.5")));
        QVERIFY(!shows(plain, QStringLiteral("21 CFR Part 11")));
        QVERIFY(!shows(plain, QStringLiteral("(amy)")));

        // user administration on: the user's name with the comment, the
        // compliance line where somebody configured the logger
        h->window.app->userAdmin->enabled = true;
        const QString compliant = textOf(writePdf(record, QStringLiteral("c.pdf")));
        QVERIFY(shows(compliant, QStringLiteral("This data is compliant to 21 CFR Part 11 Requirements.")));
        QVERIFY(shows(compliant, QStringLiteral("Cold chain (amy)")));
        record.configuredBy.clear();
        QVERIFY(!textOf(writePdf(record, QStringLiteral("d.pdf"))).contains(QStringLiteral("21 CFR")));

        // the two-probe model names its probes; in °F
        record.productCode = QStringLiteral("  QV-7T pro ");
        h->window.app->settings.modeCelsius = 0;
        const QString probes = textOf(writePdf(record, QStringLiteral("e.pdf")));
        for (const char *text : { "L.Ext. Temp.", "R.Ext. Temp.", "LE°F  H%  RE°F", "70.7  21.5  70.7" })
            QVERIFY2(shows(probes, QString::fromUtf8(text)), text);
    }

    // A printer's resolution that does not divide 1200 lays the pages out as
    // 1200 dpi does: every word of the boxes at its place, the third channel
    // of the alarm table on the page, the graph and histogram as high.
    void aReportAt720DpiIsLaidOutAsAt1200()
    {
        const LoggerRecord record = trip(150, kAllSensors, kAllChannels);
        h->addAndSelect(record);
        h->window.viewsDirty = true;
        QTRY_VERIFY(h->window.plot && h->window.histogram);
        const QString fine = printedAt(record, 1200);
        const QString inkJet = printedAt(record, 720);
        QVERIFY(!fine.isEmpty() && !inkJet.isEmpty());
        const QRegularExpression clockTime(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
        for (int page : { 1, 2 }) {
            const QList<PdfWord> expected = ViewsTest::pdfWordsAsDrawn(fine, page);
            const QList<PdfWord> printed = ViewsTest::pdfWordsAsDrawn(inkJet, page);
            QCOMPARE(printed.size(), expected.size());
            for (int i = 0; i < expected.size(); ++i) {
                const QRectF &want = expected.at(i).second;
                const QRectF &got = printed.at(i).second;
                // the header's print time may have ticked between the two
                const bool sameWord = printed.at(i).first == expected.at(i).first
                                      || (clockTime.match(printed.at(i).first).hasMatch()
                                          && clockTime.match(expected.at(i).first).hasMatch());
                QVERIFY2(sameWord && qAbs(got.left() - want.left()) < 2 && qAbs(got.top() - want.top()) < 2,
                         qPrintable(QStringLiteral("page %1: \"%2\" at %3,%4 pt, at 1200 dpi \"%5\" at %6,%7 pt")
                                        .arg(page).arg(printed.at(i).first).arg(got.left()).arg(got.top())
                                        .arg(expected.at(i).first).arg(want.left()).arg(want.top())));
            }
        }
        // the graph on page 1 and the histogram on page 2 keep their height:
        // the rows of ink between the boxes and the footer, where a rule or a
        // line of text may round to the next row
        for (int page : { 1, 2 }) {
            const int fineRows = inkedRows(pageImage(fine, page, 72));
            const int inkJetRows = inkedRows(pageImage(inkJet, page, 72));
            QVERIFY2(qAbs(inkJetRows - fineRows) <= 4,
                     qPrintable(QStringLiteral("page %1: %2 rows inked, %3 at 1200 dpi").arg(page).arg(inkJetRows).arg(fineRows)));
        }
    }

    // The comment under the device box is printed whole and inside the box,
    // centred on it: at the title's size while it fits, smaller when the
    // longest comment and its user's name do not. A comment read from a
    // data file is no longer than one typed.
    void theCommentIsPrintedWhole()
    {
        LoggerRecord record = trip(10);
        record.downloadedBy = QStringLiteral("a.my");
        h->window.app->userAdmin->enabled = true;
        auto commentWords = [&](const QString &pdf) {
            QList<PdfWord> words;
            bool under = false;
            for (const PdfWord &word : ViewsTest::pdfWordsAsDrawn(pdf, 1)) {
                if (word.first == QLatin1String("Device"))
                    words << word;
                under = under || word.first.startsWith(QLatin1String("WAREHOUSE"))
                        || word.first == QLatin1String("Cold");
                if (under)
                    words << word;
                if (word.first.endsWith(QLatin1String("(a.my)")))
                    break;
            }
            return words;
        };
        // the box spans the printable width, its frame's pen half inside it
        QPrinter a4(QPrinter::HighResolution);
        a4.setPageSize(QPageSize(QPageSize::A4));
        const QRectF box = a4.pageRect(QPrinter::Point).adjusted(0.5, 0, -0.5, 0);
        auto centredInTheBox = [&box](const QList<PdfWord> &words) {
            const double left = words.at(1).second.left(), right = words.last().second.right();
            return left > box.left() && right < box.right() && qAbs((left + right) / 2 - box.center().x()) < 1.5;
        };
        const QList<PdfWord> fitting = commentWords(writePdf(record));
        QCOMPARE(fitting.size(), 4);   // the title's first word, "Cold chain (a.my)"
        QCOMPARE(fitting.at(1).second.height(), fitting.at(0).second.height());
        QVERIFY(centredInTheBox(fitting));

        record.comment = QStringLiteral("WAREHOUSE MUNICH CONSIGNMENT 26-12-07 PALLET 17/20 0042 OK");
        QCOMPARE(record.comment.size(), 58);
        const QString pdf = writePdf(record, QStringLiteral("long.pdf"));
        QVERIFY(shows(textOf(pdf, 1), record.comment + QStringLiteral(" (a.my)")));
        const QList<PdfWord> longOne = commentWords(pdf);
        QVERIFY(longOne.size() > 2);
        for (int i = 1; i < longOne.size(); ++i)
            QVERIFY(longOne.at(i).second.height() < longOne.at(0).second.height());
        QVERIFY(centredInTheBox(longOne));

        record.comment += QStringLiteral(" WAREHOUSE MUNICH CONSIGNMENT");
        WindowTest::giveLoggerHeader(record);
        const QString file = folder->filePath(QStringLiteral("long.qlf"));
        LoggerRecord read;
        QVERIFY(CFileManager::writeDataFile(file, record, false) && CFileManager::readDataFile(file, read, false, nullptr));
        QCOMPARE(read.comment.size(), h->ui->m_lineEditComment->maxLength());
        read.downloadedBy = record.downloadedBy;
        QVERIFY(centredInTheBox(commentWords(writePdf(read, QStringLiteral("read.pdf")))));
    }

    // A logger of one channel: its HH and H zones stand in the report's
    // graph, across the time axis from its first reading to its last.
    void theGraphDrawsTheAlarmBands()
    {
        LoggerRecord record = trip(120, SensorBits::InternalNtc, ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH);
        ViewsTest::setLimits(record, ChannelInternal, 30, 25, 5, 0);
        AppSettings &settings = h->window.app->settings;
        settings.graphLineColor = QColor(0, 160, 0);
        const QImage page = pageImage(writePdf(record), 1, 100);
        auto columns = [&page](const QColor &colour) {   // the first and the last column holding it
            QList<int> span{ page.width(), -1 };
            for (int y = 0; y < page.height(); ++y)
                for (int x = 0; x < page.width(); ++x) {
                    const QColor at = page.pixelColor(x, y);
                    if (qAbs(at.red() - colour.red()) + qAbs(at.green() - colour.green()) + qAbs(at.blue() - colour.blue()) < 24)
                        span = { qMin(span.at(0), x), qMax(span.at(1), x) };
                }
            return span;
        };
        const QList<int> readings = columns(settings.graphLineColor);
        QVERIFY(readings.at(1) - readings.at(0) > page.width() / 2);
        for (const QColor &zone : { settings.graphThresholdHH, settings.graphThresholdH })
            QVERIFY(qAbs(columns(zone).at(0) - readings.at(0)) <= 2 && qAbs(columns(zone).at(1) - readings.at(1)) <= 2);
    }

    // Page 1's graph starts where its first box is measured to end: a line
    // a row below the box's title band, wherever the box stands.
    void specificationBoxIsMeasuredByItsRows()
    {
        CPrint report(&h->window);
        const QString title = QStringLiteral("Device Specification");
        const QPoint rows22 = report.measureSpecificationBox(0, 500, 4000, -1, nullptr, title, 0, 22);
        const QPoint rows23 = report.measureSpecificationBox(0, 500, 4000, -1, nullptr, title, 0, 23);
        const QPoint lower = report.measureSpecificationBox(0, 900, 4000, -1, nullptr, title, 0, 22);
        QCOMPARE(rows22.x(), 4000);
        QVERIFY(rows23.y() > rows22.y());
        QCOMPARE(lower.y() - rows22.y(), 400);
    }

    void labelsStandClearOfTheirValuesInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("dpi");
        const QList<QPair<const char *, int>> languages {
            { "EN", 0 }, { "FR", 1 }, { "SP", 2 }, { "IT", 3 }, { "GR", 5 }, { "PR", 6 }
        };
        for (int dpi : { 1200, 300 })
            for (const auto &language : languages)
                QTest::addRow("%s %d dpi", language.first, dpi) << language.second << dpi;
    }

    // Both boxes of the report, read back word by word: every label and
    // value printed whole, inside the page, each label's words a clear gap
    // away from every value beside them. The English report keeps its
    // values at a third of the page, one line a row.
    void labelsStandClearOfTheirValuesInEveryLanguage()
    {
        QFETCH(int, language);
        QFETCH(int, dpi);
        LoggerRecord record = trip(150, kAllSensors,
                                   kAllChannels | ConfigBits::StartDelay | ConfigBits::StopAfterReadings
                                       | ConfigBits::Continuous | ConfigBits::StopButton | ConfigBits::IntHH
                                       | ConfigBits::IntH);
        record.startDelay = 600;
        record.stopReadingCount = 1000;
        record.description = QStringLiteral("Vaccines, cold room 4, shelf 12");
        ViewsTest::setLimits(record, ChannelInternal, 21.0, 20.0, 5.0, 0.0);
        h->window.app->languageTable->language = language;
        h->addAndSelect(record);
        h->window.viewsDirty = true;
        QTRY_VERIFY(h->window.plot && h->window.histogram);
        const QString pdf = printedAt(record, dpi);
        QVERIFY(!pdf.isEmpty());
        QTableWidget summary;
        h->window.app->table->initSummary(&summary, { 0 });
        h->window.app->table->fillSummary(&summary, { 0 }, true);

        const int rows = CPrint::kSummaryBlockRows;
        const PrintedBox device = printedBox(ViewsTest::pdfWordsAsDrawn(pdf, 1), QStringLiteral("Device"),
                                             summary, 0, CPrint::kSummaryGeneralRows, { 0 });
        const PrintedBox alarms = printedBox(ViewsTest::pdfWordsAsDrawn(pdf, 2), QStringLiteral("Alarms"), summary,
                                             CPrint::kSummaryGeneralRows, rows, { 0, rows, 2 * rows });
        QVERIFY2(device.faults.isEmpty(), qPrintable(device.faults.join(QLatin1Char('\n'))));
        QVERIFY2(alarms.faults.isEmpty(), qPrintable(alarms.faults.join(QLatin1Char('\n'))));

        // the page's printable width: from 150 units left of the labels to
        // where the header's print time ends
        double right = 0;
        for (const PdfWord &word : ViewsTest::pdfWords(pdf, 1))
            if (word.second.bottom() < device.title.top())
                right = qMax(right, word.second.right());
        const double left = device.labels.value(summary.item(0, 0)->text()).first().left() - 150.0 / 1200 * 72;
        for (const PrintedBox *box : { &device, &alarms })
            for (const QList<QRectF> &value : box->values)
                for (const QRectF &word : value)
                    QVERIFY2(word.left() > left && word.right() < right + 0.01,
                             qPrintable(QStringLiteral("%1 to %2 pt").arg(word.left()).arg(word.right())));
        if (language != 0)
            return;
        for (const PrintedBox *box : { &device, &alarms })
            for (const QList<QRectF> &label : box->labels)
                QCOMPARE(label.last().top(), label.first().top());
        const double third = left + (right - left) / 3 + 150.0 / 1200 * 72;
        for (int row = 0; row < CPrint::kSummaryGeneralRows; ++row)
            if (!device.values.at(row).isEmpty())
                QVERIFY2(qAbs(device.values.at(row).first().left() - third) < 0.5,
                         qPrintable(summary.item(row, 0)->text()));
    }

    void pageRangePrintsOnlyThosePages()
    {
        const LoggerRecord record = trip(250);   // 5 pages
        h->addAndSelect(record);
        const QString path = folder->filePath(QStringLiteral("range.pdf"));
        int from = 2;
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            QPrinter *printer = static_cast<QPrintDialog *>(dialog)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            printer->setPrintRange(QPrinter::PageRange);
            printer->setFromTo(from, from + 1);
            printer->setPageOrientation(QPageLayout::Landscape);
            return int(QDialog::Accepted);
        });
        CPrint report(&h->window);
        QVERIFY(report.print(record));
        QCOMPARE(pageCountOf(path), 2);
        // a landscape sheet chosen in the dialog still gets the upright pages
        QVERIFY(QString::fromUtf8(programOutput(QStringLiteral("pdfinfo"), { path }))
                    .contains(QRegularExpression(QStringLiteral("Page size:\\s+595\\S* x 84"))));
        QVERIFY(shows(textOf(path, 1), QStringLiteral("( Page  2 / 5 )")));
        QVERIFY(shows(textOf(path, 1), QStringLiteral("Alarms")));
        QVERIFY(shows(textOf(path, 2), QStringLiteral("( Page  3 / 5 )")));

        from = 4;
        QVERIFY(report.print(record));
        QCOMPARE(pageCountOf(path), 2);
        QVERIFY(shows(textOf(path, 1), QStringLiteral(" 101  05/12/26 16:10:00")));
        QVERIFY(shows(textOf(path, 2), QStringLiteral("( Page  5 / 5 )")));

        CPrompt::setDialogHandler([](QDialog *) { return int(QDialog::Rejected); });
        QVERIFY(!report.print(record));
        QVERIFY(report.errorText().isEmpty());

        // and the preview offers no landscape
        int landscapes = 0;
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            for (const QAction *action : dialog->findChildren<QAction *>())
                landscapes += action->text() == QStringLiteral("Landscape") && action->isVisible();
            return 0;
        });
        report.printPreview(record);
        QCOMPARE(landscapes, 0);
    }

    // A printer that cannot take the report, chosen in the print dialog or
    // from the preview's print button, is said, a file's with the system's
    // reason: nothing printed is no quiet outcome.
    void aPrinterThatRefusesTheReportIsSaid()
    {
        h->addAndSelect(trip(30));
        const QString unwritable = folder->filePath(QStringLiteral("missing/p.pdf"));
        auto refusingPrinter = [&unwritable](QPrinter *printer) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(unwritable);
        };
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            refusingPrinter(static_cast<QPrintDialog *>(dialog)->printer());
            return int(QDialog::Accepted);
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
        h->window.on_m_actionPrintPrint_triggered();
        const QString said = QStringLiteral("could not be printed on %1.\n\n%2")
                                 .arg(QDir::toNativeSeparators(unwritable), QString::fromLocal8Bit(std::strerror(ENOENT)));
        QCOMPARE(h->prompts.boxesContaining(said), 1);

        CPrompt::setDialogHandler([&](QDialog *dialog) {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
            QPrinter printer(QPrinter::HighResolution);
            refusingPrinter(&printer);
            emit preview->paintRequested(&printer);
            return 0;
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
        h->window.on_m_actionPrintPreview_triggered();
        QCOMPARE(h->prompts.boxesContaining(said), 2);
    }

    // The PDF writer's printer left in its error state (its file could not
    // be opened) is said as such, with the system's reason, not as a
    // report cut short; nothing takes the report's name.
    void aPdfPrinterInItsErrorStateIsSaid()
    {
        const LoggerRecord record = trip(30);
        h->addAndSelect(record);
        const QString path = folder->filePath(QStringLiteral("blocked.pdf"));
        QVERIFY(QDir().mkpath(WholeFile::temporaryPathFor(path)));
        CPrint report(&h->window);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));
        QVERIFY(!report.printPdf(path, record));
        const QString said = report.errorText();
        QVERIFY2(said.startsWith(QStringLiteral("The file %1 cannot be written: ").arg(QDir::toNativeSeparators(path)))
                     && said.contains(QString::fromLocal8Bit(std::strerror(EISDIR))),
                 qPrintable(said));
        QVERIFY(!QFileInfo::exists(path));
    }

    // Alarm lights of the header, and the grey band of a reading marked on
    // a channel that is not the last of its sample.
    void lightsAndMarksShowOnTheRenderedPage()
    {
        LoggerRecord record = trip(10, kAllSensors, kAllChannels);
        record.readings[4 * 3 + 1] |= 0x800;   // humidity of sample 5
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QRectF paper = printer.paperRect(QPrinter::Inch);
        const QRectF area = printer.pageRect(QPrinter::Inch);
        const int dpi = 100;
        // The lit lights as a reader finds them: the middle of the blue
        // (LL) and of the red (HH) pixels in the header, between the logo
        // and the serial number; (-1, -1) for a colour not there.
        const auto litLights = [dpi](const QImage &page) {
            QPointF sum[2];
            int count[2] = { 0, 0 };
            for (int y = 0; y < dpi; ++y) {
                for (int x = page.width() / 4; x < page.width() * 7 / 10; ++x) {
                    const QColor c = page.pixelColor(x, y);
                    const int lit = c.blue() > 200 && c.red() < 150 && c.green() < 150 ? 0
                                    : c.red() > 200 && c.blue() < 150 && c.green() < 150 ? 1 : -1;
                    if (lit >= 0) {
                        sum[lit] += QPointF(x, y);
                        ++count[lit];
                    }
                }
            }
            QList<QPointF> centres;
            for (int i = 0; i < 2; ++i)
                centres << (count[i] ? sum[i] / count[i] : QPointF(-1, -1));
            return centres;
        };
        const QImage quiet = pageImage(writePdf(record, QStringLiteral("quiet.pdf")), 1, dpi);
        QCOMPARE(litLights(quiet), QList<QPointF>({ QPointF(-1, -1), QPointF(-1, -1) }));

        record.alarmStatus = AlarmStatusBits::HH | AlarmStatusBits::LL;
        const QString pdf = writePdf(record);
        const QImage page1 = pageImage(pdf, 1, dpi);
        QVERIFY(!page1.isNull());
        const QList<QPointF> lights = litLights(page1);
        // LL on the left of the row, HH on its right, a light's width or
        // more apart, on one line
        QVERIFY2(lights.at(0).x() > 0 && lights.at(1).x() - lights.at(0).x() > dpi / 4
                     && qAbs(lights.at(1).y() - lights.at(0).y()) < 2,
                 qPrintable(QStringLiteral("LL at %1,%2; HH at %3,%4")
                                .arg(lights.at(0).x()).arg(lights.at(0).y()).arg(lights.at(1).x()).arg(lights.at(1).y())));
        QCOMPARE(page1.width(), int(paper.width() * dpi + 0.5));
        // a status the logger did not give lights nothing
        record.alarmStatusUnknown = true;
        QCOMPARE(litLights(pageImage(writePdf(record, QStringLiteral("unknown.pdf")), 1, dpi)),
                 QList<QPointF>({ QPointF(-1, -1), QPointF(-1, -1) }));
        record.alarmStatusUnknown = false;
        // a printer above 1200 dpi still gets a scale
        QVERIFY(CPrint::scaleFor(2400) > 0);
        QCOMPARE(CPrint::scaleFor(600), 2.0);

        // a column right of the left half's text, over the readings: only the
        // marked row is veiled (a run as high as a row; the smoothed edge of
        // a rule is one pixel of the same grey)
        const QImage page3 = pageImage(pdf, 3, dpi);
        const int x = int((area.left() + area.width() / 2 - 0.3) * dpi);
        const int rowPixels = 10 * dpi / 72;
        int veiledRuns = 0;
        int run = 0;
        for (int y = int((area.top() + 1.5) * dpi); y < page3.height() / 2; ++y) {
            const QColor c = page3.pixelColor(x, y);
            const bool veil = c.red() > 210 && c.red() < 245 && c.red() == c.blue();
            run = veil ? run + 1 : 0;
            veiledRuns += run == rowPixels / 2;
        }
        QCOMPARE(veiledRuns, 1);
    }

    // The report prints a copy: the window's record keeps its counters, and
    // a record closed while the preview is open leaves the preview whole.
    void reportWorksOnACopy()
    {
        LoggerRecord record = trip(120);
        record.alarmThresholds[GroupInternal][LevelH] = 20;
        record.configWord |= ConfigBits::IntH;
        h->addAndSelect(record);
        int countedBefore[3][5];
        memcpy(countedBefore, h->records[0].levelCounts, sizeof countedBefore);
        QVERIFY(!writePdf(h->records.at(0)).isEmpty());
        QVERIFY(memcmp(countedBefore, h->records[0].levelCounts, sizeof countedBefore) == 0);

        int pages = -1;
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            auto *preview = dialog->findChild<QPrintPreviewWidget *>();
            dialog->show();
            h->window.on_m_actionCloseAllFiles_triggered();
            preview->updatePreview();
            pages = preview->pageCount();
            return 0;
        });
        h->window.on_m_actionPrintPreview_triggered();
        QCOMPARE(pages, 4);
        QVERIFY(h->records.isEmpty());
    }

    void pdfActionWritesTheNamedFileAndSaysSoOrWhyNot()
    {
        LoggerRecord record = trip(30);
        record.serialNumber = QStringLiteral("AB12");
        record.tripNumber = 7;
        h->addAndSelect(record);
        QString said;
        int seconds = 0;
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            auto *message = qobject_cast<CMessage *>(dialog);
            said = message ? message->message() : QString();
            seconds = message ? message->ticksLeft() / 10 : 0;
            return 0;
        });
        h->window.on_m_actionGeneratPdf_triggered();
        const QString expected = folder->filePath(QStringLiteral("AB12_0007_000.pdf"));
        QCOMPARE(said, QStringLiteral("PDF saved: ") + expected);
        QCOMPARE(seconds, 5);
        QCOMPARE(pageCountOf(expected), 3);
        QCOMPARE(h->records.at(0).exportFileName, expected);

        h->window.app->settings.defaultPath = folder->filePath(QStringLiteral("gone"));
        said.clear();
        h->window.on_m_actionGeneratPdf_triggered();
        QVERIFY(said.isEmpty());
        QVERIFY(h->prompts.sawBoxContaining(QStringLiteral("Warning!\n\nThe folder")));
        // no data folder at all (the first start's options cancelled) is
        // said as such
        h->window.app->settings.defaultPath.clear();
        h->window.on_m_actionGeneratPdf_triggered();
        QVERIFY(h->prompts.sawBoxContaining(QStringLiteral("No data folder is chosen")));
        QVERIFY(!h->prompts.sawBoxContaining(QStringLiteral("No name is free")));

        // a PDF that cannot be written is reported by the report itself
        CPrint report(&h->window);
        QVERIFY(!report.printPdf(folder->filePath(QStringLiteral("missing/r.pdf")), record));
        QVERIFY(report.errorText().contains(QStringLiteral("missing")));
        // a folder standing where the file should go: refused whoever runs
        const QString taken = folder->filePath(QStringLiteral("taken.pdf"));
        QVERIFY(QDir().mkpath(taken));
        QVERIFY(!report.printPdf(taken, record));
        QVERIFY(report.errorText().contains(QStringLiteral("taken.pdf")));
    }
};

MIRELDA_TEST_MAIN(TestReport)
#include "tst_report.moc"
