#pragma once

#include <memory>

#include "core/cmainapp.h"
#include "core/windowstate.h"

// A core without a window.
struct TestCore
{
    WindowState window;
    CMainApp app{ &window };
};

// A fresh core with default settings for each test function of a class that
// derives from it and calls renewCore() in its init().
class CoreFixture
{
protected:
    TestCore *core = nullptr;
    CMainApp *app = nullptr;
    WindowState *window = nullptr;

    void renewCore()
    {
        delete core;
        core = new TestCore;
        app = &core->app;
        window = &core->window;
        app->settings = AppSettings();
    }
    ~CoreFixture() { delete core; }
};
