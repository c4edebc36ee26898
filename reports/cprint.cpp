#include "reports/cprint.h"

#include <cmath>
#include <cstdio>

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableWidget>
#include <qwt_plot.h>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/localclock.h"
#include "core/loggertime.h"
#include "dialogs/cprompt.h"
#include "files/wholefile.h"
#include "reports/glyphbatch.h"
#include "users/cuseradmin.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/ctable.h"
#include "views/plotrenderer.h"

namespace {

const char kLogoPath[] = ":/Pictures/NorvelLogoButton.png";
// The line pitches of the layout were drawn up on a screen of this many
// dots per inch.
constexpr double kLayoutDpi = 96.0;
// Room kept between the readings box and the footer, in report units.
constexpr int kFooterGap = 100;
// Room kept between a label and the rule beside it, in report units: the
// values keep as much from the rule on its other side.
constexpr int kLabelGap = 150;
// Room kept between a label of the alarm table and the grey rule of its
// first channel, in report units: less than kLabelGap, which the longest
// English label of the table does not leave, and the English rows keep
// their one line.
constexpr int kAlarmLabelGap = 50;
// The smallest size a long comment is made: the longest comment with a
// user's name fits an A4 page's box well above it.
constexpr int kSmallestCommentPoints = 6;
// The least height the graph under the device box keeps, in report units:
// below it the axis titles are cut and the labels of the value axis run
// into each other.
constexpr int kSmallestGraphHeight = 5000;
// Room kept under the graph and the histogram, in report units.
constexpr int kBelowViews = 800;
// The lowest value a reading holds, -102.4: its text, -152.3 in °F, is the
// longest a readings cell shows.
constexpr int kLowestTenths = -1024;
// The alarm lights of the header, in report units.
constexpr int kLightDiameter = 360;
constexpr int kLightPitch = 500;
// Width of a channel column of the alarm table, in report units.
constexpr int kAlarmColumnWidth = 2000;
const QColor kGrey(200, 200, 200);
const QColor kVeil(200, 200, 200, 128);

// No ligatures: a reader searching the PDF for a title ("fi", "ff") finds it.
QFont font(const char *family, int points, bool bold)
{
    QFont chosen(QString::fromLatin1(family), points, bold ? QFont::Bold : QFont::Normal);
    chosen.setStyleStrategy(QFont::PreferNoShaping);
    return chosen;
}

QFont headerFont()
{
    return font("Arial", 16, true);
}

// A pen of one device pixel whatever the resolution.
QPen hairline(const QColor &colour)
{
    QPen pen(colour);
    pen.setWidth(0);
    return pen;
}

QString cellText(const QTableWidget *table, int row, int column, bool *present = nullptr)
{
    const QTableWidgetItem *item =
        row < table->rowCount() && column < table->columnCount() ? table->item(row, column) : nullptr;
    if (present)
        *present = item != nullptr;
    return item ? item->text() : QString();
}

// A label on as many lines as keep each within room, broken between words;
// a word wider than room stands whole on a line of its own. A label that
// fits stands as it is.
QStringList wrappedLines(const QString &text, const QFontMetricsF &metrics, double room)
{
    if (metrics.horizontalAdvance(text) <= room)
        return { text };
    QStringList lines;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString spaced = QLatin1Char(' ') + word;
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + spaced) <= room)
            lines.last() += spaced;
        else
            lines << word;
    }
    return lines.isEmpty() ? QStringList{ text } : lines;
}

// A band of height radius with rounded top corners and a square bottom:
// the upper half of a rounded rectangle twice as high, drawn as such
// rather than cut from it, which costs a flattening of every curve.
QPainterPath titleBand(int x, int y, int width, int radius)
{
    QPainterPath band;
    band.moveTo(x, y + radius);
    band.arcTo(QRectF(x, y, 2 * radius, 2 * radius), 180, -90);
    band.arcTo(QRectF(x + width - 2 * radius, y, 2 * radius, 2 * radius), 90, -90);
    band.closeSubpath();
    return band;
}

}

CPrint::CPrint(MainWindow *window)
    : QObject(window), parentWindow(window), app(window ? window->app : nullptr)
{
}

CPrint::~CPrint() = default;

// ---------------------------------------------------------------------------
// pure rules

double CPrint::scaleFor(int resolution)
{
    if (resolution <= 0)
        return 1.0;
    // The exact ratio: a whole quotient would print every length too large at
    // a resolution that does not divide 1200 (720 dpi: 1 instead of 1.67).
    return 1200.0 / resolution;
}

int CPrint::sampleCountOf(const LoggerRecord &record)
{
    return record.sampleCount();
}

int CPrint::pageCountOf(const LoggerRecord &record)
{
    const int samples = sampleCountOf(record);
    return 2 + (samples + kSamplesPerPage - 1) / kSamplesPerPage;
}

QString CPrint::commentLine(const LoggerRecord &record, bool userAdminOn)
{
    const QString name = record.downloadedBy.trimmed();
    if (!userAdminOn || name.isEmpty())
        return record.comment;
    return record.comment + QStringLiteral(" (") + name + QLatin1Char(')');
}

