// Indicator 11: the matches of Regex Search marked in the editor.
#pragma once
#include <cstddef>

#include "common/win.h"
#include "search/regex_batch.h"
#include "ui/editor_win.h"

// Gives indicator 11 its look (set only when it changes).
void SetupRegexIndicator(COLORREF colour, int alpha);
// Marks `length` bytes from `from`, remembering what was marked.
void MarkRegexRange(sptr_t from, sptr_t length);
// Clears what was marked: just that range while the document is unchanged, else everything.
void ClearRegexHighlight();
// Marks a session's matches by their byte ranges.
void HighlightRegexMatches(const RegexHit* hits, size_t count);
