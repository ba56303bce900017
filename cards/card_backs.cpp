// The fifteen card-back designs. Each is a picture inside the white border of a card back.

#include "card_art_parts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>
#include <cstdint>

namespace cards::art {

namespace {

const QRectF kInner(4.0, 4.0, kWidth - 8.0, kHeight - 8.0);
constexpr qreal kInnerRadius = 2.5;

// Fixed sequence for stars, bubbles and sand grains: every card of a design looks alike.
class Scatter
{
  public:
    explicit Scatter(uint32_t seed) : m_state(seed) {}
    qreal next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / static_cast<qreal>(1u << 24);
    }
    qreal between(qreal lo, qreal hi) { return lo + (hi - lo) * next(); }

  private:
    uint32_t m_state;
};

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& a, const QColor& b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

void Fill(QPainter& p, const QBrush& brush)
{
    Mark(p, "background");
    p.fillRect(kInner.adjusted(-1, -1, 1, 1), brush);
}

// A fine frame inside the picture, as printed backs have.
void InnerRule(QPainter& p, const QColor& color, qreal inset = 2.2)
{
    Mark(p, "rule");
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 0.5));
    p.drawRoundedRect(kInner.adjusted(inset, inset, -inset, -inset), 1.5, 1.5);
}

// --- Pattern 1: a blue diamond lattice ------------------------------------------------------

void Pattern1(QPainter& p)
{
    Fill(p, QColor(0x1d, 0x3f, 0x8f));
    Mark(p, "lattice");
    p.setPen(QPen(QColor(0x8c, 0xb4, 0xf0), 0.5));
    const qreal step = 6.0;
    for (qreal d = -kHeight; d < kWidth + kHeight; d += step) {
        p.drawLine(QPointF(d, 0), QPointF(d + kHeight, kHeight));
        p.drawLine(QPointF(d, 0), QPointF(d - kHeight, kHeight));
    }
    Mark(p, "diamonds");
    // Small white diamonds where the lines cross.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe6, 0xef, 0xff));
    for (qreal y = 0; y <= kHeight; y += step / 2) {
        const int row = static_cast<int>(std::lround(y / (step / 2)));
        for (qreal x = (row % 2) * step / 2; x <= kWidth; x += step) {
            QPolygonF d;
            d << QPointF(x, y - 0.9) << QPointF(x + 0.9, y) << QPointF(x, y + 0.9)
              << QPointF(x - 0.9, y);
            p.drawPolygon(d);
        }
    }
    InnerRule(p, QColor(0xe6, 0xef, 0xff), 2.5);
    InnerRule(p, QColor(0xe6, 0xef, 0xff), 3.6);
}

// --- Pattern 2: red interlaced rings ---------------------------------------------------------

void Pattern2(QPainter& p)
{
    Fill(p, QColor(0xa8, 0x12, 0x22));
    Mark(p, "rings");
    const qreal r = 4.0;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xf0, 0x78, 0x70), 0.5));
    for (qreal y = 0; y <= kHeight + r; y += r) {
        for (qreal x = 0; x <= kWidth + r; x += r)
            p.drawEllipse(QPointF(x, y), r, r);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe7, 0x9a));
    for (qreal y = 0; y <= kHeight; y += 2 * r)
        for (qreal x = 0; x <= kWidth; x += 2 * r)
            p.drawEllipse(QPointF(x + r, y + r), 0.75, 0.75);
    Mark(p, "medallion");
    // A medallion in the middle.
    const QPointF c(kWidth / 2, kHeight / 2);
    p.setBrush(QColor(0xa8, 0x12, 0x22));
    p.setPen(QPen(QColor(0xff, 0xe7, 0x9a), 0.8));
    p.drawEllipse(c, 12, 12);
    p.setPen(QPen(QColor(0xff, 0xc9, 0xb8), 0.5));
    p.drawEllipse(c, 10.3, 10.3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe7, 0x9a));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45);
        QPainterPath petal;
        petal.moveTo(0, 0);
        petal.quadTo(2.6, -4.5, 0, -8.5);
        petal.quadTo(-2.6, -4.5, 0, 0);
        p.drawPath(petal);
        p.restore();
    }
    p.setBrush(QColor(0xa8, 0x12, 0x22));
    p.drawEllipse(c, 1.6, 1.6);
    InnerRule(p, QColor(0xff, 0xe7, 0x9a), 2.5);
}

// --- Robot -----------------------------------------------------------------------------------

