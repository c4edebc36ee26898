#include "app/textendinview.h"

#include <QEvent>
#include <QPlainTextEdit>

void TextEndInView::install(QPlainTextEdit *box)
{
    new TextEndInView(box);
}

TextEndInView::TextEndInView(QPlainTextEdit *box) : QObject(box)
{
    box->installEventFilter(this);
}

void TextEndInView::scrollToEnd(QPlainTextEdit *box)
{
    auto *watch = box->findChild<TextEndInView *>(QString(), Qt::FindDirectChildrenOnly);
    if (watch && !box->isVisible()) {
        watch->pending = true;
        return;
    }
    // the cursor, not the bar: as it shows, the box brings its cursor into
    // view, which would undo a scrolled bar
    box->moveCursor(QTextCursor::End);
}

bool TextEndInView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && pending) {
        pending = false;
        auto *box = static_cast<QPlainTextEdit *>(watched);
        box->setPlainText(box->toPlainText());
        scrollToEnd(box);
    }
    return QObject::eventFilter(watched, event);
}
