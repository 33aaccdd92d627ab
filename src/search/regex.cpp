#include "search/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>

#include "search/spares.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Bounds that keep every pattern from crashing or hanging the program.
constexpr uint32_t kMatchLimit = 50'000'000;
constexpr uint32_t kDepthLimit = 100'000;
constexpr size_t kJitStackMax = 8u << 20;

PCRE2_SPTR16 Units(std::u16string_view s) { return reinterpret_cast<PCRE2_SPTR16>(s.data()); }

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
bool CompiledPattern::valid() const { return impl_ && impl_->code; }
int CompiledPattern::groupCount() const { return valid() ? impl_->groups : 0; }

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
    match->groups[static_cast<size_t>(i)] = {static_cast<int64_t>(ovector[2 * i]), static_cast<int64_t>(ovector[2 * i + 1])};
  }
}
}  // namespace

RegexOutcome RegexSearch(const CompiledPattern& pattern, std::u16string_view subject, size_t offset,
                         MatchGroups* match, bool notEmptyAtStart) {
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
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Processors without the bit-count instruction count bits in a few steps of arithmetic.
const bool g_hasPopcnt = [] {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt") != 0;
#else
  return false;
#endif
}();

// The units before `count` of 64.
inline uint64_t Below(size_t count) { return count == 0 ? 0 : ~uint64_t{0} >> (64 - count); }

// The kinds of 64 units from `at` (a multiple of 64; fewer at the text's end, the rest taken as
// zeros, which the counts never reach), one bit a unit.
struct UnitKinds {
  uint64_t two = 0, three = 0, feeds = 0;  // UTF-8 length two or more, three; line feeds
  bool surrogates = false;
};
__attribute__((always_inline)) inline UnitKinds KindsAt(const char16_t* text, size_t size, size_t at) {
  const char16_t* units = text + at;
  const size_t present = std::min<size_t>(size - at, 64);
  alignas(16) char16_t padded[64];
  if (present < 64) {
    std::memset(padded, 0, sizeof padded);
    if (present) std::memcpy(padded, units, present * sizeof(char16_t));
    units = padded;
  }
  UnitKinds kinds;
#if defined(__SSE2__)
  // The compares give -1 for true; two blocks of eight packed into bytes give sixteen bits.
  const __m128i zero = _mm_setzero_si128(), below80 = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i below800 = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800)), feed = _mm_set1_epi16(u'\n');
  uint64_t one = 0, upToTwo = 0, feeds = 0;
  __m128i odd = zero;
  for (unsigned k = 0; k < 64; k += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + k + 8));
    const __m128i highA = _mm_and_si128(a, below800), highB = _mm_and_si128(b, below800);
    auto bits = [](__m128i x, __m128i y) {
      return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(x, y))));
    };
    one |= bits(_mm_cmpeq_epi16(_mm_and_si128(a, below80), zero), _mm_cmpeq_epi16(_mm_and_si128(b, below80), zero))
           << k;
    upToTwo |= bits(_mm_cmpeq_epi16(highA, zero), _mm_cmpeq_epi16(highB, zero)) << k;
    feeds |= bits(_mm_cmpeq_epi16(a, feed), _mm_cmpeq_epi16(b, feed)) << k;
    odd = _mm_or_si128(odd, _mm_or_si128(_mm_cmpeq_epi16(highA, surrogate), _mm_cmpeq_epi16(highB, surrogate)));
  }
  kinds.two = ~one;
  kinds.three = ~upToTwo;
  kinds.feeds = feeds;
  kinds.surrogates = _mm_movemask_epi8(odd) != 0;
#else
  for (unsigned k = 0; k < 64; ++k) {
    const char16_t c = units[k];
    kinds.two |= static_cast<uint64_t>(c >= 0x80) << k;
    kinds.three |= static_cast<uint64_t>(c >= 0x800) << k;
    kinds.feeds |= static_cast<uint64_t>(c == u'\n') << k;
    kinds.surrogates |= c >= 0xD800 && c <= 0xDFFF;
  }
