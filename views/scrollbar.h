#pragma once

#include <QScrollBar>

// A scroll bar told in plot values: a base range (the whole zoom base in
// one direction) and the window shown within it, mapped onto a fixed grid
// of ticks. The slider's page is the window's length, its value the
// window's centre. Moves of the user come back as an orientation and the
// new window; moves made through setBase and moveSlider never do.
class ScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit ScrollBar(QWidget *parent = nullptr);
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
    ScrollBar(double minBase, double maxBase, Qt::Orientation orientation, QWidget *parent = nullptr);

    // Inverted: tick 0 stands for the upper end of the base.
    void setInverted(bool inverted);
    bool isInverted() const { return inverted; }

    double minBaseValue() const { return minBase; }
    double maxBaseValue() const { return maxBase; }
    double minSliderValue() const;
    double maxSliderValue() const;

    // The window that the slider shows at an int value.
    void sliderRange(int value, double &min, double &max) const;
    // The bar's thickness in pixels.
    int extent() const;

    static constexpr int kBaseTicks = 1000000;

signals:
    void sliderMoved(Qt::Orientation orientation, double min, double max);
    void valueChanged(Qt::Orientation orientation, double min, double max);

public slots:
    virtual void setBase(double min, double max);
    virtual void moveSlider(double min, double max);

private slots:
    void catchValueChanged(int value);
    void catchSliderMoved(int value);

private:
    void init();
    int mapToTick(double value) const;
    double mapFromTick(int tick) const;
    double ticksPerUnit() const;

    bool inverted = false;
    double minBase = 0.0;
    double maxBase = 1.0;
    int baseTicks = kBaseTicks;
};
