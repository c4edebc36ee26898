#include "users/cuseradminpass.h"
#include "ui_cuseradminpass.h"

#include "core/appinfo.h"

CUserAdminPass::CUserAdminPass(QWidget *parent)
    : QDialog(parent), ui(new Ui::CUserAdminPass)
{
    ui->setupUi(this);
    setWindowFlags(AppInfo::dialogWindowFlags());
    setWindowTitle(AppInfo::windowTitle());
}

CUserAdminPass::~CUserAdminPass()
{
    delete ui;
}

// OK may be pressed while a field still has the focus, before its editing
// has finished: what the fields hold then is what counts.
void CUserAdminPass::accept()
{
    userName = ui->m_lineEditUserName->text();
    password = ui->m_lineEditPassword->text();
    QDialog::accept();
}

void CUserAdminPass::on_m_lineEditUserName_editingFinished()
{
    userName = ui->m_lineEditUserName->text();
}

void CUserAdminPass::on_m_lineEditPassword_editingFinished()
{
    password = ui->m_lineEditPassword->text();
}
