#include "support/nonewfiles.h"

#include <unistd.h>

NoNewFiles::NoNewFiles()
{
    if (getrlimit(RLIMIT_NOFILE, &previous) != 0)
        return;
    // a new descriptor takes the lowest free number: with the limit there,
    // none is free
    const int lowestFree = dup(0);
    if (lowestFree < 0)
        return;
    close(lowestFree);
    rlimit limited = previous;
    limited.rlim_cur = rlim_t(lowestFree);
    applied = setrlimit(RLIMIT_NOFILE, &limited) == 0;
}

NoNewFiles::~NoNewFiles()
{
    if (applied)
        setrlimit(RLIMIT_NOFILE, &previous);
}