#endif
  return kinds;
}

// Where surrogates are, the bytes of the units before `count` of the 64 from `at` differ from
// their kinds' count: a pair is one four-byte character, at its first half (one more than its
// kind), with nothing for its second (three fewer); a lone surrogate is written as U+FFFD,
// three bytes, like any other unit from 0x800 on.
int64_t PairCorrection(const char16_t* text, size_t size, size_t at, size_t count) {
  int64_t correction = 0;
  for (size_t i = at; i < at + count && i < size; ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < size && IsLowSurrogate(text[i + 1])) correction += 1;
    if (IsLowSurrogate(text[i]) && i > 0 && IsHighSurrogate(text[i - 1])) correction -= 3;
  }
  return correction;
}

// The counts of the units of `kinds` before `count` of them.
__attribute__((always_inline)) inline void CountIn(const UnitKinds& kinds, const char16_t* text, size_t size,
                                                   size_t at, size_t count, int64_t* bytes, int64_t* feeds) {
  const uint64_t before = Below(count);
  *bytes = static_cast<int64_t>(count) + __builtin_popcountll(kinds.two & before) +
           __builtin_popcountll(kinds.three & before);
  if (kinds.surrogates) *bytes += PairCorrection(text, size, at, count);
  *feeds = __builtin_popcountll(kinds.feeds & before);
}
}  // namespace

void BytePositionTracker::Load() {
  const UnitKinds kinds = KindsAt(text_, size_, chunk_);
  two_ = kinds.two;
  three_ = kinds.three;
  feedBits_ = kinds.feeds;
  odd_ = kinds.surrogates;
}

// The counting itself, taken into both forms below: with the bit-count instruction and without.
__attribute__((always_inline)) inline int64_t BytePositionTracker::MoveTo(size_t index) {
  const UnitKinds here{two_, three_, feedBits_, odd_};
  int64_t bytes = 0, feeds = 0;
  if (index - chunk_ >= 64) {
    CountIn(here, text_, size_, chunk_, 64, &bytes, &feeds);
    chunkBytes_ += bytes;
    chunkFeeds_ += feeds;
    for (chunk_ += 64; index - chunk_ >= 64; chunk_ += 64) {
      CountIn(KindsAt(text_, size_, chunk_), text_, size_, chunk_, 64, &bytes, &feeds);
      chunkBytes_ += bytes;
      chunkFeeds_ += feeds;
    }
    Load();
  }
  CountIn(UnitKinds{two_, three_, feedBits_, odd_}, text_, size_, chunk_, index - chunk_, &bytes, &feeds);
  bytes_ = chunkBytes_ + bytes;
  feeds_ = chunkFeeds_ + feeds;
  at_ = index;
  return bytes_;
}

