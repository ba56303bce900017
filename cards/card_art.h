#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

namespace cards {

// The card as it lies on the table, at logicalSize and rendered for a screen of the given
// device pixel ratio from its SVG file under :/cards/. Faces 1..52 and backs 54..68; any other
// number gives an empty card outline. Each (code, size, ratio) is rendered once and then served
// from a cache of bounded size.
QPixmap CardPixmap(int code, QSize logicalSize, qreal devicePixelRatio);

// Draws the card straight into rect, without the cache: for printing and sheets.
void PaintCard(QPainter& painter, int code, const QRectF& rect);

// Cached pixmaps held now; for tests and for freeing memory when the table closes.
int CardArtCacheSize();
void ClearCardArtCache();

} // namespace cards
