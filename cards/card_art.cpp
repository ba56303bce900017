#include "card_art.h"

#include "card_art_parts.h"
#include "card_code.h"

#include <QHash>
#include <QPainter>
#include <cmath>

namespace cards {

namespace {

struct CacheKey
{
    int code;
    int width;
    int height;
    int ratioPercent;
    bool operator==(const CacheKey&) const = default;
};

size_t qHash(const CacheKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.code, k.width, k.height, k.ratioPercent);
}

// Five card places and a handful of sizes: a plain map is enough; pixmaps are shared
// implicitly, so handing out copies costs nothing.
QHash<CacheKey, QPixmap>& Cache()
{
    static QHash<CacheKey, QPixmap> cache;
    return cache;
}

} // namespace

void PaintCard(QPainter& painter, int code, const QRectF& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / art::kWidth, rect.height() / art::kHeight);
    if (IsCardCode(code)) {
        art::PaintFace(painter, code);
    } else if (IsBackCode(code)) {
        art::PaintBack(painter, code);
    } else {
        // An unknown number shows an empty place rather than a wrong card.
        art::Mark(painter, "place");
        painter.setPen(QPen(QColor(255, 255, 255, 140), 1.0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(0.5, 0.5, art::kWidth - 1, art::kHeight - 1),
                                art::kCornerRadius, art::kCornerRadius);
    }
    painter.restore();
}

QPixmap CardPixmap(int code, QSize logicalSize, qreal devicePixelRatio)
{
    if (logicalSize.isEmpty() || !(devicePixelRatio > 0))
        return {};
    // Ratios are stepped in hundredths so 1.25 and 1.2500001 share one picture.
    const int ratioPercent = static_cast<int>(std::lround(devicePixelRatio * 100));
    const CacheKey key{code, logicalSize.width(), logicalSize.height(), ratioPercent};
    auto& cache = Cache();
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;

    const qreal ratio = ratioPercent / 100.0;
    const QSize pixels(static_cast<int>(std::ceil(logicalSize.width() * ratio - 0.001)),
                       static_cast<int>(std::ceil(logicalSize.height() * ratio - 0.001)));
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        PaintCard(painter, code, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    pixmap.setDevicePixelRatio(ratio);
    cache.insert(key, pixmap);
    return pixmap;
}

int CardArtCacheSize()
{
    return static_cast<int>(Cache().size());
}

void ClearCardArtCache()
{
    Cache().clear();
}

} // namespace cards
