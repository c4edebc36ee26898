#include "support/useradmintest.h"

#include <QDir>

#include "support/testenv.h"

void UserAdminFixture::start()
{
    TestEnv::warnOnMessageBoxes();
    QDir(TestEnv::home() + QStringLiteral("/.QuorvaneUA")).removeRecursively();
    app = new CMainApp(&window);
    ua = app->userAdmin;
}

UserAdminFixture::~UserAdminFixture()
{
    delete app;
}
