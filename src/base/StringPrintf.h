// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// printf-style formatting into a std::string, for the protocol's fixed formats.

#include <string>

namespace vantrel {

// mingw's "printf" archetype is the Microsoft runtime's, which knows no %zu; its C++ runtime
// formats through mingw's own C99 printf, which gnu_printf describes.
#if defined(__MINGW32__)
#define VANTREL_PRINTF_FORMAT gnu_printf
#else
#define VANTREL_PRINTF_FORMAT printf
#endif

std::string StringPrintf(const char* format, ...)
    __attribute__((format(VANTREL_PRINTF_FORMAT, 1, 2)));

}  // namespace vantrel
