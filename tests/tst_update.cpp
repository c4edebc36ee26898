#include <QListWidget>
#include <QMessageBox>
#include <QTcpServer>

#include "core/appinfo.h"
#include "dialogs/cupdate.h"
#include "files/wholefile.h"
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_cupdate.h"

namespace {

const int kWaitMs = 20000;

QByteArray installIni(const QByteArray &version, const QByteArray &name = "Mirelda")
{
    return "[MAIN]\r\nNAME=" + name + "\r\nVERSION=" + version + "\r\n";
}

QStringList listed(const CUpdate *update)
{
    QStringList lines;
    for (int i = 0; i < update->ui->m_listWidgetInfo->count(); ++i)
        lines << update->ui->m_listWidgetInfo->item(i)->text();
    return lines;
}

// The check a main window made, not the one given.
CUpdate *windowCheck(const CUpdate *other)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *update = qobject_cast<CUpdate *>(widget))
            if (update != other)
                return update;
    return nullptr;
}

// A shown update check against an FTP account "upgrade" on loopback (the
// mail tests' script runner starts and stops the server). Questions are
// answered from replies in turn, Cancel once they run out.
struct Check
{
    QTemporaryDir root;
    MailTestServer server;
    QWidget owner;
    CUpdate update{ &owner };
    QStringList asked;
    QList<int> replies;

    Check() { owner.show(); }
    ~Check() { CPrompt::setDialogHandler(nullptr); }
    bool serve(const QByteArray &ini, const QString &password = "5Pemberlocksy71",
               const QStringList &options = {})
    {
        return QDir(root.path()).mkpath("Mirelda") && (ini.isEmpty() || put("install.ini", ini))
               && server.start("ftp_server.py", QStringList{ "--root", root.path(), "--password", password } + options);
    }
    bool put(const QString &name, const QByteArray &bytes)
    {
        return TestEnv::writeFile(root.path() + "/Mirelda/" + name, bytes);
    }
    void run(int port)
    {
        CPrompt::setDialogHandler([this](QDialog *dialog) {
            asked << qobject_cast<QMessageBox *>(dialog)->text();
            return replies.isEmpty() ? int(QMessageBox::Cancel) : replies.takeFirst();
        });
        CFtpClient::Server address;
        address.host = "127.0.0.1";
        address.port = port;
        address.connectTimeoutMs = 2000;
        address.stallTimeoutMs = 3000;
        update.setServer(address);
        update.show();
        update.setFolder(AppInfo::productTitle(), AppInfo::version(), AppInfo::buildDate());
    }
};

// The window's own check, hidden at start, against the server of check: the
// update question is answered OK, the window's boxes by prompts.
struct UpdatingWindow
{
    EnvGuard server;
    PromptRecorder prompts;
    std::unique_ptr<MainWindow> window;

    explicit UpdatingWindow(Check &check)
        : server("MIRELDA_UPDATE_SERVER", "127.0.0.1:" + QByteArray::number(check.server.port()))
    {
        CPrompt::setDialogHandler([](QDialog *) { return int(QMessageBox::Ok); });
        window = std::make_unique<MainWindow>();
        window->show();
    }
};

}