void Robot(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0x10, 0x3a, 0x4a), QColor(0x06, 0x1c, 0x26)));
    Mark(p, "traces");
    // Circuit-board traces behind him.
    p.setPen(QPen(QColor(0x2f, 0x8f, 0x8a, 150), 0.5));
    p.setBrush(Qt::NoBrush);
    Scatter s(56);
    for (int i = 0; i < 14; ++i) {
        const qreal x = s.between(6, 67), y = s.between(6, 91);
        const qreal len = s.between(5, 14);
        const bool horizontal = s.next() < 0.5;
        const QPointF a(x, y), b = horizontal ? QPointF(x + len, y) : QPointF(x, y + len);
        p.drawLine(a, b);
        p.drawEllipse(b, 0.9, 0.9);
    }
    const qreal cx = kWidth / 2;
    const QColor metal(0xc3, 0xcc, 0xd6), metalDark(0x7d, 0x8a, 0x99), ink(0x1a, 0x22, 0x2c);
    QPen outline(ink, 0.6);
    outline.setJoinStyle(Qt::RoundJoin);
    Mark(p, "antenna");
    // Antenna.
    p.setPen(QPen(metalDark, 1.0));
    p.drawLine(QPointF(cx, 19), QPointF(cx, 13));
    p.setPen(outline);
    p.setBrush(QColor(0xff, 0x4d, 0x3d));
    p.drawEllipse(QPointF(cx, 12), 2.0, 2.0);
    Mark(p, "head");
    // Head.
    p.setBrush(Vertical(19, 37, metal.lighter(110), metalDark));
    p.drawRoundedRect(QRectF(cx - 12, 19, 24, 18), 4, 4);
    p.setBrush(metalDark);
    p.drawRoundedRect(QRectF(cx - 14.5, 24, 2.5, 8), 1, 1);
    p.drawRoundedRect(QRectF(cx + 12, 24, 2.5, 8), 1, 1);
    Mark(p, "eyes");
    // Glowing eyes.
    QRadialGradient glow(QPointF(0, 0), 4.2);
    glow.setColorAt(0, QColor(0xd8, 0xff, 0xff));
    glow.setColorAt(0.5, QColor(0x38, 0xe0, 0xf0));
    glow.setColorAt(1, QColor(0x38, 0xe0, 0xf0, 0));
    for (qreal ex : {cx - 5.5, cx + 5.5}) {
        p.save();
        p.translate(ex, 26.5);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QPointF(0, 0), 4.2, 4.2);
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 2.6, 2.6);
        p.restore();
    }
    Mark(p, "mouth");
    // Mouth grille.
    p.setPen(outline);
    p.setBrush(QColor(0x2a, 0x33, 0x3d));
    p.drawRoundedRect(QRectF(cx - 6, 31, 12, 3.2), 1, 1);
    p.setPen(QPen(metal, 0.5));
    for (qreal x = cx - 4; x <= cx + 4; x += 2)
        p.drawLine(QPointF(x, 31.4), QPointF(x, 33.8));
    Mark(p, "body");
    // Neck and body.
    p.setPen(outline);
    p.setBrush(metalDark);
    p.drawRect(QRectF(cx - 3.5, 37, 7, 3));
    p.setBrush(Vertical(40, 68, metal, metalDark));
    p.drawRoundedRect(QRectF(cx - 15, 40, 30, 27), 4, 4);
    Mark(p, "chest");
    // Chest panel with lights and a dial.
    p.setBrush(QColor(0x2a, 0x33, 0x3d));
    p.drawRoundedRect(QRectF(cx - 10, 44, 20, 11), 1.5, 1.5);
    const QColor lights[] = {QColor(0xff, 0x4d, 0x3d), QColor(0xff, 0xd2, 0x3f),
                             QColor(0x5c, 0xe0, 0x6a)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lights[i]);
        p.drawEllipse(QPointF(cx - 6 + i * 4, 48), 1.3, 1.3);
    }
    p.setBrush(QColor(0x38, 0xe0, 0xf0));
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(cx - 7.5 + i * 3.2, 51.5, 2.2, 1.5));
    p.setPen(outline);
    p.setBrush(metal);
    p.drawEllipse(QPointF(cx, 61), 3.2, 3.2);
    p.drawLine(QPointF(cx, 61), QPointF(cx + 2, 59.2));
    Mark(p, "arms");
    // Arms with pincer hands.
    p.setBrush(metalDark);
    p.drawRoundedRect(QRectF(cx - 20.5, 42, 5, 17), 2, 2);
    p.drawRoundedRect(QRectF(cx + 15.5, 42, 5, 17), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(metal, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(cx - 21.5, 58, 7, 6), 200 * 16, 140 * 16);
    p.drawArc(QRectF(cx + 14.5, 58, 7, 6), 200 * 16, 140 * 16);
    Mark(p, "tracks");
    // Legs on tracks.
    p.setPen(outline);
    p.setBrush(metalDark);
    p.drawRect(QRectF(cx - 10, 67, 6, 10));
    p.drawRect(QRectF(cx + 4, 67, 6, 10));
    p.setBrush(QColor(0x2a, 0x33, 0x3d));
    p.drawRoundedRect(QRectF(cx - 14, 77, 13, 6), 3, 3);
    p.drawRoundedRect(QRectF(cx + 1, 77, 13, 6), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    for (qreal x : {cx - 11, cx - 7.5, cx - 4, cx + 4, cx + 7.5, cx + 11})
        p.drawEllipse(QPointF(x, 80), 1.1, 1.1);
    InnerRule(p, QColor(0x38, 0xe0, 0xf0, 160));
}

// --- Rose ------------------------------------------------------------------------------------

QPainterPath LeafPath(QPointF base, qreal angleDeg, qreal length, qreal width)
{
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.cubicTo(length * 0.3, -width, length * 0.75, -width * 0.8, length, 0);
    leaf.cubicTo(length * 0.75, width * 0.8, length * 0.3, width, 0, 0);
    QTransform t;
    t.translate(base.x(), base.y());
    t.rotate(angleDeg);
    return t.map(leaf);
}

void DrawLeaf(QPainter& p, QPointF base, qreal angle, qreal length, qreal width, const QColor& fill,
              const QColor& vein)
{
    p.setPen(QPen(fill.darker(140), 0.4));
    p.setBrush(fill);
    p.drawPath(LeafPath(base, angle, length, width));
    p.setPen(QPen(vein, 0.35));
    const qreal a = qDegreesToRadians(angle);
    p.drawLine(base, base + QPointF(std::cos(a), std::sin(a)) * length * 0.85);
}

void Rose(QPainter& p)
{
    QRadialGradient bg(QPointF(kWidth / 2, kHeight / 2 - 8), 55);
    bg.setColorAt(0, QColor(0xff, 0xf4, 0xf0));
    bg.setColorAt(1, QColor(0xf2, 0xc4, 0xc8));
    Fill(p, bg);
    const QColor stem(0x2f, 0x6b, 0x2e), leaf(0x3f, 0x8f, 0x3a), vein(0x9c, 0xd1, 0x8a);
    Mark(p, "stem");
    // Stem with thorns and two leaves.
    p.setPen(QPen(stem, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath s;
    s.moveTo(kWidth / 2, 46);
    s.cubicTo(kWidth / 2 - 3, 60, kWidth / 2 + 4, 72, kWidth / 2 - 1, 88);
    p.drawPath(s);
    p.setPen(QPen(stem, 0.8));
    p.drawLine(QPointF(kWidth / 2 - 0.9, 62), QPointF(kWidth / 2 - 3, 61));
    p.drawLine(QPointF(kWidth / 2 + 1.2, 75), QPointF(kWidth / 2 + 3.4, 74));
    DrawLeaf(p, QPointF(kWidth / 2 - 1, 58), 205, 15, 5, leaf, vein);
    DrawLeaf(p, QPointF(kWidth / 2 + 0.8, 68), -25, 14, 4.6, leaf, vein);
    DrawLeaf(p, QPointF(kWidth / 2 - 0.5, 80), 195, 10, 3.4, leaf, vein);
    Mark(p, "sepals");
    // Sepals under the bloom.
    p.setPen(Qt::NoPen);
    p.setBrush(stem);
    for (qreal a : {150.0, 90.0, 30.0})
        p.drawPath(LeafPath(QPointF(kWidth / 2, 44), a, 8, 1.8));
    Mark(p, "bloom");
    // The bloom: outer petals, then tighter and darker ones toward the heart.
    const QPointF c(kWidth / 2, 34);
    struct Ring
    {
        qreal radius, size;
        int count;
        qreal offset;
        QColor color;
    };
    const Ring rings[] = {
        {10.0, 8.5, 6, 0, QColor(0xe2, 0x2a, 0x43)},
        {6.8, 7.0, 5, 36, QColor(0xcc, 0x1c, 0x36)},
        {3.8, 5.4, 4, 10, QColor(0xb3, 0x12, 0x2b)},
    };
    for (const Ring& ring : rings) {
        for (int i = 0; i < ring.count; ++i) {
            const qreal a = qDegreesToRadians(ring.offset + i * 360.0 / ring.count);
            const QPointF at = c + QPointF(std::cos(a), std::sin(a) * 0.85) * ring.radius;
            QRadialGradient g(at - QPointF(1, 1.5), ring.size);
            g.setColorAt(0, ring.color.lighter(135));
            g.setColorAt(1, ring.color);
            p.setPen(QPen(ring.color.darker(150), 0.4));
            p.setBrush(g);
            p.drawEllipse(at, ring.size, ring.size * 0.85);
        }
    }
    Mark(p, "heart");
    // The spiral at the heart.
    p.setPen(QPen(QColor(0x7a, 0x08, 0x1a), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0x9c, 0x0d, 0x24));
    p.drawEllipse(c, 3.4, 3.0);
    QPainterPath spiral;
    for (int i = 0; i <= 60; ++i) {
        const qreal t = i / 60.0;
        const qreal a = t * 4 * M_PI;
        const QPointF pt = c + QPointF(std::cos(a), std::sin(a) * 0.85) * (0.3 + 3.0 * t);
        if (i == 0)
            spiral.moveTo(pt);
        else
            spiral.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(spiral);
    InnerRule(p, QColor(0xc0, 0x5a, 0x6a));
}

// --- Vines -----------------------------------------------------------------------------------

void Vines(QPainter& p, const QColor& background, const QColor& vine, const QColor& leaf,
           const QColor& accent)
{
    Fill(p, background);
    Mark(p, "vines");
    // Three vines whose waves mirror their neighbours', so together they weave a trellis of
    // lozenges; leaves sprout where each vine crosses its mid-line, berries hang in the gaps.
    const qreal amplitude = 5.0, wavelength = 30.0;
    const qreal columns[] = {kInner.left() + 11, kWidth / 2, kInner.right() - 11};
    const qreal signs[] = {1, -1, 1};
    auto xAt = [&](int col, qreal y) {
        return columns[col] + signs[col] * amplitude * std::sin(2 * M_PI * y / wavelength);
    };
    for (int col = 0; col < 3; ++col) {
        QPainterPath stem;
        for (int i = 0; i <= 100; ++i) {
            const qreal y = i * kHeight / 100;
            if (i == 0)
                stem.moveTo(xAt(col, y), y);
            else
                stem.lineTo(xAt(col, y), y);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(vine, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(stem);
        // Mid-line crossings come every half wave; leaves alternate sides.
        for (int k = 0; k * wavelength / 2 < kHeight + wavelength; ++k) {
            const qreal y = k * wavelength / 2;
            const qreal x = xAt(col, y);
            const bool right = (k + col) % 2 == 0;
            DrawLeaf(p, QPointF(x, y), right ? -40 : 220, 8.0, 2.9, leaf, background);
            // A tendril curling away on the other side, a little lower.
            const qreal side = right ? -1 : 1;
            const QPointF start(xAt(col, y + 3.5), y + 3.5);
            const QPointF centre = start + QPointF(side * 2.8, 0.6);
            QPainterPath curl;
            curl.moveTo(start);
            for (int i = 1; i <= 30; ++i) {
                const qreal t = i / 30.0;
                const qreal a = M_PI + t * 1.7 * M_PI;
                const qreal r = 2.8 * (1 - 0.65 * t);
                curl.lineTo(centre + QPointF(side * -std::cos(a) * -r, -std::sin(a) * r));
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(vine, 0.55, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(curl);
        }
    }
    Mark(p, "berries");
    // Berries in threes where neighbouring vines bow furthest apart.
    p.setPen(QPen(accent.darker(140), 0.3));
    p.setBrush(accent);
    for (int gap = 0; gap < 2; ++gap) {
        const qreal x = (columns[gap] + columns[gap + 1]) / 2;
        const qreal firstY = gap == 0 ? wavelength * 0.75 : wavelength * 0.25;
        for (qreal y = firstY - wavelength; y < kHeight + wavelength; y += wavelength) {
            p.drawEllipse(QPointF(x - 1.1, y - 0.6), 1.05, 1.05);
            p.drawEllipse(QPointF(x + 1.1, y - 0.6), 1.05, 1.05);
            p.drawEllipse(QPointF(x, y + 1.2), 1.05, 1.05);
        }
    }
    InnerRule(p, vine, 1.2);
}

// --- Fishes ----------------------------------------------------------------------------------

void DrawFish(QPainter& p, QPointF at, qreal length, bool facingRight, const QColor& body,
              const QColor& fins)
{
    Mark(p, "fish");
    p.save();
    p.translate(at);
    if (!facingRight)
        p.scale(-1, 1);
    p.scale(length / 20.0, length / 20.0);
    const QPen ink(body.darker(190), 0.6);
    // Tail and fins first, so the body covers their roots.
    p.setPen(ink);
    p.setBrush(fins);
    QPainterPath tail;
    tail.moveTo(-6, 0);
    tail.cubicTo(-9, -2, -11, -5, -12, -6.5);
    tail.quadTo(-10.5, 0, -12, 6.5);
    tail.cubicTo(-11, 5, -9, 2, -6, 0);
    p.drawPath(tail);
    QPainterPath dorsal;
    dorsal.moveTo(-3, -4.5);
    dorsal.cubicTo(-1, -8.5, 3, -8, 4, -4.6);
    p.drawPath(dorsal);
    QPainterPath belly;
    belly.moveTo(-1, 4.4);
    belly.quadTo(0.5, 7.5, 2.5, 4.4);
    p.drawPath(belly);
    QLinearGradient g(0, -5, 0, 5);
    g.setColorAt(0, body.lighter(125));
    g.setColorAt(1, body.darker(115));
    p.setBrush(g);
    QPainterPath fish;
    fish.moveTo(9, 0);
    fish.cubicTo(8, -4, 3, -5.5, -1, -5);
    fish.cubicTo(-4, -4.5, -6, -2, -7, 0);
    fish.cubicTo(-6, 2, -4, 4.5, -1, 5);
    fish.cubicTo(3, 5.5, 8, 4, 9, 0);
    p.drawPath(fish);
    // Stripes, gill and eye.
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-1.5, -5, 6, 10), 110 * 16, 140 * 16);
    p.setPen(ink);
    p.drawArc(QRectF(2.5, -3.5, 4, 7), 120 * 16, 120 * 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(5.8, -1.2), 1.4, 1.4);
    p.setBrush(QColor(0x10, 0x10, 0x18));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(6.1, -1.2), 0.75, 0.75);
    p.restore();
}

void Bubbles(QPainter& p, uint32_t seed, int count)
{
    Mark(p, "bubbles");
    Scatter s(seed);
    p.setBrush(QColor(255, 255, 255, 40));
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.4));
    for (int i = 0; i < count; ++i) {
        const QPointF at(s.between(8, 65), s.between(8, 85));
        const qreal r = s.between(0.6, 1.7);
        p.drawEllipse(at, r, r);
    }
}

void Seaweed(QPainter& p, qreal x, qreal height, const QColor& color)
{
    Mark(p, "weed");
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath w;
    const qreal bottom = kInner.bottom();
    w.moveTo(x, bottom);
    w.cubicTo(x - 4, bottom - height * 0.3, x + 4, bottom - height * 0.6, x - 1, bottom - height);
    p.drawPath(w);
}

void FourFishes(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0x4f, 0xb9, 0xe8), QColor(0x0b, 0x4f, 0x8c)));
    Mark(p, "light");
    // Light falling through the water.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    for (int i = 0; i < 4; ++i) {
        QPolygonF ray;
        ray << QPointF(6 + i * 17, 0) << QPointF(14 + i * 17, 0) << QPointF(2 + i * 17, kHeight)
            << QPointF(-6 + i * 17, kHeight);
        p.drawPolygon(ray);
    }
    Bubbles(p, 60, 14);
    // Four fish circling, two each way, as the four suits of a deck.
    DrawFish(p, QPointF(24, 22), 22, true, QColor(0xff, 0x8c, 0x1a), QColor(0xff, 0xc0, 0x4a));
    DrawFish(p, QPointF(49, 40), 22, false, QColor(0xf5, 0xd0, 0x22), QColor(0xff, 0x8c, 0x1a));
    DrawFish(p, QPointF(24, 58), 22, true, QColor(0xe8, 0x3a, 0x5c), QColor(0xff, 0xa0, 0xb0));
    DrawFish(p, QPointF(49, 76), 22, false, QColor(0x9a, 0x5c, 0xe8), QColor(0xc8, 0xa8, 0xff));
    InnerRule(p, QColor(255, 255, 255, 170));
}

