#pragma once

#include <array>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QVector>

class QPainter;
class QPaintDevice;

// Many short texts of one font, drawn as one glyph run per colour instead
// of one text item per text. A readings page holds hundreds of texts: each
// text item costs the painter a shaping pass and the PDF a text object of
// its own, and the blanks of the columns cost a glyph each. Here a glyph
// goes where drawText would put it, from the font's own advances, and a
// blank only moves the pen. A text with a character the font has no glyph
// for is drawn by drawText, which falls back on other fonts, and so is
// every text on a picture
// (the print preview records its pages as pictures), which would keep a
// glyph run as the outline of every glyph instead of its text.
class GlyphBatch
{
public:
    // The font as the device (the printer) measures it.
    GlyphBatch(const QFont &font, QPaintDevice *device);

    // The text's advance, as QFontMetrics::horizontalAdvance gives it.
    int width(const QString &text) const;
    // Queues the text with its baseline starting at origin.
    void add(const QString &text, const QPointF &origin, const QColor &colour);
    // Draws what was queued, in the painter's current font for the texts
    // that need drawText, and empties the batch.
    void flush(QPainter &painter);

private:
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0.0;
        bool known = false;   // looked up
    };
    struct Run {
        QColor colour;
        QVector<quint32> glyphs;
        QVector<QPointF> positions;
    };
    struct Text {
        QString text;
        QPointF origin;
        QColor colour;
    };
    // Null for a character without a glyph of the font or beyond Latin-1.
    const Glyph *glyphOf(QChar c) const;
    bool drawable(const QString &text) const;
    Run &runOf(const QColor &colour);

    QFontMetrics metrics;
    QRawFont raw;
    bool asGlyphRuns;
    mutable std::array<Glyph, 256> glyphs {};
    QVector<Run> runs;
    QVector<Text> others;
};
