#pragma once

#include <QDialog>

class QTimer;

namespace Ui {
class CMessage;
}

// A notice that closes itself after a number of seconds, so that a
// confirmation needs no click. Zero seconds leaves it to the user.
class CMessage : public QDialog
{
    Q_OBJECT
public:
    // owner is accepted for the callers' sake: the notice is a window of its own.
    CMessage(QWidget *owner, const QString &message, int seconds);
    ~CMessage() override;

    int ticksLeft() const { return m_ticksLeft; }
    QString message() const;

public slots:
    // One tick of 100 ms.
    void Timer();

private:
    QTimer *m_timer = nullptr;
    int m_ticksLeft = 0;
    Ui::CMessage *ui = nullptr;
};
