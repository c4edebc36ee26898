#pragma once

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "users/cuseradmin.h"

// A core on a fresh user directory, for the user-administration tests.
struct UserAdminFixture
{
    WindowState window;
    CMainApp *app = nullptr;
    CUserAdmin *ua = nullptr;

    // Removes the user directory and builds the core, which writes the
    // store of a first start; message boxes only warn.
    void start();
    ~UserAdminFixture();
};