QString CPrint::readingsTitle(const LoggerRecord &record, bool celsius)
{
    const QString unit = celsius ? QStringLiteral("°C") : QStringLiteral("°F");
    if (CPlot::isTwoProbeModel(record))
        return QStringLiteral("  #   Date   Time     LE%1  H%  RE%1").arg(unit);
    return QStringLiteral("  #   Date   Time     T%1  H%  eT%1").arg(unit);
}

QString CPrint::sampleText(const LoggerRecord &record, int n, bool dayFirst)
{
    LocalClock clock(record.startTime);
    return sampleText(clock, record, n, dayFirst);
}

QString CPrint::sampleText(LocalClock &clock, const LoggerRecord &record, int n, bool dayFirst)
{
    QDate date;
    int second = 0;
    clock.wallTime(qint64(n - 1) * record.interval, date, second);
    if (!date.isValid())
        return QString::asprintf("%4d", n);
    const int leading = dayFirst ? date.day() : date.month();
    const int trailing = dayFirst ? date.month() : date.day();
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%4d  %02d/%02d/%02d %02d:%02d:%02d", n, leading,
                                     trailing, date.year() % 100, second / 3600, second / 60 % 60,
                                     second % 60);
    return QString::fromLatin1(text, qBound(0, length, int(sizeof text) - 1));
}

// ---------------------------------------------------------------------------
// entry points

void CPrint::printPreview(const LoggerRecord &printed)
{
    record = printed;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    QPrintPreviewDialog dialog(&printer, parentWindow, Qt::Window);
    dialog.setWindowTitle(record.serialNumber);
    // the pages stay upright (openPrinter): no orientation to offer
    const QString landscape = QCoreApplication::translate("QPrintPreviewDialog", "Landscape");
    for (QActionGroup *group : dialog.findChildren<QActionGroup *>())
        for (const QAction *action : group->actions())
            if (action->text() == landscape)
                group->setVisible(false);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &CPrint::PrintPreview);
    CPrompt::exec(&dialog);
}

bool CPrint::print(const LoggerRecord &printed)
{
    record = printed;
    lastError.clear();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, parentWindow);
    dialog.setMinMax(1, pageCountOf(record));
    if (CPrompt::exec(&dialog) != QDialog::Accepted)
        return false;
    const bool allPages = dialog.printRange() == QAbstractPrintDialog::AllPages;
    const int fromPage = allPages ? 0 : dialog.fromPage();
    const int toPage = allPages ? 0 : dialog.toPage();
    if (printsToPdfFile(printer))
        return printPdfFile(&printer, fromPage, toPage);
    if (paintReport(&printer, fromPage, toPage) && printer.printerState() != QPrinter::Error)
        return true;
    lastError = printingFailure(printer);
    return false;
}

// The preview paints its own pages through a printer too, with the file
// name of an earlier print still set.
bool CPrint::printsToPdfFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
           && printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Pdf;
}

bool CPrint::printPdfFile(QPrinter *printer, int fromPage, int toPage)
{
    const QString file = printer->outputFileName();
    QString reason;
    if (paintWholePdf(printer, file, fromPage, toPage, &reason) == PdfResult::Whole)
        return true;
    lastError = notPrintedOnFile(file, reason);
    return false;
}

QString CPrint::notPrintedOnFile(const QString &file, const QString &reason)
{
    const QString text = tr("The report could not be printed on %1.").arg(QDir::toNativeSeparators(file));
    return reason.isEmpty() ? text : text + QStringLiteral("\n\n") + reason;
}

QString CPrint::printingFailure(const QPrinter &printer)
{
    const QString file = printer.outputFileName();
    // the printer keeps the system's reason to itself: the disk is asked
    if (!file.isEmpty())
        return notPrintedOnFile(file, WholeFile::refusalAt(file));
    if (printer.printerName().isEmpty())
        return tr("The report could not be printed: no printer took it.");
    return tr("The report could not be printed on %1.").arg(printer.printerName());
}

