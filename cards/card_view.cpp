#include "card_view.h"

#include "card_code.h"

#include <QMouseEvent>
#include <QPainter>

CardView::CardView(QWidget* parent) : QWidget(parent) {}

void CardView::setValue(int code)
{
    m_value = code;
    update();
}

void CardView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(cards::CardNotation(m_value)));
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
