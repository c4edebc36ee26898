#pragma once

#include <QDialog>

class CLanguageTable;

namespace Ui {
class CPass;
}

// The logger-password dialog: asked when a protected logger is selected
// and its password has not been given. The user types the password to
// read or write the logger, or goes on without it where the logger's
// protection word allows reading or writing without.
class CPass : public QDialog
{
    Q_OBJECT
public:
    enum Choice { Cancelled, Read, Write, ReadWithout, WriteWithout };

    CPass(QWidget *parent, const CLanguageTable *labels, const QString &serial, quint32 passwordWord);
    ~CPass() override;

    Choice choice() const { return chosen; }
    // The typed password; 0 when none or not a number up to 65535.
    quint16 password() const;

    Ui::CPass *ui = nullptr;

public slots:
    void on_m_pushButtonRead_clicked();
    void on_m_pushButtonWrite_clicked();
    void on_m_pushButtonReadWithout_clicked();
    void on_m_pushButtonWriteWithout_clicked();
    void on_m_pushButtonCancel_clicked();

private:
    void choose(Choice choice);

    Choice chosen = Cancelled;
};