bool CPrint::printPdf(const QString &fileName, const LoggerRecord &printed)
{
    record = printed;
    lastError.clear();
    const QFileInfo target(fileName);
    if (fileName.isEmpty() || !target.absoluteDir().exists()) {
        lastError = tr("The folder %1 does not exist.")
                        .arg(QDir::toNativeSeparators(target.absolutePath()));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setCreator(AppInfo::windowTitle());
    printer.setDocName(record.serialNumber);
    QString reason;
    const PdfResult result = paintWholePdf(&printer, fileName, 0, 0, &reason);
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (result == PdfResult::Whole)
        return true;
    if (result == PdfResult::Refused)
        lastError = reason.isEmpty() ? tr("The file %1 cannot be written.").arg(shownName)
                                     : tr("The file %1 cannot be written: %2.").arg(shownName, reason);
    else
        lastError = tr("The file %1 could not be written completely: %2.")
                        .arg(shownName, reason.isEmpty() ? tr("the report was cut short; the disk may be full")
                                                         : reason);
    return false;
}

// The report is painted under a name of its own in the target's folder and
// takes its final name only once it is whole and on the disk: the PDF engine
// empties its file first and says nothing of a disk that filled up on the
// way, and a truncated report must neither be announced, nor hold a name
// that shifts the next counter, nor take the place of an earlier file.
CPrint::PdfResult CPrint::paintWholePdf(QPrinter *printer, const QString &fileName, int fromPage, int toPage,
                                        QString *reason)
{
    // a writer killed on its way left its temporary behind for ever
    WholeFile::removeAbandonedTemporaries(fileName);
    const QString partial = WholeFile::temporaryPathFor(fileName);
    printer->setOutputFileName(partial);
    const bool painted = paintReport(printer, fromPage, toPage);
    if (!painted || printer->printerState() == QPrinter::Error) {
        *reason = refusalOf(partial);
        return PdfResult::Refused;
    }
    if (!isCompletePdf(partial)) {
        *reason = refusalOf(partial);
        return PdfResult::Incomplete;
    }
    // what stood at the name is left as it was: nothing was written there
    return WholeFile::replace(partial, fileName, reason) ? PdfResult::Whole : PdfResult::Refused;
}

// The PDF engine keeps the system's reason to itself: the disk is asked
// again, and the temporary goes.
QString CPrint::refusalOf(const QString &partial)
{
    const QString reason = WholeFile::refusalAt(partial);
    QFile::remove(partial);
    return reason;
}

// Whole means: the header, then the cross-reference table at the offset the
// trailer names, and the end-of-file mark last.
bool CPrint::isCompletePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(5) != "%PDF-")
        return false;
    const qint64 size = file.size();
    const qint64 tailSize = qMin<qint64>(size, 1024);
    if (!file.seek(size - tailSize))
        return false;
    const QByteArray tail = file.read(tailSize).trimmed();
    const int trailer = tail.lastIndexOf("startxref");
    if (!tail.endsWith("%%EOF") || trailer < 0)
        return false;
    const int offsetAt = trailer + int(qstrlen("startxref"));
    bool isNumber = false;
    const qint64 table = tail.mid(offsetAt, tail.size() - int(qstrlen("%%EOF")) - offsetAt)
                             .trimmed()
                             .toLongLong(&isNumber);
    return isNumber && table > 0 && table < size && file.seek(table) && file.read(4) == "xref";
}

// The preview's print button sends the pages to a real printer through
// here, and the dialog says nothing of a printer that refused them.
void CPrint::PrintPreview(QPrinter *printer)
{
    if (printer && printsToPdfFile(*printer)) {
        if (!printPdfFile(printer, 0, 0))
            CPrompt::warning(parentWindow, tr("Warning!\n\n") + lastError);
    } else if (!paintReport(printer, 0, 0) && printer) {
        CPrompt::warning(parentWindow, tr("Warning!\n\n") + printingFailure(*printer));
    }
}

// ---------------------------------------------------------------------------
// the document

bool CPrint::userAdminOn() const
{
    return app && app->userAdmin && app->userAdmin->enabled;
}

bool CPrint::celsius() const
{
    return !app || app->settings.celsius();
}

bool CPrint::dayFirst() const
{
    return !app || app->settings.dayFirst();
}

QWidget *CPrint::graphView() const
{
    return parentWindow ? parentWindow->plot : nullptr;
}

QWidget *CPrint::histogramView() const
{
    return parentWindow ? parentWindow->histogram : nullptr;
}

const QImage &CPrint::logoImage(const QString &path)
{
    if (path != logoPath) {
        logoPath = path;
        logo = QImage(path);
    }
    return logo;
}

int CPrint::contentTopFor(const QImage &image) const
{
    return int(4 / scale * image.height() + 100 / scale);
}

// The box describes the printed record, whichever rows are selected now:
// the summary is built for its row alone. A record no longer in the list
// (closed while the preview was open) gets the labels without values.
QList<int> CPrint::summarySelection() const
{
    const int row = parentWindow ? parentWindow->rowOfRecord(record) : -1;
    return row >= 0 ? QList<int>{ row } : QList<int>{};
}

void CPrint::fillSummary(QTableWidget &summary)
{
    if (!app)
        return;
    const QList<int> selection = summarySelection();
    // the summary leaves its counts in the record; the readings table's stay
    LoggerRecord *summarised = selection.isEmpty() ? nullptr : app->tripForChangeAt(selection.first());
    int levelCounts[3][5];
    float mktValue[3];
    if (summarised) {
        std::copy(&summarised->levelCounts[0][0], &summarised->levelCounts[0][0] + 15, &levelCounts[0][0]);
        std::copy(summarised->mktValue, summarised->mktValue + 3, mktValue);
    }
    app->table->initSummary(&summary, selection);
    app->table->fillSummary(&summary, selection, true);
    if (summarised) {
        std::copy(&levelCounts[0][0], &levelCounts[0][0] + 15, &summarised->levelCounts[0][0]);
        std::copy(mktValue, mktValue + 3, summarised->mktValue);
    }
}

