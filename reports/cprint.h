#pragma once

#include <functional>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include "core/loggerrecord.h"

class CMainApp;
class LocalClock;
class MainWindow;
class QPaintDevice;
class QPrinter;
class QTableWidget;
class QWidget;

// The printed report of one record: page 1 the device specification box and
// the graph, page 2 the alarm table and the histogram, then one page of
// readings per hundred samples. The same pages go to the print preview
// (Letter), the printer and PDF files (A4), upright on every sheet.
//
// Every layout length is in report units of 1/1200 inch and becomes device
// pixels divided by scale, so the layout is the same at every resolution.
// A sheet smaller than the layout needs (A5, B5, Executive) gets the same
// pages drawn smaller, all of them at one size.
//
// The report keeps its own copy of the record: a logger unplugged or a file
// closed while the preview is open cannot pull the data from under it, and
// the alarm-level counting of the cell formatters stays on the copy.
class CPrint : public QObject
{
    Q_OBJECT
public:
    explicit CPrint(MainWindow *window);
    ~CPrint() override;

    static constexpr int kSamplesPerPage = 100;
    static constexpr int kSummaryGeneralRows = 22;
    static constexpr int kSummaryBlockRows = 14;

    // Modal preview on Letter paper, until the user closes it.
    void printPreview(const LoggerRecord &record);
    // Print dialog on A4, with an optional page range. False when the user
    // cancels (errorText() empty) or the printer does not take the report
    // (errorText() says which printer; for a file, why it was refused). A
    // PDF file takes the place of an earlier one only once it is whole.
    bool print(const LoggerRecord &record);
    // The report as an A4 PDF file. False when the file cannot be written
    // whole; errorText() then says why, and nothing stands under fileName
    // that was not there before.
    bool printPdf(const QString &fileName, const LoggerRecord &record);
    // A PDF file that was written to its end.
    static bool isCompletePdf(const QString &path);
    // Paints the report of the stored record, with the window's graph and
    // histogram, or views of the record's own where the window does not show
    // it alone. fromPage 0 paints every page, otherwise the pages fromPage to
    // toPage (counted from 1). False when the printer could not be opened.
    bool paintReport(QPrinter *printer, int fromPage, int toPage);

    QString errorText() const { return lastError; }
    // Called before each page is painted, with the page and the page count:
    // the window shows with it that a long report is being written.
    std::function<void(int page, int pageCount)> onPage;

    static int sampleCountOf(const LoggerRecord &record);
    // 2 pages, plus one per hundred samples or part of it.
    static int pageCountOf(const LoggerRecord &record);
    // The comment as the box prints it: while user administration is on, the
    // short name of the user who downloaded the set follows in parentheses.
    static QString commentLine(const LoggerRecord &record, bool userAdminOn);
    // Column title of a readings page.
    static QString readingsTitle(const LoggerRecord &record, bool celsius);
    // Number and time of a sample n (counted from 1) on a readings page.
    static QString sampleText(const LoggerRecord &record, int n, bool dayFirst);
    // Report units per device pixel at a printer resolution.
    static double scaleFor(int resolution);

    // page parts, each in report units divided by scale
    void drawHeader(const QString &logoPath, const LoggerRecord &record);
    void drawFooter(int page, int pageCount);
    QPoint drawSpecificationBox(int x, int y, int width, int height, QTableWidget *table,
                                const QString &title, int firstRow, int rowCount);
    // Where drawSpecificationBox would end, without drawing.
    QPoint measureSpecificationBox(int x, int y, int width, int height, QTableWidget *table,
                                   const QString &title, int firstRow, int rowCount) const;
    // Returns the table's bottom right: what follows it starts no higher.
    QPoint drawAlarmTable(int x, int y, int width, int height, QTableWidget *table,
                          const QString &title, const LoggerRecord &record, int firstRow,
                          int rowsPerChannel);
    void drawReadings(int x, int y, int width, int height, LoggerRecord &record, int first);
    void drawTextRun(int x, int y, int height, const QString &text, bool restart);

