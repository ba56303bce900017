// Draws the program's icons and button pictures into assets/icons:
//   make-icons DIR
// The window icon's SVG is written from the spade the cards show, and the larger
// PNGs are rendered from that SVG; the small sizes are drawn in pure black and white so they
// stay sharp in a title bar.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <cstdio>

namespace {

QString Dir;

// The cards' spade, centred on the origin in a 1 x 1 box.
QPainterPath SpadePath()
{
    QPainterPath p;
    p.moveTo(0, -0.5);
    p.cubicTo(0.14, -0.31, 0.5, -0.12, 0.5, 0.13);
    p.cubicTo(0.5, 0.3, 0.37, 0.39, 0.245, 0.39);
    p.cubicTo(0.14, 0.39, 0.07, 0.34, 0.04, 0.27);
    p.quadTo(0.06, 0.42, 0.19, 0.5);
    p.lineTo(-0.19, 0.5);
    p.quadTo(-0.06, 0.42, -0.04, 0.27);
    p.cubicTo(-0.07, 0.34, -0.14, 0.39, -0.245, 0.39);
    p.cubicTo(-0.37, 0.39, -0.5, 0.3, -0.5, 0.13);
    p.cubicTo(-0.5, -0.12, -0.14, -0.31, 0, -0.5);
    p.closeSubpath();
    return p;
}

bool Save(const QImage& image, const QString& name)
{
    const QString path = Dir + QLatin1Char('/') + name;
    if (!image.save(path)) {
        std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage Blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Path elements as SVG path data, in the coordinates the transform gives.
QString SvgPathData(const QPainterPath& path)
{
    QString d;
    auto num = [](qreal v) { return QString::number(v, 'f', 2); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            d += QStringLiteral("M%1 %2 ").arg(num(e.x), num(e.y));
        } else if (e.isLineTo()) {
            d += QStringLiteral("L%1 %2 ").arg(num(e.x), num(e.y));
        } else if (e.isCurveTo()) {
            const auto c2 = path.elementAt(i + 1);
            const auto end = path.elementAt(i + 2);
            d += QStringLiteral("C%1 %2 %3 %4 %5 %6 ")
                     .arg(num(e.x), num(e.y), num(c2.x), num(c2.y), num(end.x), num(end.y));
            i += 2;
        }
    }
    return d + QLatin1Char('Z');
}

// A white card standing slightly tilted, an A in its corner and a large spade.
QByteArray AppSvg()
{
    QTransform big;
    big.translate(128, 140);
    big.scale(112, 112);
    QTransform small;
    small.translate(60, 86);
    small.scale(22, 22);
    QTransform letter;
    const QPainterPath spade = SpadePath();
    const QString svg =
        QStringLiteral(
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
            "viewBox=\"0 0 256 256\">\n"
            "  <rect x=\"38\" y=\"14\" width=\"180\" height=\"228\" rx=\"18\" fill=\"#ffffff\" "
            "stroke=\"#111111\" stroke-width=\"8\"/>\n"
            "  <path d=\"M49 70 L60 36 L71 70 M53 60 L67 60\" fill=\"none\" stroke=\"#111111\" "
            "stroke-width=\"7\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n"
            "  <path d=\"%1\" fill=\"#111111\"/>\n"
            "  <path d=\"%2\" fill=\"#111111\"/>\n"
            "</svg>\n")
            .arg(SvgPathData(small.map(spade)), SvgPathData(big.map(spade)));
    return svg.toUtf8();
}

QImage RenderSvg(const QByteArray& svg, int size)
{
    QImage image = Blank(size);
    QSvgRenderer renderer(svg);
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

// Small sizes are drawn on the pixel grid without smoothing: a black-outlined white card, a
// pixel A and a solid spade, pure black and white like a classic 32 x 32 icon.
QImage SmallAppIcon(int size)
{
    QImage image = Blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const bool large = size >= 32;
    const QRect card = large ? QRect(5, 1, 22, 30) : QRect(2, 0, 12, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(card.adjusted(1, 0, -1, 0));
    p.drawRect(card.adjusted(0, 1, 0, -1));
    p.setBrush(Qt::white);
    p.drawRect(card.adjusted(1, 1, -1, -1));
    if (large) {
        static const char* const kA[] = {".X.", "X.X", "XXX", "X.X", "X.X"};
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 3; ++x)
                if (kA[y][x] == 'X')
                    image.setPixel(card.left() + 2 + x, card.top() + 2 + y, qRgb(0, 0, 0));
    }
    QTransform t;
    t.translate(card.center().x() + 0.5, card.center().y() + (large ? 2.5 : 1.0));
    const qreal pip = large ? 15.0 : 8.0;
    t.scale(pip, pip);
    p.setBrush(Qt::black);
    p.drawPath(t.map(SpadePath()));
    return image;
}

// The hold buttons' triangle: apex up, split down the middle into two shades.
QImage Triangle(const QColor& left, const QColor& right, const QColor& edge)
{
    QImage image = Blank(16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF apex(8, 2), baseLeft(1.5, 14), baseRight(14.5, 14), baseMid(8, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(left);
    p.drawPolygon(QPolygonF{apex, baseLeft, baseMid});
    p.setBrush(right);
    p.drawPolygon(QPolygonF{apex, baseMid, baseRight});
    p.setPen(QPen(edge, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF{apex, baseLeft, baseRight});
    return image;
}

// A white speech bubble with a blue lower-case i, drawn as shapes rather than text.
QImage InfoBubble(int size)
{
    QImage image = Blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QPainterPath bubble;
    bubble.addEllipse(QRectF(1.5, 1.5, 29, 24));
    QPainterPath tail;
    tail.moveTo(7, 19);
    tail.lineTo(4, 30.5);
    tail.lineTo(15, 24);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(0x40, 0x40, 0x48), size <= 16 ? 2.0 : 1.4));
    p.setBrush(Qt::white);
    p.drawPath(bubble);
    const QColor blue(0x1c, 0x5c, 0xd6);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawEllipse(QPointF(16, 7.6), 2.4, 2.4);
    QPainterPath stem;
    stem.moveTo(12.5, 11.5);
    stem.lineTo(18.2, 11.5);
    stem.lineTo(18.2, 19.5);
    stem.lineTo(20, 19.5);
    stem.lineTo(20, 22);
    stem.lineTo(12, 22);
    stem.lineTo(12, 19.5);
    stem.lineTo(13.8, 19.5);
    stem.lineTo(13.8, 14);
    stem.lineTo(12.5, 14);
    stem.closeSubpath();
    p.drawPath(stem);
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icons DIR\n");
        return 2;
    }
    Dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    const QByteArray svg = AppSvg();
    QFile svgFile(Dir + QStringLiteral("/app.svg"));
    ok = svgFile.open(QIODevice::WriteOnly) && svgFile.write(svg) == svg.size() && ok;
    svgFile.close();
    for (int size : {16, 32})
        ok = Save(SmallAppIcon(size), QStringLiteral("app-%1.png").arg(size)) && ok;
    for (int size : {48, 64, 128, 256})
        ok = Save(RenderSvg(svg, size), QStringLiteral("app-%1.png").arg(size)) && ok;

    const QColor lightBlue(0x6c, 0xaa, 0xff), darkBlue(0x14, 0x3c, 0xa0), navy(0x0a, 0x1e, 0x5a);
    ok = Save(Triangle(lightBlue, darkBlue, navy), QStringLiteral("hold.png")) && ok;
    ok = Save(Triangle(darkBlue, lightBlue, navy), QStringLiteral("hold-pressed.png")) && ok;
    ok =
        Save(Triangle(QColor(0xd0, 0xd0, 0xd0), QColor(0x90, 0x90, 0x90), QColor(0x70, 0x70, 0x70)),
             QStringLiteral("hold-disabled.png")) &&
        ok;

    ok = Save(InfoBubble(32), QStringLiteral("info-32.png")) && ok;
    ok = Save(InfoBubble(16), QStringLiteral("info-16.png")) && ok;
    return ok ? 0 : 1;
}
