// The e-mail of a record through a real SMTP server on loopback: what the
// attachment mask selects arrives under the record's name with the bytes of
// the exports, nothing is left behind, and failures reach the user.
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"

#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include "files/cfilemanager.h"
#include "reports/csendemail.h"

namespace {

const QString kUser = QStringLiteral("mailer@example.org");
const QString kPassword = QStringLiteral("s3cret");
// A name beyond ASCII, as the attachments' names carry it.
const QString kSerial = QStringLiteral("\u00C9t\u00E9-\u03A97");

LoggerRecord trip(const QString &serial, const QString &description)
{
    LoggerRecord record = ViewsTest::downloadedSet(
        serial, SensorBits::InternalNtc, ConfigBits::InternalOn, ViewsTest::words({ 215, 220, -35, 240 }), 60,
        QDateTime(QDate(2024, 5, 6), QTime(7, 0)));
    record.description = description;
    record.fileName = QStringLiteral("/data/") + serial + QStringLiteral(".qlf");
    record.fromFile = true;
    record.ready = true;
    return record;
}

QString pdfText(const QByteArray &pdf, const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("sent.pdf"));
    TestEnv::writeFile(path, pdf);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    return pdftotext.waitForFinished(30000) ? QString::fromUtf8(pdftotext.readAllStandardOutput()) : QString();
}

}

class TestSendEmail : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        // the senders' private folders land where the test can look for them
        TestEnv::useTempDir(tempRoot.path());
    }

    void selectedExportsArriveAndGo_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("body only") << 0 << QStringList();
        QTest::newRow("data file, TXT and CSV")
            << (AttachBits::DataFile | AttachBits::Txt | AttachBits::Csv)
            << QStringList{ kSerial + ".qlf", kSerial + ".txt", kSerial + ".csv" };
        QTest::newRow("every kind") << 31
                                    << QStringList{ kSerial + ".qlf", kSerial + ".txt", kSerial + ".csv",
                                                    kSerial + ".pdf", kSerial + ".jpg" };
    }

    void selectedExportsArriveAndGo()
    {
        QFETCH(int, mask);
        QFETCH(QStringList, names);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY2(server.startSsl(certDir.path(), outDir.path(), kUser, kPassword), qPrintable(server.errorOutput()));
        // a file of the user's that bears an export's name stays as it is
        QTemporaryDir workDir;
        const QString ownFile = workDir.filePath(kSerial + QStringLiteral(".qlf"));
        QVERIFY(TestEnv::writeFile(ownFile, "the user's own file"));
        const QString previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());

        WindowTest::Harness h;
        const LoggerRecord record = trip(kSerial, QStringLiteral("Cold chain \u00E0 Lyon"));
        h.addAndSelect(record);
        h.addAndSelect(trip(QStringLiteral("OTHER-2"), QStringLiteral("other")));
        configure(h, server.port(), mask);
        h.window.selectTableRow(0);
        h.window.on_m_actionSendByEmail_triggered();
        // another row becoming current does not change what is sent
        h.window.selectTableRow(1);
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), 30000);
        QDir::setCurrent(previousDir);

        QVERIFY(h.prompts.boxes.isEmpty());
        QCOMPARE(h.ui->m_progressBarGraph->value(), 100);
        QCOMPARE(TestEnv::readFile(ownFile), QByteArray("the user's own file"));
        QCOMPARE(TestEnv::tempEntries(QStringLiteral("mirelda-mail-*")), QStringList());

        const QJsonObject message = MailTestServer::message(outDir.path(), 1);
        QVERIFY2(!message.isEmpty(), qPrintable(server.errorOutput()));
        QCOMPARE(message.value(QStringLiteral("defects")).toArray().size(), 0);
        QCOMPARE(message.value(QStringLiteral("rcpt_tos")).toArray().toVariantList(), QVariantList{ "rita@example.org" });
        const QVariantMap headers = message.value(QStringLiteral("headers")).toObject().toVariantMap();
        QCOMPARE(headers.value(QStringLiteral("subject")).toString(), QStringLiteral("Readings \u00E9t\u00E9"));
        QCOMPARE(headers.value(QStringLiteral("from")).toString(), QStringLiteral("Quality Desk <desk@example.org>"));

        const QJsonArray parts = message.value(QStringLiteral("parts")).toArray();
        QCOMPARE(parts.size(), 1 + names.size());
        QCOMPARE(parts.at(0).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("Serial:     ") + kSerial + QStringLiteral("\r\nDescription:Cold chain \u00E0 Lyon\r\n"));
        QTemporaryDir expectedDir;
        for (int i = 0; i < names.size(); ++i) {
            const QJsonObject part = parts.at(i + 1).toObject();
            QCOMPARE(part.value(QStringLiteral("filename")).toString(), names.at(i));
            const QByteArray bytes = MailTestServer::payload(part);
            if (names.at(i).endsWith(QLatin1String(".pdf"))) {
                QVERIFY(bytes.startsWith("%PDF-"));
                // its graph is the record's, not the one the page shows now
                QVERIFY(pdfText(bytes, expectedDir.path()).contains(kSerial + QStringLiteral(" QV-2T")));
            } else if (names.at(i).endsWith(QLatin1String(".jpg"))) {
                const QImage image = QImage::fromData(bytes, "JPG");
                QVERIFY(image.width() >= 400 && image.height() >= 300);
            } else {
                QVERIFY(bytes.size() > 20);
                QCOMPARE(bytes, expectedExport(h, record, names.at(i), expectedDir.path()));
            }
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
        quint16 port = 0;
        if (serverUp) {
            QVERIFY(server.startSsl(certDir.path(), outDir.path(), kUser, QStringLiteral("another")));
            port = server.port();
        } else {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }

        WindowTest::Harness h;
        LoggerRecord record = trip(QStringLiteral("F-1"), QString());
        record.dataLoaded = withReadings;
        h.addAndSelect(record);
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

private:
    void configure(WindowTest::Harness &h, quint16 port, int mask)
    {
        AppSettings &settings = h.window.app->settings;
        settings.smtpServerAddress = QStringLiteral("127.0.0.1");
        settings.smtpServerPort = port;
        settings.smtpUserName = kUser;
        settings.smtpPassword = kPassword;
        settings.smtpSenderName = QStringLiteral("Quality Desk");
        settings.smtpSenderEmail = QStringLiteral("desk@example.org");
        settings.smtpRecipientName = QStringLiteral("Rita");
        settings.smtpRecipientEmail = QStringLiteral("rita@example.org");
        settings.smtpSubject = QStringLiteral("Readings \u00E9t\u00E9");
        settings.smtpAttachedFiles = mask;
    }

    // The data file as the file helper writes it; the other exports as the
    // window writes them for a user.
    QByteArray expectedExport(WindowTest::Harness &h, const LoggerRecord &record, const QString &name,
                              const QString &dir)
    {
        const QString path = QDir(dir).filePath(name);
        if (name.endsWith(QLatin1String(".qlf")))
            return CFileManager::writeDataFile(path, record, false) ? TestEnv::readFile(path) : QByteArray("?");
        QString error;
        const QString written = h.window.exportSelectedFile(name.section(QLatin1Char('.'), -1), dir, record, &error);
        return written.isEmpty() ? error.toUtf8() : TestEnv::readFile(written);
    }

    QTemporaryDir certDir;
    QTemporaryDir tempRoot;
};

MIRELDA_TEST_MAIN(TestSendEmail)
#include "tst_sendemail.moc"
