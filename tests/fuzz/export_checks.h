// Checks shared by the targets of the HTML, RTF and Markdown builders.
#pragma once
#include <string>
#include <string_view>

#include "common/utf.h"

inline size_t CountOf(std::string_view s, std::string_view what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string_view::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

// Invalid bytes read as U+FFFD, so only valid UTF-8 comes back the same.
inline bool ValidUtf8(std::string_view s) { return Utf16ToUtf8(Utf8ToUtf16(s)) == s; }

// Every quoted font name in a style sheet stays a CSS string: nothing in it closes the string,
// the rule or the <style> element.
inline bool CssFontNamesClean(std::string_view page) {
  constexpr std::string_view kOpen = "font-family: '";
  for (size_t at = page.find(kOpen); at != std::string_view::npos; at = page.find(kOpen, at + 1)) {
    const size_t from = at + kOpen.size(), to = page.find('\'', from);
    if (to == std::string_view::npos) return false;
    const std::string_view name = page.substr(from, to - from);
    if (name.find_first_of("<>{};\"\\\r\n") != std::string_view::npos) return false;
    if (page.substr(to, 3) != "', ") return false;
  }
  return true;
}
