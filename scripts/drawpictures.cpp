// Draws the application's pictures (tool bar icons, window icon, alarm balls,
// battery, language flags, the report's and the about box's logos) into
// resources/pictures/. Run through scripts/drawpictures.sh.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QLinearGradient>
#include <QTextStream>
#include <cmath>
#include <functional>
#include <vector>

namespace {

const QColor kOutline(40, 40, 40);

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QLinearGradient vertical(const QColor &top, const QColor &bottom, qreal y0 = 0, qreal y1 = 64)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void text(QPainter &p, const QRectF &box, int alignment, const QString &words, int pixelSize,
          bool bold, const QColor &colour)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, alignment, words);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &colour, qreal width = 7)
{
    p.save();
    QLineF line(from, to);
    QLineF unit = line.unitVector();
    QPointF dir(unit.dx(), unit.dy());
    QPointF normal(-dir.y(), dir.x());
    qreal head = width * 2.2;
    QPointF base = to - dir * head;
    QPainterPath path;
    path.moveTo(from + normal * width / 2);
    path.lineTo(base + normal * width / 2);
    path.lineTo(base + normal * head * 0.75);
    path.lineTo(to);
    path.lineTo(base - normal * head * 0.75);
    path.lineTo(base - normal * width / 2);
    path.lineTo(from - normal * width / 2);
    path.closeSubpath();
    p.setPen(QPen(kOutline, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(path);
    p.restore();
}

void page(QPainter &p, const QRectF &r, const QColor &fill = QColor(250, 250, 250))
{
    QPainterPath path;
    qreal fold = r.width() * 0.28;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

QImage folderDownload()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    QPainterPath back;
    back.moveTo(4, 18);
    back.lineTo(4, 56);
    back.lineTo(60, 56);
    back.lineTo(60, 20);
    back.lineTo(30, 20);
    back.lineTo(25, 14);
    back.lineTo(8, 14);
    back.closeSubpath();
    p.setBrush(vertical(QColor(255, 214, 102), QColor(224, 160, 30)));
    p.drawPath(back);
    p.setBrush(vertical(QColor(255, 228, 140), QColor(236, 180, 50), 26, 56));
    p.drawRect(QRectF(4, 26, 56, 30));
    arrow(p, QPointF(40, 2), QPointF(40, 44), QColor(60, 170, 70));
    return img;
}

QImage floppy()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    QPainterPath body;
    body.moveTo(6, 6);
    body.lineTo(50, 6);
    body.lineTo(58, 14);
    body.lineTo(58, 58);
    body.lineTo(6, 58);
    body.closeSubpath();
    p.setBrush(vertical(QColor(80, 120, 200), QColor(40, 70, 150)));
    p.drawPath(body);
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(16, 6, 30, 18));
    p.setBrush(QColor(60, 70, 90));
    p.drawRect(QRectF(36, 10, 6, 11));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13, 32, 38, 26));
    p.setPen(QPen(QColor(150, 150, 160), 1.5));
    for (int y = 39; y < 56; y += 6)
        p.drawLine(17, y, 47, y);
    return img;
}

QImage gear()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    QPainterPath teeth;
    const int count = 10;
    for (int i = 0; i < count * 2; ++i) {
        qreal angle = i * M_PI / count;
        qreal next = (i + 1) * M_PI / count;
        qreal radius = (i % 2 == 0) ? 28 : 21;
        QPointF a(32 + radius * std::cos(angle), 32 + radius * std::sin(angle));
        QPointF b(32 + radius * std::cos(next), 32 + radius * std::sin(next));
        if (i == 0)
            teeth.moveTo(a);
        else
            teeth.lineTo(a);
        teeth.lineTo(b);
    }
    teeth.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 9, 9);
    QRadialGradient g(QPointF(26, 24), 36);
    g.setColorAt(0, QColor(225, 228, 235));
    g.setColorAt(1, QColor(120, 128, 145));
    p.setBrush(g);
    p.drawPath(teeth.subtracted(hole));
    return img;
}

QImage question()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    QRadialGradient g(QPointF(24, 20), 40);
    g.setColorAt(0, QColor(120, 180, 255));
    g.setColorAt(1, QColor(20, 80, 180));
    p.setBrush(g);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    text(p, QRectF(4, 4, 56, 56), Qt::AlignCenter, QStringLiteral("?"), 40, true, Qt::white);
    return img;
}

