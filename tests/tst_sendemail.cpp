// The e-mail of a record through a real SMTP server on loopback: what the
// mask selects arrives under the record's name with the bytes of the
// exports, nothing is left behind, and failures reach the user.
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"

#include <QImage>
#include <QTimer>

#include "core/imagecodec.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "reports/csendemail.h"

namespace {

const QString kUser = QStringLiteral("mailer@example.org");
// the attachments' names carry the serial number, beyond ASCII here
const QString kSerial = QStringLiteral("\u00C9t\u00E9-\u03A97");

LoggerRecord trip(const QString &serial, bool withReadings = true)
{
    LoggerRecord record = ViewsTest::openedSet(serial, { 215, 220, -35, 240 }, 60, QDateTime(QDate(2024, 5, 6), QTime(7, 0)));
    record.description = QStringLiteral("Cold chain \u00E0 Lyon");
    record.fileName = QStringLiteral("/data/") + serial + QStringLiteral(".qlf");
    record.dataLoaded = withReadings;
    // as downloaded: the logger's memory image comes with the readings
    record.versionWord = 0x11A;
    record.memorySize = 0x20000;
    record.imageRead = ImageCodec::encode(record, QByteArray(MemoryMap::ImageSize, '\0'));
    // its logger set up for its next trip: the mail is of the trip downloaded
    record.keepAsTrip();
    record.description = QStringLiteral("Next trip to Porto");
    record.interval = 300;
    return record;
}

}

