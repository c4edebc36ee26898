#include "support/testenv.h"

#include "app/clanguagetable.h"

namespace {

constexpr int kEnglish = 0;
constexpr int kFrench = 1;
constexpr int kSpanish = 2;
constexpr int kItalian = 3;
constexpr int kPlaceholder = 4;
constexpr int kGerman = 5;
constexpr int kPortuguese = 6;

const QList<int> kRealLanguages = {kEnglish, kFrench, kSpanish, kItalian, kGerman, kPortuguese};

bool isPlaceholderRun(int id)
{
    return (id >= 0 && id <= 25) || id == 98 || id == 99;
}

} // namespace

class TestLanguageTable : public QObject
{
    Q_OBJECT
private slots:
    void freshTableSpeaksEnglish()
    {
        CLanguageTable table;
        QCOMPARE(table.language, 0);
        QCOMPARE(table.firstInitLanguage, 1);
        QCOMPARE(table.text(0), QStringLiteral("Program"));
        QCOMPARE(table.text(183), QStringLiteral("Warning!\n\nDo you want to save the download data "
                                                 "before closing the Application?"));
        for (int id = 0; id < CLanguageTable::kTextCount; ++id)
            QCOMPARE(table.text(id), table.text(id, kEnglish));
    }

    void everyColumnHoldsEveryId()
    {
        CLanguageTable table;
        QCOMPARE(table.texts.size(), CLanguageTable::kColumnCount);
        for (const QStringList &column : table.texts)
            QCOMPARE(column.size(), CLanguageTable::kTextCount);
    }

