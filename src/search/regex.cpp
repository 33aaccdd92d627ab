#include "search/regex.h"
#include "search/regex_testing.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstring>

namespace {
// Bounds that keep every pattern from crashing or hanging the program.
constexpr uint32_t kMatchLimit = 50'000'000;
constexpr uint32_t kDepthLimit = 100'000;
constexpr size_t kJitStackMax = 8u << 20;

PCRE2_SPTR16 Units(std::u16string_view s) {
  return reinterpret_cast<PCRE2_SPTR16>(s.data());
}

bool IsLimitError(int rc) {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
         rc == PCRE2_ERROR_JIT_STACKLIMIT || rc == PCRE2_ERROR_NOMEMORY;
}
}  // namespace

struct CompiledPattern::Impl {
  pcre2_code_16* code = nullptr;
  pcre2_match_context_16* context = nullptr;
  pcre2_jit_stack_16* jitStack = nullptr;
  pcre2_match_data_16* data = nullptr;
  int groups = 0;
  bool jit = false;  // compiled for both complete and partial matching
  ~Impl() {
    if (data) pcre2_match_data_free_16(data);
    if (context) pcre2_match_context_free_16(context);
    if (jitStack) pcre2_jit_stack_free_16(jitStack);
    if (code) pcre2_code_free_16(code);
  }
};

CompiledPattern::CompiledPattern() = default;
CompiledPattern::~CompiledPattern() = default;
CompiledPattern::CompiledPattern(CompiledPattern&&) noexcept = default;
CompiledPattern& CompiledPattern::operator=(CompiledPattern&&) noexcept = default;
bool CompiledPattern::valid() const {
  return impl_ && impl_->code;
}
int CompiledPattern::groupCount() const {
  return valid() ? impl_->groups : 0;
}

CompiledPattern BuildSearchRegex(std::u16string_view pattern, bool matchCase, bool wholeWord) {
  CompiledPattern compiled;
  std::optional<std::u16string> translated = TranslateEcmaPattern(pattern);
  if (!translated) return compiled;
  std::u16string source = wholeWord ? u"\\b(?:" + *translated + u")\\b" : std::move(*translated);
  // ECMAScript behaviour: ^ and $ only at the subject's ends, $ not before a final newline,
  // \u escapes, ASCII \w \d \s \b, [] and [^], a back-reference to a group that did not take
  // part matches empty; invalid UTF-16 is searched around. Line ends are left to the pattern
  // ('.' is rewritten): with LF as PCRE2's newline, CR LF is two characters like any others,
  // and a failed attempt at a CR moves on to the LF.
  uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX |
                     PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF;
  if (!matchCase) options |= PCRE2_CASELESS;
  pcre2_compile_context_16* cc = pcre2_compile_context_create_16(nullptr);
  if (!cc) return compiled;
  pcre2_set_newline_16(cc, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  auto impl = std::make_unique<CompiledPattern::Impl>();
  impl->code = pcre2_compile_16(Units(source), source.size(), options, &error, &errorOffset, cc);
  pcre2_compile_context_free_16(cc);
  if (!impl->code) return compiled;
  // Falls back to the interpreter when JIT is unavailable; partial matching serves the windowed search.
  impl->jit = pcre2_jit_compile_16(impl->code, PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD) == 0;
  uint32_t captures = 0;
  pcre2_pattern_info_16(impl->code, PCRE2_INFO_CAPTURECOUNT, &captures);
  impl->groups = static_cast<int>(captures);
  impl->context = pcre2_match_context_create_16(nullptr);
  impl->jitStack = pcre2_jit_stack_create_16(32 * 1024, kJitStackMax, nullptr);
  impl->data = pcre2_match_data_create_from_pattern_16(impl->code, nullptr);
  if (!impl->context || !impl->data) return compiled;
  pcre2_set_match_limit_16(impl->context, kMatchLimit);
  pcre2_set_depth_limit_16(impl->context, kDepthLimit);
  if (impl->jitStack) pcre2_jit_stack_assign_16(impl->context, nullptr, impl->jitStack);
  compiled.impl_ = std::move(impl);
  return compiled;
}

namespace {
// The groups of the match just found (rc is pcre2_match's positive result).
void FillGroups(CompiledPattern::Impl* p, std::u16string_view subject, int rc, MatchGroups* match) {
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(p->data);
  match->subject = subject;
  match->groups.assign(static_cast<size_t>(p->groups) + 1, {-1, -1});
  int pairs = rc == 0 ? static_cast<int>(pcre2_get_ovector_count_16(p->data)) : rc;
  for (int i = 0; i < pairs && i <= p->groups; ++i) {
    if (ovector[2 * i] == PCRE2_UNSET) continue;
    match->groups[static_cast<size_t>(i)] = {static_cast<int64_t>(ovector[2 * i]),
                                             static_cast<int64_t>(ovector[2 * i + 1])};
  }
}
}  // namespace

RegexOutcome RegexSearch(const CompiledPattern& pattern, std::u16string_view subject, size_t offset, MatchGroups* match,
                         bool notEmptyAtStart) {
  if (!pattern.valid() || offset > subject.size()) return RegexOutcome::NoMatch;
  CompiledPattern::Impl* p = pattern.impl();
  uint32_t options = notEmptyAtStart ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
  int rc = pcre2_match_16(p->code, Units(subject), subject.size(), offset, options, p->data, p->context);
  if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL) return RegexOutcome::NoMatch;
  if (rc < 0) return IsLimitError(rc) ? RegexOutcome::TooComplex : RegexOutcome::NoMatch;
  FillGroups(p, subject, rc, match);
  return RegexOutcome::Match;
}

