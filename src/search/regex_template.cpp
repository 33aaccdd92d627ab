// Replacement templates of the Regex Search dialog and its preserve-case rule.
#include <cwctype>

#include "search/regex.h"

namespace {
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
}  // namespace

std::u16string ExpandReplacement(std::u16string_view t, const MatchGroups& m) {
  std::u16string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'$' && i + 1 < t.size()) {
      char16_t next = t[i + 1];
      if (next == u'&' || next == u'0') {
        out += GroupText(m, 0);
        ++i;
        continue;
      }
      if (next >= u'1' && next <= u'9') {
        out += GroupText(m, static_cast<size_t>(next - u'0'));  // nothing for a missing group
        ++i;
        continue;
      }
    }
    out.push_back(t[i]);
  }
  return out;
}

std::u16string ExpandEcmaReplacement(std::u16string_view t, const MatchGroups& m, size_t prefixStart) {
  std::u16string out;
  const size_t start = static_cast<size_t>(m.groups[0].first), end = static_cast<size_t>(m.groups[0].second);
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != u'$' || i + 1 >= t.size()) {
      out.push_back(t[i]);
      continue;
    }
    const char16_t next = t[++i];
    if (next == u'$') {
      out.push_back(u'$');
    } else if (next == u'&') {
      out += GroupText(m, 0);
    } else if (next == u'`') {
      if (prefixStart < start) out += m.subject.substr(prefixStart, start - prefixStart);
    } else if (next == u'\'') {
      out += m.subject.substr(end);
    } else if (IsDigit(next)) {
      // One digit, or two when two follow: $0 is the whole match, and a group the pattern
      // lacks gives nothing ($12 with one group is neither group 12 nor group 1 and a 2).
      size_t number = static_cast<size_t>(next - u'0');
      if (i + 1 < t.size() && IsDigit(t[i + 1])) number = number * 10 + static_cast<size_t>(t[++i] - u'0');
      out += GroupText(m, number);
    } else {
      out.push_back(u'$');
      --i;  // the character after the dollar sign is copied as it stands
    }
  }
  return out;
}

std::u16string ApplyRegexPreserveCase(std::u16string_view replacement, std::u16string_view matched) {
  std::u16string out(replacement);
  if (out.empty() || matched.empty()) return out;
  bool allUpper = true, allLower = true;
  for (char16_t c : matched) {
    wint_t w = static_cast<wint_t>(c);
    if (!std::iswalpha(w)) continue;
    if (!std::iswupper(w)) allUpper = false;
    if (!std::iswlower(w)) allLower = false;
  }
  auto upper = [](char16_t c) { return static_cast<char16_t>(std::towupper(static_cast<wint_t>(c))); };
  auto lower = [](char16_t c) { return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c))); };
  if (allUpper) {
    for (char16_t& c : out) c = upper(c);
  } else if (allLower) {
    for (char16_t& c : out) c = lower(c);
  } else if (std::iswupper(static_cast<wint_t>(matched[0]))) {
    for (char16_t& c : out) c = lower(c);
    out[0] = upper(out[0]);
  }
  return out;
}
