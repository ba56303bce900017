#include "main_window.h"

void frmQuintara::mnuReset_Click() {}
void frmQuintara::mnuMessages_Click() {}
void frmQuintara::mnuQuit_Click()
{
    close();
}
void frmQuintara::mnuInfo_Click() {}
void frmQuintara::mnuAbout_Click() {}
