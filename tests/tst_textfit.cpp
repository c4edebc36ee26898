// Every text of the window's pages and of the dialogs that speak the
// user's language is shown whole in each of the six languages: no label,
// check box, radio button, push button or combo box is narrower than its
// text needs with the fonts the program runs with, and no panel squeezes
// them. Beside the panels, the help pane breaks no word of its pages.
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>

#include "core/clanguagetable.h"
#include "core/labelid.h"
#include "dialogs/chelp.h"
#include "dialogs/coption.h"
#include "programming/cpass.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"
#include "ui_coption.h"

using namespace WindowTest;

namespace {

QString longestLine(const QFontMetrics &metrics, const QString &text)
{
    QString longest;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (metrics.horizontalAdvance(line) > metrics.horizontalAdvance(longest))
            longest = line;
    return longest;
}

// The room a label gives its text is its contents rectangle less its
// margin and indent on both sides.
int labelNeed(const QLabel *label)
{
    const QFontMetrics metrics = label->fontMetrics();
    int indent = label->indent();
    if (indent < 0)
        indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    const int chrome = label->width() - label->contentsRect().width() + 2 * label->margin();
    const Qt::Alignment align = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
    const bool indented = align & (Qt::AlignLeft | Qt::AlignRight);
    return metrics.horizontalAdvance(longestLine(metrics, label->text())) + chrome + (indented ? indent : 0);
}

// A push button centres its text in the contents rectangle of its style;
// the wider minimum some styles give a button with text is looks, not room.
int pushButtonNeed(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->autoDefault() || button->isDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QString shown = QString(button->text()).remove(QLatin1Char('&'));
    return button->fontMetrics().horizontalAdvance(shown) + button->width() - room.width();
}

// A combo box that shows each of its items whole: one made afresh with the
// same items sized to them.
int comboNeed(const QComboBox *combo)
{
    QComboBox fresh;
    fresh.setFont(combo->font());
    fresh.setStyle(combo->style());
    fresh.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fresh.setEditable(combo->isEditable());
    for (int i = 0; i < combo->count(); ++i)
        fresh.addItem(combo->itemText(i));
    return fresh.sizeHint().width();
}

// -1 for a widget whose text is not measured: no text, or text that wraps
// or is laid out as rich text.
int widthNeeded(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->text().isEmpty() || label->wordWrap() || Qt::mightBeRichText(label->text()))
            return -1;
        return labelNeed(label);
    }
    if (auto *button = qobject_cast<const QPushButton *>(widget))
        return button->text().isEmpty() ? -1 : pushButtonNeed(button);
    if (auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        if (!qobject_cast<const QCheckBox *>(widget) && !qobject_cast<const QRadioButton *>(widget))
            return -1;
        return button->text().isEmpty() ? -1 : button->sizeHint().width();
    }
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->count() == 0 ? -1 : comboNeed(combo);
    return -1;
}

QString shownText(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    return QString();
}

void settleLayouts()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

// Brings every page of every tab widget under root to the front in turn
// (its enclosing pages with it) and hands each state to check.
void visitEveryPage(QWidget *root, const std::function<void()> &check)
{
    check();
    const auto tabWidgets = root->findChildren<QTabWidget *>();
    for (QTabWidget *tabs : tabWidgets) {
        const int was = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            for (QWidget *up = tabs; up && up != root; up = up->parentWidget())
                if (auto *outer = qobject_cast<QTabWidget *>(up->parentWidget() ? up->parentWidget()->parentWidget() : nullptr))
                    outer->setCurrentWidget(up);
            tabs->setCurrentIndex(i);
            settleLayouts();
            check();
        }
        tabs->setCurrentIndex(was);
    }
}

const int kDefaultWidth = 1092;

// Failures by widget, in the form "name [language] "text": width < need".
class ClipList
{
public:
    void checkShown(QWidget *root, const QString &language)
    {
        const auto widgets = root->findChildren<QWidget *>();
        for (QWidget *widget : widgets) {
            if (!widget->isVisible())
                continue;
            checkRoomForLayout(widget, language);
            const int need = widthNeeded(widget);
            if (need < 0 || widget->width() >= need)
                continue;
            const QString name = widget->objectName().isEmpty()
                                     ? QString::fromLatin1(widget->metaObject()->className()) + QStringLiteral(" in ")
                                           + widget->parentWidget()->objectName()
                                     : widget->objectName();
            m_failures.insert(name + QStringLiteral(" [") + language + QStringLiteral("]"),
                              QStringLiteral("\"%1\": %2 < %3").arg(shownText(widget)).arg(widget->width()).arg(need));
        }
    }
    // Texts that fit only because the window outgrew its default width do
    // not fit the window the user sees.
    void checkDefaultWidth(const QWidget *window, const QString &language)
    {
        if (window->width() <= kDefaultWidth)
            return;
        const auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("m_tabWidget"));
        m_failures.insert(QStringLiteral("window on ") + tabs->currentWidget()->objectName() + QStringLiteral(" [")
                              + language + QStringLiteral("]"),
                          QStringLiteral("wider than its default: %1 > %2").arg(window->width()).arg(kDefaultWidth));
    }
    // A panel narrower than its layout's minimum squeezes its widgets below
    // the widths they need.
    void checkRoomForLayout(QWidget *widget, const QString &language)
    {
        const QLayout *layout = widget->layout();
        if (!layout || widget->width() >= layout->totalMinimumSize().width())
            return;
        m_failures.insert(widget->objectName() + QStringLiteral(" [") + language + QStringLiteral("]"),
                          QStringLiteral("squeezed: %1 < %2").arg(widget->width()).arg(layout->totalMinimumSize().width()));
    }
    QString report() const
    {
        QStringList lines;
        for (auto it = m_failures.cbegin(); it != m_failures.cend(); ++it)
            lines << it.key() + QStringLiteral(" ") + it.value();
        return lines.join(QLatin1Char('\n'));
    }
    bool empty() const { return m_failures.isEmpty(); }