// A run of matches: the kinds and the counts before each of the next stretch of 64-unit pieces
// are worked out first, in one pass along the text, and each match's start and end are then a
// few bit counts in them, without the branches of stepping piece by piece.
__attribute__((always_inline)) inline void BytePositionTracker::LocateAll(std::span<RegexMatch> matches,
                                                                           int64_t lineBase,
                                                                           std::pair<int64_t, int64_t>* out) {
  if (matches.empty()) return;
  struct Piece {
    UnitKinds kinds;
    int64_t bytes, feeds;  // before the piece
  };
  constexpr size_t kPieces = 512;  // 32768 units
  Piece pieces[kPieces];
  const size_t last = std::min(static_cast<size_t>(std::max(matches.back().end, 0)), size_);
  size_t first = chunk_, count = 0;  // the pieces at hand: `count` from `first`
  auto locate = [&](size_t index, int64_t* feeds) __attribute__((always_inline)) {
    if (index < first) {  // out of order: counted afresh
      StartAt(std::u16string_view(text_, size_), 0);
      first = 0;
      count = 0;
    }
    if (index - first >= 64 * count) {
      // The next pieces: from the last one at hand (or the tracker's own), whose counts are
      // known, on to the one holding `index`, counted on the way; then as many as fit, up to
      // the last match.
      size_t at = count ? first + 64 * (count - 1) : chunk_;
      int64_t bytes = count ? pieces[count - 1].bytes : chunkBytes_;
      int64_t lines = count ? pieces[count - 1].feeds : chunkFeeds_;
      for (const size_t target = index & ~size_t{63}; at < target; at += 64) {
        int64_t b = 0, f = 0;
        CountIn(KindsAt(text_, size_, at), text_, size_, at, 64, &b, &f);
        bytes += b;
        lines += f;
      }
      first = at;
      count = std::min(kPieces, (std::max(last, index) - at) / 64 + 1);
      for (size_t k = 0; k < count; ++k, at += 64) {
        Piece& piece = pieces[k];
        piece.kinds = KindsAt(text_, size_, at);
        piece.bytes = bytes;
        piece.feeds = lines;
        int64_t b = 0, f = 0;
        CountIn(piece.kinds, text_, size_, at, 64, &b, &f);
        bytes += b;
        lines += f;
      }
    }
    const size_t k = (index - first) / 64, offset = (index - first) % 64;
    int64_t bytes = 0;
    CountIn(pieces[k].kinds, text_, size_, first + 64 * k, offset, &bytes, feeds);
    *feeds += pieces[k].feeds;
    return pieces[k].bytes + bytes;
  };
  size_t index = chunk_;
  int64_t feeds = 0;
  for (RegexMatch& m : matches) {
    const size_t start = std::min(static_cast<size_t>(std::max(m.start, 0)), size_);
    out->first = locate(start, &feeds);
    m.line = static_cast<int32_t>(lineBase + feeds);
    index = std::clamp(static_cast<size_t>(std::max(m.end, 0)), start, size_);
    out->second = locate(index, &feeds);
    ++out;
  }
  // The tracker stands at the last end.
  const size_t k = (index - first) / 64;
  chunk_ = first + 64 * k;
  chunkBytes_ = pieces[k].bytes;
  chunkFeeds_ = pieces[k].feeds;
  Load();
  bytes_ = (out - 1)->second;
  feeds_ = feeds;
  at_ = index;
}

#if defined(__x86_64__) || defined(__i386__)
#define NORVO_WITH_POPCNT __attribute__((target("popcnt")))
#else
#define NORVO_WITH_POPCNT
#endif
NORVO_WITH_POPCNT int64_t BytePositionTracker::MoveToWithPopcnt(size_t index) { return MoveTo(index); }
int64_t BytePositionTracker::MoveToPlain(size_t index) { return MoveTo(index); }
NORVO_WITH_POPCNT void BytePositionTracker::LocateWithPopcnt(std::span<RegexMatch> matches, int64_t lineBase,
                                                             std::pair<int64_t, int64_t>* bytes) {
  LocateAll(matches, lineBase, bytes);
}
void BytePositionTracker::LocatePlain(std::span<RegexMatch> matches, int64_t lineBase,
                                      std::pair<int64_t, int64_t>* bytes) {
  LocateAll(matches, lineBase, bytes);
}
#undef NORVO_WITH_POPCNT

void BytePositionTracker::StartAt(std::u16string_view text, size_t index) {
  text_ = text.data();
  size_ = text.size();
  index = std::min(index, size_);
  chunk_ = index & ~size_t{63};
  chunkBytes_ = chunkFeeds_ = 0;
  Load();
  // The counts run from `index`: the units of its piece before it count below zero.
  MoveToPlain(index);
  chunkBytes_ = -bytes_;
  chunkFeeds_ = -feeds_;
  bytes_ = feeds_ = 0;
}

