#include "main_window.h"

#include "card_view.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

frmQuintara::frmQuintara(Ports ports, QWidget* parent) : QMainWindow(parent), m_ports(ports)
{
    setWindowTitle(QStringLiteral("Quintara"));
    // Layout and menus are built here.
}

frmQuintara::~frmQuintara() = default;

QString frmQuintara::AmountText(qint32 amount)
{
    return QStringLiteral("$ ") + QString::number(amount);
}

void frmQuintara::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        emit queryUnload();
    }
    event->accept();
}
