#include "frm_info.h"

#include "pay_table.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStringList>

namespace {

// Designed in twips, 15 to the pixel at 100 % scaling.
constexpr int Px(int twips)
{
    return (twips * 2 + 15) / 30;
}
QRect TwipRect(int left, int top, int width, int height)
{
    return {Px(left), Px(top), Px(width), Px(height)};
}

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

frmInfo::frmInfo(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Quintara Information"));
    // A fixed dialog frame: no resizing, no minimize or maximize, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Px(5064), Px(2592));
    QIcon icon;
    icon.addPixmap(InformationPicture(32));
    icon.addPixmap(InformationPicture(16));
    setWindowIcon(icon);

    // The picture keeps its own 32 x 32 size, as an icon does, whatever the frame.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Px(120), Px(180), 32, 32);
    Image1->setPixmap(InformationPicture(32));

    lblCombs = new QLabel(this);
    lblCombs->setObjectName(QStringLiteral("lblCombs"));
    lblCombs->setGeometry(TwipRect(600, 180, 3372, 1932));
    lblCombs->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblPrice = new QLabel(this);
    lblPrice->setObjectName(QStringLiteral("lblPrice"));
    lblPrice->setGeometry(TwipRect(4140, 180, 672, 1932));
    lblPrice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(TwipRect(1920, 2220, 1092, 312));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmInfo::cmdOK_Click);
    cmdOK->move((width() - cmdOK->width()) / 2, cmdOK->y());
    cmdOK->setFocus();

    FillPayTable();
}

void frmInfo::cmdOK_Click()
{
    accept();
}

void frmInfo::FillPayTable()
{
    QStringList names;
    QStringList prices;
    for (const hands::PayRow* row : hands::PayingRowsAscending()) {
        names << FromView(row->name);
        prices << QString::number(row->multiplier);
    }
    // Captions are replaced, never appended to.
    lblCombs->setText(names.join(QStringLiteral("\r\n")));
    lblPrice->setText(prices.join(QStringLiteral("\r\n")));
}

QPixmap frmInfo::InformationPicture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The bubble, with its tail down on the left.
    QPainterPath bubble;
    bubble.addEllipse(QRectF(1.5, 1.5, 29, 23));
    QPainterPath tail;
    tail.moveTo(7, 20);
    tail.lineTo(4, 30.5);
    tail.lineTo(15, 23);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    painter.setPen(QPen(QColor(40, 40, 40), 1.5));
    painter.setBrush(Qt::white);
    painter.drawPath(bubble);

    const QColor blue(0, 64, 200);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawEllipse(QPointF(16, 6.8), 2.3, 2.3);
    painter.drawRoundedRect(QRectF(13.8, 10.5, 4.4, 11), 1, 1);
    painter.drawRect(QRectF(12, 10.5, 4, 1.8));
    painter.drawRect(QRectF(12, 19.8, 8, 1.8));
    return picture;
}
