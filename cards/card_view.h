#pragma once

#include <QWidget>

// One card place: shows the face of a card code 1..52 or the back design 54..68,
// and returns exactly the number it was given.
class CardView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)

  public:
    explicit CardView(QWidget* parent = nullptr);

    int value() const { return m_value; }
    void setValue(int code);

    QSize sizeHint() const override;

  signals:
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                      const QPoint& globalPos);
    void focusReceived();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void updateAccessibleName();

    int m_value = 63;
};