class TestUpdate : public QObject
{
    Q_OBJECT
private slots:
    void installIniDecidesWhetherAnUpdateIsOffered_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("offered");
        QTest::newRow("same version") << installIni("1.16.34") << false;
        QTest::newRow("older version") << installIni("1.15.0") << false;
        QTest::newRow("below by number, above as text") << installIni("1.16.4") << false;
        QTest::newRow("above by number, below as text") << installIni("1.100") << true;
        QTest::newRow("not numbers") << installIni("1.17.0-beta") << false;
        QTest::newRow("another product") << installIni("2.0.0", "Other") << false;
        QTest::newRow("blank before =") << QByteArray("[MAIN]\nVERSION =2.0\n") << false;
        QTest::newRow("version before [MAIN]")
            << QByteArray("VERSION=2.0\n[MAIN]\nVERSION=1.16.34\n") << false;
        QTest::newRow("keys without =") << QByteArray("[MAIN]\nNAME\nVERSION\n") << false;
    }
    void installIniDecidesWhetherAnUpdateIsOffered()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("install.ini");
        QVERIFY(TestEnv::writeFile(path, content));
        QTEST(CUpdate::readInstallIni(path, "Mirelda", "1.16.34"), "offered");
    }

    // The updater is a script that records how it was started.
    void acceptedUpdateFetchesAndStartsTheUpdater()
    {
        Check check;
        QTemporaryDir out;
        const QByteArray record = out.filePath("started.txt").toUtf8();
        const QByteArray updater = "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + record
                                   + ".part' && mv '" + record + ".part' '" + record + "'\n";
        QVERIFY(check.serve(installIni("1.17.0")) && check.put("Upgrade.exe", updater));
        check.replies = { QMessageBox::Ok };
        check.run(check.server.port());

        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), kWaitMs);
        QCOMPARE(check.asked, QStringList({ "New update available." }));
        const QStringList started = QString::fromUtf8(TestEnv::readFile(record)).split('\n');
        QCOMPARE(started.mid(1, 2),
                 QStringList({ QCoreApplication::applicationDirPath() + "/Mirelda", "1.16.34" }));
        const QString fetched = started.at(0);
        QVERIFY2(fetched.startsWith(QDir::tempPath() + "/Mirelda-update-"), qPrintable(fetched));
        QCOMPARE(TestEnv::readFile(fetched), updater);
        QDir(QFileInfo(fetched).path()).removeRecursively();

        QTRY_VERIFY(!check.owner.isVisible());
        QCOMPARE(listed(&check.update).mid(2),
                 QStringList({ "New update available...", "Get Upgrade.exe",
                               "Close Application...", "Start Upgrade Process..." }));
    }

    // Declined, the update gives way to the configuration file's refresh.
    void declinedUpdateRefreshesTheConfigurationFile()
    {
        Check check;
        QVERIFY(check.serve(installIni("1.17.0")) && check.put("site.ini", "KEY=new\r\n"));
        QTemporaryDir local;
        QVERIFY(TestEnv::writeFile(local.filePath("site.ini"), "KEY=old\r\n"));
        check.update.setConfigFile(local.path(), "site.ini");
        check.replies = { QMessageBox::Cancel, QMessageBox::Ok };
        check.run(check.server.port());

        QTRY_COMPARE_WITH_TIMEOUT(check.update.state, int(CUpdate::Done), kWaitMs);
        QCOMPARE(check.asked, QStringList({ "New update available.", "New configuration file available." }));
        QCOMPARE(TestEnv::readFile(local.filePath("site.ini")), QByteArray("KEY=new\r\n"));
        QVERIFY(!QFileInfo::exists(local.filePath("temp.ini")));
    }

    void failedStepsSayDownloadError_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("wrong password") << "password";
        QTest::newRow("missing install.ini") << "missing";
        QTest::newRow("silent server") << "silent";
        QTest::newRow("no server") << "none";
        QTest::newRow("a disk that cannot take the download") << "disk";
    }
    void failedStepsSayDownloadError()
    {
        QFETCH(QString, failure);
        Check check;
        QTcpServer silent;   // takes connections and never says a word
        if (failure == "silent" || failure == "none") {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            const quint16 port = silent.serverPort();
            if (failure == "none")
                silent.close();
            check.run(port);
        } else {
            if (failure == "disk")
                WholeFile::failNextForTests(WholeFile::Stage::Flush);
            QVERIFY(check.serve(failure == "missing" ? QByteArray() : installIni("1.17.0"),
                                failure == "password" ? "another" : "5Pemberlocksy71"));
            check.run(check.server.port());
        }
        QTRY_COMPARE_WITH_TIMEOUT(listed(&check.update).value(listed(&check.update).size() - 1),
                                  QStringLiteral("Download Error..."), kWaitMs);
        QCOMPARE(check.update.state, int(CUpdate::Idle));
        QVERIFY(check.update.isVisible());   // stays for the user to read
        if (failure == "disk") {
            QVERIFY(listed(&check.update).contains(QStringLiteral("No space left on device")));
            QVERIFY(check.asked.isEmpty());   // nothing was offered from a file never written
        }
    }

    // An "install.ini" of a megabyte is no "install.ini": the fetch stops
    // past a few kilobytes, also when the server never says the size, and
    // nothing of it is read.
    void oversizedInstallIniIsRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("size announced") << QStringList();
        QTest::newRow("size not announced") << QStringList{ "--hide-sizes" };
    }
    void oversizedInstallIniIsRefused()
    {
        QFETCH(QStringList, options);
        Check check;
        const QByteArray ini = installIni("1.17.0") + QByteArray(1 << 20, ';');
        QVERIFY(check.serve(ini, "5Pemberlocksy71", options));
        check.run(check.server.port());
        QTRY_COMPARE_WITH_TIMEOUT(listed(&check.update),
                                  QStringList({ "Connect to server...", "Get install.ini", "Download Error..." }), kWaitMs);
        QCOMPARE(check.asked, QStringList());
        QCOMPARE(check.update.state, int(CUpdate::Idle));
    }

    // Accepted, the update first closes the window through its usual
    // questions: Cancel at the offer of a trip never saved keeps the window
    // and starts nothing; the updater runs once the window has closed.
    void acceptedUpdateRunsOnlyOnceTheWindowHasClosed()
    {
        Check check;
        QTemporaryDir out;
        const QString mark = out.filePath("ran.txt");
        const QByteArray updater = "#!/bin/sh\necho ran >> '" + mark.toUtf8() + "'\n";   // a line each run
        QVERIFY(check.serve(installIni("1.17.0")) && check.put("Upgrade.exe", updater));
        UpdatingWindow w(check);
        LoggerRecord unsaved = WindowTest::fileRecord(QString(), "U1");
        unsaved.unsavedReadings = true;
        w.window->app->records << unsaved;
        w.window->fillLoggerTable(true);
        w.prompts.answer = QMessageBox::Cancel;

        QTRY_COMPARE_WITH_TIMEOUT(w.prompts.boxes.size(), 1, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(windowCheck(nullptr)->state, int(CUpdate::Idle), kWaitMs);
        QVERIFY(w.window->isVisible());
        QVERIFY(!QFileInfo::exists(mark));

        w.prompts.answer = QMessageBox::No;   // closed without saving it
        w.window->ui->m_actionCheckForUpdate->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isVisible(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(mark), kWaitMs);
        QCOMPARE(w.prompts.boxes.size(), 2);
        QCOMPARE(TestEnv::readFile(mark), QByteArray("ran\n"));
    }

    // The update accepted at start, what fails then is told in a box, not
    // only in the list nobody sees.
    void failureAfterTheUpdateWasAcceptedIsTold_data()
    {
        QTest::addColumn<QByteArray>("updater");   // none on the server when empty
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("windowStays");
        QTest::newRow("no updater on the server")
            << QByteArray() << "The update could not be downloaded from 127.0.0.1." << true;
        QTest::newRow("an updater that cannot start")
            << QByteArray("not a program\n") << "The updater " + QDir::tempPath() + "/Mirelda-update-" << false;
    }
    void failureAfterTheUpdateWasAcceptedIsTold()
    {
        QFETCH(QByteArray, updater);
        QFETCH(QString, told);
        QFETCH(bool, windowStays);
        Check check;
        QVERIFY(check.serve(installIni("1.17.0")) && (updater.isEmpty() || check.put("Upgrade.exe", updater)));
        UpdatingWindow w(check);
        QTRY_COMPARE_WITH_TIMEOUT(w.prompts.boxes.size(), 1, kWaitMs);
        QCOMPARE(w.prompts.boxes.first().kind, CPrompt::Warning);
        QVERIFY2(w.prompts.boxes.first().text.startsWith(told), qPrintable(w.prompts.boxes.first().text));
        QCOMPARE(w.window->isVisible(), windowStays);
    }

    // At start the check runs unseen; the menu action shows its steps, asks
    // nothing when up to date (an older release on the server), and closes
    // itself.
    void windowChecksHiddenAtStartAndShownFromTheMenu()
    {
        Check check;
        QVERIFY(check.serve(installIni("1.16.33")));
        EnvGuard server("MIRELDA_UPDATE_SERVER", "127.0.0.1:" + QByteArray::number(check.server.port()));
        auto windowCheck = [&check]() { return ::windowCheck(&check.update); };
        {
            PromptRecorder prompts;
            int asked = 0;
            CPrompt::setDialogHandler([&asked](QDialog *) { return ++asked, 0; });
            MainWindow window;
            CUpdate *atStart = windowCheck();
            QVERIFY(atStart);
            QTRY_COMPARE_WITH_TIMEOUT(atStart->state, int(CUpdate::Done), kWaitMs);
            QVERIFY(!atStart->isVisible());
            QVERIFY(prompts.boxes.isEmpty());

            window.ui->m_actionCheckForUpdate->trigger();
            QVERIFY(windowCheck() && windowCheck()->isVisible());
            QTRY_COMPARE_WITH_TIMEOUT(listed(windowCheck()),
                                      QStringList({ "Connect to server...", "Get install.ini", "Up to Date..." }), kWaitMs);
            QTRY_VERIFY(!windowCheck()->isVisible());
            QCOMPARE(asked, 0);
        }
        QVERIFY(!windowCheck());
    }
};

MIRELDA_TEST_MAIN(TestUpdate)
#include "tst_update.moc"