void ThreeFishes(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0x38, 0xc6, 0xb0), QColor(0x0a, 0x5e, 0x6a)));
    Mark(p, "floor");
    // Sandy floor with weed.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xd4, 0x9a));
    QPainterPath sand;
    sand.moveTo(0, 84);
    sand.quadTo(kWidth * 0.4, 78, kWidth, 85);
    sand.lineTo(kWidth, kHeight);
    sand.lineTo(0, kHeight);
    sand.closeSubpath();
    p.drawPath(sand);
    Seaweed(p, 12, 30, QColor(0x2e, 0x8b, 0x3e));
    Seaweed(p, 16, 20, QColor(0x4c, 0xaf, 0x50));
    Seaweed(p, 60, 26, QColor(0x2e, 0x8b, 0x3e));
    Bubbles(p, 61, 10);
    // Three fish in a school, large to small along a diagonal.
    DrawFish(p, QPointF(26, 26), 28, true, QColor(0x1e, 0x6f, 0xd8), QColor(0xf5, 0xd0, 0x22));
    DrawFish(p, QPointF(45, 47), 22, true, QColor(0xf5, 0xd0, 0x22), QColor(0x1e, 0x6f, 0xd8));
    DrawFish(p, QPointF(33, 66), 17, true, QColor(0xff, 0x7a, 0x1a), QColor(0xff, 0xf0, 0xe0));
    InnerRule(p, QColor(255, 255, 255, 170));
}

