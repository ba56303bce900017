#include "card_art.h"

#include "card_code.h"

#include <QCache>
#include <QPainter>
#include <QSvgRenderer>
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

// Costs are kibibytes of pixels. The table needs five places at one or two ratios and the
// contact sheet 134 cards; beyond the budget the least recently used pictures go. Pixmaps are
// shared implicitly, so handing out copies costs nothing.
constexpr int kCacheBudgetKiB = 16 * 1024;

QCache<CacheKey, QPixmap>& Cache()
{
    static QCache<CacheKey, QPixmap> cache(kCacheBudgetKiB);
    return cache;
}

QString ArtPath(int code)
{
    return QStringLiteral(":/cards/") + QString::fromStdString(CardArtFile(code));
}

} // namespace

void PaintCard(QPainter& painter, int code, const QRectF& rect)
{
    QSvgRenderer renderer(ArtPath(code));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, rect);
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
    if (const QPixmap* cached = cache.object(key))
        return *cached;

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
    const qsizetype cost =
        std::max<qsizetype>(1, qsizetype(pixels.width()) * pixels.height() / 256);
    cache.insert(key, new QPixmap(pixmap), cost);
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