private:
    QMap<QString, QString> m_failures;
};

// A production station with user administration on and its administrator
// logged in: the window itself keeps every page it has, whichever page is
// visited. Pages with no record to show are enabled all the same.
void showEveryPage(Harness &h)
{
    CMainApp *app = h.window.app;
    app->jigPort = QStringLiteral("ttyS0");
    app->userAdmin->enabled = true;
    app->userAdmin->currentUser = 0;   // the first start's administrator
    h.window.updateLoggerPage();
    for (int page = 0; page < h.ui->m_tabWidget->count(); ++page)
        h.ui->m_tabWidget->setTabEnabled(page, true);
}

bool sameWidths(std::initializer_list<const QWidget *> widgets)
{
    QSet<int> widths;
    for (const QWidget *widget : widgets)
        widths.insert(widget->width());
    return widths.size() == 1;
}

struct Language
{
    const char *name;
    int column;
    const char *box;   // its check box in the options dialog
};
const Language kLanguages[] = {
    { "EN", 0, "m_checkBoxOptionLangEn" }, { "FR", 1, "m_checkBoxOptionLangFr" },
    { "SP", 2, "m_checkBoxOptionLangSp" }, { "IT", 3, "m_checkBoxOptionLangIt" },
    { "GR", 5, "m_checkBoxOptionLangGr" }, { "PR", 6, "m_checkBoxOptionLangPo" },
};

// The room an item's text takes in a cell: the style's margin on each side.
int cellNeed(const QTableWidget *table, const QString &text)
{
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    return table->fontMetrics().horizontalAdvance(text) + 2 * margin;
}

// The labels of the summary cut in their column, in the form
// "[language] row "text": width < need".
QStringList cutSummaryLabels(const QTableWidget *table, const QString &language)
{
    QStringList cut;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString text = table->item(row, 0)->text();
        const int need = cellNeed(table, text);
        if (table->columnWidth(0) < need)
            cut << QStringLiteral("[%1] %2 \"%3\": %4 < %5").arg(language).arg(row).arg(text)
                       .arg(table->columnWidth(0)).arg(need);
    }
    return cut;
}

// Through the Options action, as the user does: the box is clicked and the
// dialog closed.
void chooseLanguage(Harness &h, const Language &language)
{
    CPrompt::setDialogHandler([&language](QDialog *dialog) {
        if (auto *options = qobject_cast<COption *>(dialog))
            options->findChild<QCheckBox *>(QLatin1String(language.box))->click();
        return 0;
    });
    h.ui->m_actionOptions->trigger();
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
}

bool inWord(QChar c)
{
    return c.isLetterOrNumber();
}

// The word around position, with a bar where a line breaks it.
QString brokenWord(const QString &text, int position)
{
    int start = position;
    int end = position;
    while (start > 0 && inWord(text.at(start - 1)))
        --start;
    while (end < text.size() && inWord(text.at(end)))
        ++end;
    return text.mid(start, position - start) + QLatin1Char('|') + text.mid(position, end - position);
}

// A line that ends between two letters or digits has broken a word; one
// that ends after a space, a hyphen or a slash has not.
QStringList brokenWords(QTextDocument *document)
{
    QStringList broken;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block);   // lays the block out
        const QString text = block.text();
        const QTextLayout *layout = block.layout();
        if (!text.isEmpty() && layout->lineCount() == 0)
            broken << QStringLiteral("(not laid out) ") + text;
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
            if (inWord(text.at(end - 1)) && inWord(text.at(end)))
                broken << brokenWord(text, end);
        }
    }
    return broken;
}

}

