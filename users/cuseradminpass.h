#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class CUserAdminPass;
}

// The login dialog: asks for a user name and a password. It knows nothing
// of the users; the window's login checks what it returns.
class CUserAdminPass : public QDialog
{
    Q_OBJECT
public:
    explicit CUserAdminPass(QWidget *parent = nullptr);
    ~CUserAdminPass() override;

    // What was typed, as it stands (not trimmed).
    QString enteredUserName() const { return userName; }
    QString enteredPassword() const { return password; }

public slots:
    void accept() override;

private slots:
    void on_m_lineEditUserName_editingFinished();
    void on_m_lineEditPassword_editingFinished();

private:
    Ui::CUserAdminPass *ui;
    QString userName;
    QString password;
};
