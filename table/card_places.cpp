#include "main_window.h"

void frmQuintara::DrawCard(bool, bool) {}
void frmQuintara::mnuCD_Click(int) {}