QImage chart()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 6, 56, 52));
    p.setPen(QPen(QColor(190, 190, 200), 1));
    for (int y = 16; y < 58; y += 10)
        p.drawLine(6, y, 58, y);
    p.setPen(QPen(QColor(210, 40, 40), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(8, 44), QPointF(18, 30), QPointF(28, 38), QPointF(38, 18),
                              QPointF(48, 26), QPointF(56, 14)}));
    p.setPen(QPen(QColor(40, 110, 210), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(8, 52), QPointF(20, 48), QPointF(30, 50), QPointF(42, 42),
                              QPointF(56, 44)}));
    return img;
}

QImage undock()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    p.setBrush(vertical(QColor(235, 240, 250), QColor(180, 190, 210)));
    p.drawRoundedRect(QRectF(4, 22, 40, 38), 4, 4);
    p.setBrush(QColor(70, 90, 130));
    p.drawRect(QRectF(4, 22, 40, 8));
    arrow(p, QPointF(22, 46), QPointF(58, 8), QColor(60, 170, 70));
    return img;
}

QImage pdf()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    page(p, QRectF(10, 4, 44, 56));
    p.setBrush(QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 30, 46, 20), 3, 3);
    text(p, QRectF(4, 30, 46, 20), Qt::AlignCenter, QStringLiteral("PDF"), 15, true, Qt::white);
    return img;
}

void padlock(QPainter &p, bool open)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 115, 125), 6, Qt::SolidLine, Qt::FlatCap));
    // An open shackle is lifted, its left leg free of the body.
    const qreal top = open ? 2 : 8;
    QPainterPath shackle;
    shackle.moveTo(20, open ? 20 : 30);
    shackle.lineTo(20, top + 12);
    shackle.arcTo(QRectF(20, top, 24, 24), 180, -180);
    shackle.lineTo(44, 30);
    p.drawPath(shackle);
    p.setPen(QPen(kOutline, 2.5));
    p.setBrush(vertical(QColor(255, 210, 80), QColor(200, 140, 20), 28, 60));
    p.drawRoundedRect(QRectF(10, 28, 44, 32), 5, 5);
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(32, 41), 4, 4);
    p.drawRect(QRectF(30.5, 42, 3, 9));
}

QImage lock(bool open)
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    padlock(p, open);
    return img;
}

QImage printer()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 4, 32, 22));
    p.setBrush(vertical(QColor(170, 175, 185), QColor(100, 105, 115), 22, 50));
    p.drawRoundedRect(QRectF(4, 22, 56, 28), 5, 5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 40, 32, 20));
    p.setPen(QPen(QColor(150, 150, 160), 1.5));
    p.drawLine(20, 48, 44, 48);
    p.drawLine(20, 54, 40, 54);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 200, 90));
    p.drawEllipse(QPointF(52, 30), 3, 3);
    return img;
}

QImage printPreview()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    page(p, QRectF(6, 4, 40, 54));
    p.setPen(QPen(QColor(150, 150, 160), 1.5));
    for (int y = 16; y < 50; y += 6)
        p.drawLine(12, y, 36, y);
    p.setPen(QPen(kOutline, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 48), QPointF(60, 60));
    p.setPen(QPen(kOutline, 3));
    QRadialGradient g(QPointF(36, 32), 16);
    g.setColorAt(0, QColor(230, 245, 255, 220));
    g.setColorAt(1, QColor(140, 190, 240, 220));
    p.setBrush(g);
    p.drawEllipse(QPointF(40, 40), 12, 12);
    return img;
}

QImage logout()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    p.setBrush(vertical(QColor(190, 130, 80), QColor(130, 80, 40)));
    p.drawRect(QRectF(6, 4, 30, 56));
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(29, 34), 2.5, 2.5);
    arrow(p, QPointF(24, 32), QPointF(62, 32), QColor(220, 60, 50));
    return img;
}

QImage emailSend()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    p.setBrush(vertical(QColor(255, 255, 255), QColor(220, 225, 235), 14, 54));
    p.drawRect(QRectF(3, 16, 46, 34));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(3, 16), QPointF(26, 36), QPointF(49, 16)}));
    arrow(p, QPointF(34, 50), QPointF(62, 50), QColor(60, 170, 70), 6);
    return img;
}

