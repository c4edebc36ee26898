#include "support/envguard.h"

#include <QtGlobal>

EnvGuard::EnvGuard(const char *name, const QByteArray &value)
    : EnvGuard(name)
{
    qputenv(name, value);
}

EnvGuard::EnvGuard(const char *name)
    : name(name), wasSet(qEnvironmentVariableIsSet(name)), previous(qgetenv(name))
{
    qunsetenv(name);
}

EnvGuard::~EnvGuard()
{
    if (wasSet)
        qputenv(name, previous);
    else
        qunsetenv(name);
}
