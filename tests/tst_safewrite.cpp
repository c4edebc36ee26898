// Writes that cannot complete (a full disk, a failing drive) never replace
// a good file with a partial one, and the caller hears of it.
#include "support/testenv.h"

#include <cerrno>
#include <cstring>
#include <functional>

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <sys/stat.h>
#endif

#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"
#include "support/coretest.h"
#include "support/useradmintest.h"
#include "reports/cprint.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "ui_coption.h"
#include "views/cplot.h"
#include "dialogs/coption.h"
#include "users/cuseradmin.h"

namespace {

using Stage = WholeFile::Stage;

// A downloaded trip not saved yet.
LoggerRecord trip(int readings)
{
    QVector<quint16> words(readings);
    for (int i = 0; i < readings; ++i)
        words[i] = ReadingWord::make(i % 400 - 200, false);
    LoggerRecord r = WindowTest::downloadedTrip(QStringLiteral("QV777"), words);
    WindowTest::giveLoggerHeader(r);
    r.startTime = QDateTime(QDate(2026, 4, 1), QTime(8, 0));
    r.unsavedReadings = true;
    return r;
}

// A trip with a report of many pages.
LoggerRecord reportedTrip(int samples)
{
    LoggerRecord r = ViewsTest::downloadedSet(QStringLiteral("QV777"), SensorBits::InternalNtc,
                                              ConfigBits::InternalOn,
                                              ViewsTest::words(QVector<int>(samples, 215)), 60,
                                              QDateTime(QDate(2026, 4, 1), QTime(8, 0)));
    r.tripNumber = 7;
    return r;
}

// The PDF with its trailer naming a cross-reference table shift bytes away
// from where the table starts: still inside the file.
QByteArray crossReferenceMovedBy(QByteArray pdf, int shift)
{
    const int keyword = pdf.lastIndexOf("startxref");
    const int digits = pdf.indexOf('\n', keyword) + 1;
    const int end = pdf.indexOf('\n', digits);
    const qint64 table = pdf.mid(digits, end - digits).toLongLong();
    return pdf.replace(digits, end - digits, QByteArray::number(table + shift));
}

// The id of a process that has ended and been reaped.
qint64 endedProcessId()
{
    QProcess child;
    child.start(QStringLiteral("true"), QStringList());
    if (!child.waitForStarted(60000))
        return 0;
    const qint64 pid = child.processId();
    return child.waitForFinished(60000) ? pid : 0;
}

// What is in a folder besides the files a test put there on purpose.
QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A file system of its own, small enough to fill: tmpfs, mounted only
// where the test runs as root.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes, bool readOnly = false)
    {
#ifdef Q_OS_LINUX
        const QByteArray options = "size=" + QByteArray::number(bytes);
        mounted = folder.isValid()
                  && ::mount("tmpfs", QFile::encodeName(folder.path()).constData(), "tmpfs",
                             readOnly ? MS_RDONLY : 0, options.constData()) == 0;
#else
        Q_UNUSED(bytes)
        Q_UNUSED(readOnly)
#endif
    }
    ~SmallDisk()
    {
#ifdef Q_OS_LINUX
        if (mounted)
            ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
#endif
    }
    bool isMounted() const { return mounted; }
    QString path(const QString &name) const { return folder.filePath(name); }

    // Fills the disk until about `left` bytes remain free.
    bool leaveFree(qint64 left)
    {
        QStorageInfo disk(folder.path());
        const qint64 fill = disk.bytesAvailable() - left;
        if (fill <= 0)
            return true;
        QFile filler(path(QStringLiteral("filler-%1").arg(++fillers)));
        return filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(int(fill), 'x')) == fill
               && filler.flush();
    }

private:
    QTemporaryDir folder{ TestEnv::home() + QStringLiteral("/disk-XXXXXX") };
    bool mounted = false;
    int fillers = 0;
};

// Types path into the options dialog's default path and presses OK; gives
// whether the dialog accepted.
bool setDefaultPath(WindowTest::Harness &h, const QString &path)
{
    bool accepted = false;
    CPrompt::setDialogHandler([&](QDialog *dialog) {
        if (auto *options = qobject_cast<COption *>(dialog)) {
            options->form()->m_lineEditGeneralDefaultPath->setText(path);
            QTest::mouseClick(options->form()->m_buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
            accepted = options->result() == QDialog::Accepted;
        }
        return 0;
    });
    h.ui->m_actionOptions->trigger();
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
    return accepted;
}

#define REQUIRE_SMALL_DISK(disk)                                                                  \
    if (!(disk).isMounted())                                                                      \
        QSKIP("a small tmpfs could not be mounted (the test must run as root on Linux); "        \
              "the full-disk cases are covered here only through the fault seam");

}

