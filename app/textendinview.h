#pragma once

#include <QObject>

class QPlainTextEdit;

// Keeps the end of a plain-text box's text in view. Qt 5's QPlainTextEdit
// takes the lines that fit the box off its scroll range only while it is
// visible: scrolled to its end while its page or its window is hidden, it
// would show its last, empty line at the top (a white box) until clicked.
// Such a box is filled again as it shows, with the range of its visible
// size, and scrolled then.
class TextEndInView : public QObject
{
    Q_OBJECT
public:
    // Watches the box, once, as its page is built.
    static void install(QPlainTextEdit *box);
    // Shows the end of the box's text, now or as the box shows.
    static void scrollToEnd(QPlainTextEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TextEndInView(QPlainTextEdit *box);
    bool pending = false;
};
