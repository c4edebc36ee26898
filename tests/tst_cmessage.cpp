#include <QLabel>
#include <QtTest>

#include "dialogs/cmessage.h"
#include "support/testenv.h"

class TestCMessage : public QObject
{
    Q_OBJECT
private slots:
    void closesAfterItsSeconds()
    {
        CMessage message(nullptr, QStringLiteral("Copied to clipboard..."), 1);
        QVERIFY(message.isWindow());
        QCOMPARE(message.windowTitle(), QStringLiteral("Mirelda 1.16.34"));
        QCOMPARE(message.message(), QStringLiteral("Copied to clipboard..."));
        message.show();
        // the tenth tick of 100 ms closes it, not one before
        for (int tick = 1; tick < 10; ++tick)
            message.Timer();
        QVERIFY(message.isVisible());
        message.Timer();
        QVERIFY(!message.isVisible());

        CMessage running(nullptr, QStringLiteral("PDF saved: /tmp/a.pdf"), 1);
        running.show();
        QTRY_VERIFY_WITH_TIMEOUT(!running.isVisible(), 10000);
    }

    void neverClosesWithZeroSeconds()
    {
        for (int seconds : { 0, -3 }) {
            CMessage message(nullptr, QStringLiteral("stays"), seconds);
            message.show();
            for (int tick = 0; tick < 200; ++tick)
                message.Timer();
            QVERIFY(message.isVisible());
            QCOMPARE(message.ticksLeft(), 0);
            message.close();
        }
    }
};

MIRELDA_TEST_MAIN(TestCMessage)
#include "tst_cmessage.moc"
