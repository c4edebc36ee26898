#pragma once

class QWidget;

// The forms' widths were chosen for English in narrower fonts; a language
// with longer words, or wider fonts, would cut the texts. The window and
// the dialogs widen what their texts no longer fit into each time a
// language is applied, and give a narrower text the form's width back.
class TextFit
{
public:
    // Every label, check box, radio button, push button and combo box under
    // root that the form bounds in width gets at least the width its text
    // needs (for a combo box, its widest item). The layouts make the room.
    static void fitTexts(QWidget *root);
    // Gives the widget at least width, and otherwise the width bounds its
    // form gave it.
    static void widenTo(QWidget *widget, int width);
    // The width the widget's text needs; -1 for a widget whose text is not
    // fitted: none, or one that wraps.
    static int neededWidth(const QWidget *widget);
};
