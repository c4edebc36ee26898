#include "dialogs/cprompt.h"

#include <QDialog>
#include <QFileDialog>
#include <QMenu>

#include "core/appinfo.h"

namespace {
CPrompt::BoxHandler &boxHandler()
{
    static CPrompt::BoxHandler handler;
    return handler;
}
CPrompt::DialogHandler &dialogHandler()
{
    static CPrompt::DialogHandler handler;
    return handler;
}
CPrompt::FileHandler &fileHandler()
{
    static CPrompt::FileHandler handler;
    return handler;
}
CPrompt::MenuHandler &menuHandler()
{
    static CPrompt::MenuHandler handler;
    return handler;
}
}

QMessageBox::StandardButton CPrompt::show(QWidget *parent, Kind kind, const QString &text,
                                          QMessageBox::StandardButtons buttons)
{
    if (boxHandler())
        return boxHandler()(kind, text, buttons);
    const QString title = AppInfo::windowTitle();
    switch (kind) {
    case Warning: return QMessageBox::warning(parent, title, text, buttons);
    case Information: return QMessageBox::information(parent, title, text, buttons);
    case Critical: return QMessageBox::critical(parent, title, text, buttons);
    case Question: return QMessageBox::question(parent, title, text, buttons);
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButton CPrompt::warning(QWidget *parent, const QString &text)
{
    return show(parent, Warning, text, QMessageBox::Ok);
}

QMessageBox::StandardButton CPrompt::information(QWidget *parent, const QString &text)
{
    return show(parent, Information, text, QMessageBox::Ok);
}

QMessageBox::StandardButton CPrompt::critical(QWidget *parent, const QString &text)
{
    return show(parent, Critical, text, QMessageBox::Ok);
}

QMessageBox::StandardButton CPrompt::question(QWidget *parent, const QString &text,
                                              QMessageBox::StandardButtons buttons)
{
    return show(parent, Question, text, buttons);
}

int CPrompt::exec(QDialog *dialog)
{
    if (dialogHandler())
        return dialogHandler()(dialog);
    return dialog->exec();
}

QAction *CPrompt::execMenu(QMenu *menu, const QPoint &position)
{
    if (menuHandler())
        return menuHandler()(menu);
    return menu->exec(position);
}

QStringList CPrompt::openFileNames(QWidget *parent, const QString &caption,
                                   const QString &directory, const QString &filter)
{
    if (fileHandler())
        return fileHandler()(QStringLiteral("openMany"), caption, directory, filter);
    return QFileDialog::getOpenFileNames(parent, caption, directory, filter);
}

QString CPrompt::saveFileName(QWidget *parent, const QString &caption, const QString &directory,
                              const QString &filter, QString *selectedFilter)
{
    if (fileHandler()) {
        const QStringList chosen = fileHandler()(QStringLiteral("save"), caption, directory, filter);
        return chosen.value(0);
    }
    return QFileDialog::getSaveFileName(parent, caption, directory, filter, selectedFilter);
}

QString CPrompt::existingDirectory(QWidget *parent, const QString &caption)
{
    if (fileHandler())
        return fileHandler()(QStringLiteral("directory"), caption, QString(), QString()).value(0);
    return QFileDialog::getExistingDirectory(
        parent, caption, QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void CPrompt::setBoxHandler(BoxHandler handler)
{
    boxHandler() = std::move(handler);
}

void CPrompt::setDialogHandler(DialogHandler handler)
{
    dialogHandler() = std::move(handler);
}

void CPrompt::setFileHandler(FileHandler handler)
{
    fileHandler() = std::move(handler);
}

void CPrompt::setMenuHandler(MenuHandler handler)
{
    menuHandler() = std::move(handler);
}