void BytePositionTracker::Add(const BytePositionTracker& stretch) {
  text_ = stretch.text_;
  size_ = stretch.size_;
  at_ = stretch.at_;
  chunk_ = stretch.chunk_;
  two_ = stretch.two_;
  three_ = stretch.three_;
  feedBits_ = stretch.feedBits_;
  odd_ = stretch.odd_;
  chunkBytes_ = bytes_ + stretch.chunkBytes_;
  chunkFeeds_ = feeds_ + stretch.chunkFeeds_;
  bytes_ += stretch.bytes_;
  feeds_ += stretch.feeds_;
}

int64_t BytePositionTracker::ByteOf(std::u16string_view text, size_t index) {
  if (text.data() != text_ || text.size() != size_ || !text_ || std::min(index, size_) < chunk_) StartAt(text, 0);
  index = std::min(index, size_);
  return g_hasPopcnt ? MoveToWithPopcnt(index) : MoveToPlain(index);
}

void BytePositionTracker::Locate(std::u16string_view text, std::span<RegexMatch> matches, int64_t lineBase,
                                 std::pair<int64_t, int64_t>* bytes) {
  if (text.data() != text_ || text.size() != size_ || !text_) StartAt(text, 0);
  if (g_hasPopcnt)
    LocateWithPopcnt(matches, lineBase, bytes);
  else
    LocatePlain(matches, lineBase, bytes);
}

