#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QScrollBar>

#include "core/cmainapp.h"
#include "users/cuseradmin.h"

void MainWindow::addAudit(const QString &text)
{
    app->userAdmin->addAuditEntry(text);
    showAuditTrail(QDate::currentDate());
}

void MainWindow::auditUserAction(const QString &text)
{
    if (app->userAdmin->enabled && app->userAdmin->currentUser != -1)
        addAudit(text);
}

void MainWindow::showAuditTrail(const QDate &date)
{
    QPlainTextEdit *view = ui->m_plainTextEditUserAdminAudit;
    view->setPlainText(app->userAdmin->readAuditFile(date));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
}

void MainWindow::on_m_actionLogout_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionBackup_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionRestore_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_listWidgetUserAdminList_itemSelectionChanged() {}

void MainWindow::on_m_listWidgetUserAdminList_doubleClicked(const QModelIndex &) {}

void MainWindow::on_m_pushButtonUserAdminNew_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_pushButtonUserAdminRemove_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_pushButtonUserAdminAddAuditMessage_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditUserAdminUserName_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminFirstName_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminLastName_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminPassword2_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminTimeOut_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminPassword_editingFinished() {}

void MainWindow::on_m_lineEditUserAdminPassword_textChanged(const QString &) {}

void MainWindow::on_m_dateTimeEditUserAdminPassExp_dateTimeChanged(const QDateTime &) {}

void MainWindow::on_m_dateEditUserAdminDate_dateTimeChanged(const QDateTime &) {}

void MainWindow::on_m_checkBoxUserAdminAccessAdmin_clicked(bool) {}

void MainWindow::on_m_checkBoxUserAdminAccessViewer_clicked(bool) {}

void MainWindow::on_m_checkBoxUserAdminAccessDownload_clicked(bool) {}

void MainWindow::on_m_checkBoxUserAdminAccessConfigure_clicked(bool) {}

void MainWindow::on_m_radioButtonUserAdminActiveYes_clicked() {}

void MainWindow::on_m_radioButtonUserAdminActiveNo_clicked() {}

void MainWindow::on_m_radioButtonUserAdminUnlockUser_clicked() {}

void MainWindow::on_m_radioButtonUserAdminUnlockAdmin_clicked() {}

void MainWindow::on_m_comboBoxUserAdminEmployeeNb_currentIndexChanged(const QString &) {}

void MainWindow::on_m_spinBoxUserAdminPassDuration_valueChanged(int) {}

void MainWindow::on_m_plainTextEditUserAdminMessage_textChanged() {}
