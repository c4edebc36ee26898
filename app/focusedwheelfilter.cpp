#include "app/focusedwheelfilter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

void FocusedWheelFilter::install(QWidget *page)
{
    new FocusedWheelFilter(page);
}

FocusedWheelFilter::FocusedWheelFilter(QWidget *page) : QObject(page)
{
    QList<QWidget *> fields;
    for (QAbstractSpinBox *field : page->findChildren<QAbstractSpinBox *>())
        fields << field;
    for (QComboBox *field : page->findChildren<QComboBox *>())
        fields << field;
    for (QWidget *field : qAsConst(fields)) {
        field->setFocusPolicy(Qt::StrongFocus);
        field->installEventFilter(this);
    }
}

// Left unaccepted, the event goes on to the parents, up to the scroll area.
bool FocusedWheelFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel || static_cast<QWidget *>(watched)->hasFocus())
        return false;
    event->ignore();
    return true;
}
