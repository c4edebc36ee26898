#pragma once

#include <functional>
#include <QObject>

class QWidget;

// Runs a piece of work once, right after the first frame that paints a
// widget has been drawn: what the user waits to see comes before what can
// wait. Nothing runs when the widget goes before it is painted.
class AfterFirstPaint : public QObject
{
public:
    static void run(QWidget *widget, std::function<void()> work);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AfterFirstPaint(QWidget *widget, std::function<void()> work);
    std::function<void()> work;
};
