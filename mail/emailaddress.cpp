#include "mail/emailaddress.h"

#include <algorithm>

#include <QStringList>

EmailAddress::EmailAddress(const QString &address, const QString &name)
    : displayName(name), mailbox(address)
{
}

EmailAddress::~EmailAddress() = default;

void EmailAddress::setName(const QString &name) { displayName = name; }
void EmailAddress::setAddress(const QString &address) { mailbox = address; }

const QString &EmailAddress::name() const { return displayName; }
const QString &EmailAddress::address() const { return mailbox; }

namespace {

bool isAtomCharacter(QChar c)
{
    if (c.unicode() > 127)
        return c.isLetterOrNumber();
    return c.isLetterOrNumber() || QStringLiteral("!#$%&'*+-/=?^_`{|}~").contains(c);
}

// Atoms joined by single dots, none empty.
bool isDotAtom(const QString &text)
{
    const QStringList atoms = text.split(QLatin1Char('.'));
    return std::all_of(atoms.cbegin(), atoms.cend(), [](const QString &atom) {
        return !atom.isEmpty() && std::all_of(atom.cbegin(), atom.cend(), isAtomCharacter);
    });
}

bool isDomainLabel(const QString &label)
{
    const auto labelCharacter = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('-'); };
    return !label.isEmpty() && !label.startsWith(QLatin1Char('-')) && !label.endsWith(QLatin1Char('-'))
           && std::all_of(label.cbegin(), label.cend(), labelCharacter);
}

// [192.0.2.1] or [IPv6:...]: visible ASCII without brackets or backslash.
bool isAddressLiteral(const QString &text)
{
    if (text.size() < 3 || !text.startsWith(QLatin1Char('[')) || !text.endsWith(QLatin1Char(']')))
        return false;
    const QString inside = text.mid(1, text.size() - 2);
    return std::all_of(inside.cbegin(), inside.cend(), [](QChar c) {
        return c.unicode() > 32 && c.unicode() < 127 && c != QLatin1Char('[') && c != QLatin1Char(']')
               && c != QLatin1Char('\\');
    });
}

bool isDomain(const QString &text)
{
    if (isAddressLiteral(text))
        return true;
    const QStringList labels = text.split(QLatin1Char('.'));
    return std::all_of(labels.cbegin(), labels.cend(), isDomainLabel);
}

}

bool EmailAddress::isMailbox(const QString &text)
{
    const int at = text.lastIndexOf(QLatin1Char('@'));
    return at > 0 && isDotAtom(text.left(at)) && isDomain(text.mid(at + 1));
}
