// The shared SMTP exchange against a scripted peer over TLS on loopback: the
// window's event loop runs on while the server takes its time, and a peer
// that floods, hangs up or is handed a forged field ends the exchange with
// a reason the user can act on.
#include "support/mailtestserver.h"
#include "support/testenv.h"

#include "mail/outgoingmail.h"
#include "mail/smtpexchange.h"

#include <QFileInfo>
#include <QTimer>

#include <memory>

namespace {

std::shared_ptr<OutgoingMail> mail(const QString &subject = QStringLiteral("Trip"),
                                   const QString &recipientName = QStringLiteral("Rita"))
{
    auto outgoing = std::make_shared<OutgoingMail>();
    outgoing->address(QStringLiteral("sam@example.org"), QStringLiteral("Sam"), QStringLiteral("rita@example.org"),
                      recipientName, subject);
    outgoing->setBody(QStringLiteral("body"));
    return outgoing;
}

struct Outcome
{
    bool sent = false;
    QString reason;
    int ticksWhileRunning = 0;
};

}

class TestSmtpExchange : public QObject
{
    Q_OBJECT

    QTemporaryDir certDir;

    bool startPeer(MailTestServer &peer, const QStringList &options)
    {
        return peer.start(QStringLiteral("smtp_script_server.py"),
                          options + QStringList{ "--certdir", certDir.path(), "--lifetime", "30" });
    }

    static SmtpExchange::Account account(const MailTestServer &peer)
    {
        return { QStringLiteral("127.0.0.1"), peer.port(), QStringLiteral("u"), QStringLiteral("p") };
    }

    // Starts smtp and waits until the peer has the client's EHLO.
    static bool startUntilHeard(SmtpExchange &smtp, MailTestServer &peer, std::shared_ptr<OutgoingMail> outgoing)
    {
        smtp.start(account(peer), std::move(outgoing));
        return QTest::qWaitFor([&peer] { return peer.waitForOutput(QStringLiteral("EHLO localhost"), 0); }, 20000);
    }