    // Where the header puts the top of the page content.
    int contentTopFor(const QImage &logo) const;

public slots:
    // The preview dialog asks for the pages through this slot.
    void PrintPreview(QPrinter *printer);

private:
    int units(double reportUnits) const { return int(reportUnits / scale); }
    // The zoom of the pages: below 1 where the sheet is too narrow or too
    // short for them, and pageWidth and pageHeight become the room the
    // layout has at that size.
    void fitToSheet(int boxBottom);
    // What the pages need as laid out, in device pixels: the widest of the
    // readings rows, the alarm table's columns and the header's texts beside
    // its lights; the highest of a readings page and page 1.
    int neededWidth() const;
    int neededHeight(int boxBottom) const;
    bool hasReadingsPages() const;
    // The widest row a readings page of the record can hold.
    int widestReadingsRow() const;
    QString printTime() const;
    // Where the box's values stand: a third into it, or further right, just
    // clear of its widest label, where a translation runs longer.
    int deviceBoxValueColumn(int x, int width, const QFont &labelFont, const QTableWidget *table,
                                 int firstRow, int rowCount) const;
    // The device box's title font, made smaller for a comment too wide for the room.
    QFont commentFont(const QString &comment, const QFont &titleFont, int room) const;
    // sampleText for the samples of a page, one after another
    static QString sampleText(LocalClock &clock, const LoggerRecord &record, int n, bool dayFirst);
    // The device the report is measured on: the printer, never the screen.
    QPaintDevice *device() const;
    // A font's height on the printer, in device pixels.
    int printerHeight(const QFont &measured) const;
    // A font's height as the layout's line pitches count it: its height at
    // the layout's 96 dpi, taken from the printer's metrics so that the
    // screen's dpi changes nothing.
    double layoutHeight(const QFont &measured) const;
    // Distance between the rows of a readings page: the layout's pitch, or
    // less where fonts or paper would push the fiftieth row into the footer.
    int readingsRowPitch(int boxTop) const;
    static QFont readingsRowFont();
    static QFont footerFont();
    static QFont complianceFont();
    bool footerHasComplianceBand() const;
    int footerLineTop(const QFont &lineFont) const;
    // Top of the footer's highest line.
    int footerTop() const;
    // Reports the page, begins its sheet and draws its header.
    void startPage(int page, bool &pagePainted);
    void renderView(QWidget *view, const QRect &rect);
    // The record has readings to draw in a graph and a histogram.
    bool drawsViews() const;
    // paintReport with the views at hand.
    bool paintPages(QPrinter *printer, int fromPage, int toPage);
    QWidget *graphView() const;
    QWidget *histogramView() const;
    const QImage &logoImage(const QString &path);
    QList<int> summarySelection() const;
    void fillSummary(QTableWidget &summary);
    bool userAdminOn() const;
    bool celsius() const;
    bool dayFirst() const;
    bool openPrinter(QPrinter *printer);
    // Which printer refused the report; a file's printer asks the disk why.
    static QString printingFailure(const QPrinter &printer);
    static bool printsToPdfFile(const QPrinter &printer);
    // The report printed to the printer's PDF file; false with errorText().
    bool printPdfFile(QPrinter *printer, int fromPage, int toPage);
    static QString notPrintedOnFile(const QString &file, const QString &reason);
    enum class PdfResult { Whole, Refused, Incomplete };
    // A report printed as PDF into fileName, whole or not at all; reason
    // says why not, when the system knows.
    PdfResult paintWholePdf(QPrinter *printer, const QString &fileName, int fromPage, int toPage,
                            QString *reason);
    static QString refusalOf(const QString &partial);

    LoggerRecord record;
    MainWindow *parentWindow = nullptr;
    CMainApp *app = nullptr;
    QPainter painter;
    QPrinter *activePrinter = nullptr;
    int contentTop = -1;
    int pageWidth = 0;
    int pageHeight = 0;
    int pageCount = 0;
    double scale = 1.0;
    // The size the pages are drawn at: 1 on a sheet that holds them.
    double zoom = 1.0;
    QString lastError;
    // drawTextRun's place on its line
    int runOffset = 0;
    // One image object, so the PDF stores the logo once for all its pages.
    QString logoPath;
    QImage logo;
};
