// A simulated logger downloaded automatically is mailed automatically,
// exactly once, with the data the download brought.
#include "support/loggersimprocess.h"
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/windowtest.h"

#include <QJsonArray>
#include <QTemporaryDir>

class TestSendEmailAuto : public QObject
{
    Q_OBJECT
private slots:
    void automaticDownloadIsMailedOnce()
    {
        QTemporaryDir certDir;
        QTemporaryDir outDir;
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        MailTestServer server;
        QVERIFY(server.startSsl(certDir.path(), outDir.path(), QStringLiteral("auto@example.org"),
                                QStringLiteral("pw")));

        PromptRecorder prompts;
        LoggerSimProcess sim({ QStringLiteral("--serial"), QStringLiteral("AUTO-7"), QStringLiteral("--readings"),
                               QStringLiteral("300"), QStringLiteral("--sensors"), QStringLiteral("5") });
        QVERIFY(sim.start());
        LoggerSimProcess::exposePorts({ sim.ptyPath() });

        MainWindow window;
        AppSettings &settings = window.app->settings;
        settings.autoDownloadLogger = true;
        settings.smtpServerAuto = 1;
        settings.smtpServerAddress = QStringLiteral("127.0.0.1");
        settings.smtpServerPort = server.port();
        settings.smtpUserName = QStringLiteral("auto@example.org");
        settings.smtpPassword = QStringLiteral("pw");
        settings.smtpSenderEmail = QStringLiteral("auto@example.org");
        settings.smtpRecipientEmail = QStringLiteral("qa@example.org");
        settings.smtpSubject = QStringLiteral("Trip");
        settings.smtpAttachedFiles = AttachBits::DataFile | AttachBits::Csv;

        QTRY_COMPARE_WITH_TIMEOUT(window.ui->m_tableWidgetLogger->rowCount(), 1, 8000);
        window.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(MailTestServer::messageCount(outDir.path()), 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(window.app->emailSender.isNull(), 10000);
        QVERIFY(window.app->records.at(0).autoMailStarted);

        // later ticks, with the record still current, send nothing more
        for (int tick = 0; tick < 10; ++tick)
            window.Timer();
        QVERIFY(window.app->emailSender.isNull());
        QCOMPARE(MailTestServer::messageCount(outDir.path()), 1);
        QVERIFY(prompts.boxes.isEmpty());

        const QJsonArray parts = MailTestServer::message(outDir.path(), 1).value(QStringLiteral("parts")).toArray();
        QCOMPARE(parts.size(), 3);
        QVERIFY(parts.at(0).toObject().value(QStringLiteral("text")).toString().startsWith(
            QLatin1String("Serial:     AUTO-7\r\n")));
        QCOMPARE(parts.at(1).toObject().value(QStringLiteral("filename")).toString(), QStringLiteral("AUTO-7.qlf"));
        // one line of headers, then one line per sample
        const QByteArray csv = MailTestServer::payload(parts.at(2).toObject());
        QCOMPARE(csv.count('\n'), 1 + window.app->records.at(0).sampleCount());
    }
};

MIRELDA_TEST_MAIN(TestSendEmailAuto)
#include "tst_sendemailauto.moc"
