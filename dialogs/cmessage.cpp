#include "dialogs/cmessage.h"
#include "ui_cmessage.h"

#include <QTimer>

#include "core/appinfo.h"

namespace {
constexpr int kTickMs = 100;
constexpr int kTicksPerSecond = 1000 / kTickMs;
}

CMessage::CMessage(QWidget *, const QString &message, int seconds)
    : QDialog(nullptr)
{
    ui = new Ui::CMessage;
    ui->setupUi(this);
    setWindowFlags(AppInfo::dialogWindowFlags());
    setWindowTitle(AppInfo::windowTitle());
    m_ticksLeft = qMax(0, seconds) * kTicksPerSecond;
    ui->m_labelMessage->setText(message);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &CMessage::Timer);
    // a notice left to the user has nothing to count down
    if (m_ticksLeft > 0)
        m_timer->start(kTickMs);
}

CMessage::~CMessage()
{
    delete ui;
}

QString CMessage::message() const
{
    return ui->m_labelMessage->text();
}

void CMessage::Timer()
{
    if (m_ticksLeft == 0)
        return;
    if (--m_ticksLeft == 0)
        close();
}
