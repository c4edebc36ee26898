#include "app/clanguagetable.h"

CLanguageTable::CLanguageTable()
{
    for (int c = 0; c < kColumnCount; ++c) {
        QStringList column;
        for (int id = 0; id < kTextCount; ++id)
            column << QString();
        texts << column;
    }
}

QString CLanguageTable::text(int id) const
{
    return text(id, language);
}

QString CLanguageTable::text(int id, int column) const
{
    if (id < 0 || id >= kTextCount)
        return QString();
    if (column < 0 || column >= kColumnCount)
        column = 0;
    return texts.at(column).at(id);
}
