// Paints every card once into an SVG file, as QSvgGenerator writes it:
//   export-card-svg DIR
// tools/clean_card_svg.py then makes the files readable. SVG Tiny has no clipping, so the
// painter's clips are worked into the shapes here: a shape inside its clip goes out as it was
// drawn, one crossing the edge goes out cut to it (its outline as a filled shape).

#include "card_art.h"
#include "card_code.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSvgGenerator>
#include <cstdio>

namespace {

constexpr int kWidth = 73;
constexpr int kHeight = 97;

class ClipEngine : public QPaintEngine
{
  public:
    explicit ClipEngine(QPainter* out) : QPaintEngine(AllFeatures), m_out(out) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return User; }

    void drawPath(const QPainterPath& path) override
    {
        draw(path, true, [&] { m_out->drawPath(path); });
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        draw(path, mode != PolylineMode, [&] {
            if (mode == PolylineMode)
                m_out->drawPolyline(points, count);
            else
                m_out->drawPolygon(points, count,
                                   mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        });
    }
    void drawEllipse(const QRectF& rect) override
    {
        QPainterPath path;
        path.addEllipse(rect);
        draw(path, true, [&] { m_out->drawEllipse(rect); });
    }
    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path;
            path.addRect(rects[i]);
            draw(path, true, [&] { m_out->drawRect(rects[i]); });
        }
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path;
            path.moveTo(lines[i].p1());
            path.lineTo(lines[i].p2());
            draw(path, false, [&] { m_out->drawLine(lines[i]); });
        }
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override
    {
        qFatal("the card art has no pictures in it");
    }
    void drawTextItem(const QPointF&, const QTextItem&) override
    {
        qFatal("the card art has no text in it: letters are paths");
    }

  private:
    template <typename Draw> void draw(const QPainterPath& shape, bool filled, Draw drawAsIs)
    {
        const QPainter* in = painter();
        m_out->setTransform(in->worldTransform());
        m_out->setFont(in->font());
        m_out->setOpacity(in->opacity());
        const QPen pen = in->pen();
        const QBrush brush = filled ? in->brush() : QBrush(Qt::NoBrush);
        const QPainterPath outline = pen.style() == Qt::NoPen
                                         ? QPainterPath()
                                         : QPainterPathStroker(pen).createStroke(shape);
        const QRectF reach = (outline.isEmpty() ? shape : outline.united(shape)).boundingRect();
        const QPainterPath clip = in->hasClipping() ? in->clipPath() : QPainterPath();
        if (!in->hasClipping() || clip.contains(reach)) {
            m_out->setPen(pen);
            m_out->setBrush(brush);
            drawAsIs();
            return;
        }
        if (!clip.intersects(reach))
            return;
        m_out->setPen(Qt::NoPen);
        if (brush.style() != Qt::NoBrush) {
            const QPainterPath inside = shape.intersected(clip);
            if (!inside.isEmpty()) {
                m_out->setBrush(brush);
                m_out->drawPath(inside);
            }
        }
        if (!outline.isEmpty()) {
            const QPainterPath inside = outline.intersected(clip);
            if (!inside.isEmpty()) {
                m_out->setBrush(pen.brush());
                m_out->drawPath(inside);
            }
        }
    }

    QPainter* m_out;
};

class ClipDevice : public QPaintDevice
{
  public:
    explicit ClipDevice(QPainter* out) : m_engine(out) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }

  protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return kWidth;
        case PdmHeight:
            return kHeight;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 72;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

  private:
    mutable ClipEngine m_engine;
};

bool Export(int code, const QString& dir)
{
    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kWidth, kHeight));
    svg.setViewBox(QRectF(0, 0, kWidth, kHeight));
    QString title = cards::IsBackCode(code) ? QString::fromLatin1(cards::BackCaption(code))
                                            : QString::fromStdString(cards::CardName(code));
    svg.setTitle(title.remove(QLatin1Char('&')));
    {
        QPainter out(&svg);
        ClipDevice device(&out);
        QPainter in(&device);
        cards::PaintCard(in, code, QRectF(0, 0, kWidth, kHeight));
    }
    const QString path = dir + QLatin1Char('/') + QString::fromStdString(cards::CardArtFile(code));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size()) {
        std::fprintf(stderr, "export-card-svg: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: export-card-svg DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = Export(0, dir);
    for (int code = 1; code <= cards::kLastBack; ++code)
        ok = (code == 53 || Export(code, dir)) && ok;
    return ok ? 0 : 1;
}
