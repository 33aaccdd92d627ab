#include "search/regex_highlight_win.h"

#include <algorithm>

namespace {
// The bytes indicator 11 may cover, and the document's version when they were marked: clearing
// just them spares a large, wrapped document from being laid out again.
struct Marked {
  sptr_t from = -1, to = -1;
  uint64_t version = 0;
};
Marked g_marked;
}  // namespace

void MarkRegexRange(sptr_t from, sptr_t length) {
  if (length <= 0) return;
  if (g_marked.from < 0 || g_marked.version != DocumentVersion()) {
    g_marked = {from, from + length, DocumentVersion()};
  } else {
    g_marked.from = std::min(g_marked.from, from);
    g_marked.to = std::max(g_marked.to, from + length);
  }
  Sci(SCI_SETINDICATORCURRENT, 11);
  Sci(SCI_INDICATORFILLRANGE, static_cast<uptr_t>(from), length);
}

void ClearRegexHighlight() {
  if (g_marked.from >= 0) {
    // After an edit the marks may have moved with the text: then the whole document is cleared.
    if (g_marked.version != DocumentVersion()) {
      ClearIndicator(11);
    } else {
      const sptr_t end = std::min<sptr_t>(g_marked.to, Sci(SCI_GETLENGTH));
      Sci(SCI_SETINDICATORCURRENT, 11);
      if (end > g_marked.from) Sci(SCI_INDICATORCLEARRANGE, static_cast<uptr_t>(g_marked.from), end - g_marked.from);
    }
  }
  g_marked = Marked{};
}

void SetupRegexIndicator(COLORREF colour, int alpha) {
  SetSearchIndicatorLook(11, colour, alpha);
}

void HighlightRegexMatches(const RegexHit* hits, size_t count) {
  if (count == 0) return;
  SetupRegexIndicator(0x00DCFF, 70);
  for (size_t i = 0; i < count; ++i) MarkRegexRange(hits[i].byteStart, hits[i].byteEnd - hits[i].byteStart);
}
