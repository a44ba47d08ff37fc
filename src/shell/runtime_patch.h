// Redirection of two routines of the runtime linked into the plug-in.
#pragma once

// The two patches of the attach step; failures leave the routines as built.
void PatchRuntimeRoutines();
