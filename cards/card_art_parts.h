#pragma once

// Drawing pieces shared by the faces and the backs. Everything draws in the card's own
// coordinates: 73 x 97 units, the size of a card place at 100 %.

#include <QColor>
#include <QPainterPath>

class QPainter;

namespace cards::art {

constexpr qreal kWidth = 73.0;
constexpr qreal kHeight = 97.0;
constexpr qreal kCornerRadius = 5.0;

// Suit symbol centred on the origin, fitting a 1 x 1 box.
QPainterPath SuitPath(int suit);
QColor SuitColor(int suit);

// Draws a suit symbol of the given height centred at (x, y), upside down if flipped.
void DrawSuit(QPainter& p, int suit, qreal x, qreal y, qreal size, bool flipped = false);

void PaintFace(QPainter& p, int code);
void PaintBack(QPainter& p, int backCode);

// Names the part drawn next, so that an exported picture keeps its parts apart: "a/b" is part
// b of a. The scope is put in front of every name until it is set again.
void Mark(QPainter& p, const char* name);
void MarkScope(const char* scope);

// The white rounded card with its thin edge, shared by faces and backs.
void PaintBlank(QPainter& p);

} // namespace cards::art