class TestSendEmail : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        TestEnv::useTempDir(tempRoot.path());
    }

    void selectedExportsArriveAndGo_data()
    {
        QTest::addColumn<int>("mask");
        QTest::newRow("body only") << 0;
        QTest::newRow("every kind") << 31;
    }

    void selectedExportsArriveAndGo()
    {
        QFETCH(int, mask);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kUser, QStringLiteral("pw")));
        // a file of the user's that bears an export's name stays as it is
        QTemporaryDir workDir;
        const QString ownFile = workDir.filePath(kSerial + QStringLiteral(".qlf"));
        QVERIFY(TestEnv::writeFile(ownFile, "own"));
        const QString previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());

        WindowTest::Harness h;
        h.addAndSelect(trip(kSerial));
        h.addAndSelect(trip(QStringLiteral("OTHER-2")));
        configure(h, server.port(), mask);
        h.window.selectTableRow(0);
        h.window.on_m_actionSendByEmail_triggered();
        // another row becoming current does not change what is sent
        h.window.selectTableRow(1);
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), 30000);
        QDir::setCurrent(previousDir);
        QVERIFY(h.prompts.boxes.isEmpty());
        QCOMPARE(TestEnv::readFile(ownFile), QByteArray("own"));
        QCOMPARE(TestEnv::tempEntries(QStringLiteral("mirelda-mail-*")), QStringList());

        const QJsonObject message = MailTestServer::message(outDir.path(), 1);
        QCOMPARE(message.value(QStringLiteral("defects")).toArray().size(), 0);
        QCOMPARE(message.value(QStringLiteral("headers")).toObject().value(QStringLiteral("from")).toString(),
                 QStringLiteral("Quality Desk <desk@example.org>"));
        const QJsonArray parts = message.value(QStringLiteral("parts")).toArray();
        QCOMPARE(parts.at(0).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("Serial:     ") + kSerial + QStringLiteral("\r\nDescription:Cold chain \u00E0 Lyon\r\n"));
        const QStringList extensions{ "qlf", "txt", "csv", "pdf", "jpg" };
        QCOMPARE(parts.size(), mask ? 6 : 1);
        QTemporaryDir expected;
        for (int i = 1; i < parts.size(); ++i) {
            const QString name = kSerial + QLatin1Char('.') + extensions.at(i - 1);
            QCOMPARE(parts.at(i).toObject().value(QStringLiteral("filename")).toString(), name);
            const QString path = expected.filePath(QStringLiteral("received.") + extensions.at(i - 1));
            QVERIFY(TestEnv::writeFile(path, MailTestServer::payload(parts.at(i).toObject())));
            const QString wrong = wrongInExport(path, extensions.at(i - 1));
            QVERIFY2(wrong.isEmpty(), qPrintable(extensions.at(i - 1) + QStringLiteral(": ") + wrong));
        }
    }

    void failuresAreToldAndLeaveNothing_data()
    {
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<bool>("withReadings");
        QTest::addColumn<QString>("reason");
        QTest::newRow("closed port") << false << true << "could not be reached";
        QTest::newRow("refused password") << true << true << "535";
        QTest::newRow("nothing to export") << true << false << "holds no readings";
    }

    void failuresAreToldAndLeaveNothing()
    {
        QFETCH(bool, serverUp);
        QFETCH(bool, withReadings);
        QFETCH(QString, reason);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kUser, QStringLiteral("other")));
        const quint16 port = server.port();
        if (!serverUp)
            server.stop();

        WindowTest::Harness h;
        h.addAndSelect(trip(QStringLiteral("F-1"), withReadings));
        configure(h, port, AttachBits::DataFile | AttachBits::Csv);
        h.window.on_m_actionSendByEmail_triggered();
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), 30000);
        QCOMPARE(h.prompts.boxes.size(), 1);
        const QString text = h.prompts.boxes.first().text;
        QVERIFY2(text.startsWith(QLatin1String("Warning!\n\nThe e-mail of F-1 was not sent.")), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        QCOMPARE(h.ui->m_progressBarGraph->value(), 100);
        QCOMPARE(TestEnv::tempEntries(QStringLiteral("mirelda-mail-*")), QStringList());
        QCOMPARE(MailTestServer::messageCount(outDir.path()), 0);
    }

    // Each address of the settings is one mailbox, or the mail is refused
    // before any server is reached (none listens for the refused rows),
    // naming the address: a server would take what follows a ">" as
    // parameters of its command, a header a comma as another recipient.
    void anAddressIsOneMailbox_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("asSender");
        QTest::addColumn<bool>("sent");
        QTest::newRow("parameters after the recipient")
            << "rcpt@example.com> NOTIFY=NEVER ORCPT=rfc822;evil@example.org" << false << false;
        QTest::newRow("two recipients") << "rita@example.org, evil@example.org" << false << false;
        QTest::newRow("a name with the address") << "Rita <rita@example.org>" << false << false;
        QTest::newRow("a blank inside") << "rita @example.org" << false << false;
        QTest::newRow("parameter after the sender") << "desk@example.org> SIZE=1" << true << false;
        QTest::newRow("tags, subdomains, blanks around") << " first.o'neil+tag@mail.example.co.uk " << false << true;
    }
    void anAddressIsOneMailbox()
    {
        QFETCH(QString, address);
        QFETCH(bool, asSender);
        QFETCH(bool, sent);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kUser, QStringLiteral("pw")));
        const quint16 port = server.port();
        if (!sent)
            server.stop();
        WindowTest::Harness h;
        h.addAndSelect(trip(QStringLiteral("F-1")));
        configure(h, port, 0);
        (asSender ? h.window.app->settings.smtpSenderEmail : h.window.app->settings.smtpRecipientEmail) = address;
        h.window.on_m_actionSendByEmail_triggered();
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), 30000);
        QCOMPARE(h.prompts.boxes.size(), sent ? 0 : 1);
        if (sent) {
            const QJsonObject message = MailTestServer::message(outDir.path(), 1);
            QCOMPARE(message.value(QStringLiteral("rcpt_tos")).toArray().first().toString(), address.trimmed());
            return;
        }
        const QString text = h.prompts.boxes.first().text;
        QVERIFY2(text.startsWith(QLatin1String("Warning!\n\nThe e-mail of F-1 was not sent.\n"))
                     && text.contains(QLatin1Char('"') + address + QStringLiteral("\" is not one e-mail address")),
                 qPrintable(text));
    }

    // The server waits a second and a half before its greeting; meanwhile
    // the window's timers run on and the sender sits in its last step.
    void slowServerLeavesTheWindowRunning()
    {
        MailTestServer peer;
        QVERIFY(peer.start(QStringLiteral("smtp_script_server.py"),
                           { "--certdir", certDir.path(), "--delay", "GREETING=1.5", "--lifetime", "30" }));
        WindowTest::Harness h;
        h.addAndSelect(trip(QStringLiteral("S-1")));
        configure(h, peer.port(), AttachBits::Csv);
        int ticksWhileSending = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            const CSendEmail *sender = h.window.app->emailSender;
            ticksWhileSending += sender && sender->currentState() == CSendEmail::Sending ? 1 : 0;
        });
        ticker.start(20);
        h.window.on_m_actionSendByEmail_triggered();
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), 30000);
        QVERIFY(h.prompts.boxes.isEmpty());
        QVERIFY2(ticksWhileSending >= 5, qPrintable(QString::number(ticksWhileSending)));
        QVERIFY(peer.outputLines(20000).contains(QStringLiteral("D:Serial:     S-1")));
    }