// --- Seashell --------------------------------------------------------------------------------

void Seashell(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0xf8, 0xea, 0xc8), QColor(0xe6, 0xc8, 0x8e)));
    Mark(p, "sand");
    Scatter s(62);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 120; ++i) {
        p.setBrush(QColor(0xb8, 0x92, 0x52, 70 + static_cast<int>(s.next() * 70)));
        p.drawEllipse(QPointF(s.between(4, 69), s.between(4, 93)), 0.35, 0.35);
    }
    Mark(p, "shell");
    // A scallop: ribs fan out from the hinge to a scalloped rim.
    const QPointF hinge(kWidth / 2, 66);
    const int ribs = 9;
    const qreal spread = 150.0;
    const qreal radius = 30.0;
    QPainterPath shell;
    shell.moveTo(hinge);
    for (int i = 0; i <= ribs; ++i) {
        const qreal a = qDegreesToRadians(-90 - spread / 2 + spread * i / ribs);
        const QPointF tip = hinge + QPointF(std::cos(a), std::sin(a)) * radius;
        if (i == 0) {
            shell.lineTo(tip);
        } else {
            const qreal mid = qDegreesToRadians(-90 - spread / 2 + spread * (i - 0.5) / ribs);
            const QPointF bulge = hinge + QPointF(std::cos(mid), std::sin(mid)) * (radius + 4.5);
            shell.quadTo(bulge, tip);
        }
    }
    shell.closeSubpath();
    QRadialGradient g(hinge + QPointF(0, -10), radius + 5);
    g.setColorAt(0, QColor(0xff, 0xe2, 0xc8));
    g.setColorAt(0.7, QColor(0xf8, 0xa0, 0x80));
    g.setColorAt(1, QColor(0xe0, 0x6a, 0x58));
    p.setPen(QPen(QColor(0xa0, 0x40, 0x30), 0.7));
    p.setBrush(g);
    p.drawPath(shell);
    p.setPen(QPen(QColor(0xc0, 0x58, 0x44), 0.6));
    for (int i = 1; i < ribs; ++i) {
        const qreal a = qDegreesToRadians(-90 - spread / 2 + spread * i / ribs);
        p.drawLine(hinge, hinge + QPointF(std::cos(a), std::sin(a)) * (radius - 0.5));
    }
    Mark(p, "growth-lines");
    // Growth lines across the ribs.
    p.setPen(QPen(QColor(255, 255, 255, 110), 0.5));
    p.setBrush(Qt::NoBrush);
    for (qreal r : {10.0, 17.0, 24.0})
        p.drawArc(QRectF(hinge.x() - r, hinge.y() - r, 2 * r, 2 * r),
                  static_cast<int>((90 - spread / 2) * 16), static_cast<int>(spread * 16));
    Mark(p, "ears");
    // The ears at the hinge.
    p.setPen(QPen(QColor(0xa0, 0x40, 0x30), 0.7));
    p.setBrush(QColor(0xf0, 0x90, 0x74));
    QPainterPath ears;
    ears.moveTo(hinge + QPointF(-8, 0.5));
    ears.lineTo(hinge + QPointF(8, 0.5));
    ears.lineTo(hinge + QPointF(5, 6));
    ears.lineTo(hinge + QPointF(-5, 6));
    ears.closeSubpath();
    p.drawPath(ears);
    Mark(p, "small-shells");
    // A small spiral shell and a starfish beside it.
    p.setBrush(QColor(0xf0, 0xd8, 0xf0));
    p.setPen(QPen(QColor(0x90, 0x60, 0x90), 0.5));
    p.drawEllipse(QPointF(17, 82), 4.5, 3.4);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(14.5, 80, 4.5, 3.6), 0, 300 * 16);
    p.drawArc(QRectF(15.8, 80.8, 2.2, 1.8), 0, 300 * 16);
    QPainterPath star;
    const QPointF sc(56, 82);
    for (int i = 0; i < 10; ++i) {
        const qreal a = qDegreesToRadians(-90 + i * 36.0);
        const qreal r = i % 2 == 0 ? 6.0 : 2.5;
        const QPointF pt = sc + QPointF(std::cos(a), std::sin(a)) * r;
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(0xb0, 0x4a, 0x10), 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xf5, 0x8a, 0x2a));
    p.drawPath(star);
    InnerRule(p, QColor(0xb0, 0x80, 0x40));
}

// --- Castle ----------------------------------------------------------------------------------

void Battlements(QPainterPath& path, qreal left, qreal right, qreal top, qreal merlon)
{
    const int n = std::max(2, static_cast<int>((right - left) / merlon));
    const qreal w = (right - left) / (2 * n - 1);
    for (int i = 0; i < n; ++i)
        path.addRect(QRectF(left + 2 * i * w, top - w * 1.1, w, w * 1.1 + 0.3));
}

