#pragma once

#include <QString>
#include <qnamespace.h>

// The product title and version that every window and message title carries.
namespace AppInfo {
inline QString productTitle() { return QStringLiteral("Mirelda"); }
inline QString version() { return QStringLiteral("1.16.34"); }
inline QString buildDate() { return QStringLiteral("02/10/2016"); }
// "%1 %2": the title of every message box and most dialogs.
inline QString windowTitle() { return QStringLiteral("%1 %2").arg(productTitle(), version()); }
// The program's own dialogs: a title bar with its menu and close button,
// no minimise or maximise button.
inline Qt::WindowFlags dialogWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}
}
