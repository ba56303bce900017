#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The pay table window. The opener creates it for each showing and it is
// destroyed when closed, so its lists are always filled afresh.
class frmInfo : public QDialog
{
    Q_OBJECT

  public:
    explicit frmInfo(QWidget* owner);

    void cmdOK_Click();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FillPayTable();

    // Controls, found by these object names from outside.
    QLabel* Image1 = nullptr;
    QLabel* lblCombs = nullptr;
    QLabel* lblPrice = nullptr;
    QPushButton* cmdOK = nullptr;
};
