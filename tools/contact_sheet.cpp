// Renders every card face and back, at 1x and 2x, into one PNG for reviewing the art.
//   contact-sheet OUT.png
//   contact-sheet OUT.png CODE RATIO     one card alone, for a close look

#include "card_art.h"
#include "card_code.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kCardW = 73;
constexpr int kCardH = 97;
constexpr int kGap = 8;
const QColor kField(0, 128, 0);

// One row per suit plus one for the backs, all at the given ratio.
QImage Sheet(qreal ratio)
{
    const int cols = 15;
    const int rows = 5;
    const int labelHeight = 14;
    const QSize logical(kGap + cols * (kCardW + kGap), kGap + rows * (kCardH + kGap) + labelHeight);
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(kField);
    QPainter p(&image);
    auto place = [&](int col, int row, int code) {
        const QPoint at(kGap + col * (kCardW + kGap), kGap + row * (kCardH + kGap));
        p.drawPixmap(at, cards::CardPixmap(code, QSize(kCardW, kCardH), ratio));
    };
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 1; rank <= 13; ++rank)
            place(rank - 1, suit, cards::MakeCard(suit, rank));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(Qt::white);
    for (int back = cards::kFirstBack; back <= cards::kLastBack; ++back) {
        const int col = back - cards::kFirstBack;
        place(col, 4, back);
        // The menu caption under each back, without its access-key marker.
        QString caption = QString::fromLatin1(cards::BackCaption(back));
        caption.remove(QLatin1Char('&'));
        const QRect label(kGap / 2 + col * (kCardW + kGap), kGap + 5 * (kCardH + kGap) - 4,
                          kCardW + kGap, labelHeight);
        p.drawText(label, Qt::AlignCenter, caption);
    }
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: contact-sheet OUT.png\n");
        return 2;
    }
    if (argc == 4) {
        const qreal ratio = QString::fromLocal8Bit(argv[3]).toDouble();
        const QPixmap card =
            cards::CardPixmap(std::atoi(argv[2]), QSize(kCardW, kCardH), ratio > 0 ? ratio : 1);
        return card.toImage().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }
    const QImage one = Sheet(1.0);
    const QImage two = Sheet(2.0);
    QImage out(qMax(one.width(), two.width()), one.height() + two.height(),
               QImage::Format_ARGB32_Premultiplied);
    out.fill(kField);
    {
        QPainter p(&out);
        p.drawImage(0, 0, one);
        p.drawImage(QRect(QPoint(0, one.height()), two.size()), two);
    }
    if (!out.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "contact-sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
