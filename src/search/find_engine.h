// The plain-text Find and Replace engine's pure parts: histories, preserve case, the
// Replace All scan, the choice of the next match, and the status texts.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using History = std::array<std::u16string, 10>;

// Most-recently-used insertion; exact (case-sensitive) match moves an entry to the front.
// Nothing happens for an empty text; entries are cut to `maxLength` characters.
void PushHistory(History& history, std::u16string_view text, size_t maxLength = 255);

// The replacement in the case pattern of the matched text: all upper → upper; first upper →
// capitalised; otherwise lower (letters only count as upper; classification per iswupper).
std::u16string ApplyPreserveCase(std::u16string_view matched, std::u16string_view replacement);

// ASCII-only case-insensitive equality (letters A-Z/a-z fold; every other byte must match).
bool EqualsAsciiCaseInsensitive(std::string_view a, std::string_view b);

struct ReplaceAllOptions {
  bool matchCase = false;
  bool wholeWord = false;
  bool preserveCase = false;
};
struct ReplaceAllResult {
  std::string output;                                // the region with every occurrence replaced
  std::vector<std::pair<int64_t, int64_t>> ranges;   // replaced ranges in the new document
  int count = 0;
};
// Replaces every non-overlapping occurrence of `find` (UTF-8) in `region`, left to right; the
// region's own edges always pass the whole-word test. `regionStart` offsets the ranges.
ReplaceAllResult ReplaceAllInRegion(std::string_view region, std::string_view find, std::u16string_view replacement,
                                    const ReplaceAllOptions& options, int64_t regionStart);

using MatchList = std::vector<std::pair<int32_t, int32_t>>;
// Index of the match Find Next (forward, from the caret) or Find Prev (backward, before the
// selection start) chooses; -1 when there is none ahead and wrapping is off (or no matches).
int ChooseMatch(const MatchList& matches, int64_t position, bool forward, bool wrap);

// "1 match found." or "N matches found."; "N occurrence(s) replaced."
std::u16string MatchesFoundText(size_t count);
std::u16string ReplacedText(int count);
