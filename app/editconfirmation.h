#pragma once

#include <QObject>

class QLineEdit;

// Qt 5's QLineEdit says editingFinished on Return and once more when the
// focus then leaves the field (a box opened by the first one takes it too);
// later Qt versions say it once. A slot of editingFinished asks isNew, so
// that one edit is taken once: typing in the field again, or another
// Return, is a new confirmation.
class EditConfirmation : public QObject
{
    Q_OBJECT
public:
    static void watch(QLineEdit *field);
    // False for the editingFinished that only repeats the field's last
    // Return, with nothing typed since; true for a field not watched.
    static bool isNew(QLineEdit *field);

private:
    explicit EditConfirmation(QLineEdit *field);
    bool returnPending = false;
    bool takenByReturn = false;
};
