#include "main_window.h"

void frmQuintara::cmdBet_Click() {}
void frmQuintara::cmdBetDown_Click() {}
void frmQuintara::cmdBetUp_Click() {}
