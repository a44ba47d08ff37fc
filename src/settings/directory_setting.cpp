#include "shell/kolektor.h"

// The directory prompt.
int CKolektor::AskImportDirectory() { return 1; }
