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

    // The text is one mailbox, local-part@domain, and nothing besides: no
    // blank, bracket, comma or second address that a server would read as
    // a parameter of its command or a header as another recipient. The
    // local part is a dot-atom (no quoted form), the domain names or an
    // address literal in brackets; letters beyond ASCII are taken.
    static bool isMailbox(const QString &text);

private:
    QString displayName;
    QString mailbox;
};
