#pragma once

#include <QHash>
#include <QPair>
#include <QStringList>

struct LoggerRecord;

// Whose texts the Program page's serial number, product code and
// description fields hold. What the user types there goes into a record
// only when the page is read for a programming or a template; until then
// it stays with the record it was typed for, also while another record is
// shown, and comes back with it. A record's own texts that changed since
// (its logger's image after a program, a template) replace it.
class SettingsTexts
{
public:
    // The fields are to show record: true when they showed another record
    // or other own texts of it, texts then being what to show (typed for
    // it, or its own).
    bool show(const LoggerRecord &record, QStringList *texts);
    // The fields, holding shown, are emptied: what was typed stays with
    // the record they showed.
    void setAside(const QStringList &shown);
    // The fields are to take the record's own texts at the next show.
    void forgetShown() { owner.clear(); }
    // A logout: nothing typed stays for the next user.
    void forgetAll();

private:
    // the record's identity, then its own texts
    static QStringList ownerOf(const LoggerRecord &record);

    QStringList owner;
    QHash<QString, QPair<QStringList, QStringList>> typed;   // by identity: owner, texts
};