size_t CountMatchesWithTheEngineAlone(const CompiledPattern& pattern, std::u16string_view text) {
  if (!pattern.valid()) return 0;
  CompiledPattern::Impl* p = pattern.impl();
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(p->data);
  size_t count = 0;
  for (size_t offset = 0; offset <= text.size(); ++count) {
    const int rc = p->jit ? pcre2_jit_match_16(p->code, Units(text), text.size(), offset, 0, p->data, p->context)
                          : pcre2_match_16(p->code, Units(text), text.size(), offset, 0, p->data, p->context);
    if (rc < 0) break;
    offset = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
  }
  return count;
}

namespace {
// Walks the matches like the standard iterator: after an empty match, a non-empty match at the
// same place is tried first, then the search moves on by one character.
template <typename OnMatch>
bool ForEachMatch(const CompiledPattern& pattern, std::u16string_view text, OnMatch onMatch) {
  size_t offset = 0;
  bool afterEmpty = false;
  MatchGroups m;
  while (offset <= text.size()) {
    RegexOutcome r = RegexSearch(pattern, text, offset, &m, afterEmpty);
    if (r == RegexOutcome::TooComplex) return false;
    if (r == RegexOutcome::NoMatch) {
      if (!afterEmpty) break;
      afterEmpty = false;
      if (offset >= text.size()) break;
      // One character on (a surrogate pair is one character).
      offset += (offset + 1 < text.size() && text[offset] >= 0xD800 && text[offset] <= 0xDBFF &&
                 text[offset + 1] >= 0xDC00 && text[offset + 1] <= 0xDFFF)
                    ? 2
                    : 1;
      continue;
    }
    onMatch(m);
    offset = static_cast<size_t>(m.groups[0].second);
    afterEmpty = m.groups[0].first == m.groups[0].second;
  }
  return true;
}

}  // namespace

std::vector<RegexMatch> FindAllRegexMatches(std::u16string_view text, std::u16string_view pattern, bool matchCase,
                                            bool wholeWord, bool* complex) {
  std::vector<RegexMatch> matches;
  if (complex) *complex = false;
  if (pattern.empty() || text.empty()) return matches;
  CompiledPattern compiled = BuildSearchRegex(pattern, matchCase, wholeWord);
  if (!compiled.valid()) return matches;
  bool finished = ForEachMatch(compiled, text, [&](const MatchGroups& m) {
    RegexMatch r;
    r.start = static_cast<int32_t>(m.groups[0].first);
    r.end = static_cast<int32_t>(m.groups[0].second);
    matches.push_back(r);
  });
  if (complex) *complex = !finished;
  return matches;
}