class TestSafeWrite : public QObject, private CoreFixture
{
    Q_OBJECT
private:
    QTemporaryDir folder{ TestEnv::home() + QStringLiteral("/safe-XXXXXX") };

    // Each way the program writes a whole file, on the core's objects.
    std::function<bool(const QString &)> writer(const QString &kind)
    {
        if (kind == QLatin1String("data file"))
            return [this](const QString &path) { return app->fileManager->writeDataFile(path, 0); };
        if (kind == QLatin1String("settings"))
            return [this](const QString &path) { return app->fileManager->writeSettings(path); };
        if (kind == QLatin1String("user store"))
            return [this](const QString &path) { return app->userAdmin->saveUsers(path); };
        if (kind == QLatin1String("text export"))
            return [](const QString &path) {
                return CFileManager::exportText(path, { QStringLiteral("01/04/2026 08:00:00") },
                                                { { QStringLiteral("5.0") } }, true, 1);
            };
        if (kind == QLatin1String("template"))
            return [](const QString &path) { return CFileManager::saveTemplate(path, trip(0)); };
        return [](const QString &path) { return CFileManager::writeBinaryFile(path, "\x01\x02\x03", 3); };
    }

    void addUsers(int count)
    {
        for (int i = 0; i < count; ++i) {
            UserRecord user;
            user.login = QStringLiteral("user%1").arg(i);
            user.firstName = QStringLiteral("First%1").arg(i);
            user.lastName = QStringLiteral("Last%1").arg(i);
            user.password = QStringLiteral("secret-%1").arg(i);
            user.employeeNumber = QString::number(i % 99 + 1);
            app->userAdmin->users.append(user);
        }
    }

private slots:
    void init()
    {
        renewCore();
        app->records.append(trip(3000));
        addUsers(3);
        app->settings.smtpSubject = QStringLiteral("Trip data");
    }
    void cleanup() { WholeFile::failNextForTests(Stage::None); }

    void aFailedWriteKeepsThePreviousFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("stage");
        for (const char *kind : { "data file", "settings", "user store", "text export", "template", "binary" }) {
            for (Stage stage : { Stage::Write, Stage::Flush, Stage::Sync, Stage::Commit })
                QTest::addRow("%s, stage %d", kind, int(stage)) << QString::fromLatin1(kind) << int(stage);
        }
    }
    void aFailedWriteKeepsThePreviousFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, stage);
        const QString path = folder.filePath(QStringLiteral("target"));
        QVERIFY(TestEnv::writeFile(path, "the good file"));
        const QStringList before = entriesOf(folder.path());

        WholeFile::failNextForTests(Stage(stage));
        QVERIFY(!writer(kind)(path));
        QCOMPARE(TestEnv::readFile(path), QByteArray("the good file"));
        QCOMPARE(entriesOf(folder.path()), before);   // no temporary left behind

        // the fault was for one write: the next one goes through whole
        QVERIFY(writer(kind)(path));
        QVERIFY(TestEnv::readFile(path) != "the good file");
        QCOMPARE(entriesOf(folder.path()), before);
    }

    // A save onto a pipe or a folder is refused, by either road, and they
    // stay what they were: a file renamed into place would take the place
    // of a pipe, or of a device such as /dev/null.
    void onlyAFileIsWrittenOver_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::addColumn<bool>("ownName");
        QTest::newRow("pipe") << true << false;
        QTest::newRow("pipe, a printer's file") << true << true;
        QTest::newRow("folder") << false << false;
    }
    void onlyAFileIsWrittenOver()
    {
        QFETCH(bool, pipe);
        QFETCH(bool, ownName);
        const QString path = folder.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
        QVERIFY(pipe ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 : QDir().mkdir(path));
        const QString temporary = WholeFile::temporaryPathFor(path);
        QVERIFY(!ownName || TestEnv::writeFile(temporary, "the report"));
        QString error;
        QVERIFY(ownName ? !WholeFile::replace(temporary, path, &error)
                        : !WholeFile::write(path, "the report", &error));
        QVERIFY2(error.contains(pipe ? QLatin1String("a pipe or a device") : QLatin1String("a folder")),
                 qPrintable(error));
        const QFileInfo after(path);
        QVERIFY(pipe ? !after.isFile() && !after.isDir() && after.exists() : after.isDir());
        QVERIFY(!QFileInfo::exists(temporary));
    }

    // A writer with a file name of its own (the printer) may fail before it
    // made any file: nothing then takes the target's place.
    void aReplacementNeverWrittenKeepsTheTarget()
    {
        const QString path = folder.filePath(QStringLiteral("report.pdf"));
        QVERIFY(TestEnv::writeFile(path, "the good file"));
        const QStringList before = entriesOf(folder.path());
        QString error;
        QVERIFY(!WholeFile::replace(folder.filePath(QStringLiteral(".report.pdf.part")), path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(TestEnv::readFile(path), QByteArray("the good file"));
        QCOMPARE(entriesOf(folder.path()), before);
    }

    void aRecordStaysUnsavedUntilItsFileIsWritten()
    {
        const QString path = folder.filePath(QStringLiteral("trip.qlf"));
        QString error;
        WholeFile::failNextForTests(Stage::Flush);
        QVERIFY(!app->fileManager->writeDataFile(path, 0, &error));
        QVERIFY(app->records.at(0).unsavedReadings);
        QVERIFY2(error.contains(QStringLiteral("trip.qlf")) && error.contains(QStringLiteral("No space")),
                 qPrintable(error));
        QVERIFY(!QFileInfo::exists(path));

        QVERIFY(app->fileManager->writeDataFile(path, 0, &error));
        QVERIFY(!app->records.at(0).unsavedReadings);
        LoggerRecord reread;
        QVERIFY2(CFileManager::readDataFile(path, reread, false, &error), qPrintable(error));
        QCOMPARE(reread.readings, app->records.at(0).readings);
    }

    // The disk that fills up: the write buffer hides the error from the
    // write call, and only the flush before the rename sees it.
    void aFullDiskNeverLeavesATruncatedDataFile()
    {
        SmallDisk disk(256 * 1024);
        REQUIRE_SMALL_DISK(disk)
        const QString good = disk.path(QStringLiteral("QV777_000.qlf"));
        app->records[0] = trip(10);
        QVERIFY(app->fileManager->writeDataFile(good, 0));
        const QByteArray goodBytes = TestEnv::readFile(good);

        app->records[0] = trip(6000);
        QVERIFY(disk.leaveFree(8 * 1024));
        const QString automatic = disk.path(QStringLiteral("QV777_001.qlf"));
        QString error;
        QVERIFY(!app->fileManager->writeDataFile(automatic, 0, &error));
        QVERIFY(!QFileInfo::exists(automatic));
        QVERIFY(app->records.at(0).unsavedReadings);
        QVERIFY(!error.isEmpty());

        // saving again over a good file leaves the good file
        QVERIFY(!app->fileManager->writeDataFile(good, 0));
        QCOMPARE(TestEnv::readFile(good), goodBytes);
        LoggerRecord reread;
        QVERIFY(CFileManager::readDataFile(good, reread, false, &error));
    }

    void aFullDiskKeepsTheUsersAndTheSettings()
    {
        SmallDisk disk(256 * 1024);
        REQUIRE_SMALL_DISK(disk)
        const QString store = disk.path(QStringLiteral(".ua.bin"));
        const QString settings = disk.path(QStringLiteral("xZdr.ini"));
        app->settings.smtpPassword = QStringLiteral("mail secret");
        QVERIFY(app->userAdmin->saveUsers(store));
        QVERIFY(app->fileManager->writeSettings(settings));
        const QByteArray storeBytes = TestEnv::readFile(store);
        const QByteArray settingsBytes = TestEnv::readFile(settings);
        const int storedUsers = app->userAdmin->users.size();

        addUsers(87);
        app->settings.smtpSubject = QString(3000, QLatin1Char('s'));
        QVERIFY(disk.leaveFree(0));
        QVERIFY(!app->userAdmin->saveUsers(store));
        QVERIFY(!app->fileManager->writeSettings(settings));
        QCOMPARE(TestEnv::readFile(store), storeBytes);
        QCOMPARE(TestEnv::readFile(settings), settingsBytes);

        // the store on the disk still loads, with everybody in it
        TestCore other;
        QVERIFY(other.app.userAdmin->loadUsers(store));
        QCOMPARE(other.app.userAdmin->users.size(), storedUsers);
        QVERIFY(other.app.fileManager->readSettings(settings));
        QCOMPARE(other.app.settings.smtpPassword, QStringLiteral("mail secret"));
    }

    void aReportIsWrittenWholeOrNotAtAll()
    {
        app->settings.defaultPath = folder.filePath(QStringLiteral("reports"));
        QVERIFY(QDir().mkpath(app->settings.defaultPath));
        const LoggerRecord record = reportedTrip(150);
        CPrint report(nullptr);

        const QString first = app->nextPdfFileName(record);
        WholeFile::failNextForTests(Stage::Sync);
        QVERIFY(!report.printPdf(first, record));
        QVERIFY2(report.errorText().contains(QFileInfo(first).fileName()), qPrintable(report.errorText()));
        QVERIFY(entriesOf(app->settings.defaultPath).isEmpty());
        // nothing left behind takes the counter of the next report
        QCOMPARE(app->nextPdfFileName(record), first);

        QVERIFY2(report.printPdf(first, record), qPrintable(report.errorText()));
        QCOMPARE(entriesOf(app->settings.defaultPath), QStringList{ QFileInfo(first).fileName() });
        const QByteArray info = TestEnv::programOutput(QStringLiteral("pdfinfo"), { first });
        QVERIFY2(QString::fromLatin1(info).contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\s"))),
                 info.constData());
    }

    // A report saved onto a pipe is refused as such: nothing went into it,
    // and the pipe stays.
    void aReportOntoAPipeIsNotWritten()
    {
        const QString path = folder.filePath(QStringLiteral("a-report-onto-a-pipe.pdf"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        CPrint report(nullptr);
        QVERIFY(!report.printPdf(path, reportedTrip(30)));
        QCOMPARE(report.errorText(), QStringLiteral("The file %1 cannot be written: it is a pipe or a device, not a file.")
                                         .arg(QDir::toNativeSeparators(path)));
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    }

    void aCutShortPdfIsNotComplete()
    {
        const QString good = folder.filePath(QStringLiteral("good.pdf"));
        CPrint report(nullptr);
        QVERIFY(report.printPdf(good, reportedTrip(120)));
        QVERIFY(CPrint::isCompletePdf(good));
        const QByteArray bytes = TestEnv::readFile(good);
        const QString cut = folder.filePath(QStringLiteral("cut.pdf"));
        const QList<QByteArray> damaged{
            bytes.left(bytes.size() / 2),
            bytes.left(bytes.size() - 12),
            // the end written after a hole: the table it names is not there
            bytes.left(bytes.size() / 3) + bytes.right(40),
            QByteArray(),
            "%%EOF\n",
            crossReferenceMovedBy(bytes, -1),
        };
        for (const QByteArray &damage : damaged) {
            QVERIFY(TestEnv::writeFile(cut, damage));
            QVERIFY2(!CPrint::isCompletePdf(cut), damage.right(40).constData());
        }
        QVERIFY(!CPrint::isCompletePdf(folder.filePath(QStringLiteral("none.pdf"))));
    }

    // The disk is asked for the reason a printer keeps to itself; what the
    // printer left under the name stays as it was, a file it never made is
    // not made by the asking, and no probe is left.
    void askingTheDiskWhyLeavesThePrintersFile()
    {
        SmallDisk disk(256 * 1024);
        REQUIRE_SMALL_DISK(disk)
        const QString printed = disk.path(QStringLiteral("report.pdf"));
        QVERIFY(TestEnv::writeFile(printed, QByteArray("%PDF-1.4 cut")));
        QVERIFY(disk.leaveFree(4 * 1024));
        const QStringList before = entriesOf(disk.path(QString()));
        const QString diskFull = QString::fromLocal8Bit(std::strerror(ENOSPC));
        QCOMPARE(WholeFile::refusalAt(printed), diskFull);
        QCOMPARE(WholeFile::refusalAt(disk.path(QStringLiteral("never.pdf"))), diskFull);
        QCOMPARE(TestEnv::readFile(printed), QByteArray("%PDF-1.4 cut"));
        QCOMPARE(entriesOf(disk.path(QString())), before);
    }

    // Every writer the user meets on a disk that is really full says why in
    // the system's words, after its own heading, names its file once, and
    // leaves nothing behind.
    void aFullDiskIsSaidInTheSystemsWords()
    {
        SmallDisk disk(512 * 1024);
        REQUIRE_SMALL_DISK(disk)
        WindowTest::Harness h;
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = disk.path(QString());
        LoggerRecord opened = reportedTrip(3000);
        opened.fromFile = true;
        opened.fileName = disk.path(QStringLiteral("QV777.qlf"));
        h.addAndSelect(opened);
        // written by its row, whose Save then writes it again without asking
        QVERIFY(h.window.app->fileManager->writeDataFile(opened.fileName, 0));
        // room for a part of each file: the disk takes a first write
        QVERIFY(disk.leaveFree(4 * 1024));
        const QStringList before = entriesOf(disk.path(QString()));

        h.ui->m_actionSave->trigger();
        for (const char *name : { "as.qlf", "as.txt", "as.csv", "as.pdf" }) {
            h.prompts.filesToChoose = QStringList{ disk.path(QString::fromLatin1(name)) };
            h.ui->m_actionSaveAs->trigger();
        }
        settings.autoSaveLogger = settings.autoGeneratePdf = true;
        settings.autoGenerateTxt = settings.autoGenerateCsv = true;
        LoggerRecord downloaded = reportedTrip(3000);
        downloaded.serialNumber = QStringLiteral("QV778");
        downloaded.ready = downloaded.autoDownloaded = downloaded.autoDownloadArrived = true;
        downloaded.autoDelay = 0;
        h.addAndSelect(downloaded);
        h.window.viewsDirty = false;
        h.window.Timer();

        QCOMPARE(h.prompts.boxes.size(), 9);
        const QString diskFull = QString::fromLocal8Bit(std::strerror(ENOSPC));
        QStringList unexplained;
        for (const PromptRecorder::Box &box : qAsConst(h.prompts.boxes))
            if (!box.text.startsWith(QStringLiteral("Warning!\n\n")) || !box.text.contains(diskFull)
                || box.text.count(disk.path(QString())) != 1)
                unexplained << box.text;

        // the pictures the e-mails attach
        QString graphError;
        const LoggerRecord &mailed = h.window.app->records.last();
        QVERIFY(h.window.exportSelectedFile(QStringLiteral("jpg"), disk.path(QString()), mailed, &graphError).isEmpty());
        QString windowError;
        QVERIFY(!h.window.saveWindowImage(disk.path(QStringLiteral("program.jpg")), &windowError));
        if (!graphError.startsWith(QStringLiteral("The picture of the graph could not be written to "))
            || !graphError.contains(diskFull))
            unexplained << graphError;
        if (windowError != diskFull)
            unexplained << windowError;
        QVERIFY2(unexplained.isEmpty(), qPrintable(unexplained.join(QStringLiteral("\n--\n"))));
        QCOMPARE(entriesOf(disk.path(QString())), before);
    }

    // A name where a link leading nowhere stands is no free name: the
    // automatic save passes over it and a save onto it is refused, so that
    // nothing is written where the link leads.
    void aLinkLeadingNowhereIsNoFreeName_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("the automatic save") << false;
        QTest::newRow("chosen in Save As") << true;
    }
    void aLinkLeadingNowhereIsNoFreeName()
    {
        QFETCH(bool, saveAs);
        QTemporaryDir base;
        const QString dir = base.filePath("data"), link = dir + "/QV777_0001_001.qlf";
        QVERIFY(QDir().mkpath(dir) && TestEnv::writeFile(dir + "/QV777_0001_000.qlf", "an earlier trip"));
        QVERIFY(QFile::link(base.filePath("QV777.qlf"), link));
        WindowTest::Harness h;
        h.window.app->settings.defaultPath = dir;
        h.window.app->settings.autoSaveLogger = !saveAs;
        LoggerRecord downloaded = trip(20);
        downloaded.tripNumber = 1;
        downloaded.dataLoaded = downloaded.autoDownloadArrived = true;
        h.addAndSelect(downloaded);
        h.window.viewsDirty = false;
        h.prompts.filesToChoose = QStringList{ link };
        saveAs ? h.ui->m_actionSaveAs->trigger() : h.window.Timer();

        QCOMPARE(h.records.at(0).fileName, saveAs ? QString() : dir + "/QV777_0001_002.qlf");
        QCOMPARE(h.prompts.boxes.size(), int(saveAs));
        QVERIFY(!saveAs || h.prompts.boxes.first().text.contains("is a link that leads nowhere"));
        QVERIFY(QFileInfo(link).isSymLink() && !QFileInfo::exists(base.filePath("QV777.qlf")));
    }

    // The printer empties the file it prints to before the report is in:
    // printed to a file on a full disk, from the print dialog or from the
    // preview's print button, the report must not take the user's earlier
    // file with it, nor fail unsaid.
    void aPrintToAFileThatFailsKeepsTheEarlierFile_data()
    {
        QTest::addColumn<bool>("fromPreview");
        QTest::newRow("print dialog") << false;
        QTest::newRow("preview") << true;
    }
    void aPrintToAFileThatFailsKeepsTheEarlierFile()
    {
        QFETCH(bool, fromPreview);
        SmallDisk disk(512 * 1024);
        REQUIRE_SMALL_DISK(disk)
        WindowTest::Harness h;
        h.addAndSelect(reportedTrip(3000));
        const QString printed = disk.path(QStringLiteral("printed.pdf"));
        const QByteArray earlier("%PDF-1.4 the earlier report");
        QVERIFY(TestEnv::writeFile(printed, earlier));
        QVERIFY(disk.leaveFree(4 * 1024));
        const QStringList before = entriesOf(disk.path(QString()));
        CPrompt::setDialogHandler([&printed](QDialog *dialog) {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
            QPrinter *printer = preview ? preview->printer() : static_cast<QPrintDialog *>(dialog)->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(printed);
            if (!preview)
                return int(QDialog::Accepted);
            emit preview->paintRequested(printer);
            return 0;
        });
        (fromPreview ? h.ui->m_actionPrintPreview : h.ui->m_actionPrintPrint)->trigger();
        CPrompt::setDialogHandler([](QDialog *) { return 0; });

        const QString said = QStringLiteral("could not be printed on %1.\n\n%2")
                                 .arg(QDir::toNativeSeparators(printed), QString::fromLocal8Bit(std::strerror(ENOSPC)));
        QCOMPARE(h.prompts.boxesContaining(said), 1);
        QCOMPARE(h.prompts.boxes.size(), 1);
        QCOMPARE(TestEnv::readFile(printed), earlier);
        QCOMPARE(entriesOf(disk.path(QString())), before);
    }

    // A writer killed on its way leaves its temporary; the next write of
    // the same file removes it, and only it.
    void aGoneWritersTemporaryIsRemovedByTheNextWrite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("report") << "QV777.pdf";
        QTest::newRow("data file") << "QV777.qlf";
    }
    void aGoneWritersTemporaryIsRemovedByTheNextWrite()
    {
        QFETCH(QString, name);
        const qint64 ended = endedProcessId();
        QVERIFY(ended > 0);
        QProcess running;
        running.start(QStringLiteral("sleep"), { QStringLiteral("120") });
        QVERIFY(running.waitForStarted(60000));
        const auto stop = qScopeGuard([&running] {
            running.kill();
            running.waitForFinished(60000);
        });

        const QDir dir(folder.filePath(QStringLiteral("leftovers-") + QFileInfo(name).suffix()));
        QVERIFY(dir.mkpath(QStringLiteral(".")));
        auto temporary = [&name](const QString &pid) { return QStringLiteral(".%1.%2.part").arg(name, pid); };
        const QString abandoned = temporary(QString::number(ended));
        const QStringList kept{
            temporary(QString::number(running.processId())),
            temporary(QLatin1Char('0') + QString::number(ended)),
            temporary(QString::number(ended) + QLatin1Char('x')),
            temporary(QString::number(ended)) + QStringLiteral(".bak"),
            temporary(QString::number(ended)).mid(1),
            QStringLiteral(".other.pdf.%1.part").arg(ended),
        };
        const QStringList planted = kept + QStringList{ abandoned };
        for (const QString &entry : planted)
            QVERIFY(TestEnv::writeFile(dir.filePath(entry), "%PDF-1.4 half"));

        const QString path = dir.filePath(name);
        if (name.endsWith(QLatin1String(".pdf"))) {
            CPrint report(nullptr);
            QVERIFY2(report.printPdf(path, reportedTrip(10)), qPrintable(report.errorText()));
        } else {
            QVERIFY(app->fileManager->writeDataFile(path, 0));
        }
        QStringList expected = kept + QStringList{ name };
        expected.sort();
        QCOMPARE(entriesOf(dir.path()), expected);
    }

    void theDataFolderIsCreatedWhenItIsSet()
    {
        WindowTest::Harness h;
        const QString folder = h.homePath(QStringLiteral("new/trips/2026"));
        QVERIFY(setDefaultPath(h, folder));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(h.window.app->settings.defaultPath, folder);
        QVERIFY(h.prompts.boxes.isEmpty());
        QCOMPARE(entriesOf(folder), QStringList());   // the write test leaves nothing
    }

    void aDataFolderThatCannotBeUsedIsRefused_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("below a plain file") << "file";
        QTest::newRow("on a read-only disk") << "read-only";
        QTest::newRow("existing, on a read-only disk") << "existing";
    }
    void aDataFolderThatCannotBeUsedIsRefused()
    {
        QFETCH(QString, where);
        WindowTest::Harness h;
        const QString kept = h.homePath(QStringLiteral("kept"));
        QVERIFY(setDefaultPath(h, kept));
        const QByteArray settingsBefore = TestEnv::readFile(h.window.app->settingsFilePath());

        SmallDisk readOnly(64 * 1024, true);
        QString folder = h.homePath(QStringLiteral("plain.txt/trips"));
        if (where == QLatin1String("file")) {
            QVERIFY(TestEnv::writeFile(h.homePath(QStringLiteral("plain.txt")), "not a folder"));
        } else {
            REQUIRE_SMALL_DISK(readOnly)
            // the disk's root exists: only the write test can refuse it
            folder = readOnly.path(where == QLatin1String("existing") ? QString() : QStringLiteral("trips"));
        }
        QVERIFY(!setDefaultPath(h, folder));
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY2(h.prompts.boxes.first().text.contains(QStringLiteral("cannot be used")),
                 qPrintable(h.prompts.boxes.first().text));
        QCOMPARE(h.window.app->settings.defaultPath, kept);
        QCOMPARE(TestEnv::readFile(h.window.app->settingsFilePath()), settingsBefore);
    }

    // The core tells the window, which shows the box; the core shows none.
    void theCoreReportsAFailedStoreThroughTheWindow()
    {
        RecordingCore recording;
        CMainApp &core = recording.app;
        core.settings.defaultPath = folder.filePath(QStringLiteral("missing"));
        core.records.append(app->records.at(0));
        core.records[0].eepromReadState = 1;
        core.records[0].eepromImage = QByteArray(MemoryMap::ImageSize, '\x5A');
        QVERIFY(!core.storeEepromImage(0));
        QCOMPARE(core.records.at(0).eepromReadState, 0);
        QCOMPARE(recording.window.warnings.size(), 1);
        QVERIFY(recording.window.warnings.first().contains(QStringLiteral("missing/eeprom.bin")));

        WindowTest::Harness h;
        h.window.app->settings.defaultPath = folder.filePath(QStringLiteral("missing"));
        h.addAndSelect(app->records.at(0));
        h.records[0].eepromReadState = 1;
        h.window.Timer();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QCOMPARE(h.prompts.boxes.first().kind, CPrompt::Warning);
        QVERIFY(h.prompts.boxes.first().text.contains(QStringLiteral("eeprom.bin")));
    }

    // The box of a failed store names the file and the system's reason, and
    // an earlier image stays as it was.
    void aFailedStoreSaysWhereAndWhy()
    {
        RecordingCore recording;
        CMainApp &core = recording.app;
        core.settings.defaultPath = folder.path();
        const QString image = folder.filePath(QStringLiteral("eeprom.bin"));
        QVERIFY(TestEnv::writeFile(image, "earlier image"));
        core.records.append(app->records.at(0));
        core.records[0].eepromReadState = 1;
        core.records[0].eepromImage = QByteArray(MemoryMap::ImageSize, '\x5A');
        WholeFile::failNextForTests(Stage::Sync);
        QVERIFY(!core.storeEepromImage(0));
        QCOMPARE(recording.window.warnings.size(), 1);
        const QString text = recording.window.warnings.first();
        QVERIFY2(text.startsWith(QStringLiteral("Warning!\n\n") + image + QStringLiteral("\ncould not be written.\n\n"))
                     && text.contains(QStringLiteral("No space left on device")),
                 qPrintable(text));
        QCOMPARE(TestEnv::readFile(image), QByteArray("earlier image"));
    }

    void aGraphPictureIsWrittenWholeOrNotAtAll()
    {
        WindowTest::Harness h;
        const QString picture = folder.filePath(QStringLiteral("graph.jpg"));
        WholeFile::failNextForTests(Stage::Write);
        QVERIFY(!h.window.saveWindowImage(picture));
        QVERIFY(!QFileInfo::exists(picture));
        QVERIFY(h.window.saveWindowImage(picture));
        QCOMPARE(QImage(picture).size(), h.window.grab().size());
    }

    void aGraphExportThatFailsKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("pdf") << "graph.pdf";
        QTest::newRow("svg") << "graph.svg";
        QTest::newRow("png") << "graph.png";
    }
    void aGraphExportThatFailsKeepsTheEarlierFile()
    {
        QFETCH(QString, name);
        PromptRecorder prompts;
        app->selection = { 0 };
        CPlot plot;
        plot.setData(app, 0);
        plot.setupPlot();
        const QString path = folder.filePath(name);
        QVERIFY(plot.exportDocument(path));
        const QByteArray good = TestEnv::readFile(path);
        const QStringList before = entriesOf(folder.path());

        for (Stage stage : { Stage::Write, Stage::Sync, Stage::Commit }) {
            WholeFile::failNextForTests(stage);
            QVERIFY(!plot.exportDocument(path));
            QCOMPARE(TestEnv::readFile(path), good);
            QCOMPARE(entriesOf(folder.path()), before);
        }
        QCOMPARE(prompts.boxes.size(), 3);
        for (const PromptRecorder::Box &box : qAsConst(prompts.boxes)) {
            QCOMPARE(box.kind, CPrompt::Warning);
            QVERIFY2(box.text.contains(path) && box.text.contains(QStringLiteral("No space left on device")),
                     qPrintable(box.text));
        }

        // a full disk: the earlier export stays whole and readable
        SmallDisk disk(256 * 1024);
        REQUIRE_SMALL_DISK(disk)
        const QString onDisk = disk.path(name);
        QVERIFY(TestEnv::writeFile(onDisk, good));
        QVERIFY(disk.leaveFree(0));
        QVERIFY(!plot.exportDocument(onDisk));
        QCOMPARE(TestEnv::readFile(onDisk), good);
        QCOMPARE(prompts.boxes.size(), 4);
    }

    // The administrator hears why a backup or a restore failed, after the
    // words the boxes always had.
    void aFailedBackupOrRestoreSaysWhy()
    {
        const auto restore = qScopeGuard([] { WindowTest::setUserAdministration(false); });
        WindowTest::setUserAdministration(true);
        QDir(UserStoreFile::userDir()).removeRecursively();
        const quint16 admin = UserRecord::RightAdmin | UserRecord::UnlockAdmin;
        UserStoreFile::write({ UserStoreFile::user("admin", "Adm1npass", "1", admin),
                               UserStoreFile::user("boss", "Boss1pass", "2", admin) });
        PromptRecorder prompts;
        prompts.logins = { { "boss", "Boss1pass" } };
        MainWindow window;
        QCOMPARE(window.app->userAdmin->currentUserLogin(), QStringLiteral("boss"));
        const QString backup = folder.filePath(QStringLiteral("backup"));
        QVERIFY(QDir().mkpath(backup));
        const QByteArray store = TestEnv::readFile(UserStoreFile::path());

        prompts.filesToChoose = QStringList{ backup };
        WholeFile::failNextForTests(Stage::Flush, 1, 1);
        window.ui->m_actionBackup->trigger();
        prompts.filesToChoose = QStringList{ backup };
        window.ui->m_actionRestore->trigger();

        QCOMPARE(prompts.boxes.size(), 2);
        QVERIFY2(prompts.boxes.at(0).text.startsWith(QStringLiteral("Backup Failed.\nError\n\n"))
                     && prompts.boxes.at(0).text.contains(QStringLiteral("No space left on device")),
                 qPrintable(prompts.boxes.at(0).text));
        QVERIFY2(prompts.boxes.at(1).text.startsWith(QStringLiteral("Restore Failed.\nError\n\n"))
                     && prompts.boxes.at(1).text.contains(QDir::toNativeSeparators(backup)),
                 qPrintable(prompts.boxes.at(1).text));
        QVERIFY(!QFileInfo::exists(QDir(backup).filePath(QStringLiteral("check.txt"))));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), store);
    }

    void aBackupOnAFullDiskIsReported()
    {
        SmallDisk disk(64 * 1024);
        REQUIRE_SMALL_DISK(disk)
        QVERIFY(app->userAdmin->saveUsers(app->userAdmin->storePath));
        QVERIFY(disk.leaveFree(0));
        QString error;
        QVERIFY(!app->userAdmin->backup(disk.path(QString()), &error));
        QVERIFY2(!error.isEmpty(), "no reason given");
        QVERIFY(!QFileInfo::exists(disk.path(QStringLiteral("check.txt"))));
        QVERIFY(!app->userAdmin->verifyBackup(disk.path(QString())));
    }

    // The build's page generator writes as the program does: a disk that
    // fills up stops the build instead of embedding a cut page.
    void theHelpPagesAreNeverCutShort()
    {
        SmallDisk disk(256 * 1024);
        REQUIRE_SMALL_DISK(disk)
        QVERIFY(disk.leaveFree(40 * 1024));
        QProcess generator;
        generator.start(TestEnv::binaryDir() + QStringLiteral("/tools/helppages/helppages"),
                        { TestEnv::sourceDir() + QStringLiteral("/../resources/help/helptopics.tsv"),
                          disk.path(QStringLiteral("help")) });
        QVERIFY(generator.waitForFinished(60000));
        QVERIFY(generator.exitCode() != 0);
        QVERIFY(generator.readAllStandardError().contains("cannot write"));
        const QDir pages(disk.path(QStringLiteral("help/html")));
        const QStringList written = pages.entryList(QDir::Files | QDir::Hidden);
        for (const QString &page : written)
            QVERIFY2(TestEnv::readFile(pages.filePath(page)).endsWith("</html>\n"), qPrintable(page));
    }
};

MIRELDA_TEST_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
