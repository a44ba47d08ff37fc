// The frame-based exception handler that tears an import object down when a
// host exception passes through the table hook.
//
// The host's exceptions are structured exceptions. The cross compiler's own
// exception model does not take part in their unwinding, so a C++ destructor
// would not run on the way; this handler, registered in the hook's frame
// (the FS:[0] chain), destroys the object as far as it was built during the
// unwinding pass and lets the exception go on to the host.
#pragma once

#include "shell/kolektor.h"

struct ImportGuard {
    ImportGuard* previous;  // the chain's next registration
    void* handler;
    CKolektor* object;
    volatile KolektorBuilt built;
};

// Registers the guard for the object; the guard must live in the caller's frame.
void EnterImportGuard(ImportGuard* guard, CKolektor* object);
// Removes the guard from the chain.
void LeaveImportGuard(ImportGuard* guard);