RegexReplaceFirstResult RegexReplaceFirst(std::u16string_view text, std::u16string_view pattern,
                                          std::u16string_view replacement, bool matchCase, bool wholeWord,
                                          bool preserveCase) {
  RegexReplaceFirstResult result;
  if (pattern.empty()) return result;
  CompiledPattern compiled = BuildSearchRegex(pattern, matchCase, wholeWord);
  MatchGroups m;
  if (!compiled.valid() || RegexSearch(compiled, text, 0, &m) != RegexOutcome::Match) return result;
  std::u16string_view matched = GroupText(m, 0);
  std::u16string insert = ExpandReplacement(replacement, m);
  if (preserveCase) insert = ApplyRegexPreserveCase(insert, matched);
  size_t start = static_cast<size_t>(m.groups[0].first), end = static_cast<size_t>(m.groups[0].second);
  result.found = true;
  result.text.reserve(text.size() + insert.size());
  result.text.append(text.substr(0, start)).append(insert).append(text.substr(end));
  result.match.start = static_cast<int32_t>(start);
  result.match.end = static_cast<int32_t>(end);
  result.matched = std::u16string(matched);
  return result;
}

std::u16string RegexReplaceAll(std::u16string_view text, std::u16string_view pattern, std::u16string_view replacement,
                               bool matchCase, bool wholeWord, bool preserveCase, int* count, bool* complex) {
  if (count) *count = 0;
  if (complex) *complex = false;
  if (pattern.empty()) return std::u16string(text);
  CompiledPattern compiled = BuildSearchRegex(pattern, matchCase, wholeWord);
  if (!compiled.valid()) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;
  int replaced = 0;
  bool finished = ForEachMatch(compiled, text, [&](const MatchGroups& m) {
    size_t start = static_cast<size_t>(m.groups[0].first);
    out.append(text.substr(copied, start - copied));
    if (preserveCase) {
      out += ApplyRegexPreserveCase(ExpandReplacement(replacement, m), GroupText(m, 0));
    } else {
      out += ExpandEcmaReplacement(replacement, m, copied);
    }
    copied = static_cast<size_t>(m.groups[0].second);
    ++replaced;
  });
  if (!finished) {
    if (complex) *complex = true;
    return std::u16string(text);  // too complex: nothing is replaced
  }
  out.append(text.substr(copied));
  if (count) *count = replaced;
  return out;
}

namespace {
bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

std::atomic<size_t> g_searchWindow{kSearchWindow};

// Where a window of `size` units from the start of `subject` ends: never inside a surrogate
// pair, nor between the CR and the LF of a line end.
size_t WindowEnd(std::u16string_view subject, size_t size) {
  size = std::max<size_t>(size, 1);
  if (size >= subject.size()) return subject.size();
  const char16_t before = subject[size - 1], after = subject[size];
  if ((IsHighSurrogate(before) && IsLowSurrogate(after)) || (before == u'\r' && after == u'\n')) ++size;
  return size;
}

// The search of RegexSearchCancellable, leaving the outcome in the pattern's match data: the
// windows, the partial matches and the cancel checks, without copying the groups out. With
// `notEmptyAtStart`, no empty match is taken at the subject's start.
int SearchInWindows(CompiledPattern::Impl* p, std::u16string_view subject, const std::atomic<bool>* cancel,
                    bool* cancelled, bool notEmptyAtStart = false) {
  *cancelled = false;
  size_t offset = 0;
  size_t window = WindowEnd(subject, g_searchWindow.load(std::memory_order_relaxed));
  for (;;) {
    const bool last = window >= subject.size();
    uint32_t options = last ? 0 : PCRE2_PARTIAL_HARD;
    if (notEmptyAtStart && offset == 0) options |= PCRE2_NOTEMPTY_ATSTART;
    int rc = p->jit ? pcre2_jit_match_16(p->code, Units(subject), window, offset, options, p->data, p->context)
                    : pcre2_match_16(p->code, Units(subject), window, offset, options, p->data, p->context);
    if (rc == PCRE2_ERROR_PARTIAL) {
      // A match may start here: search again from where it started, over more text.
      offset = pcre2_get_ovector_pointer_16(p->data)[0];
    } else if (rc == PCRE2_ERROR_NOMATCH) {
      if (last) return rc;
      offset = window;  // no match starts before the window's end
    } else {
      return rc;  // a match complete and clear of the window's end, or an error
    }
    if (cancel && cancel->load(std::memory_order_relaxed)) {
      *cancelled = true;
      return PCRE2_ERROR_NOMATCH;
    }
    window = WindowEnd(subject, window * 2);
  }
}

}  // namespace

