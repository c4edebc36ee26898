#include "programming/settingstexts.h"

#include "core/loggerrecord.h"

QStringList SettingsTexts::ownerOf(const LoggerRecord &record)
{
    return { QString::number(record.recordId), record.serialNumber, record.productCode,
             record.description };
}

bool SettingsTexts::show(const LoggerRecord &record, QStringList *texts)
{
    const QStringList shown = ownerOf(record);
    if (shown == owner)
        return false;
    owner = shown;
    const QPair<QStringList, QStringList> kept = typed.take(owner.first());
    *texts = kept.first == owner ? kept.second : QStringList(owner.mid(1));
    return true;
}

void SettingsTexts::setAside(const QStringList &shown)
{
    if (owner.isEmpty())
        return;
    if (shown != owner.mid(1))
        typed.insert(owner.first(), { owner, shown });
    owner.clear();
}

void SettingsTexts::forgetAll()
{
    typed.clear();
    owner.clear();
}
