#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The label table: the program's own user-interface texts by id, in seven
// language columns (0 English, 1 French, 2 Spanish, 3 Italian, 4 an unused
// placeholder column, 5 German, 6 Portuguese).
class CLanguageTable
{
public:
    static constexpr int kTextCount = 209;
    static constexpr int kColumnCount = 7;
    static constexpr int kPlaceholderColumn = 4;

    CLanguageTable();

    QVector<QStringList> texts;
    int language = 0;
    int firstInitLanguage = 1;

    // The text of id in the current language; "" for an id outside 0..208,
    // English for a language that is none of the six.
    QString text(int id) const;
    // The text of id in a column, the placeholder's included.
    QString text(int id, int column) const;
    // Whether a language setting names a column of texts: the placeholder
    // column holds none of its own, and reads as English as a value out of
    // range does.
    static bool isLanguage(int column);
};
