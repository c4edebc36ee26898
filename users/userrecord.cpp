#include "users/userrecord.h"

#include <QDataStream>

int UserRecord::employeeNumberValue() const
{
    bool ok = false;
    const int value = employeeNumber.toInt(&ok, 10);
    return ok ? value : 0;
}

QString UserRecord::fullName() const
{
    return firstName + QLatin1Char(' ') + lastName;
}

QString UserRecord::shortName() const
{
    return firstName.left(1) + QLatin1Char('.') + lastName;
}

bool UserRecord::isBeingCreated() const
{
    return login.contains(QLatin1String("New User"), Qt::CaseSensitive);
}

void UserRecord::writeTo(QDataStream &out) const
{
    out << login << firstName << lastName << password << previousPassword << employeeNumber
        << expiry << renewalDate << rights;
}

UserRecord UserRecord::readFrom(QDataStream &in)
{
    UserRecord user;
    in >> user.login >> user.firstName >> user.lastName >> user.password >> user.previousPassword
        >> user.employeeNumber >> user.expiry >> user.renewalDate >> user.rights;
    return user;
}
