// The main window's menu commands. Opening files, adding and deleting,
// finding and the About box arrive with their own dialogs.
#include "main_window/frm_ini.h"

void frmINI::mnuOpen_Click() {}
void frmINI::mnuExit_Click() {}
void frmINI::mnuNewSection_Click() {}
void frmINI::mnuNewKey_Click() {}
void frmINI::mnuDelSection_Click() {}
void frmINI::mnuDelKey_Click() {}
void frmINI::mnuFind_Click() {}
void frmINI::mnuNext_Click() {}
void frmINI::mnuAbout_Click() {}
