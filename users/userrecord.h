#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class QDataStream;

// One user of the user store, held by value in the user lists.
struct UserRecord
{
    // Bits of rights; bits not named here are kept as read.
    enum Rights : quint16 {
        RightAdmin = 0x0001,      // also grants every other right
        RightViewer = 0x0002,
        RightDownload = 0x0004,
        RightConfigure = 0x0008,
        UserRemoved = 0x2000,
        UnlockAdmin = 0x4000,     // only an administrator may unlock the form
        UserActive = 0x8000
    };

    QString login;                // compared case-sensitively everywhere
    QString firstName;
    QString lastName;
    QString password;             // plain text: the file format has no room for more
    QString previousPassword;
    QString employeeNumber;       // "1" to "99"; empty or "0" when none is chosen
    QDateTime expiry;             // no login at or after this moment
    QDate renewalDate;            // a new password is due from this day on
    quint16 rights = 0;

    bool has(quint16 bits) const { return (rights & bits) != 0; }
    // The account lets its user in at that moment: active, not expired.
    bool isOpenAt(const QDateTime &moment) const { return has(UserActive) && expiry.isValid() && moment < expiry; }
    // The number as an integer; 0 when none is chosen or the text is no number.
    int employeeNumberValue() const;
    QString fullName() const;     // first name, a space, last name
    QString shortName() const;    // first letter of the first name, ".", last name
    // Entries still being created on the user page carry this in their login
    // and are never stored.
    bool isBeingCreated() const;
    bool isStorable() const { return !login.isEmpty() && !isBeingCreated(); }

    // The nine fields in store order. The stream's version and byte order are
    // the caller's.
    void writeTo(QDataStream &out) const;
    static UserRecord readFrom(QDataStream &in);
};
