// The reference host's implementation of every numbered service.
//
// Each service is implemented by Korpus_<name>, with the exact convention and
// parameters of the one list (src/host/host_services.def), under the assembler
// name korpus_<ordinal> that the generated export definitions name.
#pragma once

#include "host/host_services.h"

extern "C" {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) \
    ret ZB_CC_##conv Korpus_##name params __asm__("_korpus_" #ordinal);
#include "host/host_services.def"
#undef ZB_HOST_SERVICE

// Entry 30005: the host's translator of structured exceptions.
void __cdecl Korpus_TranslateException(unsigned int code, void* exceptionPointers) __asm__("_korpus_30005");
// Entry 30007: the host's delay-load notification hook.
void* __stdcall Korpus_DelayLoadNotify(unsigned int notification, void* delayLoadInfo) __asm__("_korpus_30007");
}
