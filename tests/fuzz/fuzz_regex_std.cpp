// Differential: patterns of the ECMAScript grammar and replacement templates against the
// standard library's std::wregex (the reference engine) on short inputs. The fuzzer's
// bytes choose the pattern's terms from the grammar (as tests/unit/regex_differential_test.cpp
// builds them at random), a short text and a template. Find All, the batches and Replace All
// must agree with the standard library, allowing only the differences that test names:
// 1. "^", "\b", "\B" inside a look-ahead (libstdc++ runs a look-ahead as a search of its own):
//    left out;
// 2a. after an empty match, libstdc++'s iterator retries as if the text began there: where the
//    pattern has "^", "\b" or "\B", ours must equal the same walk done right (RightWalk);
// 2b. the retry asks look-aheads for non-empty matches too: where the pattern has a look-ahead,
//    the lists may differ from a match that follows an empty one on;
// 3. a back-reference to a group that did not take part: only references to a first group that
//    always takes part are made.
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "std_regex_walks.h"
#include "search/regex.h"

namespace {

struct Pattern {
  std::u16string text;
  bool assertions = false, assertionInLookahead = false, lookahead = false;
  bool nestedQuantifier = false;  // a quantified group with a quantifier inside
};

class PatternMaker {
 public:
  explicit PatternMaker(FuzzInput& in) : in_(in) {}
  Pattern Make() {
    if (Pick(4) == 0) {
      pattern_.text = u"(" + Sequence(1, false) + u")";
      backReference_ = true;
      pattern_.text += Sequence(1, false);
    } else {
      pattern_.text = Alternation(0, false);
    }
    return pattern_;
  }

 private:
  unsigned Pick(unsigned n) { return in_.Byte() % n; }
  std::u16string Alternation(int depth, bool inLookahead) {
    std::u16string s = Sequence(depth, inLookahead);
    if (Pick(4) == 0) s += u"|" + Sequence(depth, inLookahead);
    return s;
  }
  std::u16string Sequence(int depth, bool inLookahead) {
    std::u16string s;
    for (unsigned n = 1 + Pick(3); n > 0; --n) s += Term(depth, inLookahead);
    return s;
  }
  std::u16string Term(int depth, bool inLookahead) {
    static const char16_t* const atoms[] = {u"a",   u"b",      u"c",        u".",      u"\\w",    u"\\W",   u"\\s",
                                            u"\\S", u"\\d",    u"[ab]",     u"[^a]",   u"[a-c\\s]", u"\\r", u"\\n",
                                            u"\\r\\n", u"[\\r\\n]", u"[^\\n]", u" ",     u"_",      u"[^]",   u"[]",
                                            u"\\v", u"[]a]",   u"A",        u"\\x41",  u"\\u0062", u"\\.",  u"[.]"};
    static const char16_t* const quantifiers[] = {u"*", u"+", u"?", u"{1,2}", u"{0,2}", u"*?", u"+?", u"??", u"{2}", u"{1,}"};
    static const char16_t* const assertions[] = {u"^", u"$", u"\\b", u"\\B"};
    std::u16string atom;
    bool innerQuantifier = false;
    switch (Pick(10)) {
      case 0:
        atom = assertions[Pick(4)];
        if (atom != u"$") {
          pattern_.assertions = true;
          if (inLookahead) pattern_.assertionInLookahead = true;
        }
        return atom;
      case 1:
        if (depth < 2) {
          const bool ahead = Pick(3) == 0;
          const std::u16string open = ahead ? (Pick(2) ? u"(?=" : u"(?!") : (Pick(2) ? u"(" : u"(?:");
          const int before = quantified_;
          atom = open + Alternation(depth + 1, inLookahead || ahead) + u")";
          pattern_.lookahead |= ahead;
          if (ahead) return atom;
          innerQuantifier = quantified_ > before;
          break;
        }
        [[fallthrough]];
      case 2:
        if (backReference_ && Pick(2) == 0) {
          atom = u"\\1";
          break;
        }
        [[fallthrough]];
      default:
        atom = atoms[Pick(std::size(atoms))];
    }
    if (Pick(3) == 0) {
      atom += quantifiers[Pick(std::size(quantifiers))];
      ++quantified_;
      pattern_.nestedQuantifier |= innerQuantifier;
    }
    return atom;
  }

