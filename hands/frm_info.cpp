#include "frm_info.h"

#include "frames.h"

#include "icons.h"
#include "pay_table.h"
#include "twips.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>

frmInfo::frmInfo(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Quintara Information"));
    // A fixed dialog frame: no resizing, no minimize or maximize, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Px(5064), Px(2592));
    setWindowIcon(icons::InfoIcon());

    // The picture keeps its own 32 x 32 size, as an icon does, whatever the frame.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Px(120), Px(180), 32, 32);
    Image1->setPixmap(QPixmap(icons::kInfo32));

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

void frmInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred frame on frame, as the player sees the two windows. Its own
    // frame is not known before it is mapped; the owner's stands in for it.
    const QWidget* owner = parentWidget();
    if (!owner || !owner->isVisible())
        return;
    const QMargins decoration = frames::Decoration(*owner);
    frames::PlaceFrame(
        *this, frames::CentredTopLeft(owner->frameGeometry().center(), size().grownBy(decoration)),
        decoration);
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
        names << QString::fromUtf8(row->name);
        prices << QString::number(row->multiplier);
    }
    // Captions are replaced, never appended to.
    lblCombs->setText(names.join(QStringLiteral("\r\n")));
    lblPrice->setText(prices.join(QStringLiteral("\r\n")));
}
