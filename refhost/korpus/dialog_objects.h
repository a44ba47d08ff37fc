// Dialog objects that the host built for the plug-in.
#pragma once

#include "host/wdialog_base.h"

namespace korpus {
// Checks a dialog object handed to a dialog service: built by the host's
// constructor, and every virtual-table slot 1..34 leading to the host's own
// operation. Records a violation per fault.
bool CheckDialogObject(const char* service, const WDialogBase* dialog);
void ForgetDialogObjects();
// Dialog and list objects constructed and not yet torn down.
int LiveDialogObjects();
}  // namespace korpus
