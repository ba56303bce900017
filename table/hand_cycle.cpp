#include "main_window.h"

void frmQuintara::cmdDeal_Click() {}
void frmQuintara::Deal() {}
void frmQuintara::DealNext() {}
void frmQuintara::EndGame() {}
