// The start-up and loading trace on the debugger output. Lines are formatted with
// printf rules in UTF-8 (paths are passed as UTF-8 with %s) and written as UTF-16.
#pragma once
#include <string>

#if defined(__GNUC__)
__attribute__((format(gnu_printf, 1, 2)))
#endif
void Trace(const char* format, ...);

// UTF-8 copy of a wide string, for trace arguments.
std::string TraceText(const wchar_t* text);
