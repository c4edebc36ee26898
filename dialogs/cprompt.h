#pragma once

#include <functional>
#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

// The one road to the user for message boxes, modal dialogs and file
// choosers. Every box is titled "%1 %2" (product and version). Tests install
// handlers so that nothing blocks in a modal loop offscreen.
class CPrompt
{
public:
    enum Kind { Warning, Information, Question, Critical };

    using BoxHandler = std::function<QMessageBox::StandardButton(
        Kind kind, const QString &text, QMessageBox::StandardButtons buttons)>;
    using DialogHandler = std::function<int(QDialog *dialog)>;
    // kind is "open", "openMany", "save" or "directory"; returns the chosen paths.
    using FileHandler = std::function<QStringList(const QString &kind, const QString &caption,
                                                  const QString &directory, const QString &filter)>;
    // Gets the menu about to pop up; returns the chosen action or null.
    using MenuHandler = std::function<QAction *(QMenu *menu)>;
    // Gets the colour a colour chooser starts from; returns the chosen one,
    // or an invalid colour for a cancelled choice.
    using ColorHandler = std::function<QColor(const QColor &initial)>;

    static QMessageBox::StandardButton warning(QWidget *parent, const QString &text);
    // A warning with a list that may be long (a line per item): the list
    // stands under the text in a field of its own that scrolls, shown from
    // the start. A test handler gets the text, an empty line and the list.
    static QMessageBox::StandardButton warning(QWidget *parent, const QString &text, const QString &list);
    static QMessageBox::StandardButton information(QWidget *parent, const QString &text);
    static QMessageBox::StandardButton critical(QWidget *parent, const QString &text);
    static QMessageBox::StandardButton question(
        QWidget *parent, const QString &text,
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No);

    // Runs a dialog modally (exec), or hands it to the test handler.
    static int exec(QDialog *dialog);
    // Pops a context menu up modally, or hands it to the test handler.
    static QAction *execMenu(QMenu *menu, const QPoint &position);

    static QStringList openFileNames(QWidget *parent, const QString &caption,
                                     const QString &directory, const QString &filter);
    static QString saveFileName(QWidget *parent, const QString &caption,
                                const QString &directory, const QString &filter,
                                QString *selectedFilter = nullptr);
    // A directory, or "" when the choice was cancelled.
    static QString existingDirectory(QWidget *parent, const QString &caption,
                                     const QString &directory);
    // The toolkit's colour chooser; an invalid colour when cancelled.
    static QColor color(QWidget *parent, const QColor &initial);

    // Closes every dialog, box, chooser and menu still open as Cancel would,
    // and makes each call that opened one answer as cancelled when it
    // returns, whatever happened inside meanwhile: what was asked for a user
    // who has gone is no answer of the next one.
    static void dismissOpen();

    static void setBoxHandler(BoxHandler handler);
    static void setDialogHandler(DialogHandler handler);
    static void setFileHandler(FileHandler handler);
    static void setMenuHandler(MenuHandler handler);
    static void setColorHandler(ColorHandler handler);

private:
    static QMessageBox::StandardButton show(QWidget *parent, Kind kind, const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            const QString &list = QString());
    static QMessageBox::StandardButton showBox(QWidget *parent, Kind kind, const QString &text,
                                               QMessageBox::StandardButtons buttons);
    static QMessageBox::StandardButton showListBox(QWidget *parent, const QString &text,
                                                   const QString &list);
};
