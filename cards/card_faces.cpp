// Card faces: corner indices, pip layouts and the three court figures.

#include "card_art_parts.h"
#include "card_code.h"

#include <QFont>
#include <QPainter>
#include <QString>
#include <array>
#include <cmath>

namespace cards::art {

namespace {

const QColor kRed(0xc8, 0x10, 0x2e);
const QColor kBlack(0x16, 0x16, 0x1a);
const QColor kEdge(0x6a, 0x6a, 0x70);
const QColor kInk(0x20, 0x1c, 0x1c);
const QColor kSkin(0xf7, 0xd6, 0xb4);
const QColor kGold(0xe9, 0xb9, 0x2a);
const QColor kGoldDark(0xa7, 0x7a, 0x12);
const QColor kCream(0xfd, 0xf7, 0xe7);

QPainterPath HeartPath()
{
    QPainterPath p;
    p.moveTo(0, 0.5);
    p.cubicTo(-0.16, 0.33, -0.5, 0.1, -0.5, -0.2);
    p.cubicTo(-0.5, -0.39, -0.37, -0.5, -0.245, -0.5);
    p.cubicTo(-0.11, -0.5, -0.025, -0.42, 0, -0.31);
    p.cubicTo(0.025, -0.42, 0.11, -0.5, 0.245, -0.5);
    p.cubicTo(0.37, -0.5, 0.5, -0.39, 0.5, -0.2);
    p.cubicTo(0.5, 0.1, 0.16, 0.33, 0, 0.5);
    p.closeSubpath();
    return p;
}

QPainterPath DiamondPath()
{
    QPainterPath p;
    p.moveTo(0, -0.5);
    p.quadTo(0.17, -0.19, 0.39, 0);
    p.quadTo(0.17, 0.19, 0, 0.5);
    p.quadTo(-0.17, 0.19, -0.39, 0);
    p.quadTo(-0.17, -0.19, 0, -0.5);
    p.closeSubpath();
    return p;
}

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

QPainterPath ClubPath()
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    const qreal r = 0.235;
    p.addEllipse(QPointF(0, -0.265), r, r);
    p.addEllipse(QPointF(-0.265, 0.095), r, r);
    p.addEllipse(QPointF(0.265, 0.095), r, r);
    p.addEllipse(QPointF(0, 0.02), 0.13, 0.13);
    QPainterPath stem;
    stem.moveTo(0.05, 0.0);
    stem.quadTo(0.06, 0.4, 0.19, 0.5);
    stem.lineTo(-0.19, 0.5);
    stem.quadTo(-0.06, 0.4, -0.05, 0.0);
    stem.closeSubpath();
    return p.united(stem).simplified();
}

// Rank letters come from the bundled Liberation fonts, turned into paths and scaled to a
// fixed cap height, so a different fallback font changes their shape but never their size.
QPainterPath RankPath(int rank, qreal height, qreal maxWidth)
{
    static const std::array<const char*, 13> kLabels = {"A", "2", "3",  "4", "5", "6", "7",
                                                        "8", "9", "10", "J", "Q", "K"};
    QFont font(QStringLiteral("Liberation Serif"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath text;
    text.addText(0, 0, font, QString::fromLatin1(kLabels[rank - 1]));
    // The cap height, not the bounding box, sets the scale: Q's tail hangs below.
    QPainterPath capRef;
    capRef.addText(0, 0, font, QStringLiteral("K"));
    const QRectF cap = capRef.boundingRect();
    const QRectF box = text.boundingRect();
    const qreal s = height / cap.height();
    const qreal sx = std::min(s, maxWidth / box.width());
    QTransform t;
    t.scale(sx, s);
    t.translate(-box.center().x(), -cap.top());
    return t.map(text);
}

void DrawCorner(QPainter& p, int rank, int suit)
{
    const QColor color = SuitColor(suit);
    Mark(p, "rank");
    p.save();
    p.translate(7.2, 3.6);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(RankPath(rank, 10.0, rank == 10 ? 11.0 : 9.6));
    p.restore();
    Mark(p, "suit");
    DrawSuit(p, suit, 7.2, 20.4, 7.2);
}

// Pip centres for 2..10 on a 3-column grid: column 0..2, row as a fraction of the pip field.
struct Pip
{
    int column;
    qreal row;
};

std::vector<Pip> PipLayout(int rank)
{
    const qreal third = 1.0 / 3.0;
    switch (rank) {
    case 2:
        return {{1, 0}, {1, 1}};
    case 3:
        return {{1, 0}, {1, 0.5}, {1, 1}};
    case 4:
        return {{0, 0}, {2, 0}, {0, 1}, {2, 1}};
    case 5:
        return {{0, 0}, {2, 0}, {1, 0.5}, {0, 1}, {2, 1}};
    case 6:
        return {{0, 0}, {2, 0}, {0, 0.5}, {2, 0.5}, {0, 1}, {2, 1}};
    case 7:
        return {{0, 0}, {2, 0}, {1, 0.25}, {0, 0.5}, {2, 0.5}, {0, 1}, {2, 1}};
    case 8:
        return {{0, 0}, {2, 0}, {1, 0.25}, {0, 0.5}, {2, 0.5}, {1, 0.75}, {0, 1}, {2, 1}};
    case 9:
        return {{0, 0},         {2, 0},         {0, third}, {2, third}, {1, 0.5},
                {0, 2 * third}, {2, 2 * third}, {0, 1},     {2, 1}};
    case 10:
        return {{0, 0},         {2, 0},         {1, 1.0 / 6}, {0, third}, {2, third},
                {0, 2 * third}, {2, 2 * third}, {1, 5.0 / 6}, {0, 1},     {2, 1}};
    default:
        return {};
    }
}

void DrawPips(QPainter& p, int rank, int suit)
{
    const qreal columns[3] = {23.5, 36.5, 49.5};
    const qreal top = 16.5, bottom = 80.5;
    const qreal size = rank >= 9 ? 10.8 : 11.8;
    for (const Pip& pip : PipLayout(rank)) {
        const qreal y = top + (bottom - top) * pip.row;
        // Pips below the middle face the other way, as on a printed card.
        DrawSuit(p, suit, columns[pip.column], y, size, pip.row > 0.5);
    }
}

void DrawAce(QPainter& p, int suit)
{
    const qreal cx = kWidth / 2, cy = kHeight / 2;
    Mark(p, "ace");
    if (suit == 3) {
        // The ace of spades carries the deck's ornament: a large pip in a fine ring.
        p.setPen(QPen(kBlack, 0.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(cx, cy), 21.5, 21.5);
        p.setPen(QPen(kBlack, 0.35));
        p.drawEllipse(QPointF(cx, cy), 19.8, 19.8);
        DrawSuit(p, suit, cx, cy, 31);
        p.setPen(QPen(QColor(255, 255, 255, 200), 0.5));
        p.setBrush(Qt::NoBrush);
        QPainterPath inner = SuitPath(suit);
        QTransform t;
        t.translate(cx, cy - 1.2);
        t.scale(20, 20);
        p.drawPath(t.map(inner));
        return;
    }
    DrawSuit(p, suit, cx, cy, 24);
}

struct CourtColors
{
    QColor robe;
    QColor robeDark;
    QColor trim;
};

CourtColors ColorsFor(int suit)
{
    switch (suit) {
    case 0:
        return {QColor(0x2c, 0x6e, 0x49), QColor(0x1b, 0x4a, 0x30), QColor(0xc8, 0x10, 0x2e)};
    case 1:
        return {QColor(0xd9, 0x5b, 0x1c), QColor(0x9c, 0x3a, 0x0c), QColor(0x23, 0x4f, 0x9c)};
    case 2:
        return {QColor(0xc8, 0x10, 0x2e), QColor(0x8a, 0x0a, 0x1f), QColor(0x23, 0x4f, 0x9c)};
    default:
        return {QColor(0x27, 0x4a, 0x9a), QColor(0x17, 0x2d, 0x63), QColor(0xc8, 0x10, 0x2e)};
    }
}

void Outline(QPainter& p, qreal width = 0.45)
{
    p.setPen(QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void DrawFace(QPainter& p, qreal cx, qreal cy)
{
    Mark(p, "face");
    Outline(p);
    p.setBrush(kSkin);
    p.drawEllipse(QPointF(cx, cy), 4.9, 5.9);
    // Eyes, brows, nose and mouth.
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(cx - 1.9, cy - 0.7), 0.55, 0.6);
    p.drawEllipse(QPointF(cx + 1.9, cy - 0.7), 0.55, 0.6);
    p.setPen(QPen(kInk, 0.35, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(cx - 2.9, cy - 2.1), QPointF(cx - 1.0, cy - 2.3));
    p.drawLine(QPointF(cx + 2.9, cy - 2.1), QPointF(cx + 1.0, cy - 2.3));
    QPainterPath nose;
    nose.moveTo(cx, cy - 1.2);
    nose.quadTo(cx - 0.2, cy + 1.2, cx + 0.7, cy + 1.3);
    p.drawPath(nose);
    p.setPen(QPen(QColor(0xb0, 0x20, 0x30), 0.6, Qt::SolidLine, Qt::RoundCap));
    QPainterPath mouth;
    mouth.moveTo(cx - 1.3, cy + 3.0);
    mouth.quadTo(cx, cy + 3.7, cx + 1.3, cy + 3.0);
    p.drawPath(mouth);
    // A touch of colour on the cheeks.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0x90, 0x90, 90));
    p.drawEllipse(QPointF(cx - 3.0, cy + 1.6), 1.1, 0.8);
    p.drawEllipse(QPointF(cx + 3.0, cy + 1.6), 1.1, 0.8);
}

QPainterPath RobePath(qreal cx, qreal neckY, qreal bottom)
{
    QPainterPath robe;
    robe.moveTo(cx - 17.5, bottom);
    robe.lineTo(cx - 16.5, neckY + 7);
    robe.cubicTo(cx - 15, neckY + 1.5, cx - 9, neckY + 0.3, cx - 3.5, neckY);
    robe.lineTo(cx + 3.5, neckY);
    robe.cubicTo(cx + 9, neckY + 0.3, cx + 15, neckY + 1.5, cx + 16.5, neckY + 7);
    robe.lineTo(cx + 17.5, bottom);
    robe.closeSubpath();
    return robe;
}

// A pattern of small stripes and dots on the robe, as on printed court cards.
void DrawRobe(QPainter& p, qreal cx, qreal neckY, qreal bottom, const CourtColors& c)
{
    const QPainterPath robe = RobePath(cx, neckY, bottom);
    Mark(p, "robe");
    Outline(p);
    p.setBrush(c.robe);
    p.drawPath(robe);
    p.save();
    p.setClipPath(robe);
    // A front panel in gold with a row of buttons.
    p.setBrush(kGold);
    Outline(p, 0.35);
    QPainterPath panel;
    panel.moveTo(cx - 4, neckY);
    panel.lineTo(cx + 4, neckY);
    panel.lineTo(cx + 6, bottom + 1);
    panel.lineTo(cx - 6, bottom + 1);
    panel.closeSubpath();
    p.drawPath(panel);
    p.setPen(Qt::NoPen);
    p.setBrush(c.trim);
    for (qreal y = neckY + 3; y < bottom; y += 3.2)
        p.drawEllipse(QPointF(cx, y), 0.8, 0.8);
    // Sleeves in the darker shade.
    p.setBrush(c.robeDark);
    Outline(p, 0.35);
    p.drawRect(QRectF(cx - 19, neckY + 8, 6, bottom - neckY));
    p.drawRect(QRectF(cx + 13, neckY + 8, 6, bottom - neckY));
    p.setPen(QPen(kGold, 0.7));
    for (qreal y = neckY + 10; y < bottom; y += 2.6) {
        p.drawLine(QPointF(cx - 19, y), QPointF(cx - 13, y + 1));
        p.drawLine(QPointF(cx + 19, y), QPointF(cx + 13, y + 1));
    }
    p.restore();
}

// A hand closed round a hilt or stem, coming out of a gold cuff.
void DrawHand(QPainter& p, qreal x, qreal y)
{
    Mark(p, "hand");
    Outline(p, 0.35);
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(x - 3.2, y + 1.4, 6.4, 2.0), 0.6, 0.6);
    p.setBrush(kSkin);
    p.drawEllipse(QPointF(x, y), 2.2, 2.0);
    p.setPen(QPen(kInk, 0.25));
    p.drawLine(QPointF(x - 1.2, y - 0.2), QPointF(x + 1.2, y - 0.2));
    p.drawLine(QPointF(x - 1.1, y + 0.8), QPointF(x + 1.1, y + 0.8));
}

// Heads are drawn a little larger than the bodies, so faces read at card size.
void ScaleHead(QPainter& p, qreal cx, qreal cy)
{
    p.translate(cx, cy + 3);
    p.scale(1.18, 1.18);
    p.translate(-cx, -cy - 3);
}

void DrawKing(QPainter& p, int suit, const CourtColors& c)
{
    const qreal cx = 36.5, cy = 27.5;
    DrawRobe(p, cx, cy + 6.5, 49, c);
    // Ermine collar: white with black tails.
    Mark(p, "collar");
    Outline(p, 0.35);
    p.setBrush(Qt::white);
    QPainterPath collar;
    collar.moveTo(cx - 14, cy + 10);
    collar.cubicTo(cx - 9, cy + 6, cx + 9, cy + 6, cx + 14, cy + 10);
    collar.lineTo(cx + 13, cy + 13);
    collar.cubicTo(cx + 8, cy + 10, cx - 8, cy + 10, cx - 13, cy + 13);
    collar.closeSubpath();
    p.drawPath(collar);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (qreal x = -9; x <= 9; x += 3)
        p.drawRect(QRectF(cx + x - 0.35, cy + 9.4 - std::abs(x) * 0.08, 0.7, 1.4));
    p.save();
    ScaleHead(p, cx, cy);
    // Hair behind the face, then the face, then the beard over it.
    Mark(p, "hair");
    Outline(p);
    p.setBrush(QColor(0x8a, 0x5a, 0x2b));
    p.drawEllipse(QPointF(cx, cy + 0.5), 6.6, 6.4);
    DrawFace(p, cx, cy);
    Mark(p, "beard");
    p.setBrush(QColor(0x9a, 0x6a, 0x36));
    QPainterPath beard;
    beard.moveTo(cx - 5.0, cy + 0.8);
    beard.cubicTo(cx - 4.8, cy + 6.5, cx - 2, cy + 9.5, cx, cy + 10.5);
    beard.cubicTo(cx + 2, cy + 9.5, cx + 4.8, cy + 6.5, cx + 5.0, cy + 0.8);
    beard.cubicTo(cx + 3.5, cy + 4.6, cx + 1.5, cy + 2.4, cx, cy + 3.6);
    beard.cubicTo(cx - 1.5, cy + 2.4, cx - 3.5, cy + 4.6, cx - 5.0, cy + 0.8);
    beard.closeSubpath();
    p.drawPath(beard);
    p.setPen(QPen(QColor(0xb0, 0x20, 0x30), 0.55, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx - 0.9, cy + 4.6), QPointF(cx + 0.9, cy + 4.6));
    // Crown: a gold band with three points and jewels.
    Mark(p, "crown");
    Outline(p);
    p.setBrush(kGold);
    QPainterPath crown;
    const qreal base = cy - 4.6;
    crown.moveTo(cx - 6.5, base);
    crown.lineTo(cx - 7.4, base - 8);
    crown.lineTo(cx - 3.8, base - 4.5);
    crown.lineTo(cx, base - 10);
    crown.lineTo(cx + 3.8, base - 4.5);
    crown.lineTo(cx + 7.4, base - 8);
    crown.lineTo(cx + 6.5, base);
    crown.closeSubpath();
    p.drawPath(crown);
    p.setBrush(kGoldDark);
    p.drawRect(QRectF(cx - 6.6, base - 2.2, 13.2, 2.2));
    p.setPen(Qt::NoPen);
    p.setBrush(c.trim);
    p.drawEllipse(QPointF(cx, base - 1.1), 0.9, 0.8);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(cx - 7.4, base - 8), 0.9, 0.9);
    p.drawEllipse(QPointF(cx + 7.4, base - 8), 0.9, 0.9);
    p.drawEllipse(QPointF(cx, base - 10), 1.0, 1.0);
    p.restore();
    // Sword raised at his right hand.
    const qreal sx = cx + 15.5;
    Mark(p, "sword");
    Outline(p, 0.35);
    p.setBrush(QColor(0xdc, 0xe2, 0xea));
    QPainterPath blade;
    blade.moveTo(sx, 12.2);
    blade.lineTo(sx + 1.3, 14.5);
    blade.lineTo(sx + 1.3, 38);
    blade.lineTo(sx - 1.3, 38);
    blade.lineTo(sx - 1.3, 14.5);
    blade.closeSubpath();
    p.drawPath(blade);
    p.setPen(QPen(QColor(0x90, 0x9a, 0xa8), 0.3));
    p.drawLine(QPointF(sx, 14.5), QPointF(sx, 37.5));
    Outline(p, 0.35);
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(sx - 4.2, 38, 8.4, 1.8), 0.8, 0.8);
    DrawHand(p, sx, 42);
    Mark(p, "suit");
    DrawSuit(p, suit, 20.0, 17.0, 6.5);
}

void DrawQueen(QPainter& p, int suit, const CourtColors& c)
{
    const qreal cx = 36.5, cy = 27.5;
    p.save();
    ScaleHead(p, cx, cy);
    // Long hair falls behind the shoulders.
    Mark(p, "hair");
    Outline(p);
    p.setBrush(QColor(0xd9, 0xa4, 0x41));
    QPainterPath hair;
    hair.moveTo(cx - 6.5, cy - 3);
    hair.cubicTo(cx - 9, cy + 3, cx - 9, cy + 9, cx - 7.5, cy + 12);
    hair.lineTo(cx + 7.5, cy + 12);
    hair.cubicTo(cx + 9, cy + 9, cx + 9, cy + 3, cx + 6.5, cy - 3);
    hair.cubicTo(cx + 4, cy - 8, cx - 4, cy - 8, cx - 6.5, cy - 3);
    hair.closeSubpath();
    p.drawPath(hair);
    p.restore();
    DrawRobe(p, cx, cy + 6.5, 49, c);
    // Square neckline with a pearl necklace.
    Mark(p, "necklace");
    Outline(p, 0.35);
    p.setBrush(kSkin);
    QPainterPath neck;
    neck.moveTo(cx - 4.5, cy + 6.2);
    neck.lineTo(cx - 4.5, cy + 10);
    neck.quadTo(cx, cy + 12, cx + 4.5, cy + 10);
    neck.lineTo(cx + 4.5, cy + 6.2);
    neck.closeSubpath();
    p.drawPath(neck);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = -3; i <= 3; ++i)
        p.drawEllipse(QPointF(cx + i * 1.25, cy + 8.4 + 0.09 * i * i), 0.55, 0.55);
    p.setBrush(c.trim);
    p.drawEllipse(QPointF(cx, cy + 10.1), 0.9, 1.1);
    p.save();
    ScaleHead(p, cx, cy);
    DrawFace(p, cx, cy);
    // Fringe over the forehead.
    Mark(p, "fringe");
    Outline(p, 0.35);
    p.setBrush(QColor(0xd9, 0xa4, 0x41));
    QPainterPath fringe;
    fringe.moveTo(cx - 5.2, cy - 1.5);
    fringe.cubicTo(cx - 5, cy - 6.5, cx + 5, cy - 6.5, cx + 5.2, cy - 1.5);
    fringe.cubicTo(cx + 3, cy - 4, cx - 3, cy - 4, cx - 5.2, cy - 1.5);
    fringe.closeSubpath();
    p.drawPath(fringe);
    // A lighter crown of rounded points topped with pearls.
    Mark(p, "crown");
    Outline(p);
    p.setBrush(kGold);
    const qreal base = cy - 5.0;
    QPainterPath crown;
    crown.moveTo(cx - 5.2, base);
    crown.lineTo(cx - 5.8, base - 4.5);
    crown.quadTo(cx - 4, base - 2.5, cx - 2.8, base - 5.5);
    crown.quadTo(cx - 1.4, base - 3, cx, base - 6.8);
    crown.quadTo(cx + 1.4, base - 3, cx + 2.8, base - 5.5);
    crown.quadTo(cx + 4, base - 2.5, cx + 5.8, base - 4.5);
    crown.lineTo(cx + 5.2, base);
    crown.closeSubpath();
    p.drawPath(crown);
    p.setPen(QPen(kInk, 0.3));
    p.setBrush(Qt::white);
    for (const QPointF pt :
         {QPointF(cx - 5.8, base - 4.9), QPointF(cx - 2.8, base - 5.9), QPointF(cx, base - 7.3),
          QPointF(cx + 2.8, base - 5.9), QPointF(cx + 5.8, base - 4.9)})
        p.drawEllipse(pt, 0.75, 0.75);
    p.restore();
    // A rose held before her, in her left hand.
    const qreal fx = cx - 15.5;
    Mark(p, "rose");
    p.setPen(QPen(QColor(0x2f, 0x7a, 0x32), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(fx, 22), QPointF(fx + 1, 41));
    p.setPen(QPen(kInk, 0.3));
    p.setBrush(QColor(0x3c, 0x96, 0x3e));
    QPainterPath leaf;
    leaf.moveTo(fx + 0.3, 30);
    leaf.quadTo(fx - 4.5, 27.5, fx - 4.8, 31.5);
    leaf.quadTo(fx - 1.5, 32.5, fx + 0.3, 30);
    p.drawPath(leaf);
    Outline(p, 0.35);
    p.setBrush(kRed);
    for (int i = 0; i < 5; ++i) {
        const qreal a = i * 2 * M_PI / 5 - M_PI / 2;
        p.drawEllipse(QPointF(fx + 2.0 * std::cos(a), 20.5 + 2.0 * std::sin(a)), 1.7, 1.7);
    }
    p.setBrush(kGold);
    p.drawEllipse(QPointF(fx, 20.5), 1.1, 1.1);
    DrawHand(p, fx + 1, 42);
    Mark(p, "suit");
    DrawSuit(p, suit, 53.0, 17.0, 6.5);
}

void DrawJack(QPainter& p, int suit, const CourtColors& c)
{
    const qreal cx = 36.5, cy = 28.5;
    // Halberd first, so his shoulder covers the staff.
    const qreal hx = cx - 16;
    Mark(p, "halberd");
    p.setPen(QPen(kInk, 0.35));
    p.setBrush(QColor(0x8a, 0x5a, 0x2b));
    p.drawRect(QRectF(hx - 0.7, 15, 1.4, 34));
    p.setBrush(QColor(0xdc, 0xe2, 0xea));
    QPainterPath axe;
    axe.moveTo(hx + 0.7, 17);
    axe.cubicTo(hx + 5.5, 16, hx + 6, 21, hx + 5, 24);
    axe.cubicTo(hx + 3.5, 22, hx + 2, 22, hx + 0.7, 22.5);
    axe.closeSubpath();
    axe.moveTo(hx - 0.7, 18.5);
    axe.lineTo(hx - 3.5, 20);
    axe.lineTo(hx - 0.7, 21.5);
    axe.closeSubpath();
    axe.moveTo(hx - 0.9, 15);
    axe.lineTo(hx, 11.5);
    axe.lineTo(hx + 0.9, 15);
    axe.closeSubpath();
    p.drawPath(axe);
    DrawRobe(p, cx, cy + 6.2, 49, c);
    // Pleated collar.
    Mark(p, "collar");
    Outline(p, 0.35);
    p.setBrush(Qt::white);
    QPainterPath ruff;
    ruff.moveTo(cx - 6.5, cy + 5.2);
    for (int i = 0; i < 6; ++i) {
        const qreal x0 = cx - 6.5 + i * (13.0 / 6);
        ruff.quadTo(x0 + 13.0 / 12, cy + 8.8, x0 + 13.0 / 6, cy + 5.2);
    }
    ruff.closeSubpath();
    p.drawPath(ruff);
    p.save();
    ScaleHead(p, cx, cy);
    // Curly hair at the sides.
    Mark(p, "hair");
    Outline(p);
    p.setBrush(QColor(0x5a, 0x36, 0x1c));
    p.drawEllipse(QPointF(cx - 4.8, cy + 1.5), 2.4, 3.6);
    p.drawEllipse(QPointF(cx + 4.8, cy + 1.5), 2.4, 3.6);
    DrawFace(p, cx, cy);
    // A soft cap, tilted, with a long feather.
    Mark(p, "cap");
    Outline(p);
    p.setBrush(c.trim);
    QPainterPath cap;
    cap.moveTo(cx - 7.2, cy - 2.8);
    cap.cubicTo(cx - 7, cy - 10.5, cx + 6, cy - 11.5, cx + 7.6, cy - 3.5);
    cap.cubicTo(cx + 2, cy - 5.2, cx - 3, cy - 5.0, cx - 7.2, cy - 2.8);
    cap.closeSubpath();
    p.drawPath(cap);
    p.setBrush(kGold);
    p.drawRect(QRectF(cx - 7.2, cy - 4.4, 14.8, 1.7));
    p.setBrush(Qt::white);
    QPainterPath feather;
    feather.moveTo(cx + 4, cy - 7.5);
    feather.cubicTo(cx + 7, cy - 14, cx + 11, cy - 15.5, cx + 14, cy - 14.5);
    feather.cubicTo(cx + 11, cy - 12, cx + 9, cy - 9, cx + 5.5, cy - 6);
    feather.closeSubpath();
    p.drawPath(feather);
    p.setPen(QPen(kInk, 0.3));
    p.drawLine(QPointF(cx + 4.8, cy - 6.8), QPointF(cx + 12.5, cy - 13.2));
    p.restore();
    Outline(p, 0.35);
    DrawHand(p, hx, 41);
    Mark(p, "suit");
    DrawSuit(p, suit, 53.0, 27.0, 6.0);
}

void DrawCourt(QPainter& p, int rank, int suit)
{
    const QRectF frame(14.5, 11.0, 44.0, 75.0);
    const CourtColors colors = ColorsFor(suit);
    Mark(p, "picture/ground");
    p.setPen(Qt::NoPen);
    p.setBrush(kCream);
    p.drawRect(frame);
    for (int half = 0; half < 2; ++half) {
        p.save();
        if (half == 1) {
            p.translate(kWidth / 2, kHeight / 2);
            p.rotate(180);
            p.translate(-kWidth / 2, -kHeight / 2);
        }
        p.setClipRect(QRectF(frame.left(), frame.top(), frame.width(), kHeight / 2 - frame.top()));
        MarkScope(half == 0 ? "picture/upper/" : "picture/lower/");
        if (rank == 13)
            DrawKing(p, suit, colors);
        else if (rank == 12)
            DrawQueen(p, suit, colors);
        else
            DrawJack(p, suit, colors);
        p.restore();
    }
    MarkScope("");
    // The two halves meet on a fine line, and a double rule frames the picture.
    Mark(p, "picture/frame");
    const QColor line = SuitColor(suit);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(line, 0.5));
    p.drawLine(QPointF(frame.left(), kHeight / 2), QPointF(frame.right(), kHeight / 2));
    p.setPen(QPen(line, 0.8));
    p.drawRect(frame);
    p.setPen(QPen(line, 0.35));
    p.drawRect(frame.adjusted(-1.3, -1.3, 1.3, 1.3));
}

QString& Scope()
{
    static QString scope;
    return scope;
}

} // namespace

void Mark(QPainter& p, const char* name)
{
    QFont font = p.font();
    font.setFamily(Scope() + QString::fromLatin1(name));
    p.setFont(font);
}

void MarkScope(const char* scope)
{
    Scope() = QString::fromLatin1(scope);
}

QPainterPath SuitPath(int suit)
{
    static const std::array<QPainterPath, 4> kPaths = {ClubPath(), DiamondPath(), HeartPath(),
                                                       SpadePath()};
    return kPaths[static_cast<size_t>(suit & 3)];
}

QColor SuitColor(int suit)
{
    return suit == 1 || suit == 2 ? kRed : kBlack;
}

void DrawSuit(QPainter& p, int suit, qreal x, qreal y, qreal size, bool flipped)
{
    QTransform t;
    t.translate(x, y);
    if (flipped)
        t.rotate(180);
    t.scale(size, size);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(SuitColor(suit));
    p.drawPath(t.map(SuitPath(suit)));
    p.restore();
}

void PaintBlank(QPainter& p)
{
    Mark(p, "card");
    p.setPen(QPen(kEdge, 0.9));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.45, 0.45, kWidth - 0.9, kHeight - 0.9), kCornerRadius,
                      kCornerRadius);
}

void PaintFace(QPainter& p, int code)
{
    const int rank = CardRank(code);
    const int suit = CardSuit(code);
    PaintBlank(p);
    if (rank == 1)
        DrawAce(p, suit);
    else if (rank >= 11)
        DrawCourt(p, rank, suit);
    else {
        Mark(p, "pips");
        DrawPips(p, rank, suit);
    }
    MarkScope("index/");
    DrawCorner(p, rank, suit);
    p.save();
    MarkScope("index-turned/");
    p.translate(kWidth, kHeight);
    p.rotate(180);
    DrawCorner(p, rank, suit);
    p.restore();
    MarkScope("");
}

} // namespace cards::art