  FuzzInput& in_;
  Pattern pattern_;
  bool backReference_ = false;
  int quantified_ = 0;
};

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
std::u16string Units(const std::wstring& s) {
  std::u16string out;
  for (wchar_t c : s) out.push_back(static_cast<char16_t>(c));
  return out;
}

Spans Batches(std::u16string_view text, const CompiledPattern& pattern) {
  Spans out;
  uint64_t position = 0;
  BatchEnd why;
  FindBatchMatches(text, pattern, position, ~0ull, nullptr, &why, [&](const RegexMatch& m) { out.emplace_back(m.start, m.end); });
  return out;
}

bool DifferFromARetryOn(const Spans& ours, const Spans& theirs) {
  size_t same = 0;
  while (same < ours.size() && same < theirs.size() && ours[same] == theirs[same]) ++same;
  return same > 0 && ours[same - 1].first == ours[same - 1].second;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const bool matchCase = in.Byte() % 3 != 0;
  PatternMaker maker(in);
  const Pattern pattern = maker.Make();
  // A short text of pieces with both kinds of line end, and a template.
  static const char16_t* const pieces[] = {u"a", u"b", u"c", u"A", u"B", u" ", u"1", u"_", u"\r\n", u"\n", u"ab", u"\r"};
  std::u16string text;
  for (unsigned n = in.Byte() % 16; n > 0; --n) text += pieces[in.Byte() % std::size(pieces)];
  static const char16_t* const templatePieces[] = {u"$&", u"$0", u"$1", u"$2", u"$9", u"$10", u"$01", u"$12",
                                                   u"$$", u"$`", u"$'", u"$",  u"x",  u"$x",  u"-",   u"$3"};
  std::u16string replacement;
  for (unsigned n = in.Byte() % 5; n > 0; --n) replacement += templatePieces[in.Byte() % std::size(templatePieces)];

  std::wregex re;
  try {
    re.assign(Wide(pattern.text), matchCase ? std::regex::ECMAScript : std::regex::ECMAScript | std::regex::icase);
  } catch (const std::regex_error&) {
    FUZZ_CHECK(!"a pattern of the grammar that the standard library refuses");
  }
  const CompiledPattern compiled = BuildSearchRegex(pattern.text, matchCase, false);
  FUZZ_CHECK(compiled.valid());
  if (pattern.assertionInLookahead) return 0;  // difference 1
  // libstdc++ backtracks without memory: a quantified group with a quantifier inside can take
  // exponential time there (not here), so such patterns are left to the other targets.
  if (pattern.nestedQuantifier) return 0;

  const std::wstring wide = Wide(text);
  const Spans ours = text.empty() ? Spans{} : [&] {
    Spans s;
    for (const RegexMatch& m : FindAllRegexMatches(text, pattern.text, matchCase, false)) s.emplace_back(m.start, m.end);
    return s;
  }();
  const Spans theirs = text.empty() ? Spans{} : IteratorWalk(wide, re);
  if (ours != theirs) {
    if (pattern.lookahead && DifferFromARetryOn(ours, theirs)) return 0;  // difference 2b
    FUZZ_CHECK(pattern.assertions);                                        // difference 2a
    FUZZ_CHECK(ours == RightWalk(wide, re));
    return 0;
  }
  const Spans batches = Batches(text, compiled), reference = BatchWalk(wide, re);
  if (batches != reference) {
    FUZZ_CHECK(pattern.lookahead && DifferFromARetryOn(batches, reference));  // difference 2b
    return 0;
  }
  FUZZ_CHECK(RegexReplaceAll(text, pattern.text, replacement, matchCase, false, false) ==
             Units(std::regex_replace(wide, re, Wide(replacement))));
  return 0;
}
