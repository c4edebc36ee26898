#pragma once

#include <QObject>
#include <QString>

// One mailbox: the address the server delivers to, and the name shown with it.
class EmailAddress : public QObject
{
public:
    explicit EmailAddress(const QString &address = QString(), const QString &name = QString());
    ~EmailAddress() override;

    void setName(const QString &name);
    void setAddress(const QString &address);

    const QString &name() const;
    const QString &address() const;

private:
    QString displayName;
    QString mailbox;
};
