#include "dialogs/cuseradminpass.h"
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

// Read when asked, so that OK pressed while a field still has the focus,
// before its editing has finished, takes what the fields hold then.
QString CUserAdminPass::enteredUserName() const
{
    return ui->m_lineEditUserName->text();
}

QString CUserAdminPass::enteredPassword() const
{
    return ui->m_lineEditPassword->text();
}
