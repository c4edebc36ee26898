#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class CUserAdminNewPass;
}

// The change-password dialog of a user whose password is due: the old
// password once, the new one twice. OK is enabled only for a new password
// that differs from the current and the previous one; the password rule
// itself is the caller's to check. Its warning goes out as a signal, for
// the window to show.
class CUserAdminNewPass : public QDialog
{
    Q_OBJECT
public:
    CUserAdminNewPass(QWidget *parent, const QString &userName, const QString &currentPassword,
                      const QString &previousPassword);
    ~CUserAdminNewPass() override;

    // The confirmed new password; empty while the two new entries differ.
    QString newPassword() const;

signals:
    void warningRaised(const QString &text);

private slots:
    void on_m_lineEditOldPassword_textChanged(const QString &text);
    void on_m_lineEditNewPassword_textChanged(const QString &text);
    void on_m_lineEditNewPassword_2_textChanged(const QString &text);

private:
    void validate();

    Ui::CUserAdminNewPass *ui;
    QString currentPassword;
    QString previousPassword;
};
