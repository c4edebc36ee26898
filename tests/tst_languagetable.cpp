#include "support/testenv.h"

#include "core/clanguagetable.h"

class TestLanguageTable : public QObject
{
    Q_OBJECT
private slots:
    // Every cell is read whole: only the placeholder column's "No" is empty;
    // a mis-decoded source shows up as stray "Â"/"Ã" or C1 control
    // characters; a translation keeps the placeholders and line breaks of
    // its English text, and a column copied from English by mistake would
    // translate almost nothing.
    void everyTextIsPresentDecodedAndTranslated()
    {
        const CLanguageTable table;
        QVector<int> translated(CLanguageTable::kColumnCount, 0);
        for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
            const QString english = table.text(id, 0);
            for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
                const QString text = table.text(id, column);
                const QByteArray where = QStringLiteral("id %1 column %2").arg(id).arg(column).toLatin1();
                QVERIFY2(text.isEmpty() == (column == 4 && id == 208), where);
                for (const QChar ch : text)
                    QVERIFY2(!(ch.unicode() >= 0x80 && ch.unicode() <= 0x9F) && ch != QChar(0xC2)
                                 && ch != QChar(0xC3) && ch != QChar(0xFFFD), where);
                QVERIFY2(!english.contains("%1") || text.contains("%1"), where);
                QVERIFY2(text.isEmpty() || text.count('\n') == english.count('\n'), where);
                translated[column] += text != english;
            }
        }
        for (int column : { 1, 2, 3, 5, 6 })
            QVERIFY2(translated.at(column) > CLanguageTable::kTextCount * 2 / 3, qPrintable(QString::number(column)));
        QCOMPARE(table.text(4, 1), QStringLiteral("S\u00E9rie #"));
        QCOMPARE(table.text(207, 2), QStringLiteral("S\u00ED"));
    }

    // Other parts of the program address texts by these ids; a row added or
    // lost in the middle of the table would shift them all.
    void idsOtherPartsRelyOn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        QTest::newRow("first") << 0 << QStringLiteral("Program");
        QTest::newRow("range") << 9 << QStringLiteral("Range(\u00B0C)");
        QTest::newRow("option typo kept") << 90 << QStringLiteral("Auto Genterate PDF");
        QTest::newRow("ext total") << 173 << QStringLiteral("Ext. Temp. Total alarm delay");
        QTest::newRow("close offer") << 183
            << QStringLiteral("Warning!\n\nDo you want to save the download data before closing the Application?");
        QTest::newRow("memory status") << 190 << QStringLiteral("%1k Rec.");
        QTest::newRow("last") << 208 << QStringLiteral("No");
    }
    void idsOtherPartsRelyOn()
    {
        QFETCH(int, id);
        QTEST(CLanguageTable().text(id), "english");
    }

    void badIdsAndLanguages()
    {
        CLanguageTable table;
        QCOMPARE(table.text(-1), QString());
        QCOMPARE(table.text(100000, 1), QString());
        QCOMPARE(table.text(1, -5), QStringLiteral("Help"));
        for (int language : { -1, 7 }) {
            table.language = language;
            QCOMPARE(table.text(0), QStringLiteral("Program"));
            QCOMPARE(table.text(CLanguageTable::kTextCount), QString());
        }
    }
};

MIRELDA_TEST_MAIN(TestLanguageTable)
#include "tst_languagetable.moc"
