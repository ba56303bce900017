#include "frm_info.h"

#include <QLabel>
#include <QPushButton>

frmInfo::frmInfo(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Quintara Information"));
}