QImage battery()
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2, 8, 25, 16), 2, 2);
    p.setBrush(kOutline);
    p.drawRect(QRectF(27, 12, 3, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 180, 60));
    p.drawRect(QRectF(4.5, 10.5, 20, 11));
    return img;
}

QImage ball(const QColor &colour)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6, 5), 10);
    g.setColorAt(0, colour.lighter(190));
    g.setColorAt(0.5, colour);
    g.setColorAt(1, colour.darker(170));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(220), 1));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    return img;
}

QImage windowIcon()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    prepare(p);
    // A pocket logger: a rounded body with a display and a probe bulb.
    p.setBrush(vertical(QColor(70, 150, 220), QColor(20, 80, 160)));
    p.drawRoundedRect(QRectF(8, 4, 40, 56), 8, 8);
    p.setBrush(QColor(200, 230, 200));
    p.drawRect(QRectF(14, 12, 28, 16));
    p.setPen(QPen(QColor(30, 90, 30), 2));
    p.drawPolyline(QPolygonF({QPointF(16, 24), QPointF(22, 18), QPointF(28, 22), QPointF(34, 15),
                              QPointF(40, 19)}));
    p.setPen(QPen(kOutline, 2.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(50, 10, 8, 38), 4, 4);
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QPointF(54, 52), 7, 7);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(52.5, 26, 3, 24));
    return img;
}

// The product's brand line of the about box: the logger and the name.
QImage brand()
{
    QImage img = canvas(256, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QRectF(4, 4, 56, 56), windowIcon());
    text(p, QRectF(68, 0, 188, 64), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Mirelda"), 34,
         true, QColor(20, 80, 160));
    return img;
}

QImage dataFile()
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    page(p, QRectF(5, 2, 22, 28));
    p.setPen(QPen(QColor(40, 110, 210), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(8, 24), QPointF(12, 17), QPointF(16, 21), QPointF(20, 12),
                              QPointF(24, 16)}));
    return img;
}

// The report's page logo, 242 x 162: the window icon's logger in a badge
// with the product name under a trace that crosses its alarm limits.
QImage reportLogo()
{
    QImage img(242, 162, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 80, 160), 6));
    p.setBrush(vertical(QColor(235, 244, 252), QColor(200, 222, 245), 0, 162));
    p.drawRoundedRect(QRectF(5, 5, 232, 152), 24, 24);
    p.setPen(QPen(QColor(210, 60, 60), 3, Qt::DashLine));
    p.drawLine(QPointF(24, 40), QPointF(218, 40));
    p.setPen(QPen(QColor(60, 90, 210), 3, Qt::DashLine));
    p.drawLine(QPointF(24, 96), QPointF(218, 96));
    p.setPen(QPen(QColor(20, 80, 160), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(24, 80), QPointF(52, 58), QPointF(80, 70), QPointF(108, 30),
                              QPointF(136, 66), QPointF(164, 104), QPointF(192, 62),
                              QPointF(218, 72)}));
    QFont font(QStringLiteral("DejaVu Sans"), 10, QFont::Bold);
    font.setPixelSize(34);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    p.setPen(QColor(20, 60, 130));
    p.drawText(QRectF(5, 108, 232, 44), Qt::AlignCenter, QStringLiteral("MIRELDA"));
    return img;
}

// Flags of the language choice: 64 x 64 with the flag centred at 3:2.
const QRectF kFlagRect(2, 11, 60, 40);

QImage flag(const std::function<void(QPainter &, const QRectF &)> &paint)
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    paint(p, kFlagRect);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 1.2));
    p.drawRect(kFlagRect);
    return img;
}

void verticalBands(QPainter &p, const QRectF &r, const std::vector<QColor> &colours)
{
    const qreal w = r.width() / colours.size();
    for (size_t i = 0; i < colours.size(); ++i)
        p.fillRect(QRectF(r.left() + i * w, r.top(), w, r.height()), colours[i]);
}

void horizontalBands(QPainter &p, const QRectF &r, const std::vector<std::pair<QColor, qreal>> &bands)
{
    qreal total = 0;
    for (const auto &band : bands)
        total += band.second;
    qreal y = r.top();
    for (const auto &band : bands) {
        const qreal h = r.height() * band.second / total;
        p.fillRect(QRectF(r.left(), y, r.width(), h), band.first);
        y += h;
    }
}

