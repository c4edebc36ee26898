#pragma once

#include <functional>

#include <QElapsedTimer>

// Milliseconds on a steady clock, for timing replies: a change of the
// computer's time does not move it. Classes that time replies take one so
// that tests can hand in their own.
using SteadyClock = std::function<qint64()>;

// The process's monotonic clock, counting from the call.
inline SteadyClock processSteadyClock()
{
    QElapsedTimer steady;
    steady.start();
    return [steady] { return steady.elapsed(); };
}
