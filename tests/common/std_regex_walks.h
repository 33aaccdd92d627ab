// The standard library's ways through a text with std::wregex, the references the regular
// expression engine is compared with: the iterator's list, the same walk done right after an
// empty match, and Find All's batches as the grammar gives them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <utility>
#include <vector>

using Spans = std::vector<std::pair<int32_t, int32_t>>;

inline // The standard iterator's list.
Spans IteratorWalk(const std::wstring& text, const std::wregex& re) {
  Spans out;
  for (std::wsregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
    out.emplace_back(static_cast<int32_t>(it->position()), static_cast<int32_t>(it->position() + it->length()));
  return out;
}

// The iterator's walk with the previous character available to every search after the first.
inline Spans RightWalk(const std::wstring& text, const std::wregex& re) {
  Spans out;
  auto at = text.begin();
  auto flags = std::regex_constants::match_default;
  std::wsmatch m;
  while (std::regex_search(at, text.end(), m, re, flags)) {
    auto start = m[0].first, end = m[0].second;
    out.emplace_back(static_cast<int32_t>(start - text.begin()), static_cast<int32_t>(end - text.begin()));
    flags = std::regex_constants::match_prev_avail;
    at = end;
    if (start != end) continue;
    if (at == text.end()) break;
    if (std::regex_search(at, text.end(), m, re,
                          flags | std::regex_constants::match_not_null | std::regex_constants::match_continuous)) {
      out.emplace_back(static_cast<int32_t>(m[0].first - text.begin()),
                       static_cast<int32_t>(m[0].second - text.begin()));
      at = m[0].second;
      if (m[0].first != m[0].second) continue;
    }
    ++at;
  }
  return out;
}

// Find All's batches as the grammar gives them: each search from `pos` to the end of the text,
// which begins there; after an empty match further on than `pos`, none is taken at its end.
inline Spans BatchWalk(const std::wstring& text, const std::wregex& re) {
  Spans out;
  size_t pos = 0;
  bool afterEmpty = false;
  namespace rc = std::regex_constants;
  while (pos < text.size()) {
    std::wsmatch m;
    const auto from = text.begin() + static_cast<std::ptrdiff_t>(pos);
    bool found;
    size_t base = pos;
    if (afterEmpty) {
      found = std::regex_search(from, text.end(), m, re, rc::match_not_null | rc::match_continuous);
      if (!found) {
        found = std::regex_search(from + 1, text.end(), m, re, rc::match_prev_avail);
        base = pos + 1;
      }
    } else {
      found = std::regex_search(from, text.end(), m, re);
    }
    if (!found) break;
    const size_t start = base + static_cast<size_t>(m.position(0)), end = start + static_cast<size_t>(m.length(0));
    out.emplace_back(static_cast<int32_t>(start), static_cast<int32_t>(end));
    afterEmpty = start == end && end != pos;
    pos = start == end && end == pos ? end + 1 : end;
  }
  return out;
}
