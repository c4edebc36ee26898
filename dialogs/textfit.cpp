#include "dialogs/textfit.h"

#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVariant>

namespace {

const char kFormMinimumWidth[] = "textFitFormMinimumWidth";
const char kFormMaximumWidth[] = "textFitFormMaximumWidth";

struct WidthBounds
{
    int minimum;
    int maximum;
};

using ColumnKey = std::tuple<const void *, int, int, int, const QMetaObject *>;

// Kept on the widget the first time it is fitted, so that every language
// starts again from the form.
WidthBounds formWidths(QWidget *widget)
{
    if (!widget->property(kFormMinimumWidth).isValid()) {
        widget->setProperty(kFormMinimumWidth, widget->minimumWidth());
        widget->setProperty(kFormMaximumWidth, widget->maximumWidth());
    }
    return { widget->property(kFormMinimumWidth).toInt(), widget->property(kFormMaximumWidth).toInt() };
}

// Only a width the form set can cut a text: a layout gives any other label
// or button its text's width. A combo box is sized to its shown item only.
bool boundByForm(const QWidget *widget, WidthBounds form)
{
    return form.minimum > 0 || form.maximum < QWIDGETSIZE_MAX || qobject_cast<const QComboBox *>(widget);
}

// Styles give a push button with text a minimum width for looks; what its
// text needs is the room inside its frame and margin.
int pushButtonWidth(const QPushButton *button)
{
    const QStyle *style = button->style();
    int width = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width()
                + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
                + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    if (!button->icon().isNull())
        width += button->iconSize().width() + 4;
    return width;
}

// Glyphs may reach past their advance; Qt sizes a combo box by the inked
// width.
int textWidth(const QFontMetrics &metrics, const QString &text)
{
    return qMax(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
}

int comboBoxWidth(const QComboBox *combo)
{
    const QFontMetrics metrics = combo->fontMetrics();
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i)
        widest = qMax(widest, textWidth(metrics, combo->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest, metrics.height()), combo).width();
}

// Where the widget stands: the outermost grid that holds it and the column
// of the cell that holds it there.
struct GridCell
{
    const QGridLayout *grid = nullptr;
    int column = -1;
};

bool findCell(const QLayout *layout, const QWidget *widget, GridCell &cell)
{
    const auto *grid = qobject_cast<const QGridLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        const bool holds = item->widget() == widget || (item->layout() && findCell(item->layout(), widget, cell));
        if (!holds)
            continue;
        if (grid) {
            int row, rowSpan, columnSpan;
            cell.grid = grid;
            grid->getItemPosition(i, &row, &cell.column, &rowSpan, &columnSpan);
        }
        return true;
    }
    return false;
}

// A widget outside any grid, or without a width from the form, is a column
// of its own.
ColumnKey columnKey(const QWidget *widget, WidthBounds form)
{
    GridCell cell;
    const QLayout *layout = widget->parentWidget() ? widget->parentWidget()->layout() : nullptr;
    const bool formWidth = form.minimum > 0 || form.maximum < QWIDGETSIZE_MAX;
    if (!formWidth || !layout || !findCell(layout, widget, cell) || !cell.grid)
        return { widget, 0, 0, 0, nullptr };
    return { cell.grid, cell.column, form.minimum, form.maximum, widget->metaObject() };
}

}

int TextFit::neededWidth(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text().isEmpty() || label->wordWrap() ? -1 : label->minimumSizeHint().width();
    if (auto *button = qobject_cast<const QPushButton *>(widget))
        return button->text().isEmpty() ? -1 : pushButtonWidth(button);
    if (qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QRadioButton *>(widget))
        return static_cast<const QAbstractButton *>(widget)->text().isEmpty() ? -1 : widget->sizeHint().width();
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->count() == 0 ? -1 : comboBoxWidth(combo);
    return -1;
}

// The widgets of one kind that the form gave the same width and put in the
// same column of a grid, directly or in a nested layout, line up their
// fields: they grow together, to the widest text among them.
void TextFit::fitTexts(QWidget *root)
{
    QMap<ColumnKey, int> columnWidths;
    QList<QPair<QWidget *, ColumnKey>> fitted;
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const int needed = neededWidth(widget);
        if (needed < 0)
            continue;
        const WidthBounds form = formWidths(widget);
        if (!boundByForm(widget, form))
            continue;
        const ColumnKey key = columnKey(widget, form);
        columnWidths[key] = qMax(columnWidths.value(key), needed);
        fitted.append({ widget, key });
    }
    for (const auto &entry : qAsConst(fitted))
        widenTo(entry.first, columnWidths.value(entry.second));
}

void TextFit::widenTo(QWidget *widget, int width)
{
    const WidthBounds form = formWidths(widget);
    widget->setMinimumWidth(qMax(form.minimum, width));
    widget->setMaximumWidth(qMax(form.maximum, width));
}
