#include "mail/emailaddress.h"

EmailAddress::EmailAddress(const QString &address, const QString &name)
    : displayName(name), mailbox(address)
{
}

EmailAddress::~EmailAddress() = default;

void EmailAddress::setName(const QString &name) { displayName = name; }
void EmailAddress::setAddress(const QString &address) { mailbox = address; }

const QString &EmailAddress::name() const { return displayName; }
const QString &EmailAddress::address() const { return mailbox; }
