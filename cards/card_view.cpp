#include "card_view.h"

#include "card_art.h"
#include "card_code.h"

#include <QMouseEvent>
#include <QPainter>

CardView::CardView(QWidget* parent) : QWidget(parent)
{
    // The card paints every pixel it covers except its rounded corners, where the field
    // below must show through.
    setAttribute(Qt::WA_TranslucentBackground);
    updateAccessibleName();
}

void CardView::setValue(int code)
{
    if (code == m_value)
        return;
    m_value = code;
    updateAccessibleName();
    update();
}

void CardView::updateAccessibleName()
{
    setAccessibleName(QString::fromStdString(cards::CardName(m_value)));
}

QSize CardView::sizeHint() const
{
    return {73, 97};
}

void CardView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, cards::CardPixmap(m_value, size(), devicePixelRatioF()));
}

void CardView::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event->button(), event->modifiers(), event->globalPosition().toPoint());
}

void CardView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    emit focusReceived();
}
