// The runtime's printf-style formatter, behind FormatText.
//
// The plug-in formats with its own runtime rather than the system's C library
// so that the floating-point conversions go through FloatToDecimal, a routine
// of the plug-in's own code that the shell can redirect.
#pragma once

#include <cstdarg>

// Formats into buffer without a size limit: the caller sizes it for the worst
// case. Flags - + space # 0, width and precision (also *), the sizes hh h l ll
// L j z t I I32 I64, and the conversions d i u o x X c s p n % f F e E g G.
// Returns the characters written without the terminator. A conversion it
// does not know (also %lc and %ls) gives -1, with the text up to it written
// and terminated.
int PrintFormatV(char* buffer, const char* format, va_list values);
