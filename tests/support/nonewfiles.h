#pragma once

#include <sys/resource.h>

// While the object lives the process can open no further file: its limit
// of open files is lowered to the descriptors already taken. Unlike
// permissions this binds root too, so a test can make a write fail
// whoever runs it.
class NoNewFiles
{
public:
    NoNewFiles();
    ~NoNewFiles();
    NoNewFiles(const NoNewFiles &) = delete;
    NoNewFiles &operator=(const NoNewFiles &) = delete;

    bool active() const { return applied; }

private:
    rlimit previous{};
    bool applied = false;
};