namespace {
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

namespace {
uint8_t* PutNumber(uint8_t* p, int64_t value) {
  uint64_t v = (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);  // small either side of 0
  while (v >= 0x80) {
    *p++ = static_cast<uint8_t>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<uint8_t>(v);
  return p;
}

// The same, without a branch on the length for numbers of one or two bytes: two bytes are
// stored, of which the second is overwritten after a number of one.
inline uint8_t* PutShortNumber(uint8_t* p, int64_t value) {
  const uint64_t v = (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
  if (v >= 0x4000) return PutNumber(p, value);
  const uint64_t two = v >= 0x80;
  const uint16_t bytes = static_cast<uint16_t>((v & 0x7F) | (two << 7) | ((v >> 7) << 8));
  std::memcpy(p, &bytes, sizeof bytes);
  return p + 1 + two;
}

inline int64_t Unfold(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }

int64_t GetLongNumber(const uint8_t*& p) {
  uint64_t v = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t b = *p++;
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if (b < 0x80) break;
  }
  return Unfold(v);
}

// Numbers of one or two bytes, nearly all of them, are read without a branch on their length:
// records leave room for eight bytes to be read from inside them, of which only the numbers'
// own decide anything. Two such numbers are taken from one read.
inline bool ShortNumber(uint64_t bytes) { return (bytes & 0x8080) != 0x8080; }
inline uint64_t ShortValue(uint64_t bytes, uint64_t two) {
  return (bytes & 0x7F) | (((bytes >> 1) & 0x3F80) & (0 - two));
}
inline uint64_t Load8(const uint8_t* p) {
  static_assert(std::endian::native == std::endian::little);
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline int64_t GetNumber(const uint8_t*& p) {
  const uint64_t v = Load8(p);
  if (!ShortNumber(v)) return GetLongNumber(p);
  const uint64_t two = (v >> 7) & 1;
  p += 1 + two;
  return Unfold(ShortValue(v, two));
}

inline void GetTwoNumbers(const uint8_t*& p, int64_t* first, int64_t* second) {
  const uint64_t v = Load8(p);
  const uint64_t two = (v >> 7) & 1;
  const uint64_t w = v >> (8 + 8 * two);
  if (!ShortNumber(v) || !ShortNumber(w)) {
    *first = GetNumber(p);
    *second = GetNumber(p);
    return;
  }
  const uint64_t twoMore = (w >> 7) & 1;
  *first = Unfold(ShortValue(v, two));
  *second = Unfold(ShortValue(w, twoMore));
  p += 2 + two + twoMore;
}
}  // namespace

size_t VarintBlocks::StorageBytes() const {
  size_t bytes = 0;
  for (const Block& b : blocks_) bytes += b.capacity;
  return bytes;
}

namespace {
// Largest blocks of stores that were emptied, for the next ones.
SparePool<std::unique_ptr<uint8_t[]>>& SpareBlocks() {
  static auto* spares = new SparePool<std::unique_ptr<uint8_t[]>>(32);
  return *spares;
}

// Storage for a batch's matches before they are handed over.
SparePool<std::vector<RegexMatch>>& SpareMatchBlocks() {
  static auto* spares = new SparePool<std::vector<RegexMatch>>(2);
  return *spares;
}
}  // namespace

void VarintBlocks::clear() {
  for (Block& b : blocks_)
    if (b.capacity == kLargestBlock) SpareBlocks().Give(std::move(b.bytes));
  blocks_.clear();
  next_ = nullptr;
  limit_ = nullptr;
}

uint8_t* VarintBlocks::Grow() {
  if (!blocks_.empty()) blocks_.back().used = static_cast<size_t>(next_ - blocks_.back().bytes.get());
  Block block;
  block.capacity = std::min(kLargestBlock, kFirstBlock << std::min<size_t>(blocks_.size(), 16));
  if (block.capacity == kLargestBlock) SpareBlocks().Take(block.bytes);
  // Readers take eight bytes at a time from inside a record, beyond its end too: a new block
  // holds no indeterminate bytes for them.
  if (!block.bytes) block.bytes.reset(new uint8_t[block.capacity]());
  next_ = block.bytes.get();
  limit_ = next_ + block.capacity - kLongestRecord + 1;
  blocks_.push_back(std::move(block));
  return next_;
}

const uint8_t* VarintBlocks::NextRecord(Cursor& at) const {
  for (;;) {
    const Block& block = blocks_[at.block];
    if (!at.at) at.at = block.bytes.get();
    at.end = at.block + 1 == blocks_.size() ? next_ : block.bytes.get() + block.used;
    if (at.at < at.end) return at.at;
    ++at.block;  // the rest of that block was too short for a record
    at.at = nullptr;
  }
}

void RegexResults::clear() {
  store_.clear();
  count_ = 0;
  lastEnd_ = lastLine_ = 0;
}

void RegexResults::Append(std::span<const RegexMatch> matches) {
  int64_t lastEnd = lastEnd_, lastLine = lastLine_;
  store_.AppendEach(matches, [&](uint8_t* p, const RegexMatch& match) {
    const int64_t gap = match.start - lastEnd, length = static_cast<int64_t>(match.end) - match.start,
                  feeds = static_cast<int64_t>(match.line) - lastLine;
    lastEnd = match.end;
    lastLine = match.line;
    if (static_cast<uint64_t>(gap) < 64 && static_cast<uint64_t>(length) < 64 && static_cast<uint64_t>(feeds) < 64) {
      // The usual match, close to the one before: three bytes.
      p[0] = static_cast<uint8_t>(gap << 1);
      p[1] = static_cast<uint8_t>(length << 1);
      p[2] = static_cast<uint8_t>(feeds << 1);
      return p + 3;
    }
    return PutNumber(PutNumber(PutNumber(p, gap), length), feeds);
  });
  lastEnd_ = lastEnd;
  lastLine_ = lastLine;
  count_ += matches.size();
}

RegexResults::Reader RegexResults::ReadAll() const {
  Reader r;
  r.results_ = this;
  return r;
}

RegexResults::Reader RegexResults::ReadNew() const {
  Reader r;
  r.results_ = this;
  r.at_ = store_.End();
  r.index_ = count_;
  r.end_ = lastEnd_;
  r.line_ = lastLine_;
  return r;
}

bool RegexResults::Reader::Next(RegexMatch* match) {
  if (!results_ || index_ >= results_->count_) return false;
  const uint8_t* p = results_->store_.Record(at_);
  const int64_t start = end_ + GetNumber(p);
  const int64_t end = start + GetNumber(p);
  line_ += GetNumber(p);
  VarintBlocks::Done(at_, p);
  match->start = static_cast<int32_t>(start);
  match->end = static_cast<int32_t>(end);
  match->line = static_cast<int32_t>(line_);
  end_ = end;
  ++index_;
  return true;
}

void RegexByteRanges::clear() {
  store_.clear();
  count_ = 0;
  lastEnd_ = 0;
}

void RegexByteRanges::Append(std::span<const std::pair<int64_t, int64_t>> ranges, int64_t offset) {
  int64_t lastEnd = lastEnd_;
  store_.AppendEach(ranges, [&](uint8_t* p, const std::pair<int64_t, int64_t>& range) {
    const int64_t start = offset + range.first, end = offset + range.second;
    p = PutShortNumber(PutShortNumber(p, start - lastEnd), end - start);
    lastEnd = end;
    return p;
  });
  lastEnd_ = lastEnd;
  count_ += ranges.size();
}

RegexByteRanges::Reader RegexByteRanges::ReadAll() const {
  Reader r;
  r.ranges_ = this;
  return r;
}

RegexByteRanges::Reader RegexByteRanges::ReadNew() const {
  Reader r;
  r.ranges_ = this;
  r.at_ = store_.End();
  r.index_ = count_;
  r.end_ = lastEnd_;
  return r;
}

bool RegexByteRanges::Reader::Next(int64_t* start, int64_t* end) {
  if (!ranges_ || index_ >= ranges_->count_) return false;
  const uint8_t* p = ranges_->store_.Record(at_);
  int64_t gap = 0, length = 0;
  GetTwoNumbers(p, &gap, &length);
  *start = end_ + gap;
  *end = *start + length;
  VarintBlocks::Done(at_, p);
  end_ = *end;
  ++index_;
  return true;
}

size_t FindBatchMatches(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                        const std::atomic<bool>* cancel, BatchEnd* end, const MatchBlockSink& sink,
                        bool* emptyMatchAtPosition) {
  uint64_t pos = position;
  // An empty match found where the previous one ended is that match again: none is taken there.
  bool afterEmpty = emptyMatchAtPosition && *emptyMatchAtPosition;
  uint64_t added = 0;
  BatchEnd why = BatchEnd::Limit;
  CompiledPattern::Impl* p = pattern.impl();
  const PCRE2_SIZE* ovector = p ? pcre2_get_ovector_pointer_16(p->data) : nullptr;
  std::vector<RegexMatch> block;  // the matches not yet handed to `sink`
  SpareMatchBlocks().Take(block);
  block.clear();
  block.reserve(static_cast<size_t>(std::min<uint64_t>(limit, kMatchBlock)));
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
    block.push_back(match);
    if (block.size() == kMatchBlock) {
      sink(block);
      block.clear();
      block.reserve(kMatchBlock);
    }
    ++added;
    pos = next;
  }
  if (!block.empty()) sink(block);
  block.clear();
  SpareMatchBlocks().Give(std::move(block));
  position = pos;
  if (emptyMatchAtPosition) *emptyMatchAtPosition = afterEmpty;
  if (end) *end = why;
  return static_cast<size_t>(added);
}

size_t SearchBatch(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                   BytePositionTracker& positions, const std::atomic<bool>* cancel, BatchEnd* end,
                   RegexResults& out) {
  return FindBatchMatches(text, pattern, position, limit, cancel, end, [&](std::vector<RegexMatch>& block) {
    for (RegexMatch& m : block) {
      positions.ByteOf(text, static_cast<size_t>(m.start));
      m.line = static_cast<int32_t>(positions.Line());
      out.push_back(m);
    }
  });
}

std::vector<RegexMatch> SearchBatch(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position,
                                    uint64_t limit, BytePositionTracker& positions, const std::atomic<bool>* cancel,
                                    BatchEnd* end) {
  RegexResults results;
  std::vector<RegexMatch> batch(SearchBatch(text, pattern, position, limit, positions, cancel, end, results));
  RegexResults::Reader reader = results.ReadAll();
  for (RegexMatch& m : batch) reader.Next(&m);
  return batch;
}
