#include "search/find_engine.h"

#include <algorithm>
#include <cwctype>

#include "common/utf.h"

void PushHistory(History& history, std::u16string_view text, size_t maxLength) {
  if (text.empty()) return;
  std::u16string entry(text.substr(0, maxLength));
  size_t found = history.size() - 1;  // not found: the last entry falls off
  for (size_t i = 0; i < history.size(); ++i) {
    if (history[i] == entry) {
      found = i;
      break;
    }
  }
  for (size_t j = found; j > 0; --j) history[j] = std::move(history[j - 1]);
  history[0] = std::move(entry);
}

namespace {
bool IsUpper(char16_t c) { return std::iswupper(static_cast<wint_t>(c)) != 0; }
char16_t Upper(char16_t c) { return static_cast<char16_t>(std::towupper(static_cast<wint_t>(c))); }
char16_t Lower(char16_t c) { return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c))); }

inline unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }
inline bool IsWordByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
}  // namespace

std::u16string ApplyPreserveCase(std::u16string_view matched, std::u16string_view replacement) {
  std::u16string out(replacement);
  if (out.empty()) return out;
  bool allUpper = !matched.empty() && std::all_of(matched.begin(), matched.end(), IsUpper);
  bool firstUpper = !matched.empty() && IsUpper(matched[0]);
  for (size_t i = 0; i < out.size(); ++i) out[i] = allUpper || (firstUpper && i == 0) ? Upper(out[i]) : Lower(out[i]);
  return out;
}

bool EqualsAsciiCaseInsensitive(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

ReplaceAllResult ReplaceAllInRegion(std::string_view region, std::string_view find, std::u16string_view replacement,
                                    const ReplaceAllOptions& options, int64_t regionStart) {
  ReplaceAllResult result;
  if (find.empty()) return result;
  // Without Match case both sides are searched folded (ASCII letters only).
  std::string foldedRegion, foldedFind;
  std::string_view haystack = region, needle = find;
  if (!options.matchCase) {
    foldedRegion.resize(region.size());
    std::transform(region.begin(), region.end(), foldedRegion.begin(),
                   [](char c) { return static_cast<char>(FoldAscii(static_cast<unsigned char>(c))); });
    foldedFind.resize(find.size());
    std::transform(find.begin(), find.end(), foldedFind.begin(),
                   [](char c) { return static_cast<char>(FoldAscii(static_cast<unsigned char>(c))); });
    haystack = foldedRegion;
    needle = foldedFind;
  }
  const std::string plainReplacement = options.preserveCase ? std::string() : Utf16ToUtf8(replacement);
  const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(region[i]); };
  result.output.reserve(region.size());
  size_t pos = 0, copied = 0;
  while (pos < region.size()) {
    size_t p = haystack.find(needle, pos);
    if (p == std::string_view::npos) break;
    size_t e = p + needle.size();
    if (options.wholeWord) {
      bool insideStart = p > 0 && IsWordByte(byteAt(p - 1)) && IsWordByte(byteAt(p));
      bool insideEnd = e < region.size() && IsWordByte(byteAt(e - 1)) && IsWordByte(byteAt(e));
      if (insideStart || insideEnd) {
        pos = p + 1;
        continue;
      }
    }
    result.output.append(region.substr(copied, p - copied));
    std::string replaced = options.preserveCase
                               ? Utf16ToUtf8(ApplyPreserveCase(Utf8ToUtf16(region.substr(p, e - p)), replacement))
                               : std::string();
    const std::string& text = options.preserveCase ? replaced : plainReplacement;
    int64_t start = regionStart + static_cast<int64_t>(result.output.size());
    result.ranges.emplace_back(start, start + static_cast<int64_t>(text.size()));
    result.output.append(text);
    ++result.count;
    pos = copied = e;
  }
  result.output.append(region.substr(copied));
  return result;
}

int ChooseMatch(const MatchList& matches, int64_t position, bool forward, bool wrap) {
  if (matches.empty()) return -1;
  if (forward) {
    auto it = std::lower_bound(matches.begin(), matches.end(), position,
                               [](const std::pair<int32_t, int32_t>& m, int64_t p) { return m.first < p; });
    if (it != matches.end()) return static_cast<int>(it - matches.begin());
    return wrap ? 0 : -1;
  }
  auto it = std::lower_bound(matches.begin(), matches.end(), position,
                             [](const std::pair<int32_t, int32_t>& m, int64_t p) { return m.first < p; });
  if (it != matches.begin()) return static_cast<int>(it - matches.begin()) - 1;
  return wrap ? static_cast<int>(matches.size()) - 1 : -1;
}

std::u16string MatchesFoundText(size_t count) {
  if (count == 1) return u"1 match found.";
  return DecimalText(count) + u" matches found.";
}

std::u16string ReplacedText(int count) {
  return (count < 0 ? u"-" + DecimalText(static_cast<unsigned>(-count)) : DecimalText(static_cast<unsigned>(count))) +
         u" occurrence(s) replaced.";
}
