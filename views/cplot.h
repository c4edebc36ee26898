#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QVector>
#include <qwt_interval.h>
#include <qwt_plot.h>

#include "core/loggerrecord.h"

class CMainApp;
class QwtLegend;
class QwtLegendLabel;
class QwtPlotItem;
class QwtPlotMarker;
class QPrinter;
class RectItem;
class Zoomer;

// The graph page's plot: the readings of the selected data sets against
// time, one curve per channel and set, with reading marks, threshold lines
// and alarm bands. A graph is built once for one state of the data; only
// the legend's check boxes change it afterwards. The window builds a new
// one at each rebuild and deletes the old one.
//
// Channels are numbered as kinds: 0 internal temperature, 1 humidity,
// 2 external temperature (ViewChannel).
class CPlot : public QwtPlot
{
    Q_OBJECT
public:
    // Room for the samples of one curve.
    static constexpr int kSampleCapacity = 131072;
    // Above this many samples a curve is drawn without antialiasing: the
    // antialiased raster path costs far more than it shows on dense data.
    static constexpr int kAntialiasedSampleLimit = 4000;

    explicit CPlot(QWidget *parent = nullptr);
    ~CPlot() override;

    void setData(CMainApp *app, int recordIndex);
    void updateLayout() override;
    // Builds the whole graph; setData first.
    void setupPlot();

    // How many of the record's channels are shown.
    int channelCount(const LoggerRecord &record) const;
    // The record has the channel and the legend shows it. The show flags
    // hold the legend's choice alone: a trip without a channel does not
    // hide it for the others.
    bool showsChannelOf(const LoggerRecord &record, ViewChannel channel) const;
    // Full-range value axis, and the limits and range of the alarm bands.
    void setYScale(QList<int> selection);
    // Value axis fitted to the data, unless the full range is asked for.
    void fitValueAxis(QList<int> selection);
    void setCanvasGradient();

    void buildCurves(QList<int> selection);
    // Replaces the alarm bands of an earlier call.
    void buildAlarmBands();

    QList<RectItem *> alarmBands() const { return bands; }
    bool isShown(ViewChannel channel) const;
    // The record at an index of the application's list, null outside it.
    const LoggerRecord *recordAt(int index) const;
    // The graph's zoomer; the canvas owns it.
    Zoomer *zoomer() const;

    // Asks for a file name and writes the graph there as PDF, SVG or an
    // image, by the name's extension.
    void exportDocument();
    // False, after telling the user why, when the file could not be written
    // whole; an earlier file of that name is then left as it was.
    bool exportDocument(const QString &fileName);
    void renderToPrinter(QPrinter &printer);
    // The filters of the export's file chooser.
    static QStringList exportFilters();
    QwtLegend *legendWidget() const { return m_legend; }
    bool isLegendChecked(QwtPlotItem *item) const;
    // The check box of an item in a checkable legend, null when it has none.
    static QwtLegendLabel *legendLabel(const QwtPlot *plot, const QwtLegend *legend, QwtPlotItem *item);

    // The record as the graph draws it: a logger of firmware 0x114 or
    // lower recorded only its internal temperature, whatever its flags say.
    static LoggerRecord viewedRecord(const LoggerRecord &record);
    // The start from which the set's reading times count (see LoggerTime::readingOrigin).
    QDateTime readingStart(const LoggerRecord &record) const;
    // Serial number and channel label; the histogram writes the two-probe
    // model's labels with dots.
    enum TitleStyle { GraphTitles, HistogramTitles };
    static QString curveTitle(const LoggerRecord &record, ViewChannel channel,
                              TitleStyle style = GraphTitles);
    // The model with a left and a right probe.
    static bool isTwoProbeModel(const LoggerRecord &record);

    CMainApp *m_app = nullptr;
    QwtLegend *m_legend = nullptr;
    QList<QPair<QwtPlotMarker *, int>> markList;
    QVector<double> ySamples;
    QVector<double> xSamples;
    double m_limitHH = 0.0;
    double m_limitH = 0.0;
    double m_limitL = 0.0;
    double m_limitLL = 0.0;
    double m_rangeTop = 0.0;
    double m_rangeBottom = 0.0;
    int m_recordIndex = -1;
    int m_shownChannels = 0;
    int currentSetIndex = -1;
    QDateTime currentSetStart;
    QDateTime earliestStart;
    QDateTime latestEnd;
    quint32 minInterval = 0xFFFFFFFFu;
    // x extent of the data: readings, or seconds when sets are placed by
    // their dates. A double, since 65,535 intervals of 12 hours pass 2^31 s.
    double xSpan = 0.0;
    // Sets side by side whose intervals differ stand at the seconds elapsed
    // from each one's start, so that one elapsed-time label is true for all.
    bool elapsedSeconds = false;
    bool m_showIntTemp = true;
    bool m_showHum = true;
    bool m_showExtTemp = true;

public slots:
    // A legend check box was clicked.
    void ShowItem(QwtPlotItem *item, bool on);

private slots:
    void legendChecked(const QVariant &itemInfo, bool on, int index);

private:
    // The plot as a document of 300 x 200 mm at 85 dpi in the format an
    // extension names (pdf, svg or an image format); false, with the
    // reason, for a format that cannot be made.
    static bool renderDocument(QwtPlot *plot, const QString &format, QByteArray *document,
                               QString *error = nullptr);
    bool celsius() const;
    double displayTemperature(double celsius) const;
    bool &showFlag(ViewChannel channel);
    void setLegendChecked(QwtPlotItem *item, bool on);
    QList<QwtPlotItem *> curves() const;
    void addCurve(const LoggerRecord &record, ViewChannel channel, int samples, double offset,
                  double step);
    void addThresholdLines();
    // The time axis from 0 to the last x; around x 0 when there is no extent.
    void setTimeAxisRange(double lastX, double unit);
    void clearAlarmBands();
    // The time axis as built, whatever a zoom shows of it.
    QwtInterval timeAxisExtent() const;
    void createZoomer();
    // Gives each axis the border distances its labels ask for; false when
    // every axis had them already.
    bool takeBorderDistHints();
    void followValueAxis();

    QList<RectItem *> bands;
    // The channel each curve draws, in the order the curves were built.
    QList<QPair<QwtPlotItem *, ViewChannel>> curveChannels;
};