private:
    void configure(WindowTest::Harness &h, quint16 port, int mask)
    {
        AppSettings &settings = h.window.app->settings;
        settings.smtpServerAddress = QStringLiteral("127.0.0.1");
        settings.smtpServerPort = port;
        settings.smtpUserName = kUser;
        settings.smtpPassword = QStringLiteral("pw");
        settings.smtpSenderName = QStringLiteral("Quality Desk");
        settings.smtpSenderEmail = QStringLiteral("desk@example.org");
        settings.smtpRecipientEmail = QStringLiteral("rita@example.org");
        settings.smtpAttachedFiles = mask;
    }

    // What is wrong with an attachment received for trip(kSerial), "" when
    // nothing: the readings tables as a user reads them, the data file as
    // the program opens it again, the report and the picture by what they
    // show (their time stamps differ from run to run).
    static QString wrongInExport(const QString &path, const QString &extension)
    {
        const QByteArray bytes = TestEnv::readFile(path);
        const auto table = [](const char *separator) {
            QByteArray text = QByteArray("No.") + separator + "Date Time" + separator + "T\xC2\xB0" "C\n";
            const char *rows[] = { "06/05/2024 07:00:00", "21.5", "06/05/2024 07:01:00", "22.0",
                                   "06/05/2024 07:02:00", "-3.5", "06/05/2024 07:03:00", "24.0" };
            for (int i = 0; i < 4; ++i)
                text += QByteArray::number(i + 1) + separator + rows[2 * i] + separator + rows[2 * i + 1] + "\n";
            return text;
        };
        if (extension == QLatin1String("txt") || extension == QLatin1String("csv")) {
            const QByteArray expected = table(extension == QLatin1String("txt") ? "\t" : ",");
            return QByteArray(bytes).replace("\r\n", "\n") == expected ? QString() : QString::fromUtf8(bytes);
        }
        if (extension == QLatin1String("qlf")) {
            LoggerRecord opened;
            QString error;
            if (!CFileManager::readDataFile(path, opened, false, &error))
                return error;
            // (the image holds Latin-1 texts: the serial's omega does not
            // survive there, so the attachment's name carries it)
            const QStringList values{ opened.description, opened.startTime.toString(Qt::ISODate),
                                      QString::number(opened.readingCount) };
            if (values != QStringList({ QStringLiteral("Cold chain \u00E0 Lyon"), "2024-05-06T07:00:00", "4" }))
                return values.join(QLatin1Char(' '));
            return opened.readings == ViewsTest::words({ 215, 220, -35, 240 }) ? QString() : QStringLiteral("readings");
        }
        if (extension == QLatin1String("pdf")) {
            const QString text = QString::fromUtf8(TestEnv::programOutput("pdftotext", { path, "-" }));
            return text.contains(kSerial + QStringLiteral(" QV-2T")) && text.contains(QStringLiteral("Cold chain \u00E0 Lyon"))
                       ? QString()
                       : text;
        }
        const QImage picture(path, "JPG");
        return picture.width() >= 400 && picture.height() >= 200 ? QString()
                                                                 : QStringLiteral("picture of %1 x %2").arg(picture.width()).arg(picture.height());
    }

    QTemporaryDir certDir;
    QTemporaryDir tempRoot;
};

MIRELDA_TEST_MAIN(TestSendEmail)
#include "tst_sendemail.moc"
