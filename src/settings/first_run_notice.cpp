#include "settings/first_run_notice.h"

int ShowFirstRunNotice() { return 0; }
