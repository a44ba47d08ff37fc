#include "shell/runtime_patch.h"

void PatchRuntimeRoutines() {}