    void onlyThePlaceholderNoIsEmpty()
    {
        CLanguageTable table;
        for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
            for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
                const bool expectEmpty = column == kPlaceholder && id == 208;
                QVERIFY2(table.text(id, column).isEmpty() == expectEmpty,
                         qPrintable(QStringLiteral("id %1 column %2").arg(id).arg(column)));
            }
        }
    }

    void germanKeepsEnglishWarnings()
    {
        CLanguageTable table;
        table.language = kGerman;
        QCOMPARE(table.text(0), QStringLiteral("Programm"));
        for (int id = 183; id <= 188; ++id)
            QCOMPARE(table.text(id), table.text(id, kEnglish));
        // Ordinary labels around the warnings are German again.
        QVERIFY(table.text(182) != table.text(182, kEnglish));
        QVERIFY(table.text(192) != table.text(192, kEnglish));
    }

    void placeholderColumn()
    {
        CLanguageTable table;
        table.language = kPlaceholder;
        QCOMPARE(table.text(0), QStringLiteral("????????"));
        QCOMPARE(table.text(208), QString());
        QCOMPARE(table.text(69), QStringLiteral("Russian"));
        QCOMPARE(table.text(207), QString::fromUtf8("Sì"));

        // Question marks stand exactly where the column was never written,
        // keeping the serial mark and the probe type of the English label.
        for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
            const QString english = table.text(id, kEnglish);
            const QString text = table.text(id);
            QCOMPARE(text.startsWith(QStringLiteral("????")), isPlaceholderRun(id));
            if (isPlaceholderRun(id)) {
                QCOMPARE(text.contains('#'), english.contains('#'));
                QCOMPARE(text.contains(QStringLiteral("(NTC)")), english.contains(QStringLiteral("(NTC)")));
            }
        }
    }

    void channelDelayLabels()
    {
        CLanguageTable table;
        QCOMPARE(table.text(166), QStringLiteral("Int. Hum. Consecutive alarm delay"));
        QCOMPARE(table.text(167), QStringLiteral("Int. Hum. Total alarm delay"));
        QCOMPARE(table.text(172), QStringLiteral("Ext. Temp. Consecutive alarm delay"));
        QCOMPARE(table.text(173), QStringLiteral("Ext. Temp. Total alarm delay"));
    }

    // Other parts of the program address texts by these ids; a row added or
    // lost in the middle of the table would shift them all.
    void idsOtherPartsRelyOn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        QTest::newRow("serial header") << 4 << QStringLiteral("Serial #");
        QTest::newRow("options title") << 53 << QStringLiteral("Options");
        QTest::newRow("name header") << 80 << QStringLiteral("Name");
        QTest::newRow("option typo kept") << 90 << QStringLiteral("Auto Genterate PDF");
        QTest::newRow("histogram axis") << 127 << QStringLiteral("Number of Records");
        QTest::newRow("duration choice") << 131 << QStringLiteral("User Defined");
        QTest::newRow("memory status") << 190 << QStringLiteral("%1k Rec.");
        QTest::newRow("temperature") << 192 << QStringLiteral("Temperature");
        QTest::newRow("humidity") << 193 << QStringLiteral("Humidity");
        QTest::newRow("date axis") << 194 << QStringLiteral("Date & Time");
        QTest::newRow("elapsed axis") << 195 << QStringLiteral("Elapsed Time");
        QTest::newRow("cancel") << 206 << QStringLiteral("Cancel");
        QTest::newRow("last") << 208 << QStringLiteral("No");
    }
    void idsOtherPartsRelyOn()
    {
        QFETCH(int, id);
        QFETCH(QString, english);
        CLanguageTable table;
        QCOMPARE(table.text(id), english);
    }

    void nonAsciiTextsDecodeIntact()
    {
        CLanguageTable table;
        const QChar degree(0x00B0);
        QCOMPARE(table.text(9), QStringLiteral("Range(") + degree + QStringLiteral("C)"));
        QCOMPARE(table.text(124, kEnglish).count(degree), 1);
        QCOMPARE(table.text(4, kFrench), QStringLiteral("S") + QChar(0x00E9) + QStringLiteral("rie #"));
        QCOMPARE(table.text(207, kSpanish), QStringLiteral("S") + QChar(0x00ED));

        // A mis-decoded source shows up as stray "Â"/"Ã" or C1 control
        // characters (an old code-page apostrophe among them).
        for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
            for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
                const QString text = table.text(id, column);
                for (const QChar ch : text) {
                    const ushort u = ch.unicode();
                    QVERIFY2(!(u >= 0x80 && u <= 0x9F) && u != 0x00C2 && u != 0x00C3 && u != 0xFFFD,
                             qPrintable(QStringLiteral("id %1 column %2: %3").arg(id).arg(column).arg(text)));
                }
            }
        }
    }

    void translationsKeepPlaceholdersAndLineBreaks()
    {
        CLanguageTable table;
        int withPlaceholder = 0;
        for (int id = 0; id < CLanguageTable::kTextCount; ++id) {
            const QString english = table.text(id, kEnglish);
            const bool hasPlaceholder = english.contains(QStringLiteral("%1"));
            withPlaceholder += hasPlaceholder ? 1 : 0;
            for (int column = 0; column < CLanguageTable::kColumnCount; ++column) {
                const QString text = table.text(id, column);
                const QString where = QStringLiteral("id %1 column %2").arg(id).arg(column);
                if (hasPlaceholder) {
                    QVERIFY2(text.contains(QStringLiteral("%1")), qPrintable(where));
                    QVERIFY2(text.arg(QStringLiteral("<X>")).contains(QStringLiteral("<X>")), qPrintable(where));
                }
                if (!text.isEmpty())
                    QVERIFY2(text.count('\n') == english.count('\n'), qPrintable(where));
            }
        }
        QCOMPARE(withPlaceholder, 5);
    }

    // A column filled by copying English by mistake would pass every other
    // check; the real languages must actually differ from English.
    void languageColumnsAreTranslated()
    {
        CLanguageTable table;
        for (int column : kRealLanguages) {
            if (column == kEnglish)
                continue;
            int translated = 0;
            for (int id = 0; id < CLanguageTable::kTextCount; ++id)
                translated += table.text(id, column) != table.text(id, kEnglish) ? 1 : 0;
            QVERIFY2(translated > CLanguageTable::kTextCount * 2 / 3,
                     qPrintable(QStringLiteral("column %1: %2 translated").arg(column).arg(translated)));
        }
        QVERIFY(table.text(183, kFrench).startsWith(QStringLiteral("Attention !\n\n")));
        QVERIFY(table.text(187, kPortuguese).startsWith(QStringLiteral("Pergunta?\n\n")));
    }

    void badIdsAndLanguages()
    {
        CLanguageTable table;
        QCOMPARE(table.text(-1), QString());
        QCOMPARE(table.text(CLanguageTable::kTextCount), QString());
        QCOMPARE(table.text(100000, kFrench), QString());

        for (int language : {-1, 7, 42}) {
            table.language = language;
            QCOMPARE(table.text(0), QStringLiteral("Program"));
            QCOMPARE(table.text(208), QStringLiteral("No"));
            QCOMPARE(table.text(209), QString());
        }
        QCOMPARE(table.text(1, -5), QStringLiteral("Help"));
    }

    void languageChangeIsImmediate()
    {
        CLanguageTable table;
        table.language = kItalian;
        QCOMPARE(table.text(79), QStringLiteral("Pun"));
        table.language = kSpanish;
        QCOMPARE(table.text(0), QStringLiteral("Programar"));
        table.language = kEnglish;
        QCOMPARE(table.text(0), QStringLiteral("Program"));
    }
};

MIRELDA_TEST_MAIN(TestLanguageTable)
#include "tst_languagetable.moc"