    // Runs one exchange with the peer while a 20 ms timer counts its ticks.
    Outcome exchange(const MailTestServer &peer, std::shared_ptr<OutgoingMail> outgoing, int responseTimeoutMs)
    {
        Outcome outcome;
        SmtpExchange smtp;
        smtp.setResponseTimeout(responseTimeoutMs);
        QSignalSpy finished(&smtp, &SmtpExchange::finished);
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { outcome.ticksWhileRunning += smtp.isRunning() ? 1 : 0; });
        ticker.start(20);
        smtp.start(account(peer), std::move(outgoing));
        if (!finished.wait(60000))
            return outcome;
        outcome.sent = finished.first().at(0).toBool();
        outcome.reason = finished.first().at(1).toString();
        return outcome;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
    }

    // The server takes a second and a half, before its TLS handshake or
    // before its greeting; a blocking exchange would let no tick through
    // until it is over, and the wait is taken in short slices that must
    // not end it early.
    void slowServerLeavesTheEventLoopRunning_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::newRow("handshake") << "HANDSHAKE=1.5";
        QTest::newRow("greeting") << "GREETING=1.5";
    }
    void slowServerLeavesTheEventLoopRunning()
    {
        QFETCH(QString, delay);
        MailTestServer peer;
        QVERIFY(startPeer(peer, { "--delay", delay }));
        auto outgoing = mail();
        std::weak_ptr<OutgoingMail> held = outgoing;
        const Outcome outcome = exchange(peer, std::move(outgoing), 20000);
        QVERIFY2(outcome.sent, qPrintable(outcome.reason));
        QVERIFY(outcome.reason.isEmpty());
        QVERIFY2(outcome.ticksWhileRunning >= 5, qPrintable(QString::number(outcome.ticksWhileRunning)));
        // the mail, and the attachments' folder with it, is let go by the end
        QVERIFY(held.expired());
        QVERIFY(peer.outputLines(10000).contains(QStringLiteral("D:body")));
    }

    // Gone while the server dawdles, the exchange stops there; the server
    // never hears of it. At exit no event loop is left to free the ended
    // worker, so the join alone must free it, and with it the mail.
    void destroyedExchangeStopsAndTheJoinFreesItsWorker()
    {
        MailTestServer peer;
        QVERIFY(startPeer(peer, { "--delay", "EHLO=3" }));
        auto outgoing = mail();
        std::weak_ptr<OutgoingMail> held = outgoing;
        {
            SmtpExchange smtp;
            QSignalSpy finished(&smtp, &SmtpExchange::finished);
            QVERIFY(startUntilHeard(smtp, peer, std::move(outgoing)));
            QVERIFY(finished.isEmpty());
        }
        QVERIFY(SmtpExchange::joinWorkers(20000));
        QVERIFY(held.expired());
        QCOMPARE(peer.outputLines(20000), QStringList{ "EHLO localhost" });
    }

    // The server never completes the connection, which Qt waits for in one
    // piece. Destroyed meanwhile, the exchange hands control back at once:
    // the timer ticks while the worker still holds the mail. The worker
    // ends later by itself, takes the mail's folder with it and reaches
    // nobody.
    void destroyedWhileConnectingReturnsAtOnce()
    {
        MailTestServer peer;
        QVERIFY(startPeer(peer, { "--no-accept" }));
        auto outgoing = mail();
        QVERIFY(outgoing->makeFolder(QStringLiteral("mirelda-exchange-test")));
        const QString folder = outgoing->folderPath();
        std::weak_ptr<OutgoingMail> held = outgoing;
        int ticksWhileTheWorkerRuns = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ticksWhileTheWorkerRuns += held.expired() ? 0 : 1; });
        int signalled = 0;
        {
            QObject owner;
            auto *smtp = new SmtpExchange(&owner);
            connect(smtp, &SmtpExchange::finished, [&signalled] { ++signalled; });
            smtp->start(account(peer), std::move(outgoing));
            ticker.start(10);
        }
        QTRY_VERIFY_WITH_TIMEOUT(ticksWhileTheWorkerRuns >= 3, 20000);
        // the mail is let go before its destructor has removed the folder
        QTRY_VERIFY_WITH_TIMEOUT(held.expired() && !QFileInfo::exists(folder), 20000);
        QVERIFY(SmtpExchange::joinWorkers(20000));
        QCoreApplication::processEvents();
        QCOMPARE(signalled, 0);
    }

    // A live exchange whose server never answers does not hold up the
    // exit for good: the join cancels it past half its time and its end
    // still reaches the exchange as a failure.
    void joinCancelsAWorkerThatOutlastsIt()
    {
        MailTestServer peer;
        QVERIFY(startPeer(peer, { "--reply", "EHLO=none" }));
        auto outgoing = mail();
        std::weak_ptr<OutgoingMail> held = outgoing;
        SmtpExchange smtp;
        QSignalSpy finished(&smtp, &SmtpExchange::finished);
        QVERIFY(startUntilHeard(smtp, peer, std::move(outgoing)));
        QVERIFY(SmtpExchange::joinWorkers(4000));
        QVERIFY(held.expired());
        QVERIFY(finished.wait(20000));
        QVERIFY(!finished.first().at(0).toBool());
        QVERIFY(!smtp.isRunning());
    }

    // Each row ends well within the reply time-out of 20 s, except the
    // silent one, whose time-out is short.
    void failureSaysWhy_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("recipientName");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("reason");
        const QString stopped = QStringLiteral("The exchange with the server 127.0.0.1:%1 stopped: ");
        QTest::newRow("endless reply line") << QStringList{ "--reply", "GREETING=flood-line" } << "Trip" << "Rita"
                                            << 20000 << stopped + "the server sent a reply line longer than 4096 bytes.";
        QTest::newRow("endless multi-line reply") << QStringList{ "--reply", "EHLO=flood-lines" } << "Trip" << "Rita"
                                                  << 20000 << stopped + "the server's reply runs past 100 lines.";
        QTest::newRow("closed after the data") << QStringList{ "--reply", "END=close" } << "Trip" << "Rita" << 20000
                                               << "The server 127.0.0.1:%1 closed the connection.";
        QTest::newRow("silent after the data") << QStringList{ "--reply", "END=none" } << "Trip" << "Rita" << 700
                                               << "The server 127.0.0.1:%1 did not answer in time.";
        QTest::newRow("line break in the subject") << QStringList{} << "Hi\r\nBcc: evil@example.org" << "Rita" << 20000
                                                   << stopped + "the subject holds a line break.";
        QTest::newRow("line break in a name") << QStringList{} << "Trip" << "Rita\nRCPT TO: <evil@example.org>" << 20000
                                              << stopped + "the name or address of the recipient rita@example.org holds a line break.";
    }
    void failureSaysWhy()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, subject);
        QFETCH(QString, recipientName);
        QFETCH(int, timeoutMs);
        QFETCH(QString, reason);
        MailTestServer peer;
        QVERIFY(startPeer(peer, options));
        if (subject != QLatin1String("Trip") || recipientName != QLatin1String("Rita"))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing sent")));
        const Outcome outcome = exchange(peer, mail(subject, recipientName), timeoutMs);
        QVERIFY(!outcome.sent);
        QCOMPARE(outcome.reason, reason.arg(peer.port()));
    }
};

MIRELDA_TEST_MAIN(TestSmtpExchange)
#include "tst_smtpexchange.moc"