void CPrint::renderView(QWidget *view, const QRect &rect)
{
    auto *plot = qobject_cast<QwtPlot *>(view);
    if (!plot || rect.width() <= 0 || rect.height() <= 0)
        return;
    // the renderer's defaults keep the background and the frames as on screen
    PlotRenderer renderer;
    renderer.render(plot, &painter, QRectF(rect));
}

void CPrint::startPage(int page, bool &pagePainted)
{
    if (onPage)
        onPage(page, pageCount);
    if (pagePainted)
        activePrinter->newPage();
    pagePainted = true;
    // set on every sheet: a print engine need not keep it over a new page
    if (zoom < 1.0)
        painter.setWorldTransform(QTransform::fromScale(zoom, zoom));
    drawHeader(QString::fromLatin1(kLogoPath), record);
}

bool CPrint::openPrinter(QPrinter *printer)
{
    activePrinter = printer;
    // The pages are laid out upright: a landscape sheet chosen in a dialog
    // would squeeze the graph under the device box into a strip.
    printer->setPageOrientation(QPageLayout::Portrait);
    if (!painter.begin(printer))
        return false;
    const QRect viewport = painter.viewport();
    pageWidth = viewport.right() + 1 - viewport.left();
    pageHeight = viewport.bottom() + 1 - viewport.top();
    return true;
}

bool CPrint::paintReport(QPrinter *printer, int fromPage, int toPage)
{
    // A report never goes out without the record's own views: where the
    // window shows none of them alone (no row chosen, another one, or others
    // beside it), they are built for it.
    const int row = parentWindow ? parentWindow->rowOfRecord(record) : -1;
    if (row >= 0 && drawsViews())
        return parentWindow->withViewsOf(row, [&] { return paintPages(printer, fromPage, toPage); });
    return paintPages(printer, fromPage, toPage);
}

bool CPrint::drawsViews() const
{
    return record.readingCount != 0 && record.dataLoaded;
}

bool CPrint::paintPages(QPrinter *printer, int fromPage, int toPage)
{
    if (!printer)
        return false;
    if (printer->resolution() != 0)
        scale = scaleFor(printer->resolution());
    pageCount = pageCountOf(record);
    const int stride = record.channelCount;
    const int samples = sampleCountOf(record);
    auto painted = [&](int page) {
        return fromPage == 0 || (fromPage <= page && page <= toPage);
    };

    QTableWidget summary;
    fillSummary(summary);
    if (!openPrinter(printer))
        return false;

    const bool showViews = drawsViews();
    const QString deviceBoxTitle = tr("Device Specification");
    const int boxTop = int(100 / scale + contentTopFor(logoImage(QString::fromLatin1(kLogoPath))));
    // the histogram of page 2 stands where the graph of page 1 does
    const int boxBottom = measureSpecificationBox(0, boxTop, pageWidth, -1, &summary, deviceBoxTitle, 0,
                                                  kSummaryGeneralRows)
                              .y();
    fitToSheet(showViews ? boxBottom : 0);
    bool pagePainted = false;

    if (painted(1)) {
        startPage(1, pagePainted);
        drawSpecificationBox(0, boxTop, pageWidth, -1, &summary, deviceBoxTitle, 0, kSummaryGeneralRows);
        if (showViews)
            renderView(graphView(), QRect(0, boxBottom, pageWidth,
                                          int(pageHeight - boxBottom - kBelowViews / scale)));
        drawFooter(1, pageCount);
    }

    if (painted(2)) {
        startPage(2, pagePainted);
        const int tableBottom = drawAlarmTable(0, int(200 / scale + contentTop), pageWidth, -1, &summary,
                                               tr("Alarms"), record, kSummaryGeneralRows, kSummaryBlockRows)
                                    .y();
        // a table grown by its labels' second lines pushes the histogram down
        const int histogramTop = qMax(boxBottom, tableBottom);
        if (showViews)
            renderView(histogramView(), QRect(0, histogramTop, pageWidth,
                                              int(pageHeight - histogramTop - kBelowViews / scale)));
        drawFooter(2, pageCount);
    }

    if (stride > 0) {
        for (int k = 0; k * kSamplesPerPage < samples; ++k) {
            const int page = 3 + k;
            if (!painted(page))
                continue;
            startPage(page, pagePainted);
            drawReadings(0, int(200 / scale + contentTop), pageWidth, -1, record,
                         k * kSamplesPerPage * stride);
            drawFooter(page, pageCount);
        }
    }
    const bool ended = painter.end();
    activePrinter = nullptr;
    return ended;
}

// ---------------------------------------------------------------------------
// the pages on the sheet

void CPrint::fitToSheet(int boxBottom)
{
    const double across = double(pageWidth) / neededWidth();
    const double down = double(pageHeight) / qMax(1, neededHeight(boxBottom));
    zoom = qMin(1.0, qMin(across, down));
    pageWidth = qRound(pageWidth / zoom);
    pageHeight = qRound(pageHeight / zoom);
}

QString CPrint::printTime() const
{
    return QDateTime::currentDateTime().toString(dayFirst() ? QStringLiteral("hh:mm:ss dd/MM/yyyy")
                                                            : QStringLiteral("hh:mm:ss MM/dd/yyyy"));
}

