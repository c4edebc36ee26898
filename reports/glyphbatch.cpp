#include "reports/glyphbatch.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>

GlyphBatch::GlyphBatch(const QFont &font, QPaintDevice *device)
    : metrics(font, device), raw(QRawFont::fromFont(QFont(font, device))),
      asGlyphRuns(device->paintEngine() && device->paintEngine()->type() != QPaintEngine::Picture)
{
}

const GlyphBatch::Glyph *GlyphBatch::glyphOf(QChar c) const
{
    if (c.unicode() >= glyphs.size() || !raw.isValid())
        return nullptr;
    Glyph &glyph = glyphs[c.unicode()];
    if (!glyph.known) {
        glyph.known = true;
        quint32 index = 0;
        int count = 1;
        if (raw.glyphIndexesForChars(&c, 1, &index, &count) && count == 1 && index != 0) {
            QPointF advance;
            raw.advancesForGlyphIndexes(&index, &advance, 1);
            glyph.index = index;
            glyph.advance = advance.x();
        }
    }
    return glyph.index != 0 ? &glyph : nullptr;
}

bool GlyphBatch::drawable(const QString &text) const
{
    for (QChar c : text)
        if (!glyphOf(c))
            return false;
    return true;
}

int GlyphBatch::width(const QString &text) const
{
    if (!drawable(text))
        return metrics.horizontalAdvance(text);
    qreal sum = 0.0;
    for (QChar c : text)
        sum += glyphOf(c)->advance;
    return qRound(sum);
}

GlyphBatch::Run &GlyphBatch::runOf(const QColor &colour)
{
    for (Run &run : runs)
        if (run.colour == colour)
            return run;
    runs.append({ colour, {}, {} });
    return runs.last();
}

void GlyphBatch::add(const QString &text, const QPointF &origin, const QColor &colour)
{
    if (!asGlyphRuns || !drawable(text)) {
        others.append({ text, origin, colour });
        return;
    }
    Run &run = runOf(colour);
    qreal x = origin.x();
    for (QChar c : text) {
        const Glyph *glyph = glyphOf(c);
        if (!c.isSpace()) {
            run.glyphs.append(glyph->index);
            run.positions.append(QPointF(x, origin.y()));
        }
        x += glyph->advance;
    }
}

void GlyphBatch::flush(QPainter &painter)
{
    for (const Run &run : qAsConst(runs)) {
        QGlyphRun glyphRun;
        glyphRun.setRawFont(raw);
        glyphRun.setGlyphIndexes(run.glyphs);
        glyphRun.setPositions(run.positions);
        painter.setPen(run.colour);
        painter.drawGlyphRun(QPointF(), glyphRun);
    }
    for (const Text &text : qAsConst(others)) {
        painter.setPen(text.colour);
        painter.drawText(text.origin, text.text);
    }
    runs.clear();
    others.clear();
}
