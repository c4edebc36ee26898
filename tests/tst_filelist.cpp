// The logger / file list with many rows: a load of hundreds of files, and
// what the list shows of them.
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>

#include "core/imagecodec.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "support/testenv.h"
#include "support/windowtest.h"

using namespace WindowTest;

namespace {

// Data files of three readings each, named trip000.qlf on, in folder.
QStringList writeTrips(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        LoggerRecord trip = downloadedTrip(QStringLiteral("F%1").arg(i, 5, 10, QLatin1Char('0')),
                                           QVector<quint16>{ 0x00C8, 0x00D2, 0x00DC });
        trip.sensorFlags = SensorBits::InternalNtc;
        trip.configWord = ConfigBits::InternalOn;
        trip.interval = 60;
        trip.startTime = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        trip.imageRead = ImageCodec::encode(trip, QByteArray(kImageSize, '\0'));
        const QString path = QDir(folder).filePath(QStringLiteral("trip%1.qlf").arg(i, 3, 10, QLatin1Char('0')));
        if (!CFileManager::writeDataFile(path, trip, false))
            return {};
        paths << path;
    }
    return paths;
}

}

class TestFileList : public QObject
{
    Q_OBJECT
private slots:
    // One choice of many files lists every file that reads, says which did
    // not in one box, makes the last one read current, shown in the list,
    // and builds the list once.
    void loadingManyFilesBuildsTheListOnce_data()
    {
        QTest::addColumn<QList<int>>("bad");
        QTest::addColumn<bool>("oneOpenBefore");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("current");

        QList<int> fifty;
        for (int i = 100; i < 150; ++i)
            fifty << i;
        QTest::newRow("all read") << QList<int>() << false << 300 << 299;
        QTest::newRow("one open already, one refused on the way") << QList<int>{ 150 } << true << 299 << 298;
        QTest::newRow("the last one refused") << QList<int>{ 299 } << false << 299 << 298;
        QTest::newRow("fifty refused") << fifty << false << 250 << 249;
    }
    void loadingManyFilesBuildsTheListOnce()
    {
        QFETCH(QList<int>, bad);
        QFETCH(bool, oneOpenBefore);
        QFETCH(int, listed);
        QFETCH(int, current);

        Harness h;
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        const QString folder = h.homePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QStringList paths = writeTrips(folder, 300);
        QCOMPARE(paths.size(), 300);
        for (int i : bad)
            QVERIFY(TestEnv::writeFile(paths.at(i), QByteArray("not a data file")));
        if (oneOpenBefore)
            QVERIFY(h.window.loadDataFile(paths.at(7)));

        QTableWidget *list = h.ui->m_tableWidgetLogger;
        QSignalSpy rebuilds(list->model(), &QAbstractItemModel::rowsInserted);
        h.prompts.filesToChoose = paths;
        h.ui->m_actionLoad->trigger();

        QCOMPARE(h.prompts.boxes.size(), bad.isEmpty() ? 0 : 1);
        for (int i : bad)
            QVERIFY(h.prompts.boxes.first().text.contains(QFileInfo(paths.at(i)).fileName() + QStringLiteral("\" is not")));
        QCOMPARE(h.records.size(), listed);
        QCOMPARE(list->rowCount(), listed);
        QCOMPARE(rebuilds.size(), 1);
        QCOMPARE(list->currentRow(), current);
        QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(current, 2))));
        const QString shown = QFileInfo(h.records.at(current).fileName).fileName();
        QCOMPARE(list->item(current, 2)->text(), shown);
        QCOMPARE(shown, QFileInfo(paths.at(bad.contains(299) ? 298 : 299)).fileName());
        QCOMPARE(h.window.app->selection, QList<int>{ current });
        for (int row = 0; row < listed; ++row)
            QVERIFY(h.records.at(row).dataLoaded);
    }

    // The files a load leaves out are told once the list shows the load:
    // one damaged, and one open already in a row whose file changed since.
    void filesNotOpenedAreToldTogetherAfterTheLoad()
    {
        Harness h;
        QStringList paths = writeTrips(h.homePath(QStringLiteral("told")), 5);
        QCOMPARE(paths.size(), 5);
        QVERIFY(h.window.loadDataFile(paths.at(0)));
        QVERIFY(TestEnv::writeFile(paths.at(0), QByteArray("saved over meanwhile")));
        QVERIFY(TestEnv::writeFile(paths.at(2), QByteArray("not a data file")));
        QList<int> currentAtEachBox;
        QString told;
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            currentAtEachBox << h.ui->m_tableWidgetLogger->currentRow();
            told = text;
            return QMessageBox::Ok;
        });
        h.prompts.filesToChoose = paths;
        h.ui->m_actionLoad->trigger();
        QCOMPARE(h.records.size(), 4);
        QCOMPARE(currentAtEachBox, QList<int>{ 3 });
        QVERIFY2(told.startsWith(QStringLiteral("Warning!\n\n2 of the 5 files chosen were not opened"))
                     && told.contains(QStringLiteral("The file %1 changed since its row read or wrote it. The row")
                                          .arg(QDir::toNativeSeparators(paths.at(0))))
                     && told.contains(QStringLiteral("The file \"trip002.qlf\" is not")),
                 qPrintable(told));
        QVERIFY(h.records.at(0).unsavedReadings);
    }

    // Four-digit row numbers show whole and the lights stay inside the list,
    // scrolled or not, in the form's small font and in a large one.
    void listColumnsFitRowNumbersAndLights_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("rows");

        QTest::newRow("form font, no scroll bar") << 8 << 12;
        QTest::newRow("form font, 1200 rows") << 8 << 1200;
        QTest::newRow("large font, 1200 rows") << 12 << 1200;
    }
    void listColumnsFitRowNumbersAndLights()
    {
        QFETCH(int, pointSize);
        QFETCH(int, rows);

        Harness h;
        QTableWidget *list = h.ui->m_tableWidgetLogger;
        QFont font = list->font();
        font.setPointSize(pointSize);
        list->setFont(font);
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        for (int i = 0; i < rows; ++i)
            h.records.append(fileRecord(QStringLiteral("/data/f%1.qlf").arg(i), QStringLiteral("S%1").arg(i)));
        h.window.selectTableRow(rows - 1);
        list->scrollToBottom();
        QTRY_COMPARE(list->verticalScrollBar()->isVisible(), rows > 100);

        const int lastRow = rows - 1;
        const QRect number = list->visualItemRect(list->item(lastRow, 0));
        const QString shown = list->item(lastRow, 0)->text();
        QCOMPARE(shown, QString::number(rows));
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        QVERIFY2(list->fontMetrics().horizontalAdvance(QStringLiteral("8888")) + margins <= number.width(),
                 qPrintable(QString::number(number.width())));
        for (int column = 4; column <= 8; ++column) {
            const QRect light = list->visualItemRect(list->item(lastRow, column));
            QVERIFY2(light.width() >= list->iconSize().width() && light.right() < list->viewport()->width(),
                     qPrintable(QStringLiteral("column %1 at %2-%3 of %4").arg(column).arg(light.left())
                                    .arg(light.right()).arg(list->viewport()->width())));
        }
        QTRY_VERIFY(!list->horizontalScrollBar()->isVisible());
    }
};

MIRELDA_TEST_MAIN(TestFileList)
#include "tst_filelist.moc"
