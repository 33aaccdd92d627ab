// Both replacement dialects: any template against any match (a subject and group offsets of
// the fuzzer's choosing, as a compiled pattern would give them), each held against a plain
// reference of its rule; and the preserve-case rule.
#include <string>

#include "fuzz_input.h"
#include "search/regex.h"

namespace {
std::u16string Group(const MatchGroups& m, size_t i) {
  if (i >= m.groups.size() || m.groups[i].first < 0) return {};
  return std::u16string(m.subject.substr(m.groups[i].first, m.groups[i].second - m.groups[i].first));
}

// The restricted template: "$&", "$0" and "$1".."$9" (one digit), everything else literal.
std::u16string ReferenceRestricted(std::u16string_view t, const MatchGroups& m) {
  std::u16string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'$' && i + 1 < t.size() && (t[i + 1] == u'&' || (t[i + 1] >= u'0' && t[i + 1] <= u'9'))) {
      out += Group(m, t[i + 1] == u'&' ? 0 : t[i + 1] - u'0');
      ++i;
    } else {
      out += t[i];
    }
  }
  return out;
}

// The ECMAScript template as the standard library's format() reads it.
std::u16string ReferenceEcma(std::u16string_view t, const MatchGroups& m, size_t prefixStart) {
  std::u16string out;
  const size_t start = m.groups[0].first, end = m.groups[0].second;
  auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] != u'$') {
      out += t[i++];
      continue;
    }
    if (i + 1 == t.size()) {
      out += u'$';
      break;
    }
    const char16_t c = t[i + 1];
    if (c == u'$') {
      out += u'$';
      i += 2;
    } else if (c == u'&') {
      out += Group(m, 0);
      i += 2;
    } else if (c == u'`') {
      if (prefixStart < start) out += m.subject.substr(prefixStart, start - prefixStart);
      i += 2;
    } else if (c == u'\'') {
      out += m.subject.substr(end);
      i += 2;
    } else if (digit(c)) {
      size_t n = c - u'0';
      i += 2;
      if (i < t.size() && digit(t[i])) n = 10 * n + (t[i++] - u'0');
      out += Group(m, n);
    } else {
      out += u'$';
      ++i;
    }
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const std::u16string subject = TextOf(in.Bytes(in.Byte() % 64));
  // Group 0 and up to 12 more, each inside the subject or unset.
  MatchGroups m;
  m.subject = subject;
  const size_t groups = 1 + in.Byte() % 13;
  const size_t n = subject.size();
  for (size_t g = 0; g < groups; ++g) {
    const uint8_t a = in.Byte(), b = in.Byte();
    if (g > 0 && a == 0xFF) {
      m.groups.emplace_back(-1, -1);
      continue;
    }
    int64_t from = n ? a % (n + 1) : 0, to = n ? b % (n + 1) : 0;
    if (from > to) std::swap(from, to);
    m.groups.emplace_back(from, to);
  }
  const size_t prefixStart = in.Byte() % (n + 2);
  const std::u16string t = TextOf(in.Rest());

  FUZZ_CHECK(ExpandReplacement(t, m) == ReferenceRestricted(t, m));
  FUZZ_CHECK(ExpandEcmaReplacement(t, m, prefixStart) == ReferenceEcma(t, m, prefixStart));

  const std::u16string matched = Group(m, 0);
  const std::u16string cased = ApplyRegexPreserveCase(t, matched);
  FUZZ_CHECK(cased.size() == t.size());
  FUZZ_CHECK(ApplyRegexPreserveCase(cased, matched) == cased);
  return 0;
}
