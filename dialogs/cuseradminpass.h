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
    QString enteredUserName() const;
    QString enteredPassword() const;

private:
    Ui::CUserAdminPass *ui;
};
