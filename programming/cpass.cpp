#include "programming/cpass.h"
#include "ui_cpass.h"

#include "core/clanguagetable.h"
#include "core/appinfo.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "programming/programlimits.h"

CPass::CPass(QWidget *parent, const CLanguageTable *labels, const QString &serial,
             quint32 passwordWord)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    ui = new Ui::CPass;
    ui->setupUi(this);
    setWindowTitle(AppInfo::windowTitle());
    ui->m_labelMessage->setText(labels->text(LabelId::PasswordProtected) + QStringLiteral("\n") + serial);
    ui->m_labelPassword->setText(labels->text(LabelId::Password));
    ui->m_pushButtonReadWithout->setText(labels->text(LabelId::ReadWithoutPassword));
    ui->m_pushButtonRead->setText(labels->text(LabelId::Read));
    ui->m_pushButtonWriteWithout->setText(labels->text(LabelId::WriteWithoutPassword));
    ui->m_pushButtonWrite->setText(labels->text(LabelId::Write));
    ui->m_pushButtonCancel->setText(labels->text(LabelId::Cancel));
    // the logger's protection word says what it allows without the password
    ui->m_pushButtonReadWithout->setEnabled(passwordWord & PasswordBits::ReadWithout);
    ui->m_pushButtonWriteWithout->setEnabled(passwordWord & PasswordBits::WriteWithout);
}

CPass::~CPass()
{
    delete ui;
}

quint16 CPass::password() const
{
    return ProgramLimits::parsePassword(ui->m_lineEditPassword->text());
}

void CPass::choose(Choice choice)
{
    chosen = choice;
    if (choice == Cancelled)
        reject();
    else
        accept();
}

void CPass::on_m_pushButtonRead_clicked() { choose(Read); }

void CPass::on_m_pushButtonWrite_clicked() { choose(Write); }

void CPass::on_m_pushButtonReadWithout_clicked() { choose(ReadWithout); }

void CPass::on_m_pushButtonWriteWithout_clicked() { choose(WriteWithout); }

void CPass::on_m_pushButtonCancel_clicked() { choose(Cancelled); }