size_t SetSearchWindowForTesting(size_t units) {
  return g_searchWindow.exchange(std::max<size_t>(units, 1));
}

RegexOutcome RegexSearchCancellable(const CompiledPattern& pattern, std::u16string_view subject, MatchGroups* match,
                                    const std::atomic<bool>* cancel, bool* cancelled) {
  *cancelled = false;
  if (!pattern.valid()) return RegexOutcome::NoMatch;
  CompiledPattern::Impl* p = pattern.impl();
  const int rc = SearchInWindows(p, subject, cancel, cancelled);
  if (rc >= 0) {
    FillGroups(p, subject, rc, match);
    return RegexOutcome::Match;
  }
  return IsLimitError(rc) ? RegexOutcome::TooComplex : RegexOutcome::NoMatch;
}

size_t FindBatchMatches(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                        const std::atomic<bool>* cancel, BatchEnd* end, const MatchSink& sink,
                        bool* emptyMatchAtPosition) {
  uint64_t pos = position;
  // An empty match found where the previous one ended is that match again: none is taken there.
  bool afterEmpty = emptyMatchAtPosition && *emptyMatchAtPosition;
  uint64_t added = 0;
  BatchEnd why = BatchEnd::Limit;
  CompiledPattern::Impl* p = pattern.impl();
  const PCRE2_SIZE* ovector = p ? pcre2_get_ovector_pointer_16(p->data) : nullptr;
  while (added < limit) {
    if (!p || pos >= text.size()) {
      why = BatchEnd::Exhausted;
      break;
    }
    if (cancel && cancel->load(std::memory_order_relaxed)) {
      why = BatchEnd::Cancelled;
      break;
    }
    bool cancelled = false;
    const int rc = SearchInWindows(p, text.substr(static_cast<size_t>(pos)), cancel, &cancelled, afterEmpty);
    if (cancelled) {
      why = BatchEnd::Cancelled;
      break;
    }
    if (rc < 0) {
      why = IsLimitError(rc) ? BatchEnd::TooComplex : BatchEnd::Exhausted;
      break;
    }
    RegexMatch match;
    match.start = static_cast<int32_t>(pos + ovector[0]);
    match.end = static_cast<int32_t>(pos + ovector[1]);
    uint64_t next = static_cast<uint64_t>(match.end);
    afterEmpty = match.start == match.end;
    if (afterEmpty && next == pos) {
      // An empty match where the search started: on by one character, a surrogate pair whole.
      const bool pair = next + 1 < text.size() && IsHighSurrogate(text[next]) && IsLowSurrogate(text[next + 1]);
      next += pair ? 2 : 1;
      afterEmpty = false;
    }
    sink(match);
    ++added;
    pos = next;
  }
  position = pos;
  if (emptyMatchAtPosition) *emptyMatchAtPosition = afterEmpty;
  if (end) *end = why;
  return static_cast<size_t>(added);
}
