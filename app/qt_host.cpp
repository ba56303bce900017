#include "qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

void QtHost::messageBox(const QString& prompt, BoxStyle style, const QString& title)
{
    QMessageBox box(style == BoxStyle::Information ? QMessageBox::Information
                                                   : QMessageBox::Warning,
                    title, prompt, QMessageBox::Ok, m_owner);
    box.exec();
}

QString QtHost::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

void QtHost::beep()
{
    QApplication::beep();
}

void QtHost::pause()
{
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}
