#pragma once

#include <QList>
#include <QVector>
#include <qwt_plot.h>

#include "core/loggerrecord.h"

class CMainApp;
class Histogram;
class QwtLegend;
class QwtPlotItem;

// The histogram page's plot: for every selected data set, how many readings
// of each channel fall on each whole value of the display unit (degree or
// percent), one column series per channel with a checkable legend item.
// Built once for one state of the data, like the graph; only the legend
// changes it afterwards.
class CHistogram : public QwtPlot
{
    Q_OBJECT
public:
    // Readings of one channel per whole display value.
    struct ChannelCounts {
        ViewChannel channel = ChannelInternal;
        int first = 0;          // whole value that counts[0] stands for
        QVector<int> counts;    // empty when the channel holds no readings
        int last() const { return first + counts.size() - 1; }
    };
    // Larger ranges are refused rather than allocated.
    static constexpr int kMaxBins = 131072;

    explicit CHistogram(QWidget *parent = nullptr);

    void setData(CMainApp *app, int recordIndex);
    // Builds the whole view; setData first.
    void setupPlot();
    // The series of one record, and the grid while the plot has none.
    void buildHistograms(int recordIndex);
    // The value range the settings and the show flags give for the record:
    // bins from minBin up to maxBin (excluded), binCount of them. Sets the
    // bottom axis to it unless it is empty.
    void setXScale(const LoggerRecord &record, int &minBin, int &maxBin, int &binCount);

    // The whole value a reading counts for: the largest whole degree (or
    // percent) not above it, in Fahrenheit when asked.
    static int wholeValue(int tenths, bool fahrenheit);
    // One pass over the readings: the counts of every channel the record holds,
    // its temperatures in Fahrenheit when asked, its humidity in percent.
    static QVector<ChannelCounts> countReadings(const LoggerRecord &record, bool fahrenheit);

    QwtLegend *legendWidget() const { return m_legend; }
    QList<Histogram *> series() const;

    CMainApp *m_app = nullptr;
    QwtLegend *m_legend = nullptr;
    int m_recordIndex = -1;
    int m_minBin = 0;
    int m_maxBin = 0;
    int m_binCount = 0;
    bool m_showTemperature = true;
    bool m_showHumidity = true;
    bool m_showExternal = true;

public slots:
    // A legend check box was clicked.
    void ShowItem(QwtPlotItem *item, bool on);

private slots:
    void legendChecked(const QVariant &itemInfo, bool on, int index);

private:
    struct Series {
        Histogram *item;
        ViewChannel channel;
        int firstFilled;   // lowest and highest whole value with readings
        int lastFilled;
    };
    const LoggerRecord *recordAt(int index) const;
    bool fahrenheit() const;
    bool &showFlag(ViewChannel channel);
    void valueRange(const LoggerRecord &record, double &low, double &high);
    void addSeries(const LoggerRecord &record, const ChannelCounts &counts, int channels);
    void coverShownSeries();

    QList<Series> m_series;
    // what the bottom axis was last set to
    double m_axisLow = 0.0;
    double m_axisHigh = 0.0;
    void setBottomAxis(double low, double high);
};
