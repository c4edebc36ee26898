#include "dialogs/cprompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>

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
CPrompt::ColorHandler &colorHandler()
{
    static CPrompt::ColorHandler handler;
    return handler;
}

int &dismissals()
{
    static int count = 0;
    return count;
}

// Taken when a prompt opens: whether it was dismissed before it returned.
class Opening
{
public:
    bool dismissed() const { return dismissals() != at; }

private:
    int at = dismissals();
};
}

void CPrompt::dismissOpen()
{
    ++dismissals();
    while (QWidget *popup = QApplication::activePopupWidget())
        if (!popup->close())
            break;
    // a dialog's own Cancel may close or delete another one
    QList<QPointer<QDialog>> open;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(window))
            open << dialog;
    for (const QPointer<QDialog> &dialog : qAsConst(open))
        if (dialog && dialog->isVisible())
            dialog->reject();
}

QMessageBox::StandardButton CPrompt::show(QWidget *parent, Kind kind, const QString &text,
                                          QMessageBox::StandardButtons buttons, const QString &list)
{
    const Opening opening;
    QMessageBox::StandardButton answer;
    if (boxHandler())
        answer = boxHandler()(kind, list.isEmpty() ? text : text + QStringLiteral("\n\n") + list, buttons);
    else
        answer = list.isEmpty() ? showBox(parent, kind, text, buttons) : showListBox(parent, text, list);
    return opening.dismissed() ? QMessageBox::Cancel : answer;
}

QMessageBox::StandardButton CPrompt::showListBox(QWidget *parent, const QString &text, const QString &list)
{
    QMessageBox box(QMessageBox::Warning, AppInfo::windowTitle(), text, QMessageBox::Ok, parent);
    box.setDetailedText(list);
    // the list is what the box is for: its field opens with the box
    for (QAbstractButton *button : box.buttons())
        if (box.buttonRole(button) == QMessageBox::ActionRole)
            button->click();
    return QMessageBox::StandardButton(box.exec());
}

QMessageBox::StandardButton CPrompt::showBox(QWidget *parent, Kind kind, const QString &text,
                                             QMessageBox::StandardButtons buttons)
{
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

QMessageBox::StandardButton CPrompt::warning(QWidget *parent, const QString &text, const QString &list)
{
    return show(parent, Warning, text, QMessageBox::Ok, list);
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
    const Opening opening;
    const int result = dialogHandler() ? dialogHandler()(dialog) : dialog->exec();
    return opening.dismissed() ? int(QDialog::Rejected) : result;
}

QAction *CPrompt::execMenu(QMenu *menu, const QPoint &position)
{
    const Opening opening;
    QAction *chosen = menuHandler() ? menuHandler()(menu) : menu->exec(position);
    return opening.dismissed() ? nullptr : chosen;
}

QStringList CPrompt::openFileNames(QWidget *parent, const QString &caption,
                                   const QString &directory, const QString &filter)
{
    const Opening opening;
    const QStringList chosen =
        fileHandler() ? fileHandler()(QStringLiteral("openMany"), caption, directory, filter)
                      : QFileDialog::getOpenFileNames(parent, caption, directory, filter);
    return opening.dismissed() ? QStringList() : chosen;
}

QString CPrompt::saveFileName(QWidget *parent, const QString &caption, const QString &directory,
                              const QString &filter, QString *selectedFilter)
{
    const Opening opening;
    const QString chosen =
        fileHandler()
            ? fileHandler()(QStringLiteral("save"), caption, directory, filter).value(0)
            : QFileDialog::getSaveFileName(parent, caption, directory, filter, selectedFilter);
    return opening.dismissed() ? QString() : chosen;
}

QString CPrompt::existingDirectory(QWidget *parent, const QString &caption,
                                   const QString &directory)
{
    const Opening opening;
    const QString chosen =
        fileHandler()
            ? fileHandler()(QStringLiteral("directory"), caption, directory, QString()).value(0)
            : QFileDialog::getExistingDirectory(parent, caption, directory,
                                                QFileDialog::ShowDirsOnly
                                                    | QFileDialog::DontResolveSymlinks);
    return opening.dismissed() ? QString() : chosen;
}

QColor CPrompt::color(QWidget *parent, const QColor &initial)
{
    const Opening opening;
    const QColor chosen =
        colorHandler() ? colorHandler()(initial) : QColorDialog::getColor(initial, parent);
    return opening.dismissed() ? QColor() : chosen;
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

void CPrompt::setColorHandler(ColorHandler handler)
{
    colorHandler() = std::move(handler);
}
