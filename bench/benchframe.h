#pragma once

#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

// Watches the frames a window puts on screen. A frame is complete when the
// window's update request (or, for its first frame, its expose event) has
// been served: every widget painted and the result handed to the platform.
// The watcher serves that event itself, so it can tell the moment the frame
// is done and which widgets it held.
class FrameWatcher : public QObject
{
public:
    explicit FrameWatcher(QWidget *window) : window(window) { qApp->installEventFilter(this); }
    ~FrameWatcher() override { qApp->removeEventFilter(this); }

    // A frame that painted a widget the predicate accepts.
    void awaitFrameWith(const std::function<bool(QObject *)> &accepts)
    {
        wanted = accepts;
        seen = false;
        done = false;
        while (!done)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wanted = nullptr;
    }
    void awaitFrame() { awaitFrameWith([](QObject *) { return true; }); }
    // Runs events until the condition holds.
    static void awaitCondition(const std::function<bool()> &condition)
    {
        while (!condition())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 5);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!wanted)
            return false;
        if (event->type() == QEvent::Paint && wanted(watched))
            seen = true;
        const bool frame = (event->type() == QEvent::UpdateRequest && watched == window)
                           || (event->type() == QEvent::Expose && watched == static_cast<QObject *>(window->windowHandle()));
        if (!frame || serving)
            return false;
        serving = true;
        // QObject::event is public: the window serves the event here
        watched->event(event);
        serving = false;
        done = seen;
        return true;
    }

private:
    QWidget *window;
    std::function<bool(QObject *)> wanted;
    bool serving = false;
    bool seen = false;
    bool done = false;
};
