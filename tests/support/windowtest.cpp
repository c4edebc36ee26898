#include "support/windowtest.h"

#include "core/imagecodec.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include "dialogs/cuseradminnewpass.h"
#include "dialogs/cuseradminpass.h"

PromptRecorder::PromptRecorder()
{
    CPrompt::setBoxHandler([this](CPrompt::Kind kind, const QString &text,
                                  QMessageBox::StandardButtons) {
        boxes.append({ kind, text });
        if (boxesTakeFocus && QApplication::focusWidget())
            QApplication::focusWidget()->clearFocus();
        return answer;
    });
    CPrompt::setFileHandler([this](const QString &, const QString &caption, const QString &directory,
                                   const QString &) {
        fileCaptions.append(caption);
        fileDirectories.append(directory);
        return filesToChoose;
    });
    CPrompt::setMenuHandler([this](QMenu *menu) -> QAction * {
        QStringList names;
        const auto actions = menu->actions();
        for (QAction *action : actions)
            names.append(action->objectName());
        menus.append(names);
        return nullptr;
    });
    CPrompt::setDialogHandler([this](QDialog *dialog) { return answerDialog(dialog); });
    MainWindow::setLoginCancelHandler([this]() { ++loginCancels; });
}

namespace {
void type(QDialog *dialog, const char *field, const QString &text)
{
    dialog->findChild<QLineEdit *>(QLatin1String(field))->setText(text);
}
}

int PromptRecorder::answerDialog(QDialog *dialog)
{
    if (qobject_cast<CUserAdminPass *>(dialog)) {
        // a login that asks again at each Cancel would never end the test
        if (++loginDialogs > 100)
            qFatal("The login dialog keeps coming back");
        const QPair<QString, QString> login = logins.isEmpty() ? QPair<QString, QString>() : logins.takeFirst();
        if (login.first.isNull())
            return QDialog::Rejected;
        type(dialog, "m_lineEditUserName", login.first);
        type(dialog, "m_lineEditPassword", login.second);
        dialog->accept();
        return dialog->result();
    }
    if (qobject_cast<CUserAdminNewPass *>(dialog)) {
        ++passwordDialogs;
        if (passwordChanges.isEmpty())
            return QDialog::Rejected;
        const QStringList typed = passwordChanges.takeFirst();
        type(dialog, "m_lineEditOldPassword", typed.value(0));
        type(dialog, "m_lineEditNewPassword", typed.value(1));
        type(dialog, "m_lineEditNewPassword_2", typed.value(2));
        QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        if (!ok->isEnabled())
            return QDialog::Rejected;
        dialog->accept();
        return dialog->result();
    }
    return otherDialogs ? otherDialogs(dialog) : int(QDialog::Rejected);
}

PromptRecorder::~PromptRecorder()
{
    CPrompt::setBoxHandler(nullptr);
    CPrompt::setFileHandler(nullptr);
    CPrompt::setMenuHandler(nullptr);
    CPrompt::setDialogHandler(nullptr);
    MainWindow::setLoginCancelHandler(nullptr);
}

int PromptRecorder::boxesContaining(const QString &part) const
{
    int count = 0;
    for (const Box &box : boxes)
        count += box.text.contains(part) ? 1 : 0;
    return count;
}

namespace WindowTest {

LoggerRecord loggerRecord(const QString &port, const QString &serial, quint32 alarmStatus)
{
    LoggerRecord r;
    r.portName = port;
    r.serialNumber = serial;
    r.alarmStatus = alarmStatus;
    return r;
}

LoggerRecord fileRecord(const QString &path, const QString &serial, quint32 alarmStatus)
{
    LoggerRecord r;
    r.fileName = path;
    r.serialNumber = serial;
    r.alarmStatus = alarmStatus;
    r.fromFile = true;
    r.ready = true;
    r.dataLoaded = true;
    return r;
}

LoggerRecord downloadedTrip(const QString &serial, const QVector<quint16> &readings)
{
    LoggerRecord r = loggerRecord(QString(), serial, 0);
    r.versionWord = 0x115;
    r.memorySize = quint32(kMaxReadings) * 2;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.readings = readings;
    r.readingCount = readings.size();
    return r;
}

void giveLoggerHeader(LoggerRecord &r)
{
    if (r.interval == 0)
        r.interval = 60;
    r.memorySize = quint32(kMaxReadings) * 2;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.imageRead = ImageCodec::encode(r, QByteArray(kImageSize, '\0'));
}

void setUserAdministration(bool on)
{
    const QString path = TestEnv::settingsDir() + QStringLiteral("xZdrAdmin.ini");
    if (on)
        TestEnv::writeFile(path, "[SETTINGS]\r\nUSER_ADMIN=1\r\n");
    else
        QFile::remove(path);
}

void Harness::addAndSelect(const LoggerRecord &record)
{
    records.append(record);
    window.selectTableRow(records.size() - 1);
}

QString Harness::homePath(const QString &name) const
{
    return TestEnv::home() + QLatin1Char('/') + name;
}

bool SimulatedStation::plugInAndSelect(int timeoutMs, const QString &scriptLine)
{
    if (!sim.start() || (!scriptLine.isEmpty() && !sim.command(scriptLine)))
        return false;
    LoggerSimProcess::exposePorts({ sim.ptyPath() });
    if (!QTest::qWaitFor([this] { return ui->m_tableWidgetLogger->rowCount() == 1; }, timeoutMs))
        return false;
    ui->m_tableWidgetLogger->setCurrentCell(0, 0);
    return true;
}

QStringList alarmLights(const Ui::MainWindow *ui, int row)
{
    static const char *const levels[] = { "LL", "L", "OK", "H", "HH" };
    QStringList shown;
    for (int column = 4; column <= 8; ++column)
        if (!ui->m_tableWidgetLogger->item(row, column)->icon().isNull())
            shown << QLatin1String(levels[column - 4]);
    return shown;
}

void finishEditing(QLineEdit *field, const QString &text)
{
    field->setText(text);
    emit field->editingFinished();
}

void turnWheel(QWidget *field, int notches)
{
    QWidget *window = field->window();
    const QPoint inWindow = field->mapTo(window, field->rect().center());
    QWidget *under = window->childAt(inWindow);
    QVERIFY(under == field || field->isAncestorOf(under));
    const QPoint at = under->mapFrom(window, inWindow);
    QWheelEvent event(at, under->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(under, &event);
}

QStringList unboundSlots(const QObject *object)
{
    QStringList unbound;
    const QMetaObject *meta = object->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QByteArray name = method.name();
        if (!name.startsWith("on_"))
            continue;
        const int split = name.lastIndexOf('_');
        const QObject *child = object->findChild<QObject *>(QString::fromLatin1(name.mid(3, split - 3)));
        const QByteArray signal = name.mid(split + 1) + method.methodSignature().mid(name.size());
        if (!child || child->metaObject()->indexOfSignal(signal) < 0)
            unbound << QString::fromLatin1(name);
    }
    return unbound;
}

}
