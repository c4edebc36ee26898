#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "core/appinfo.h"
#include "dialogs/cprompt.h"
#include "dialogs/cupdate.h"
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_cupdate.h"

namespace {

const char kPassword[] = "5Pemberlocksy71";
const int kWaitMs = 20000;

QByteArray installIni(const QByteArray &version, const QByteArray &name = "Mirelda")
{
    return "[MAIN]\r\nNAME=" + name + "\r\nVERSION=" + version + "\r\n";
}

QStringList listed(const CUpdate &update)
{
    QStringList lines;
    for (int i = 0; i < update.ui->m_listWidgetInfo->count(); ++i)
        lines << update.ui->m_listWidgetInfo->item(i)->text();
    return lines;
}

// An FTP account "upgrade" on loopback whose product folder holds files.
// The generic script runner of the mail tests starts and stops the server.
struct UpdateServer
{
    QTemporaryDir root;
    MailTestServer process;

    bool start(const QString &password = QString::fromLatin1(kPassword))
    {
        return QDir(root.path()).mkpath(QStringLiteral("Mirelda"))
               && process.start(QStringLiteral("ftp_server.py"),
                                { QStringLiteral("--root"), root.path(),
                                  QStringLiteral("--password"), password });
    }
    bool put(const QString &name, const QByteArray &bytes)
    {
        return TestEnv::writeFile(root.path() + QStringLiteral("/Mirelda/") + name, bytes);
    }
    CFtpClient::Server address() const
    {
        CFtpClient::Server server;
        server.host = QStringLiteral("127.0.0.1");
        server.port = process.port();
        server.connectTimeoutMs = 2000;
        server.stallTimeoutMs = 3000;
        return server;
    }
};

// Answers the update and configuration questions and remembers them.
struct Answers
{
    QStringList asked;
    int reply = QMessageBox::Cancel;
    Answers()
    {
        CPrompt::setDialogHandler([this](QDialog *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            asked << (box ? box->text() + QLatin1Char('|') + box->informativeText() : QString());
            return reply;
        });
    }
    ~Answers() { CPrompt::setDialogHandler(nullptr); }
};

void run(CUpdate &update, const CFtpClient::Server &server)
{
    update.setServer(server);
    update.show();
    update.setFolder(AppInfo::productTitle(), AppInfo::version(), AppInfo::buildDate());
}

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
        QTest::newRow("newer version") << installIni("1.16.35") << true;
        QTest::newRow("older version") << installIni("1.15.0") << true;
        QTest::newRow("another product") << installIni("2.0.0", "Other") << false;
        QTest::newRow("blank before =") << QByteArray("[MAIN]\nVERSION =2.0\n") << false;
        QTest::newRow("no [MAIN]") << QByteArray("VERSION=2.0\n") << false;
        QTest::newRow("version before [MAIN]")
            << QByteArray("VERSION=2.0\n[MAIN]\nVERSION=1.16.34\n") << false;
        QTest::newRow("keys without =") << QByteArray("[MAIN]\nNAME\nVERSION\n") << false;
        QTest::newRow("name without = then version")
            << QByteArray("[MAIN]\nNAME\nVERSION=2.0\n") << true;
    }
    void installIniDecidesWhetherAnUpdateIsOffered()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, offered);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("install.ini"));
        QVERIFY(TestEnv::writeFile(path, content));
        QCOMPARE(CUpdate::readInstallIni(path, QStringLiteral("Mirelda"), QStringLiteral("1.16.34")),
                 offered);
        QVERIFY(!CUpdate::readInstallIni(dir.filePath(QStringLiteral("missing.ini")),
                                         QStringLiteral("Mirelda"), QStringLiteral("1.16.34")));
    }

    void upToDateRunListsItsStepsAndCloses()
    {
        UpdateServer server;
        QVERIFY(server.start());
        QVERIFY(server.put(QStringLiteral("install.ini"), installIni("1.16.34")));
        Answers answers;
        QWidget owner;
        owner.show();
        CUpdate update(&owner);
        run(update, server.address());

        QTRY_COMPARE_WITH_TIMEOUT(update.state, int(CUpdate::Done), kWaitMs);
        QCOMPARE(listed(update), QStringList({ "Connect to server...", "Get install.ini", "Up to Date..." }));
        QTRY_VERIFY(!update.isVisible());
        QVERIFY(answers.asked.isEmpty());
        QVERIFY(owner.isVisible());
    }

    // The updater is a script that records how it was started.
    void acceptedUpdateFetchesAndStartsTheUpdater()
    {
        UpdateServer server;
        QVERIFY(server.start());
        QTemporaryDir out;
        const QString record = out.filePath(QStringLiteral("started.txt"));
        const QByteArray updater = "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + record.toUtf8()
                                   + ".part' && mv '" + record.toUtf8() + ".part' '"
                                   + record.toUtf8() + "'\n";
        QVERIFY(server.put(QStringLiteral("install.ini"), installIni("1.17.0")));
        QVERIFY(server.put(QStringLiteral("Upgrade.exe"), updater));
        Answers answers;
        answers.reply = QMessageBox::Ok;
        QWidget owner;
        owner.show();
        CUpdate update(&owner);
        run(update, server.address());

        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), kWaitMs);
        QCOMPARE(answers.asked,
                 QStringList({ "New update available.|Do you want to start upgrade?" }));
        const QStringList started = QString::fromUtf8(TestEnv::readFile(record)).split('\n');
        QCOMPARE(started.mid(1, 2),
                 QStringList({ QCoreApplication::applicationDirPath() + "/Mirelda", "1.16.34" }));
        const QString fetched = started.at(0);
        QVERIFY2(fetched.startsWith(QDir::tempPath() + "/Mirelda-update-"), qPrintable(fetched));
        QCOMPARE(TestEnv::readFile(fetched), updater);
        QDir(QFileInfo(fetched).path()).removeRecursively();

        QTRY_VERIFY(!owner.isVisible());
        QCOMPARE(listed(update).mid(2),
                 QStringList({ "New update available...", "Get Upgrade.exe",
                               "Start Upgrade Process...", "Close Application..." }));
    }

    void declinedUpdateRefreshesTheConfigurationFile()
    {
        UpdateServer server;
        QVERIFY(server.start());
        QVERIFY(server.put(QStringLiteral("install.ini"), installIni("1.17.0")));
        QVERIFY(server.put(QStringLiteral("site.ini"), "[SETTINGS]\r\nKEY=new\r\n"));
        QTemporaryDir local;
        const QString config = local.filePath(QStringLiteral("site.ini"));
        QVERIFY(TestEnv::writeFile(config, "[SETTINGS]\r\nKEY=old\r\n"));
        Answers answers;
        answers.reply = QMessageBox::Cancel;
        QWidget owner;
        CUpdate update(&owner);
        update.setConfigFile(local.path(), QStringLiteral("site.ini"));
        // the update is declined, the configuration question then accepted
        CPrompt::setDialogHandler([&answers](QDialog *dialog) {
            answers.asked << qobject_cast<QMessageBox *>(dialog)->text();
            return answers.asked.size() == 1 ? QMessageBox::Cancel : QMessageBox::Ok;
        });
        run(update, server.address());

        QTRY_COMPARE_WITH_TIMEOUT(update.state, int(CUpdate::Done), kWaitMs);
        QCOMPARE(answers.asked, QStringList({ "New update available.",
                                              "New configuration file available." }));
        QCOMPARE(TestEnv::readFile(config), QByteArray("[SETTINGS]\r\nKEY=new\r\n"));
        QVERIFY(!QFileInfo::exists(local.filePath(QStringLiteral("temp.ini"))));
        QVERIFY(!listed(update).contains("Get Upgrade.exe"));
    }

    void failedStepsSayDownloadError_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("wrong password") << "password";
        QTest::newRow("missing install.ini") << "missing";
        QTest::newRow("silent server") << "silent";
        QTest::newRow("no server") << "none";
    }
    void failedStepsSayDownloadError()
    {
        QFETCH(QString, failure);
        UpdateServer server;
        QTcpServer silent;   // accepts connections and never says a word
        CFtpClient::Server address;
        if (failure == "silent" || failure == "none") {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            address = server.address();
            address.port = silent.serverPort();
            if (failure == "none")
                silent.close();
        } else {
            QVERIFY(server.start(failure == "password" ? "another" : kPassword));
            if (failure != "missing")
                QVERIFY(server.put(QStringLiteral("install.ini"), installIni("1.17.0")));
            address = server.address();
        }
        Answers answers;
        QWidget owner;
        CUpdate update(&owner);
        run(update, address);

        QTRY_COMPARE_WITH_TIMEOUT(listed(update).value(listed(update).size() - 1),
                                  QStringLiteral("Download Error..."), kWaitMs);
        QCOMPARE(update.state, int(CUpdate::Idle));
        QVERIFY(update.isVisible());   // stays for the user to read
        QVERIFY(answers.asked.isEmpty());
    }

    // At start the check runs unseen; the menu action shows its progress.
    void windowChecksHiddenAtStartAndShownFromTheMenu()
    {
        UpdateServer server;
        QVERIFY(server.start());
        QVERIFY(server.put(QStringLiteral("install.ini"), installIni("1.16.34")));
        const QByteArray previous = qgetenv("MIRELDA_UPDATE_SERVER");
        qputenv("MIRELDA_UPDATE_SERVER", "127.0.0.1:" + QByteArray::number(server.process.port()));
        auto checks = [] {
            QList<CUpdate *> found;
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *update = qobject_cast<CUpdate *>(widget))
                    found << update;
            return found;
        };
        {
            PromptRecorder prompts;
            MainWindow window;
            QCOMPARE(checks().size(), 1);
            CUpdate *atStart = checks().at(0);
            QTRY_COMPARE_WITH_TIMEOUT(atStart->state, int(CUpdate::Done), kWaitMs);
            QVERIFY(!atStart->isVisible());
            QVERIFY(prompts.boxes.isEmpty());

            window.ui->m_actionCheckForUpdate->trigger();
            QCOMPARE(checks().size(), 1);
            CUpdate *fromMenu = checks().at(0);
            QVERIFY(fromMenu->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(listed(*fromMenu).contains("Up to Date..."), kWaitMs);
        }
        QVERIFY(checks().isEmpty());
        qputenv("MIRELDA_UPDATE_SERVER", previous);
    }
};

MIRELDA_TEST_MAIN(TestUpdate)
#include "tst_update.moc"