int CPrint::neededWidth() const
{
    // each readings column holds its rows, from its margin to the rule
    const int readings = 2 * (units(150) + widestReadingsRow());
    // the channel columns of the alarm table start a third into the page
    const int columns = record.isChannelOn(ChannelExternal) ? 3 : record.isChannelOn(ChannelHumidity) ? 2 : 1;
    const int alarms = 3 * columns * units(kAlarmColumnWidth) / 2;
    // the serial and the print time stand right of the lights, as far from
    // the centre as the lights' right edge and a gap
    const int time = QFontMetrics(headerFont(), device()).horizontalAdvance(printTime());
    const int header = 2 * (2 * units(kLightPitch) + units(kLightDiameter) / 2 + units(kLabelGap) + time);
    return qMax(readings, qMax(alarms, header));
}

int CPrint::widestReadingsRow() const
{
    if (!hasReadingsPages())
        return 0;
    const QFontMetrics metrics(readingsRowFont(), device());
    int width = metrics.horizontalAdvance(sampleText(record, sampleCountOf(record), dayFirst()))
                + metrics.horizontalAdvance(QLatin1Char('-'));
    const QString widestCell =
        QLatin1Char(' ') + CTable::formatMark(CTable::valueText(kLowestTenths, !celsius()));
    for (const ViewChannel channel : { ChannelInternal, ChannelHumidity, ChannelExternal })
        width += metrics.horizontalAdvance(record.isChannelOn(channel) && app ? widestCell
                                                                               : QStringLiteral("-----"));
    return width;
}

bool CPrint::hasReadingsPages() const
{
    return record.channelCount > 0 && sampleCountOf(record) > 0;
}

int CPrint::neededHeight(int boxBottom) const
{
    // a readings page keeps its rows apart: no closer than the row font's
    // ascent, whatever the pitch it is squeezed to
    const int readingsTop = int(200 / scale + contentTopFor(logo));
    const int rows = kSamplesPerPage / 2 * QFontMetrics(readingsRowFont(), device()).ascent();
    const int readings = hasReadingsPages()
                             ? readingsTop + int(1.5 * units(300)) + rows + units(kFooterGap) + pageHeight - footerTop()
                             : 0;
    const int graph = boxBottom > 0 ? boxBottom + units(kSmallestGraphHeight) + units(kBelowViews) : 0;
    return qMax(readings, graph);
}

// ---------------------------------------------------------------------------
// font metrics: always the printer's, never the screen's

QPaintDevice *CPrint::device() const
{
    return painter.isActive() ? painter.device() : activePrinter;
}

int CPrint::printerHeight(const QFont &measured) const
{
    QPaintDevice *target = device();
    return target ? QFontMetrics(measured, target).height()
                  : int(std::ceil(layoutHeight(measured) / kLayoutDpi * 1200 / scale));
}

double CPrint::layoutHeight(const QFont &measured) const
{
    QPaintDevice *target = device();
    if (!target || target->logicalDpiY() <= 0)
        return measured.pointSizeF() * kLayoutDpi / 72.0 * 1.2;
    return QFontMetricsF(measured, target).height() * kLayoutDpi / target->logicalDpiY();
}

int CPrint::readingsRowPitch(int boxTop) const
{
    const int wanted = int(layoutHeight(font("Helvetica", 12, false)) * 11 / scale);
    const int room = footerTop() - units(kFooterGap) - boxTop - int(1.5 * units(300));
    return qMax(1, qMin(wanted, room / (kSamplesPerPage / 2)));
}

// ---------------------------------------------------------------------------
// header and footer

