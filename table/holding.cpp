#include "main_window.h"

void frmQuintara::cmdHold_Click(int) {}
void frmQuintara::cmdHold_Keyup(int) {}
void frmQuintara::Card_MouseDown(int, Qt::MouseButton, const QPoint&) {}
void frmQuintara::Card_GotFocus(int) {}
