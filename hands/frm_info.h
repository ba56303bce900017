#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The pay table window, created at each opening and destroyed at its closing.
class frmInfo : public QDialog
{
    Q_OBJECT

  public:
    explicit frmInfo(QWidget* owner);

    QLabel* lblCombs = nullptr;
    QLabel* lblPrice = nullptr;
    QPushButton* cmdOK = nullptr;
};