void Tower(QPainter& p, qreal cx, qreal top, qreal width, qreal bottom, const QColor& roof,
           const QColor& flag)
{
    Mark(p, "tower");
    const QColor stone(0xc9, 0xc2, 0xb4), shade(0x9a, 0x92, 0x84), ink(0x4a, 0x44, 0x3c);
    QLinearGradient g(cx - width / 2, 0, cx + width / 2, 0);
    g.setColorAt(0, stone.lighter(108));
    g.setColorAt(1, shade);
    p.setPen(QPen(ink, 0.5));
    p.setBrush(g);
    p.drawRect(QRectF(cx - width / 2, top, width, bottom - top));
    // A conical roof with a pennant.
    p.setBrush(roof);
    QPolygonF cone;
    cone << QPointF(cx - width / 2 - 1.5, top) << QPointF(cx, top - width * 1.3)
         << QPointF(cx + width / 2 + 1.5, top);
    p.drawPolygon(cone);
    const qreal mast = top - width * 1.3;
    p.drawLine(QPointF(cx, mast), QPointF(cx, mast - 5));
    p.setBrush(flag);
    QPainterPath pennant;
    pennant.moveTo(cx, mast - 5);
    pennant.quadTo(cx + 3, mast - 5.5, cx + 5.5, mast - 4);
    pennant.quadTo(cx + 3, mast - 3.4, cx, mast - 3);
    p.drawPath(pennant);
    // Arched window.
    p.setBrush(QColor(0x2c, 0x2a, 0x40));
    QPainterPath win;
    const qreal wy = top + 5;
    win.moveTo(cx - 1.3, wy + 5);
    win.lineTo(cx - 1.3, wy + 1.3);
    win.arcTo(QRectF(cx - 1.3, wy, 2.6, 2.6), 180, -180);
    win.lineTo(cx + 1.3, wy + 5);
    win.closeSubpath();
    p.drawPath(win);
}

void Castle(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0x5a, 0x9c, 0xe6), QColor(0xcf, 0xe8, 0xfa)));
    Mark(p, "clouds");
    // Clouds.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    for (const QPointF c : {QPointF(18, 16), QPointF(55, 24)}) {
        p.drawEllipse(c, 6, 3);
        p.drawEllipse(c + QPointF(4, -1.5), 4.5, 3.2);
        p.drawEllipse(c + QPointF(-4.5, 0.5), 4, 2.4);
    }
    Mark(p, "hills");
    // Hills.
    p.setBrush(QColor(0x6c, 0xb0, 0x4c));
    QPainterPath hill;
    hill.moveTo(0, 72);
    hill.cubicTo(20, 62, 50, 62, kWidth, 70);
    hill.lineTo(kWidth, kHeight);
    hill.lineTo(0, kHeight);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(0x4f, 0x92, 0x38));
    QPainterPath front;
    front.moveTo(0, 84);
    front.cubicTo(25, 78, 45, 80, kWidth, 76);
    front.lineTo(kWidth, kHeight);
    front.lineTo(0, kHeight);
    front.closeSubpath();
    p.drawPath(front);
    Mark(p, "wall");
    // The curtain wall with its gate.
    const QColor stone(0xc9, 0xc2, 0xb4), ink(0x4a, 0x44, 0x3c);
    p.setPen(QPen(ink, 0.5));
    p.setBrush(Vertical(48, 72, stone.lighter(105), QColor(0xa8, 0xa0, 0x92)));
    QPainterPath wall;
    wall.addRect(QRectF(14, 50, 45, 22));
    Battlements(wall, 14, 59, 50, 3.2);
    p.drawPath(wall.simplified());
    Mark(p, "keep");
    // Keep behind the gate.
    QPainterPath keep;
    keep.addRect(QRectF(26, 36, 21, 15));
    Battlements(keep, 26, 47, 36, 3.0);
    p.drawPath(keep.simplified());
    p.setBrush(QColor(0x2c, 0x2a, 0x40));
    p.drawRect(QRectF(30, 41, 2.4, 4));
    p.drawRect(QRectF(40.6, 41, 2.4, 4));
    Mark(p, "gate");
    // Gate with portcullis.
    QPainterPath gate;
    gate.moveTo(31.5, 72);
    gate.lineTo(31.5, 62);
    gate.arcTo(QRectF(31.5, 57, 10, 10), 180, -180);
    gate.lineTo(41.5, 72);
    gate.closeSubpath();
    p.setBrush(QColor(0x3a, 0x2a, 0x20));
    p.drawPath(gate);
    p.setPen(QPen(QColor(0x9a, 0x92, 0x84), 0.4));
    for (qreal x = 33.5; x < 41; x += 2)
        p.drawLine(QPointF(x, 58.5), QPointF(x, 72));
    for (qreal y = 62; y < 72; y += 2.5)
        p.drawLine(QPointF(31.5, y), QPointF(41.5, y));
    Mark(p, "stones");
    // Stone courses.
    p.setPen(QPen(QColor(0x8a, 0x82, 0x74, 140), 0.3));
    for (qreal y = 54; y < 72; y += 3.5) {
        p.drawLine(QPointF(14.3, y), QPointF(31, y));
        p.drawLine(QPointF(42, y), QPointF(58.7, y));
    }
    // Towers: two flanking, one tall behind.
    Tower(p, 36.5, 22, 9, 37, QColor(0x2f, 0x5a, 0xb0), QColor(0xf5, 0xd0, 0x22));
    Tower(p, 13, 40, 10, 73, QColor(0xc8, 0x2a, 0x2a), QColor(0xf5, 0xd0, 0x22));
    Tower(p, 60, 40, 10, 73, QColor(0xc8, 0x2a, 0x2a), QColor(0xf5, 0xd0, 0x22));
    Mark(p, "path");
    // Path to the gate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd8, 0xc0, 0x8a));
    QPolygonF road;
    road << QPointF(32, 72) << QPointF(41, 72) << QPointF(48, kHeight) << QPointF(25, kHeight);
    p.drawPolygon(road);
    InnerRule(p, QColor(255, 255, 255, 200));
}

// --- Beach -----------------------------------------------------------------------------------

void PalmTree(QPainter& p, QPointF foot, qreal height)
{
    Mark(p, "palm");
    // Trunk: a leaning curve of rings.
    const QPointF top = foot + QPointF(height * 0.35, -height);
    QPainterPath trunk;
    trunk.moveTo(foot + QPointF(-2.2, 0));
    trunk.quadTo(foot + QPointF(-1, -height * 0.6), top + QPointF(-1, 0));
    trunk.lineTo(top + QPointF(1, 0.5));
    trunk.quadTo(foot + QPointF(1.5, -height * 0.6), foot + QPointF(2.2, 0));
    trunk.closeSubpath();
    p.setPen(QPen(QColor(0x6a, 0x44, 0x20), 0.5));
    p.setBrush(QColor(0xa8, 0x74, 0x3c));
    p.drawPath(trunk);
    // Fronds.
    const QColor leaf(0x2f, 0x9a, 0x3a);
    for (qreal a : {200.0, 235.0, 270.0, 305.0, 340.0, 160.0, 20.0}) {
        QPainterPath frond;
        const qreal r = qDegreesToRadians(a);
        const QPointF end = top + QPointF(std::cos(r) * 15, std::sin(r) * 9 + 6);
        const QPointF ctrl = top + QPointF(std::cos(r) * 9, std::sin(r) * 9 - 3);
        frond.moveTo(top);
        frond.quadTo(ctrl + QPointF(0, -1.8), end);
        frond.quadTo(ctrl + QPointF(0, 1.5), top);
        p.setPen(QPen(leaf.darker(140), 0.4));
        p.setBrush(leaf);
        p.drawPath(frond);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6a, 0x44, 0x20));
    p.drawEllipse(top + QPointF(-1, 1.5), 1.4, 1.4);
    p.drawEllipse(top + QPointF(1.3, 1.8), 1.4, 1.4);
}