class TestTextFit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MainWindow::applyFormFont(); }

    // At the window's default size, with the pages that only production
    // stations and user administration show put in as well.
    void windowAndOptionsShowEveryTextWhole()
    {
        Harness h;
        Ui::MainWindow *ui = h.ui;
        h.window.resize(kDefaultWidth, 732);
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));

        COption options(&h.window);
        options.show();
        QVERIFY(QTest::qWaitForWindowExposed(&options));

        ClipList clipped;
        for (const Language &language : kLanguages) {
            options.findChild<QCheckBox *>(QLatin1String(language.box))->click();
            QCOMPARE(h.window.app->languageTable->language, language.column);
            showEveryPage(h);
            settleLayouts();
            QCOMPARE(ui->m_tabWidget->count(), 9);
            const QString name = QLatin1String(language.name);
            visitEveryPage(&h.window, [&] {
                clipped.checkShown(&h.window, name);
                clipped.checkDefaultWidth(&h.window, name);
            });
            visitEveryPage(&options, [&] { clipped.checkShown(&options, name); });
            CPass password(&h.window, h.window.app->languageTable, QStringLiteral("QV0012345"), 0);
            password.show();
            QVERIFY(QTest::qWaitForWindowExposed(&password));
            clipped.checkShown(&password, name);
            // the fields beside the left column's labels still line up
            QVERIFY2(sameWidths({ ui->m_labelMainPrgPassRW, ui->m_labelMainPrgSerial, ui->m_labelMainPrgProduct,
                                  ui->m_labelMainPrgDescription }),
                     language.name);
        }
        if (!clipped.empty())
            qWarning().noquote() << "clipped:\n" + clipped.report();
        QVERIFY2(clipped.empty(), "texts clipped; the list is above");
    }

    // The summary of a trip at the window's default size: in each language
    // every label is whole and its value stands beside it in view.
    void summaryLabelsWholeInEveryLanguage()
    {
        Harness h;
        h.window.resize(kDefaultWidth, 732);
        h.addAndSelect(ViewsTest::openedSet(QStringLiteral("QV0012345"), { 50, 60, 70 }));
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        QTableWidget *table = h.ui->m_tableWidgetTableSummary;
        const CLanguageTable *words = h.window.app->languageTable;
        QStringList cut;
        for (const Language &language : kLanguages) {
            chooseLanguage(h, language);
            h.window.Timer();
            h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabSummary);
            QTRY_VERIFY(table->isVisible() && table->rowCount() > 0);
            QCOMPARE(table->item(0, 0)->text(), words->text(LabelId::SerialNumber));
            settleLayouts();
            QCOMPARE(h.window.width(), kDefaultWidth);
            cut << cutSummaryLabels(table, QLatin1String(language.name));
            QCOMPARE(table->horizontalScrollBar()->maximum(), 0);
            QVERIFY2(table->columnViewportPosition(1) + table->columnWidth(1) <= table->viewport()->width(),
                     language.name);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    // Every page of the help pane as it shows beside the logger page's
    // panels, once the language is chosen: at the window's default size,
    // and in a window so narrow that the panels scroll sideways and the
    // pane stands at its minimum, where a long page's scroll bar takes a
    // part of it.
    void helpPaneBreaksNoWordInAnyLanguage_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("default size") << kDefaultWidth << 732;
        QTest::newRow("narrowed and lowered") << 760 << 480;
    }
    void helpPaneBreaksNoWordInAnyLanguage()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        Harness h;
        h.window.resize(width, height);
        const bool narrowed = width < kDefaultWidth;
        h.window.app->settings.showHelp = true;
        h.addAndSelect(loggerRecord(QStringLiteral("ttyS0"), QStringLiteral("QV0012345")));
        h.ui->m_tabWidget->setTabEnabled(MainWindow::PageLogger, true);
        h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabLogger);
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        QTextBrowser *pane = h.ui->m_textBrowserHelp;
        const auto *scroll = h.window.findChild<QScrollArea *>(QStringLiteral("m_scrollAreaPrg"));

        QStringList counts;
        QStringList examples;
        int scrollingPages = 0;
        for (const Language &language : kLanguages) {
            chooseLanguage(h, language);
            QCOMPARE(h.window.app->languageTable->language, language.column);
            settleLayouts();
            QVERIFY(pane->isVisible() && h.ui->m_groupBoxProgram->isVisible());
            QCOMPARE(h.window.width(), width);
            // at the default size the panels are whole beside the pane:
            // nothing hides sideways
            QVERIFY2((scroll->horizontalScrollBar()->maximum() > 0) == narrowed, language.name);
            if (narrowed)
                QCOMPARE(pane->width(), pane->minimumWidth());
            int broken = 0;
            for (int topic = 1; topic <= CHelp::kTopicCount; ++topic) {
                h.window.help->showHelp(topic);
                settleLayouts();   // a long page shows its scroll bar
                scrollingPages += pane->verticalScrollBar()->isVisible() ? 1 : 0;
                const QStringList words = brokenWords(pane->document());
                broken += words.size();
                if (!words.isEmpty() && examples.size() < 12)
                    examples << QStringLiteral("%1 %2: %3").arg(QLatin1String(language.name)).arg(topic).arg(words.first());
            }
            counts << QStringLiteral("%1 %2").arg(QLatin1String(language.name)).arg(broken);
        }
        const QString report = QStringLiteral("words broken per language: ") + counts.join(QStringLiteral(", "))
                               + QLatin1Char('\n') + examples.join(QLatin1Char('\n'));
        QVERIFY2(examples.isEmpty(), qPrintable(report));
        QVERIFY(!narrowed || scrollingPages > 0);
    }
};

MIRELDA_TEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
