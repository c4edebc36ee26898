#include "support/testenv.h"

#include "app/clanguagetable.h"

namespace {

constexpr int kEnglish = 0;
constexpr int kFrench = 1;
constexpr int kSpanish = 2;
constexpr int kPlaceholder = 4;

QString where(int id, int column)
{
    return QStringLiteral("id %1 column %2").arg(id).arg(column);
}

} // namespace

class TestLanguageTable : public QObject
{
    Q_OBJECT
private slots:
    void freshTableSpeaksEnglishInItsFullShape()
    {
        CLanguageTable table;
        QCOMPARE(table.language, 0);
        QCOMPARE(table.firstInitLanguage, 1);
        QCOMPARE(table.text(0), QStringLiteral("Program"));
        QCOMPARE(table.text(183), QStringLiteral("Warning!\n\nDo you want to save the download data "
                                                 "before closing the Application?"));
        // Only the placeholder column's "No" is left empty.
        for (int column = 0; column < CLanguageTable::kColumnCount; ++column)
            for (int id = 0; id < CLanguageTable::kTextCount; ++id)
                QVERIFY2(table.text(id, column).isEmpty() == (column == kPlaceholder && id == 208),
                         qPrintable(where(id, column)));
    }



    // Other parts of the program address texts by these ids; a row added or
    // lost in the middle of the table would shift them all.
    void idsOtherPartsRelyOn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        QTest::newRow("serial header") << 4 << QStringLiteral("Serial #");
        QTest::newRow("option typo kept") << 90 << QStringLiteral("Auto Genterate PDF");
        QTest::newRow("hum consecutive") << 166 << QStringLiteral("Int. Hum. Consecutive alarm delay");
        QTest::newRow("hum total") << 167 << QStringLiteral("Int. Hum. Total alarm delay");
        QTest::newRow("ext consecutive") << 172 << QStringLiteral("Ext. Temp. Consecutive alarm delay");
        QTest::newRow("ext total") << 173 << QStringLiteral("Ext. Temp. Total alarm delay");
        QTest::newRow("memory status") << 190 << QStringLiteral("%1k Rec.");
        QTest::newRow("elapsed axis") << 195 << QStringLiteral("Elapsed Time");
        QTest::newRow("last") << 208 << QStringLiteral("No");
    }
    void idsOtherPartsRelyOn()
    {
        QFETCH(int, id);
        QFETCH(QString, english);
        QCOMPARE(CLanguageTable().text(id), english);
    }

    void nonAsciiTextsDecodeIntact()
    {
        CLanguageTable table;
        QCOMPARE(table.text(9), QStringLiteral("Range(\u00B0C)"));
        QCOMPARE(table.text(4, kFrench), QStringLiteral("S\u00E9rie #"));
        QCOMPARE(table.text(207, kSpanish), QStringLiteral("S\u00ED"));
        // A mis-decoded source shows up as stray "Â"/"Ã" or C1 control characters.
        for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
            for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
                for (const QChar ch : table.text(id, column)) {
                    const ushort u = ch.unicode();
                    QVERIFY2(!(u >= 0x80 && u <= 0x9F) && u != 0x00C2 && u != 0x00C3 && u != 0xFFFD,
                             qPrintable(where(id, column)));
                }
            }
        }
    }

    // A column copied from English by mistake would pass every other check.
    void translationsKeepPlaceholdersAndDiffer()
    {
        CLanguageTable table;
        int withPlaceholder = 0;
        QVector<int> translated(CLanguageTable::kColumnCount, 0);
        for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
            const QString english = table.text(id, kEnglish);
            const bool hasPlaceholder = english.contains(QStringLiteral("%1"));
            withPlaceholder += hasPlaceholder ? 1 : 0;
            for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
                const QString text = table.text(id, column);
                translated[column] += text != english ? 1 : 0;
                QVERIFY2(!hasPlaceholder || text.contains(QStringLiteral("%1")), qPrintable(where(id, column)));
                QVERIFY2(text.isEmpty() || text.count('\n') == english.count('\n'), qPrintable(where(id, column)));
            }
        }
        QCOMPARE(withPlaceholder, 5);
        for (int column : { 1, 2, 3, 5, 6 })
            QVERIFY2(translated.at(column) > CLanguageTable::kTextCount * 2 / 3, qPrintable(where(-1, column)));
    }

    void badIdsAndLanguages()
    {
        CLanguageTable table;
        QCOMPARE(table.text(-1), QString());
        QCOMPARE(table.text(CLanguageTable::kTextCount), QString());
        QCOMPARE(table.text(100000, kFrench), QString());
        QCOMPARE(table.text(1, -5), QStringLiteral("Help"));
        for (int language : { -1, 7, 42 }) {
            table.language = language;
            QCOMPARE(table.text(0), QStringLiteral("Program"));
            QCOMPARE(table.text(209), QString());
        }
    }
};

MIRELDA_TEST_MAIN(TestLanguageTable)
#include "tst_languagetable.moc"
