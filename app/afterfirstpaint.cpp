#include "app/afterfirstpaint.h"

#include <QEvent>
#include <QWidget>

void AfterFirstPaint::run(QWidget *widget, std::function<void()> work)
{
    new AfterFirstPaint(widget, std::move(work));
}

AfterFirstPaint::AfterFirstPaint(QWidget *widget, std::function<void()> work)
    : QObject(widget), work(std::move(work))
{
    widget->installEventFilter(this);
}

bool AfterFirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // queued: the frame being painted reaches the screen first
        QMetaObject::invokeMethod(
            this, [this] {
                work();
                deleteLater();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