void Beach(QPainter& p)
{
    Fill(p, Vertical(0, 55, QColor(0x3f, 0x9c, 0xf0), QColor(0xbf, 0xe6, 0xff)));
    Mark(p, "sun");
    // Sun.
    QRadialGradient sun(QPointF(52, 20), 11);
    sun.setColorAt(0, QColor(0xff, 0xf4, 0x9a));
    sun.setColorAt(0.55, QColor(0xff, 0xd8, 0x3a));
    sun.setColorAt(0.56, QColor(0xff, 0xe8, 0x7a, 120));
    sun.setColorAt(1, QColor(0xff, 0xe8, 0x7a, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(52, 20), 11, 11);
    Mark(p, "gull");
    // A gull.
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath gull;
    gull.moveTo(18, 22);
    gull.quadTo(20.5, 19.5, 23, 22);
    gull.quadTo(25.5, 19.5, 28, 22);
    p.drawPath(gull);
    Mark(p, "sea");
    // Sea with waves.
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(50, 70, QColor(0x1a, 0x7f, 0xc8), QColor(0x3c, 0xc0, 0xd8)));
    p.drawRect(QRectF(0, 50, kWidth, 22));
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.5));
    for (qreal y = 54; y < 68; y += 4.5) {
        for (qreal x = 6 + std::fmod(y, 7); x < kWidth - 4; x += 12)
            p.drawLine(QPointF(x, y), QPointF(x + 4, y));
    }
    Mark(p, "sand");
    // Sand with foam at the edge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xdc, 0xa0));
    QPainterPath sand;
    sand.moveTo(0, 72);
    sand.cubicTo(20, 67, 45, 71, kWidth, 66);
    sand.lineTo(kWidth, kHeight);
    sand.lineTo(0, kHeight);
    sand.closeSubpath();
    p.drawPath(sand);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath foam;
    foam.moveTo(0, 71.6);
    foam.cubicTo(20, 66.6, 45, 70.6, kWidth, 65.6);
    p.drawPath(foam);
    PalmTree(p, QPointF(17, 88), 36);
    Mark(p, "umbrella");
    // A beach umbrella.
    const QPointF pole(52, 86);
    p.setPen(QPen(QColor(0x6a, 0x50, 0x40), 0.8));
    p.drawLine(pole, pole + QPointF(-2, -17));
    const QPointF top = pole + QPointF(-2, -17);
    for (int i = 0; i < 4; ++i) {
        QPainterPath seg;
        const qreal x0 = top.x() - 11 + i * 5.5;
        seg.moveTo(top);
        seg.lineTo(x0, top.y() + 5.5);
        seg.quadTo(x0 + 2.75, top.y() + 3.5, x0 + 5.5, top.y() + 5.5);
        seg.closeSubpath();
        p.setPen(QPen(QColor(0x80, 0x20, 0x20), 0.4));
        p.setBrush(i % 2 == 0 ? QColor(0xe8, 0x30, 0x30) : QColor(0xff, 0xff, 0xff));
        p.drawPath(seg);
    }
    InnerRule(p, QColor(255, 255, 255, 200));
}

// --- Sleeve ----------------------------------------------------------------------------------