QImage flagUnitedStates()
{
    return flag([](QPainter &p, const QRectF &r) {
        std::vector<std::pair<QColor, qreal>> stripes;
        for (int i = 0; i < 13; ++i)
            stripes.push_back({i % 2 ? Qt::white : QColor(178, 34, 52), 1});
        horizontalBands(p, r, stripes);
        const QRectF canton(r.left(), r.top(), r.width() * 0.4, r.height() * 7 / 13);
        p.fillRect(canton, QColor(60, 59, 110));
        p.setBrush(Qt::white);
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 5; ++col)
                p.drawEllipse(QPointF(canton.left() + 2.5 + col * 4.6, canton.top() + 2.8 + row * 5.0), 0.9, 0.9);
    });
}

QImage flagFrance()
{
    return flag([](QPainter &p, const QRectF &r) {
        verticalBands(p, r, {QColor(0, 35, 149), Qt::white, QColor(237, 41, 57)});
    });
}

QImage flagItaly()
{
    return flag([](QPainter &p, const QRectF &r) {
        verticalBands(p, r, {QColor(0, 146, 70), Qt::white, QColor(206, 43, 55)});
    });
}

QImage flagSpain()
{
    return flag([](QPainter &p, const QRectF &r) {
        horizontalBands(p, r, {{QColor(170, 21, 27), 1}, {QColor(241, 191, 0), 2}, {QColor(170, 21, 27), 1}});
    });
}

QImage flagGermany()
{
    return flag([](QPainter &p, const QRectF &r) {
        horizontalBands(p, r, {{Qt::black, 1}, {QColor(221, 0, 0), 1}, {QColor(255, 206, 0), 1}});
    });
}

QImage flagPortugal()
{
    return flag([](QPainter &p, const QRectF &r) {
        p.fillRect(QRectF(r.left(), r.top(), r.width() * 0.4, r.height()), QColor(0, 102, 0));
        p.fillRect(QRectF(r.left() + r.width() * 0.4, r.top(), r.width() * 0.6, r.height()), QColor(255, 0, 0));
        const QPointF centre(r.left() + r.width() * 0.4, r.center().y());
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 229, 0), 2.2));
        p.drawEllipse(centre, 8, 8);
        p.setPen(QPen(Qt::white, 0.8));
        p.setBrush(QColor(255, 0, 0));
        p.drawRoundedRect(QRectF(centre.x() - 4, centre.y() - 5, 8, 10), 2, 2);
    });
}

bool save(const QDir &dir, const QString &name, const QImage &image, const char *format = "png")
{
    QImageWriter writer(dir.filePath(name), format);
    if (!writer.write(image)) {
        QTextStream(stderr) << name << ": " << writer.errorString() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/pictures");
    QDir dir;
    if (!dir.mkpath(target))
        return 1;
    dir.setPath(target);

    const std::vector<std::pair<QString, std::function<QImage()>>> pictures = {
        {"kelpra.png", windowIcon},
        {"folder_download.png", folderDownload},
        {"floppy.png", floppy},
        {"control-center.png", gear},
        {"FAQ.png", question},
        {"kchart.png", chart},
        {"Undock.png", undock},
        {"acrord.png", pdf},
        {"lock_open.png", [] { return lock(true); }},
        {"lock_closed.png", [] { return lock(false); }},
        {"PrintPreview2.png", printPreview},
        {"printer.png", printer},
        {"logout.png", logout},
        {"1385547187_email-send.png", emailSend},
        {"FullBattery.png", battery},
        {"Ball Blue.png", [] { return ball(QColor(40, 90, 220)); }},
        {"Ball Green.png", [] { return ball(QColor(40, 170, 50)); }},
        {"Ball Red.png", [] { return ball(QColor(210, 30, 30)); }},
        {"NorvelLogoButton.png", reportLogo},
        {"United-States-Flag-icon.png", flagUnitedStates},
        {"France-Flag-icon.png", flagFrance},
        {"Spain-Flag-icon.png", flagSpain},
        {"italy_flag.png", flagItaly},
        {"germany_flag.png", flagGermany},
        {"Portugal-Flag-icon.png", flagPortugal},
        {"ovelle.png", brand},
    };
    bool ok = true;
    for (const auto &picture : pictures)
        ok = save(dir, picture.first, picture.second()) && ok;
    ok = save(dir, QStringLiteral("file_001.ico"), dataFile(), "ico") && ok;
    return ok ? 0 : 1;
}