void CPrint::drawHeader(const QString &path, const LoggerRecord &printed)
{
    const QImage &image = logoImage(path);
    painter.drawImage(QRect(0, 0, int(4 / scale * image.width()), int(4 / scale * image.height())),
                      image);
    contentTop = contentTopFor(image);

    painter.setPen(QPen(Qt::black, 16, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawLine(0, contentTop, pageWidth, contentTop);

    painter.setFont(headerFont());
    const QString now = printTime();
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(now);
    const int h = metrics.height();
    painter.drawText(QPoint(pageWidth - w, int(contentTop - 1.2 * h)), printed.serialNumber);
    painter.drawText(QPoint(pageWidth - w, int(contentTop - 0.2 * h)), now);

    struct Light { const char *label; bool lit; QColor colour; };
    // a status the logger did not give lights nothing, as in the list
    const bool known = !printed.alarmStatusUnknown;
    const quint32 status = known ? printed.alarmStatus : 0;
    const bool anyAlarm = status & (AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L
                                    | AlarmStatusBits::LL);
    const Light lights[5] = {
        { "LL", bool(status & AlarmStatusBits::LL), QColor(100, 100, 255) },
        { "L", bool(status & AlarmStatusBits::L), QColor(100, 100, 255) },
        { "", known && !anyAlarm && printed.readingCount != 0, QColor(100, 255, 100) },
        { "H", bool(status & AlarmStatusBits::H), QColor(255, 100, 100) },
        { "HH", bool(status & AlarmStatusBits::HH), QColor(255, 100, 100) },
    };
    const int d = units(kLightDiameter);
    const int s = units(kLightPitch);
    const int circleTop = int(contentTop - d - 100 / scale);
    const int labelTop = int(contentTop - 2 * d - 100 / scale);
    painter.setFont(font("Helvetica", 14, true));
    for (int i = 0; i < 5; ++i) {
        const int left = pageWidth / 2 - d / 2 - 2 * s + i * s;
        painter.drawText(QRect(left, labelTop, d, d), Qt::AlignCenter,
                         QString::fromLatin1(lights[i].label));
        painter.setBrush(lights[i].lit ? lights[i].colour : QColor(Qt::white));
        painter.drawEllipse(QRect(left, circleTop, d, d));
    }
    painter.setBrush(Qt::white);
}

bool CPrint::footerHasComplianceBand() const
{
    return userAdminOn() && !record.configuredBy.isEmpty();
}

int CPrint::footerLineTop(const QFont &lineFont) const
{
    return int(pageHeight - printerHeight(lineFont) - 600 / scale);
}

int CPrint::footerTop() const
{
    const int pageLine = footerLineTop(footerFont());
    return footerHasComplianceBand() ? qMin(pageLine, footerLineTop(complianceFont())) : pageLine;
}

QFont CPrint::readingsRowFont()
{
    return font("Courier New", 10, true);
}

QFont CPrint::footerFont()
{
    return font("Courier New", 12, false);
}

QFont CPrint::complianceFont()
{
    return font("Helvetica", 12, true);
}

void CPrint::drawFooter(int page, int count)
{
    painter.setFont(footerFont());
    painter.setPen(hairline(Qt::black));
    const int fh = printerHeight(footerFont());
    const int y = footerLineTop(footerFont());
    const QString pageText = tr("( Page  %1 / %2 )").arg(page).arg(count);

    if (footerHasComplianceBand()) {
        painter.drawText(QRect(int(pageWidth - 1800 / scale), y, units(1800), fh), Qt::AlignCenter,
                         pageText);
        painter.setFont(complianceFont());
        painter.setPen(hairline(Qt::darkBlue));
        const int fh2 = printerHeight(complianceFont());
        const int y2 = footerLineTop(complianceFont());
        const QRect band(0, y2, int(pageWidth - 2000 / scale), fh2);
        painter.fillRect(band, kVeil);
        painter.drawText(band, Qt::AlignCenter,
                         tr("This data is compliant to 21 CFR Part 11 Requirements."));
    } else {
        painter.drawText(QRect(0, y, pageWidth, fh), Qt::AlignCenter, pageText);
    }
}

// ---------------------------------------------------------------------------
// page 1: the device specification box

QPoint CPrint::measureSpecificationBox(int x, int y, int width, int, QTableWidget *,
                                       const QString &, int, int rowCount) const
{
    const int r = units(300);
    const double th = layoutHeight(font("Helvetica", 18, true));
    const int lh = int(layoutHeight(font("Helvetica", 11, false)) * 11 / scale);
    const int b0 = int(100 / scale + (y + r / 1.5 + lh));
    const int bEnd = b0 + rowCount * lh;
    return QPoint(x + width, bEnd + int(th * 10 / scale));
}

int CPrint::deviceBoxValueColumn(int x, int width, const QFont &labelFont, const QTableWidget *table,
                                     int firstRow, int rowCount) const
{
    const int third = width / 3 + x;
    if (!table)
        return third;
    const QFontMetricsF metrics(labelFont, device());
    double widest = 0;
    for (int i = 0; i < rowCount; ++i)
        widest = qMax(widest, metrics.horizontalAdvance(cellText(table, firstRow + i, 0)));
    return qMax(third, int(150 / scale + x) + int(std::ceil(widest)) + units(kLabelGap));
}

QFont CPrint::commentFont(const QString &comment, const QFont &titleFont, int room) const
{
    // A comment too long for the room is made smaller until it fits, so that
    // it is printed whole.
    QFont chosen = titleFont;
    for (int points = titleFont.pointSize(); points > kSmallestCommentPoints; --points) {
        if (QFontMetricsF(chosen, device()).horizontalAdvance(comment) <= room)
            break;
        chosen.setPointSize(points - 1);
    }
    return chosen;
}

QPoint CPrint::drawSpecificationBox(int x, int y, int width, int height, QTableWidget *table,
                                    const QString &title, int firstRow, int rowCount)
{
    const int r = units(300);
    const QFont titleFont = font("Helvetica", 18, true);
    const QFont labelFont = font("Helvetica", 11, false);
    const int xv = deviceBoxValueColumn(x, width, labelFont, table, firstRow, rowCount);
    const QFont valueFont = font("Courier New", 11, false);
    const int lh = int(layoutHeight(labelFont) * 11 / scale);
    if (height == -1)
        height = int(1.5 * r + lh * rowCount);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(titleBand(x, y, width, r), kGrey);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(x, y, width, height), r, r);
    painter.drawLine(0, y + r, width, y + r);
    painter.drawLine(xv, y + r, xv, y + height);

    painter.setFont(titleFont);
    painter.drawText(QRect(x, y, width, r), Qt::AlignCenter, title);

    const int b0 = int(100 / scale + (y + r / 1.5 + lh));
    if (table) {
        painter.setFont(labelFont);
        for (int i = 0; i < rowCount; ++i)
            painter.drawText(QPoint(int(150 / scale + x), b0 + i * lh),
                             cellText(table, firstRow + i, 0));
        painter.setFont(valueFont);
        for (int i = 0; i < rowCount; ++i) {
            bool present = false;
            const QString value = cellText(table, firstRow + i, 1, &present);
            if (present)
                painter.drawText(QPoint(int(150 / scale + xv), b0 + i * lh), value);
        }
    }

    const int bEnd = b0 + rowCount * lh;
    // The comment is centred on the box, as far from either side of its frame
    // as the labels are from the left one. Its length is bounded: the
    // longest, with a user's name, fits well above the smallest size.
    const QRect commentRoom(int(150 / scale + x), bEnd, width - 2 * units(150), r);
    const QString comment = commentLine(record, userAdminOn());
    painter.setFont(commentFont(comment, titleFont, commentRoom.width()));
    painter.drawText(commentRoom, Qt::AlignCenter, comment);
    return measureSpecificationBox(x, y, width, height, table, title, firstRow, rowCount);
}

// ---------------------------------------------------------------------------
// page 2: the alarm table

QPoint CPrint::drawAlarmTable(int x, int y, int width, int height, QTableWidget *table,
                              const QString &title, const LoggerRecord &printed, int firstRow,
                              int rowsPerChannel)
{
    const int g = units(400);
    const int xv = width / 3 + x;
    const int cw = units(kAlarmColumnWidth);
    const QFont titleFont = font("Helvetica", 18, true);
    const QFont headFont = font("Helvetica", 16, true);
    const QFont labelFont = font("Helvetica", 12, false);
    const QFont valueFont = font("Courier New", 12, false);
    const int lh = int(layoutHeight(labelFont) * 12 / scale);
    // The channel columns fill the page's width and cannot move: a label
    // longer than its column takes a second line in its row.
    const int labelLeft = int(150 / scale + x);
    const QFontMetricsF labelMetrics(labelFont, device());
    QVector<QStringList> labels;
    int lineCount = 0;
    for (int i = 0; table && i < rowsPerChannel; ++i) {
        labels << wrappedLines(cellText(table, firstRow + i, 0), labelMetrics,
                               xv - units(kAlarmLabelGap) - labelLeft);
        lineCount += labels.last().size();
    }
    if (height == -1)
        height = lh * (table ? lineCount : rowsPerChannel) + 2 * g;
    const QPoint bottomRight(x + width, y + height);

    painter.setFont(titleFont);
    const int th = painter.fontMetrics().height();
    QRect head(x, y, xv, int(1.2 * th));
    painter.fillRect(QRect(x, y, width, head.height()), kGrey);
    painter.drawText(head, Qt::AlignCenter, title);

    const QPen blackPen = painter.pen();
    auto greyLine = [&](int atX) {
        painter.setPen(hairline(kGrey));
        painter.drawLine(atX, y + g, atX, y + height);
        painter.setPen(blackPen);
    };
    greyLine(xv);

    const bool twoProbes = CPlot::isTwoProbeModel(printed);
    const bool internalOn = printed.isChannelOn(ChannelInternal);
    const bool humidityOn = printed.isChannelOn(ChannelHumidity);
    const bool externalOn = printed.isChannelOn(ChannelExternal);

    painter.setFont(headFont);
    if (internalOn) {
        head = QRect(xv, y, cw, head.height());
        painter.drawText(head, Qt::AlignCenter,
                         twoProbes ? QStringLiteral("L.Ext. Temp.") : QStringLiteral("Int. Temp."));
    }
    if (humidityOn) {
        head.moveLeft(xv + cw);
        painter.drawText(head, Qt::AlignCenter, QStringLiteral("Int. Hum."));
        greyLine(xv + cw);
    }
    if (externalOn) {
        head.moveLeft(internalOn ? xv + 2 * cw : int(1.8 * cw + xv));
        painter.drawText(head, Qt::AlignCenter,
                         twoProbes ? QStringLiteral("R.Ext. Temp.") : QStringLiteral("Ext. Temp."));
        greyLine(xv + 2 * cw);
    }

    if (!table)
        return bottomRight;
    const int b0 = int(100 / scale + (lh + y + g));
    // each row's first line, where its values stand
    QVector<int> baselines;
    painter.setFont(labelFont);
    for (int i = 0, line = 0; i < rowsPerChannel; ++i) {
        baselines << b0 + line * lh;
        for (const QString &part : qAsConst(labels.at(i)))
            painter.drawText(QPoint(labelLeft, b0 + line++ * lh), part);
    }

    struct Column { bool shown; int block; int left; };
    const Column columns[3] = {
        { true, 0, int(450 / scale + xv) },
        { humidityOn, 1, int(450 / scale + xv + cw) },
        { externalOn, 2, int(450 / scale + xv + 2 * cw) },
    };
    painter.setFont(valueFont);
    for (const Column &column : columns) {
        const int blockStart = firstRow + column.block * rowsPerChannel;
        if (!column.shown || table->rowCount() < blockStart + rowsPerChannel)
            continue;
        for (int i = 0; i < rowsPerChannel; ++i)
            painter.drawText(QPoint(column.left, baselines.at(i)), cellText(table, blockStart + i, 1));
    }
    return bottomRight;
}

// ---------------------------------------------------------------------------
// pages 3 on: the readings

void CPrint::drawTextRun(int x, int y, int height, const QString &text, bool restart)
{
    if (restart)
        runOffset = 0;
    const int width = painter.fontMetrics().horizontalAdvance(text);
    painter.drawText(QRect(x + runOffset, y, width, height), Qt::AlignCenter, text);
    runOffset += width;
}

void CPrint::drawReadings(int x, int y, int width, int height, LoggerRecord &printed, int first)
{
    const int stride = printed.channelCount;
    if (stride <= 0)
        return;
    const int m = units(300);
    const int available = qMin(printed.readingCount, printed.readings.size());
    const int rows = qMin(kSamplesPerPage, qMax(0, (available - first) / stride));
    const int L = readingsRowPitch(y);
    if (height == -1) {
        height = int(1.5 * m + (rows / 2) * L);
        if (rows != kSamplesPerPage)
            height = (rows / 2) * L + 2 * m;
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(titleBand(x, y, width, m), kGrey);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(x, y, width, height), m, m);
    const int mid = x + width / 2;
    painter.drawLine(0, y + m, width, y + m);
    painter.drawLine(mid, y + m, mid, y + height);

    painter.setFont(font("Courier New", 12, true));
    const QString title = readingsTitle(printed, celsius());
    drawTextRun(int(x + 150 / scale), y, m, title, true);
    drawTextRun(int(mid + 150 / scale), y, m, title, true);

    const QFont rowFont = readingsRowFont();
    painter.setFont(rowFont);
    GlyphBatch rowTexts(rowFont, device());
    const int f = painter.fontMetrics().height();
    const int gapWidth = rowTexts.width(QStringLiteral("-"));
    const int emptyCellWidth = rowTexts.width(QStringLiteral("-----"));
    painter.setBackground(QBrush(Qt::white));
    QVector<QRect> veiledRows;

    struct Cell { bool present; int kind; };
    const Cell cells[3] = {
        { printed.isChannelOn(ChannelInternal), ChannelInternal },
        { printed.isChannelOn(ChannelHumidity), ChannelHumidity },
        { printed.isChannelOn(ChannelExternal), ChannelExternal },
    };
    CTable *formatter = app ? app->table : nullptr;
    const bool inCelsius = celsius();
    const bool byDay = dayFirst();

    LocalClock clock(app ? LoggerTime::readingOrigin(printed.startTime, app->settings) : printed.startTime);
    int n = first / stride + 1;
    const int yFirstRow = int(m / 1.5 + y + L + 100 / scale);
    const int leftRows = rows / 2 + rows % 2;
    for (int column = 0; column < 2; ++column) {
        const int columnRows = column == 0 ? leftRows : rows - leftRows;
        const int xRow = int(150 / scale + x) + column * pageWidth / 2;
        int yRow = yFirstRow;
        for (int row = 0; row < columnRows && n * stride <= available; ++row) {
            const QString text = sampleText(clock, printed, n, byDay);
            rowTexts.add(text, QPointF(xRow, yRow), Qt::black);
            int cellX = xRow + rowTexts.width(text) + gapWidth;
            int used = 0;
            bool marked = false;
            for (const Cell &cell : cells) {
                if (!cell.present || !formatter) {
                    cellX += emptyCellWidth;
                    continue;
                }
                QColor back, colour;
                bool mark = false;
                QString value;
                const int index = (n - 1) * stride + used;
                switch (cell.kind) {
                case ChannelInternal:
                    value = formatter->formatValueInt(&printed, index, inCelsius, back, colour, mark);
                    break;
                case ChannelHumidity:
                    value = formatter->formatValueHum(&printed, index, back, colour, mark);
                    break;
                default:
                    value = formatter->formatValueExt(&printed, index, inCelsius, back, colour, mark);
                    break;
                }
                // a mark on any channel of the sample marks its row
                marked = marked || mark;
                const QString cellString = QLatin1Char(' ') + CTable::formatMark(value);
                rowTexts.add(cellString, QPointF(cellX, yRow), colour);
                cellX += rowTexts.width(cellString);
                ++used;
            }
            if (marked)
                veiledRows.append(QRect(column * pageWidth / 2, int(yRow - 0.8 * f), pageWidth / 2, f));
            ++n;
            yRow += L;
        }
    }
    rowTexts.flush(painter);
    // the veil goes over the text of its row
    for (const QRect &row : qAsConst(veiledRows))
        painter.fillRect(row, kVeil);
    painter.setBrush(Qt::NoBrush);
}
