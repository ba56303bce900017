#include "card_view.h"

#include "card_art.h"
#include "card_code.h"

#include <QMouseEvent>
#include <QPainter>

CardView::CardView(QWidget* parent) : QWidget(parent)
{
    // No background of its own: the rounded corners let the table's field show through.
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
    // A face-down card says which design it wears, for those who cannot see it.
    QString design = QString::fromLatin1(cards::BackCaption(m_value));
    setAccessibleDescription(design.remove(QLatin1Char('&')));
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