void Sleeve(QPainter& p)
{
    // A card up the sleeve: a magician's black sleeve and white cuff against velvet.
    QRadialGradient velvet(QPointF(kWidth / 2, kHeight / 2), 60);
    velvet.setColorAt(0, QColor(0x8a, 0x1c, 0x4a));
    velvet.setColorAt(1, QColor(0x3a, 0x06, 0x20));
    Fill(p, velvet);
    Mark(p, "sparkle");
    // Stars of stage sparkle.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x8a, 200));
    Scatter s(65);
    for (int i = 0; i < 16; ++i) {
        const QPointF c(s.between(8, 65), s.between(8, 89));
        const qreal r = s.between(0.8, 1.7);
        QPolygonF spark;
        spark << c + QPointF(0, -r * 2) << c + QPointF(r * 0.4, -r * 0.4) << c + QPointF(r * 2, 0)
              << c + QPointF(r * 0.4, r * 0.4) << c + QPointF(0, r * 2)
              << c + QPointF(-r * 0.4, r * 0.4) << c + QPointF(-r * 2, 0)
              << c + QPointF(-r * 0.4, -r * 0.4);
        p.drawPolygon(spark);
    }
    p.save();
    p.translate(kWidth / 2, kHeight / 2);
    p.rotate(-32);
    Mark(p, "card");
    // The card sliding out of the cuff.
    p.setPen(QPen(QColor(0x50, 0x50, 0x58), 0.5));
    p.setBrush(Qt::white);
    const QRectF card(-6.5, -33, 13, 18);
    p.drawRoundedRect(card, 1.3, 1.3);
    DrawSuit(p, 2, 0, -24, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(SuitColor(2));
    DrawSuit(p, 2, -4.2, -30.6, 2.2);
    Mark(p, "sleeve");
    // Sleeve: a black jacket arm with a sheen.
    QLinearGradient cloth(-13, 0, 13, 0);
    cloth.setColorAt(0, QColor(0x10, 0x10, 0x14));
    cloth.setColorAt(0.35, QColor(0x46, 0x46, 0x52));
    cloth.setColorAt(1, QColor(0x08, 0x08, 0x0c));
    p.setPen(QPen(Qt::black, 0.5));
    p.setBrush(cloth);
    QPainterPath arm;
    arm.moveTo(-11, -12);
    arm.lineTo(11, -12);
    arm.cubicTo(14, 10, 20, 35, 24, 60);
    arm.lineTo(-24, 60);
    arm.cubicTo(-18, 35, -14, 10, -11, -12);
    arm.closeSubpath();
    p.drawPath(arm);
    Mark(p, "folds");
    // Folds where the cloth bunches at the elbow.
    p.setPen(QPen(QColor(0x60, 0x60, 0x6c), 0.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath folds;
    folds.moveTo(-8, 14);
    folds.quadTo(-1, 11, 6, 15);
    folds.moveTo(-10, 22);
    folds.quadTo(0, 18.5, 9, 23);
    folds.moveTo(-3, 30);
    folds.quadTo(4, 27, 12, 31);
    p.drawPath(folds);
    Mark(p, "cuff");
    // Shirt cuff with a gold link.
    p.setBrush(Vertical(-20, -11, Qt::white, QColor(0xd8, 0xd8, 0xe0)));
    p.setPen(QPen(QColor(0x80, 0x80, 0x90), 0.5));
    p.drawRoundedRect(QRectF(-10, -19, 20, 8), 1.5, 1.5);
    p.setBrush(QColor(0xe9, 0xb9, 0x2a));
    p.setPen(QPen(QColor(0xa7, 0x7a, 0x12), 0.4));
    p.drawEllipse(QPointF(5.5, -15), 1.6, 1.6);
    Mark(p, "buttons");
    // Buttons and a stripe on the sleeve.
    p.setBrush(QColor(0x30, 0x30, 0x38));
    p.setPen(QPen(QColor(0x60, 0x60, 0x6c), 0.4));
    for (qreal y : {-6.0, -1.5, 3.0})
        p.drawEllipse(QPointF(7.5, y), 1.1, 1.1);
    p.restore();
    InnerRule(p, QColor(0xff, 0xe0, 0x8a, 200));
}

// --- Space -----------------------------------------------------------------------------------

void Space(QPainter& p)
{
    QRadialGradient sky(QPointF(20, 70), 80);
    sky.setColorAt(0, QColor(0x2a, 0x1a, 0x5e));
    sky.setColorAt(1, QColor(0x04, 0x06, 0x18));
    Fill(p, sky);
    Mark(p, "stars");
    Scatter s(66);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 90; ++i) {
        const QPointF c(s.between(4, 69), s.between(4, 93));
        const qreal r = s.between(0.15, 0.6);
        p.setBrush(QColor(255, 255, 255, 120 + static_cast<int>(s.next() * 135)));
        p.drawEllipse(c, r, r);
    }
    Mark(p, "bright-stars");
    // A few bright stars with glints.
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.3));
    for (const QPointF c : {QPointF(14, 14), QPointF(58, 60), QPointF(20, 84)}) {
        p.drawLine(c + QPointF(-2.5, 0), c + QPointF(2.5, 0));
        p.drawLine(c + QPointF(0, -2.5), c + QPointF(0, 2.5));
    }
    Mark(p, "planet");
    // Ringed planet: the back of the ring, the globe, then the front of the ring.
    const QPointF c(40, 34);
    const QRectF ring(c.x() - 20, c.y() - 5, 40, 10);
    p.save();
    p.translate(c);
    p.rotate(-18);
    p.translate(-c);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xe8, 0xc8, 0x90), 1.6));
    p.drawArc(ring, 0, 180 * 16);
    QRadialGradient globe(c + QPointF(-4, -4), 14);
    globe.setColorAt(0, QColor(0xff, 0xd2, 0x8a));
    globe.setColorAt(0.6, QColor(0xe0, 0x8a, 0x3c));
    globe.setColorAt(1, QColor(0x8a, 0x40, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(globe);
    p.drawEllipse(c, 11, 11);
    p.setPen(QPen(QColor(0xb0, 0x5a, 0x28, 130), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 11, c.y() - 4, 22, 5), 180 * 16, 180 * 16);
    p.drawArc(QRectF(c.x() - 10.5, c.y() + 1.5, 21, 5), 180 * 16, 180 * 16);
    p.setPen(QPen(QColor(0xe8, 0xc8, 0x90), 1.6));
    p.drawArc(ring, 180 * 16, 180 * 16);
    p.setPen(QPen(QColor(0xb8, 0x98, 0x60), 0.6));
    p.drawArc(ring.adjusted(2.5, 1, -2.5, -1), 180 * 16, 180 * 16);
    p.restore();
    Mark(p, "moon");
    // A small moon.
    QRadialGradient moon(QPointF(16, 56), 6);
    moon.setColorAt(0, QColor(0xf0, 0xf0, 0xf4));
    moon.setColorAt(1, QColor(0x8a, 0x8e, 0xa0));
    p.setPen(Qt::NoPen);
    p.setBrush(moon);
    p.drawEllipse(QPointF(17, 57), 4.5, 4.5);
    p.setBrush(QColor(0x70, 0x74, 0x88, 150));
    p.drawEllipse(QPointF(15.5, 56), 1, 1);
    p.drawEllipse(QPointF(18.5, 59), 0.7, 0.7);
    Mark(p, "rocket");
    // A rocket climbing away with its flame.
    p.save();
    p.translate(50, 76);
    p.rotate(35);
    QPainterPath flame;
    flame.moveTo(-2.2, 6);
    flame.quadTo(0, 14, 2.2, 6);
    flame.closeSubpath();
    QLinearGradient fire(0, 6, 0, 13);
    fire.setColorAt(0, QColor(0xff, 0xf0, 0x7a));
    fire.setColorAt(1, QColor(0xff, 0x50, 0x1a, 0));
    p.setBrush(fire);
    p.drawPath(flame);
    p.setPen(QPen(QColor(0x30, 0x30, 0x40), 0.4));
    p.setBrush(QColor(0xd8, 0x28, 0x28));
    QPainterPath fins;
    fins.moveTo(-2.5, 2);
    fins.lineTo(-4.5, 7);
    fins.lineTo(4.5, 7);
    fins.lineTo(2.5, 2);
    fins.closeSubpath();
    p.drawPath(fins);
    p.setBrush(QColor(0xee, 0xee, 0xf2));
    QPainterPath body;
    body.moveTo(0, -9);
    body.cubicTo(3.5, -5, 3, 2, 2.5, 6.5);
    body.lineTo(-2.5, 6.5);
    body.cubicTo(-3, 2, -3.5, -5, 0, -9);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(0x38, 0xa0, 0xf0));
    p.drawEllipse(QPointF(0, -2.5), 1.3, 1.3);
    p.restore();
    InnerRule(p, QColor(0xa0, 0x90, 0xe0, 160));
}

// --- Peaks -----------------------------------------------------------------------------------

QPainterPath Ridge(const std::vector<QPointF>& points)
{
    QPainterPath path;
    path.moveTo(0, kHeight);
    for (const QPointF& pt : points)
        path.lineTo(pt);
    path.lineTo(kWidth, kHeight);
    path.closeSubpath();
    return path;
}

