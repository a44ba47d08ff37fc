// GoogleTest also sends every failure to OutputDebugStringA. Under Wine on
// these machines that raises an exception which the 32-bit emulation does not
// survive: the test process dies at its first failure and the rest of the run
// is lost. The test executables take the function from here instead of from
// kernel32: their standard output already carries every failure.
extern "C" void __attribute__((stdcall)) IgnoreDebugOutput(const char*) {}

extern "C" void* OutputDebugStringImport __asm__("__imp__OutputDebugStringA@4");
void* OutputDebugStringImport = reinterpret_cast<void*>(&IgnoreDebugOutput);
