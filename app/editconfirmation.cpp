#include "app/editconfirmation.h"

#include <QLineEdit>

void EditConfirmation::watch(QLineEdit *field)
{
    new EditConfirmation(field);
}

// Return says returnPressed just before its editingFinished.
EditConfirmation::EditConfirmation(QLineEdit *field) : QObject(field)
{
    connect(field, &QLineEdit::returnPressed, this, [this] { returnPending = true; });
    connect(field, &QLineEdit::textEdited, this, [this] { takenByReturn = false; });
}

bool EditConfirmation::isNew(QLineEdit *field)
{
    auto *confirmation = field->findChild<EditConfirmation *>(QString(), Qt::FindDirectChildrenOnly);
    if (!confirmation)
        return true;
    if (confirmation->returnPending) {
        confirmation->returnPending = false;
        confirmation->takenByReturn = true;
        return true;
    }
    return !confirmation->takenByReturn;
}