void Peaks(QPainter& p)
{
    Fill(p, Vertical(0, 70, QColor(0xf6, 0x9a, 0x5a), QColor(0xff, 0xe4, 0xb0)));
    Mark(p, "sun");
    // Setting sun behind the range.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xf2, 0xc8));
    p.drawEllipse(QPointF(50, 36), 8, 8);
    Mark(p, "far-range");
    // Far range in haze.
    p.setBrush(QColor(0x9a, 0x7e, 0xb0));
    p.drawPath(Ridge({{0, 52}, {12, 38}, {22, 46}, {38, 28}, {52, 44}, {62, 36}, {kWidth, 46}}));
    Mark(p, "main-peak");
    // Main peak with snow.
    const std::vector<QPointF> main = {{0, 70},  {14, 56}, {36, 22},
                                       {46, 38}, {54, 32}, {kWidth, 62}};
    p.setBrush(Vertical(22, 80, QColor(0x5a, 0x4a, 0x7a), QColor(0x2e, 0x2a, 0x4a)));
    p.drawPath(Ridge(main));
    p.setBrush(Qt::white);
    QPolygonF snow;
    snow << QPointF(36, 22) << QPointF(42.5, 32.3) << QPointF(39.5, 31) << QPointF(37, 34)
         << QPointF(33, 30) << QPointF(29.5, 32.5);
    p.drawPolygon(snow);
    QPolygonF snow2;
    snow2 << QPointF(54, 32) << QPointF(57.5, 37.3) << QPointF(55, 36.5) << QPointF(52, 38)
          << QPointF(50.2, 35.5);
    p.drawPolygon(snow2);
    Mark(p, "light-side");
    // Light side of the main peak.
    p.setBrush(QColor(255, 255, 255, 40));
    QPolygonF lit;
    lit << QPointF(36, 22) << QPointF(46, 38) << QPointF(40, 60) << QPointF(34, 40);
    p.drawPolygon(lit);
    Mark(p, "hills");
    // Near hills and a row of pines.
    p.setBrush(QColor(0x2a, 0x5a, 0x3a));
    p.drawPath(Ridge({{0, 76}, {20, 70}, {45, 75}, {kWidth, 68}}));
    p.setBrush(QColor(0x1a, 0x3e, 0x28));
    Scatter s(67);
    for (qreal x = 4; x < kWidth - 2; x += s.between(5, 8)) {
        const qreal h = s.between(9, 15);
        const qreal base = 90 - s.between(0, 4);
        QPolygonF tree;
        tree << QPointF(x, base - h) << QPointF(x + h * 0.28, base) << QPointF(x - h * 0.28, base);
        p.drawPolygon(tree);
    }
    p.drawRect(QRectF(0, 88, kWidth, 10));
    Mark(p, "birds");
    // Two birds.
    p.setPen(QPen(QColor(0x40, 0x30, 0x40), 0.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (const QPointF b : {QPointF(16, 18), QPointF(23, 14)}) {
        QPainterPath bird;
        bird.moveTo(b);
        bird.quadTo(b + QPointF(1.5, -1.5), b + QPointF(3, 0));
        bird.quadTo(b + QPointF(4.5, -1.5), b + QPointF(6, 0));
        p.drawPath(bird);
    }
    InnerRule(p, QColor(255, 255, 255, 200));
}

// --- Rainbow ---------------------------------------------------------------------------------

void Cloud(QPainter& p, QPointF c, qreal scale)
{
    p.drawEllipse(c, 7 * scale, 4 * scale);
    p.drawEllipse(c + QPointF(-5, 1) * scale, 5 * scale, 3.4 * scale);
    p.drawEllipse(c + QPointF(5, 1) * scale, 5 * scale, 3.2 * scale);
    p.drawEllipse(c + QPointF(1.5, -3) * scale, 4.5 * scale, 3.8 * scale);
}

void Rainbow(QPainter& p)
{
    Fill(p, Vertical(0, kHeight, QColor(0x7c, 0xc4, 0xf4), QColor(0xe8, 0xf6, 0xff)));
    Mark(p, "rainbow");
    const QColor bands[] = {QColor(0xe5, 0x33, 0x33), QColor(0xf5, 0x8a, 0x22),
                            QColor(0xf8, 0xd8, 0x2a), QColor(0x4c, 0xb8, 0x48),
                            QColor(0x2f, 0x8c, 0xe0), QColor(0x4a, 0x4a, 0xb8),
                            QColor(0x8e, 0x4a, 0xb8)};
    const QPointF c(kWidth / 2, 66);
    const qreal band = 3.0;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const qreal r = 31 - i * band;
        p.setBrush(bands[i]);
        QPainterPath arc;
        arc.moveTo(c.x() - r, c.y());
        arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 180, -180);
        arc.lineTo(c.x() + r - band, c.y());
        arc.arcTo(QRectF(c.x() - r + band, c.y() - r + band, 2 * (r - band), 2 * (r - band)), 0,
                  180);
        arc.closeSubpath();
        p.drawPath(arc);
    }
    Mark(p, "clouds");
    // Clouds at both feet of the bow, and one in the sky.
    p.setBrush(Qt::white);
    Cloud(p, QPointF(14, 66), 1.1);
    Cloud(p, QPointF(59, 66), 1.1);
    p.setBrush(QColor(255, 255, 255, 210));
    Cloud(p, QPointF(22, 18), 0.7);
    Mark(p, "meadow");
    // Meadow with flowers.
    p.setBrush(QColor(0x7c, 0xc0, 0x4a));
    QPainterPath meadow;
    meadow.moveTo(0, 78);
    meadow.cubicTo(25, 72, 50, 80, kWidth, 74);
    meadow.lineTo(kWidth, kHeight);
    meadow.lineTo(0, kHeight);
    meadow.closeSubpath();
    p.drawPath(meadow);
    Scatter s(68);
    for (int i = 0; i < 14; ++i) {
        const QPointF f(s.between(7, 66), s.between(81, 91));
        p.setBrush(bands[static_cast<int>(s.next() * 7) % 7].lighter(115));
        for (const QPointF petal :
             {QPointF(0.8, 0), QPointF(-0.8, 0), QPointF(0, 0.8), QPointF(0, -0.8)})
            p.drawEllipse(f + petal, 0.8, 0.8);
        p.setBrush(QColor(0xff, 0xf2, 0x80));
        p.drawEllipse(f, 0.45, 0.45);
    }
    InnerRule(p, QColor(255, 255, 255, 220));
}

} // namespace

void PaintBack(QPainter& p, int backCode)
{
    PaintBlank(p);
    MarkScope("picture/");
    p.save();
    QPainterPath inner;
    inner.addRoundedRect(kInner, kInnerRadius, kInnerRadius);
    p.setClipPath(inner);
    switch (backCode) {
    case 54:
        Pattern1(p);
        break;
    case 55:
        Pattern2(p);
        break;
    case 56:
        Robot(p);
        break;
    case 57:
        Rose(p);
        break;
    case 58:
        Vines(p, QColor(0xf4, 0xf8, 0xe6), QColor(0x2f, 0x7a, 0x2e), QColor(0x4c, 0xa8, 0x3e),
              QColor(0xd8, 0x3a, 0x4a));
        break;
    case 59:
        Vines(p, QColor(0xe8, 0xf0, 0xfc), QColor(0x1f, 0x4a, 0x9a), QColor(0x3a, 0x78, 0xd0),
              QColor(0xf0, 0xb0, 0x20));
        break;
    case 60:
        FourFishes(p);
        break;
    case 61:
        ThreeFishes(p);
        break;
    case 62:
        Seashell(p);
        break;
    case 63:
        Castle(p);
        break;
    case 64:
        Beach(p);
        break;
    case 65:
        Sleeve(p);
        break;
    case 66:
        Space(p);
        break;
    case 67:
        Peaks(p);
        break;
    case 68:
        Rainbow(p);
        break;
    default:
        break;
    }
    p.restore();
    MarkScope("");
}

} // namespace cards::art
