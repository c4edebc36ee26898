#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>

#include "reports/glyphbatch.h"
#include "support/testenv.h"
#include "support/viewstest.h"

namespace {

QFont rowFont()
{
    QFont font(QStringLiteral("Courier New"), 10, QFont::Bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

using ViewsTest::pdfWords;

}

class TestGlyphBatch : public QObject
{
    Q_OBJECT
private slots:
    // The batch puts every word where drawText puts it, with the same
    // width, blanks and characters the font lacks included.
    void textsStandWhereDrawTextPutsThem()
    {
        const QStringList texts { QStringLiteral("  12  05/01/26 08:00:00"), QStringLiteral("  -12.3"),
                                  QStringLiteral(" 45.5°C"), QStringLiteral("ok \u2713 done") };
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("glyphs.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QPainter painter(&printer);
        painter.setFont(rowFont());
        GlyphBatch batch(rowFont(), &printer);
        const QFontMetrics metrics(rowFont(), &printer);
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(batch.width(texts.at(i)), metrics.horizontalAdvance(texts.at(i)));
            painter.drawText(QPoint(300, 1000 + 600 * i), texts.at(i));
            batch.add(texts.at(i), QPointF(300, 1300 + 600 * i), i % 2 ? Qt::red : Qt::black);
        }
        batch.flush(painter);
        painter.end();

        const QList<QPair<QString, QRectF>> words = pdfWords(pdf);
        // the same words twice, the batch's 300 dots (18 points) lower
        QCOMPARE(words.size() % 2, 0);
        int matched = 0;
        for (const auto &drawn : words) {
            for (const auto &batched : words) {
                if (batched.first == drawn.first && qAbs(batched.second.left() - drawn.second.left()) < 0.01
                    && qAbs(batched.second.bottom() - drawn.second.bottom() - 18.0) < 0.01)
                    ++matched;
            }
        }
        QCOMPARE(matched, words.size() / 2);
        QVERIFY(std::any_of(words.cbegin(), words.cend(),
                            [](const QPair<QString, QRectF> &word) { return word.first == QStringLiteral("\u2713"); }));
    }

    // The print preview records its pages as pictures: a picture keeps the
    // texts as texts, not as the outlines of their glyphs, which would take
    // megabytes a page.
    void aPictureRecordsTextsAsTexts()
    {
        QPicture picture;
        QPainter painter(&picture);
        QFont big = rowFont();
        big.setPixelSize(40);
        painter.setFont(big);
        GlyphBatch batch(big, &picture);
        for (int row = 0; row < 100; ++row)
            batch.add(QStringLiteral("%1  05/01/26 08:00:00").arg(row, 4), QPointF(10, 50 * row), Qt::black);
        batch.flush(painter);
        painter.end();
        QVERIFY2(picture.size() < 30000, qPrintable(QString::number(picture.size())));

        QImage image(800, 5000, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter player(&image);
        picture.play(&player);
        player.end();
        int inked = 0;
        for (int x = 0; x < image.width(); ++x)
            inked += image.pixel(x, 50 * 99 - 10) != qRgb(255, 255, 255);
        QVERIFY(inked > 20);
    }

    // Each text keeps its own colour, and a flushed batch is empty.
    void textsKeepTheirColours()
    {
        QImage image(400, 120, QImage::Format_RGB32);
        image.fill(Qt::white);
        QFont big = rowFont();
        big.setPixelSize(40);
        QPainter painter(&image);
        painter.setFont(big);
        GlyphBatch batch(big, &image);
        batch.add(QStringLiteral("8888"), QPointF(10, 50), Qt::red);
        batch.add(QStringLiteral("8888"), QPointF(10, 100), Qt::blue);
        batch.flush(painter);
        batch.flush(painter);
        painter.end();
        auto count = [&image](int top, int bottom, QRgb colour) {
            int n = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixel(x, y) == colour;
            return n;
        };
        QVERIFY(count(0, 60, qRgb(255, 0, 0)) > 50);
        QCOMPARE(count(0, 60, qRgb(0, 0, 255)), 0);
        QVERIFY(count(60, 120, qRgb(0, 0, 255)) > 50);
        QCOMPARE(count(60, 120, qRgb(255, 0, 0)), 0);
    }
};

MIRELDA_TEST_MAIN(TestGlyphBatch)
#include "tst_glyphbatch.moc"
