#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class QTextEdit;

// Context help of the logger page: the page of the field under the mouse,
// in the user's language, from the help pages embedded in the program.
class CHelp : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTopicCount = 39;

    // owner is not the QObject parent: it only gives the current language.
    explicit CHelp(MainWindow *owner);
    ~CHelp() override;

    void setTextEdit(QTextEdit *view);
    // Shows the page of topic (1 to 39) unless it is the topic asked for
    // last. A topic or language without a page leaves the view as it is.
    void showHelp(int topic);
    // Whether a help page has been written into the view.
    bool pageShown() const { return shownPage; }
    // The narrowest view that breaks no word of the language's pages: their
    // longest run without a break opportunity as the view lays it out, with
    // the view's frame and its vertical scroll bar. 0 without a view or
    // pages.
    int widthForWholeWords(int language) const;

    // The page's resource name, "" when the topic or the language index
    // (the label table's column) has none.
    static QString pageName(int topic, int language);
    // The file's bytes one per character (Latin-1), up to the first NUL;
    // "" when it cannot be read.
    static QString readFile(const QString &fileName);

    MainWindow *owner = nullptr;
    QTextEdit *textEdit = nullptr;
    int currentTopic = -1;

private:
    bool shownPage = false;
};
