// What reaches a logger from the Program page is what its fields would
// take, whichever road the program came by: typed, a template, or the
// logger's own. Each case reads the simulator's memory after the write, or
// after the write was refused.
#include "support/testenv.h"

#include "core/imagecodec.h"
#include "support/windowtest.h"

namespace {

constexpr int kFoundMs = 8000;
constexpr int kReplyMs = 8000;
constexpr int kProgramMs = 15000;

struct Station : WindowTest::SimulatedStation
{
    explicit Station(const QStringList &simArguments) : SimulatedStation(simArguments)
    {
        prompts.answer = QMessageBox::Yes;
    }
    LoggerRecord memory()
    {
        LoggerRecord image;
        ImageCodec::decode(sim.memory(), image);
        return image;
    }
    // Plugged in, selected, its page filled and open.
    bool pageOpen()
    {
        return plugInAndSelect(kFoundMs)
               && QTest::qWaitFor([this] { return record().ready && ui->m_groupBoxProgram->isEnabled(); },
                                  kReplyMs);
    }
    // F5 until its transfer is over; true when the logger confirmed it.
    bool programmed()
    {
        prompts.boxes.clear();
        const QByteArray before = sim.memory().left(256);
        ui->m_actionProgram->trigger();
        return window.transferInProgress && QTest::qWaitFor([this] { return transferOver(); }, kProgramMs)
               && sim.memory().left(256) != before && !prompts.sawBoxContaining(QStringLiteral("Warning"));
    }
};

}

class TestProgramBounds : public QObject
{
    Q_OBJECT
private slots:
    // The box going back to User Defined after an interval change is no
    // choice of 0 days; a logger read afresh shows the duration its count
    // takes.
    void changingTheIntervalKeepsTheStopCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("duration");
        QTest::newRow("720 at 1 min to 2 min") << 720 << 60 << 120 << "1 Day 00:00:00";
        QTest::newRow("1440 at 1 min to 2 min") << 1440 << 60 << 120 << "2 Day 00:00:00";
        QTest::newRow("8 at 6 h to 3 h") << 8 << 21600 << 10800 << "1 Day 00:00:00";
    }

    void changingTheIntervalKeepsTheStopCount()
    {
        QFETCH(int, count);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, duration);
        Station s({ "--version", "0x11A" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_radioButtonPrgStopReading->click();
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(from));
        s.ui->m_lineEditPrgStopReading->setText(QString::number(count));
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(to));
        QCOMPARE(s.ui->m_lineEditPrgStopReading->text(), QString::number(count));
        QVERIFY(s.programmed());
        QCOMPARE(s.memory().stopReadingCount, count);

        // read afresh, as a logger plugged in is: no duration of the page's
        s.record().duration = 0;
        s.ui->m_labelPrgDuration->clear();
        s.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        s.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_labelPrgDuration->text(), duration, kReplyMs);
    }
};

MIRELDA_TEST_MAIN(TestProgramBounds)
#include "tst_programbounds.moc"
