// Entry points of the regular-expression engine for the tests and the benchmark only.
#pragma once
#include <cstddef>
#include <string_view>

class CompiledPattern;  // search/regex.h

// Sets the size of the first search window (normally kSearchWindow) and returns the size before:
// tests search through many window ends with a tiny one. A window never ends inside a surrogate
// pair or a CR LF.
size_t SetSearchWindowForTesting(size_t units);

// The number of matches of `pattern` in `text` found with the engine alone, over the whole text
// as one subject, nothing kept: what the searches are measured against.
size_t CountMatchesWithTheEngineAlone(const CompiledPattern& pattern, std::u16string_view text);
