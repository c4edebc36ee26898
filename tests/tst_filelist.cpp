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
    // not, makes the last one read current and builds the list once.
    void loadingManyFilesBuildsTheListOnce_data()
    {
        QTest::addColumn<QString>("badAt");        // "middle", "last" or ""
        QTest::addColumn<bool>("oneOpenBefore");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("current");

        QTest::newRow("all read") << QString() << false << 300 << 299;
        QTest::newRow("one open already, one refused on the way")
            << QStringLiteral("middle") << true << 299 << 298;
        QTest::newRow("the last one refused") << QStringLiteral("last") << false << 299 << 298;
    }
    void loadingManyFilesBuildsTheListOnce()
    {
        QFETCH(QString, badAt);
        QFETCH(bool, oneOpenBefore);
        QFETCH(int, listed);
        QFETCH(int, current);

        Harness h;
        const QString folder = h.homePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QStringList paths = writeTrips(folder, 300);
        QCOMPARE(paths.size(), 300);
        if (!badAt.isEmpty()) {
            const int bad = badAt == QLatin1String("last") ? 299 : 150;
            QVERIFY(TestEnv::writeFile(paths.at(bad), QByteArray("not a data file")));
        }
        if (oneOpenBefore)
            QVERIFY(h.window.loadDataFile(paths.at(7)));

        QTableWidget *list = h.ui->m_tableWidgetLogger;
        QSignalSpy rebuilds(list->model(), &QAbstractItemModel::rowsInserted);
        h.prompts.filesToChoose = paths;
        h.ui->m_actionLoad->trigger();

        QCOMPARE(h.prompts.boxes.size(), badAt.isEmpty() ? 0 : 1);
        QCOMPARE(h.records.size(), listed);
        QCOMPARE(list->rowCount(), listed);
        QCOMPARE(rebuilds.size(), 1);
        QCOMPARE(list->currentRow(), current);
        const QString shown = QFileInfo(h.records.at(current).fileName).fileName();
        QCOMPARE(list->item(current, 2)->text(), shown);
        QCOMPARE(shown, QFileInfo(paths.at(badAt == QLatin1String("last") ? 298 : 299)).fileName());
        QCOMPARE(h.window.app->selection, QList<int>{ current });
        for (int row = 0; row < listed; ++row)
            QVERIFY(h.records.at(row).dataLoaded);
    }

    // A logout closes the box of a file refused on the way: the files
    // chosen after it are not loaded for whoever logs in next.
    void aLogoutDuringALoadEndsIt()
    {
        Harness h;
        QStringList paths = writeTrips(h.homePath(QStringLiteral("cut")), 5);
        QCOMPARE(paths.size(), 5);
        QVERIFY(TestEnv::writeFile(paths.at(2), QByteArray("not a data file")));
        CPrompt::setBoxHandler([](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
            CPrompt::dismissOpen();   // as the logout does
            return QMessageBox::Ok;
        });
        h.prompts.filesToChoose = paths;
        h.ui->m_actionLoad->trigger();
        QCOMPARE(h.records.size(), 2);
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
