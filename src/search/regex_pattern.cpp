#include "search/regex_pattern.h"

namespace {
// '.' stops at the line terminators of the grammar, whatever PCRE2 takes for a newline.
constexpr std::u16string_view kAnyButLineEnd = u"[^\\n\\r\\u2028\\u2029]";
// Escapes of letters that mean something in both grammars and the same thing.
constexpr std::u16string_view kSharedEscapes = u"bBdDsSwWfnrtcxu";
// PCRE2's anchors and quoting, refused outside classes.
constexpr std::u16string_view kRefusedEscapes = u"AZzGQEK";

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool Has(std::u16string_view set, char16_t c) {
  return set.find(c) != std::u16string_view::npos;
}

// The escape at p[i] (a backslash); `i` is left on its last unit. False for a refused one.
bool TranslateEscape(std::u16string_view p, size_t& i, bool inClass, std::u16string& out) {
  if (i + 1 >= p.size()) {
    out.push_back(u'\\');  // a pattern ending in a backslash: PCRE2 reports it
    return true;
  }
  const char16_t e = p[++i];
  if (IsDigit(e)) {
    if (e == u'0' && (inClass || i + 1 >= p.size() || !IsDigit(p[i + 1]))) {
      out += u"\\x00";  // NUL; a digit after it in a class is a character of its own
      return true;
    }
    if (inClass) return false;  // no back-references in classes
    // A back-reference takes every digit: \10 is group 10, never an octal escape.
    size_t end = i;
    while (end < p.size() && IsDigit(p[end])) ++end;
    out.append(u"\\g{").append(p.substr(i, end - i)).push_back(u'}');
    i = end - 1;
    return true;
  }
  if (!IsAsciiLetter(e)) {
    out.push_back(u'\\');
    out.push_back(e);
    return true;
  }
  if (e == u'v') {
    out += u"\\x0B";  // the vertical tab alone, not PCRE2's vertical space class
    return true;
  }
  if (!inClass && Has(kRefusedEscapes, e)) return false;
  const bool namedReference = e == u'k' && !inClass && i + 1 < p.size() && p[i + 1] == u'<';
  if (Has(kSharedEscapes, e) || namedReference) out.push_back(u'\\');
  out.push_back(e);  // any other letter stands for itself (\a, \e, \h, \R, \g, \o ...)
  return true;
}

// Copies a POSIX class such as [:alpha:] inside a class, at p[i] == '['; false when there is
// none there. `i` is left on its closing bracket.
bool CopyPosixClass(std::u16string_view p, size_t& i, std::u16string& out) {
  if (i + 1 >= p.size() || !Has(u":.=", p[i + 1])) return false;
  const char16_t close[] = {p[i + 1], u']'};
  const size_t end = p.find(std::u16string_view(close, 2), i + 2);
  if (end == std::u16string_view::npos) return false;
  out.append(p.substr(i, end + 2 - i));
  i = end + 1;
  return true;
}

// A group's opening at p[i] == '(': false for PCRE2's own kinds of group and its verbs.
bool IsEcmaGroup(std::u16string_view p, size_t i) {
  if (i + 1 >= p.size()) return true;
  if (p[i + 1] == u'*') return false;  // (*UCP), (*CR), (*ACCEPT) ...
  if (p[i + 1] != u'?') return true;
  const char16_t kind = i + 2 < p.size() ? p[i + 2] : u'\0';
  // Non-capturing groups, look-arounds and named groups; not inline options, atomic groups,
  // comments, conditionals or recursion.
  return Has(u":=!<", kind);
}
}  // namespace

std::optional<std::u16string> TranslateEcmaPattern(std::u16string_view p) {
  std::u16string out;
  out.reserve(p.size() + 16);
  bool inClass = false;
  for (size_t i = 0; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c == u'\\') {
      if (!TranslateEscape(p, i, inClass, out)) return std::nullopt;
    } else if (inClass) {
      if (c == u'[' && CopyPosixClass(p, i, out)) continue;
      if (c == u']') inClass = false;  // also right after "[^": [^] is a class
      out.push_back(c);
    } else if (c == u'[' && i + 1 < p.size() && p[i + 1] == u']') {
      out += u"(?:[])";  // PCRE2 drops a quantifier of the bare empty class with the rest of the match
      ++i;
    } else if (c == u'[') {
      inClass = true;
      out.push_back(c);
    } else if (c == u'(' && !IsEcmaGroup(p, i)) {
      return std::nullopt;
    } else if (Has(u"*+?}", c) && i + 1 < p.size() && p[i + 1] == u'+') {
      return std::nullopt;  // possessive quantifiers
    } else if (c == u'.') {
      out += kAnyButLineEnd;
    } else {
      out.push_back(c);
    }
  }
  return out;
}
