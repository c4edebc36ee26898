#include "dialogs/cuseradminnewpass.h"
#include "ui_cuseradminnewpass.h"

#include <QPushButton>

#include "core/appinfo.h"

CUserAdminNewPass::CUserAdminNewPass(QWidget *parent, const QString &userName,
                                     const QString &currentPassword,
                                     const QString &previousPassword)
    : QDialog(parent),
      ui(new Ui::CUserAdminNewPass),
      currentPassword(currentPassword),
      previousPassword(previousPassword)
{
    ui->setupUi(this);
    setWindowTitle(AppInfo::windowTitle());
    ui->m_lineEditUserName->setText(userName);
    validate();
}

CUserAdminNewPass::~CUserAdminNewPass()
{
    delete ui;
}

void CUserAdminNewPass::on_m_lineEditOldPassword_textChanged(const QString &)
{
    validate();
}

void CUserAdminNewPass::on_m_lineEditNewPassword_textChanged(const QString &)
{
    validate();
}

void CUserAdminNewPass::on_m_lineEditNewPassword_2_textChanged(const QString &)
{
    validate();
}

QString CUserAdminNewPass::newPassword() const
{
    const QString typed = ui->m_lineEditNewPassword->text();
    return typed == ui->m_lineEditNewPassword_2->text() ? typed : QString();
}

// The new fields open only to the holder of the current password; OK needs
// a new password typed twice alike that is neither the current nor the
// previous one.
void CUserAdminNewPass::validate()
{
    const QString typed = ui->m_lineEditNewPassword->text();
    const bool oldRight = ui->m_lineEditOldPassword->text() == currentPassword;
    const bool newAgree = !newPassword().isEmpty();
    const bool repeatsPrevious = typed == previousPassword;

    ui->m_lineEditNewPassword->setEnabled(oldRight);
    ui->m_lineEditNewPassword_2->setEnabled(oldRight);
    ui->m_buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(oldRight && newAgree && typed != currentPassword && !repeatsPrevious);

    if (newAgree && repeatsPrevious)
        emit warningRaised(tr("Warning!\n\nThe new password has to be different from the "
                              "two previews ones."));
}
