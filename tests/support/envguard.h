#pragma once

#include <QByteArray>

// Sets an environment variable for the guard's life, or removes it, and
// puts back what was there before (its value, or its absence) when the
// guard goes: also when a test fails half-way and leaves its function early.
class EnvGuard
{
public:
    EnvGuard(const char *name, const QByteArray &value);
    explicit EnvGuard(const char *name);   // removes the variable
    ~EnvGuard();
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;

private:
    const char *name;
    bool wasSet;
    QByteArray previous;
};
