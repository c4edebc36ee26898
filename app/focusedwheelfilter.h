#pragma once

#include <QObject>

class QWidget;

// The wheel over a page that scrolls must scroll it, not change whichever
// field passes under the pointer: a spin box, date-time edit or combo box
// of the page takes the wheel only while it has the keyboard focus (clicked
// or tabbed into), and the wheel no longer gives it the focus. Otherwise
// the wheel goes on to the page.
class FocusedWheelFilter : public QObject
{
    Q_OBJECT
public:
    // Watches the fields under page, once, as the page is built.
    static void install(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FocusedWheelFilter(QWidget *page);
};
