// The host's own event handler of the Tzak table.
#include "host_state.h"

namespace korpus {

// Records its eleven arguments and returns the scenario's result
// ("tzak_handler_result", default 0). A scenario can make it raise
// ({"raise": [{"service": "TzakHandler", "call": N}]}).
int __stdcall HostOwnTzakHandler(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6,
                                 uint32_t a7, uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11) {
    Enter("TzakHandler");
    const int result = State().scenario.value("tzak_handler_result", 0);
    Record("tzak_handler", {{"arguments", {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11}}, {"result", result}});
    return result;
}

}  // namespace korpus
