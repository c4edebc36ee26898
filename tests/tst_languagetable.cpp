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
        // the placeholder column copies English for 138 ids, and German
        // keeps the English warnings and question
        QCOMPARE(CLanguageTable::kTextCount - translated.at(4), 138);
        for (int id = 183; id <= 188; ++id)
            QCOMPARE(table.text(id, 5), table.text(id, 0));
    }

    // Rows as the product's documents list them, in all seven columns.
    void rowsInEveryColumn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("0") << 0 << QStringList{ "Program", "Programme", "Programar", "Programma", "????????", "Programm", "Programa" };
        QTest::newRow("4") << 4 << QStringList{ "Serial #", "S\u00E9rie #", "Serie #", "Seriale #", "???????? #", "Serien#", "S\u00E9rie #" };
        QTest::newRow("44") << 44 << QStringList{ "Logger/File List", "Liste de fichiers/acquisiteurs",
                                                  "Lista de Registrador de Datos/Archivos", "Lista File/Logger", "logger/file",
                                                  "Logger/Datei ", "Registador/Lista de Ficheiros" };
        QTest::newRow("67") << 67 << QStringList{ "English", "Anglais", "Ingl\u00E9s", "Inglese", "English", "Englisch", "Ingl\u00EAs" };
        QTest::newRow("69") << 69 << QStringList{ "Russian", "Russe", "Ruso", "Russo", "Russian", "Russisch", "Russo" };
        QTest::newRow("79") << 79 << QStringList{ "OK", "OK", "OK", "Pun", "OK", "OK", "OK" };
        QTest::newRow("80") << 80 << QStringList{ "Name", "Nom", "Nombre", "Nome", "Name", "Name", "Nome" };
        const QString close = QStringLiteral("Warning!\n\nDo you want to save the download data before closing the Application?");
        QTest::newRow("183") << 183 << QStringList{
            close,
            QStringLiteral("Attention !\n\nVoulez-vous sauvegarder les donn\u00E9es t\u00E9l\u00E9charg\u00E9es avant de fermer l'application ?"),
            QStringLiteral("Cuidado!\n\nQuer\u00E9is guardar los datos descargado antes cerrar la aplicaci\u00F3n? "),
            QStringLiteral("Attenzione!\n\nSalvare I dati scaricati prima di chiudere il programma?"),
            close, close,
            QStringLiteral("Aten\u00E7\u00E3o!\n\n pretende guardar os dados descarregados antes de sair da aplica\u00E7\u00E3o?") };
        const QString program = QStringLiteral("Question?\n\nThis will program the Logger");
        QTest::newRow("187") << 187 << QStringList{
            program,
            QStringLiteral("Question ?\n\nCette action programmera l'acquisiteur. "),
            QStringLiteral("\u00BFPregunta?\n\n Esto programar\u00E1 el registrador de datos. "),
            QStringLiteral("Domanda?\n\n Questo programmer\u00E0 il logger"),
            program, program,
            QStringLiteral("Pergunta?\n\nSe prosseguir vai programar o registador") };
    }
    void rowsInEveryColumn()
    {
        QFETCH(int, id);
        QFETCH(QStringList, texts);
        const CLanguageTable table;
        QStringList found;
        for (int column = 0; column < CLanguageTable::kColumnCount; ++column)
            found << table.text(id, column);
        QCOMPARE(found, texts);
    }

    // Other parts of the program address texts by these ids; a row added or
    // lost in the middle of the table would shift them all.
    void idsOtherPartsRelyOn_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        QTest::newRow("range") << 9 << QStringLiteral("Range(\u00B0C)");
        QTest::newRow("option typo kept") << 90 << QStringLiteral("Auto Genterate PDF");
        QTest::newRow("ext total") << 173 << QStringLiteral("Ext. Temp. Total alarm delay");
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
        for (int language : { -1, 7, CLanguageTable::kPlaceholderColumn }) {
            table.language = language;
            QCOMPARE(table.text(0), QStringLiteral("Program"));
            QCOMPARE(table.text(CLanguageTable::kTextCount), QString());
        }
    }
};

MIRELDA_TEST_MAIN(TestLanguageTable)
#include "tst_languagetable.moc"
