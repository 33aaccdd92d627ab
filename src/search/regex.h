// Regular expressions of the Regex Search dialog: patterns compiled with PCRE2 (16-bit, JIT)
// to behave like the ECMAScript grammar, matches, and the replacement transforms.
// Texts are UTF-16; positions are UTF-16 unit indexes.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/regex_pattern.h"

// A match is its place in the searched text; its text is read from there (MatchedText), so
// that millions of matches cost no more than their positions.
struct RegexMatch {
  int32_t start = 0;  // first UTF-16 unit of the match
  int32_t end = 0;    // start + length
  int32_t line = 0;   // 1-based line of start; 0 where not computed
};

// The text of `match` in the text it was found in.
inline std::u16string_view MatchedText(std::u16string_view text, const RegexMatch& match) {
  const size_t start = static_cast<size_t>(match.start);
  if (match.start < 0 || start > text.size() || match.end < match.start) return {};
  return text.substr(start, static_cast<size_t>(match.end - match.start));
}

// A compiled pattern; `valid()` is false for a pattern that does not compile.
class CompiledPattern {
 public:
  CompiledPattern();
  ~CompiledPattern();
  CompiledPattern(CompiledPattern&&) noexcept;
  CompiledPattern& operator=(CompiledPattern&&) noexcept;
  bool valid() const;
  int groupCount() const;  // capturing groups

  struct Impl;
  Impl* impl() const { return impl_.get(); }

 private:
  std::unique_ptr<Impl> impl_;
  friend CompiledPattern BuildSearchRegex(std::u16string_view, bool, bool);
};

// With Whole word the pattern becomes \b(?:pattern)\b; case-insensitive unless Match case.
CompiledPattern BuildSearchRegex(std::u16string_view pattern, bool matchCase, bool wholeWord);

// One match with its groups: offsets into `subject`, -1 for a group that did not take part.
struct MatchGroups {
  std::u16string_view subject;
  std::vector<std::pair<int64_t, int64_t>> groups;  // [0] is the whole match
};

// The text of group `i`; empty for a group that did not take part or does not exist.
inline std::u16string_view GroupText(const MatchGroups& match, size_t i) {
  if (i >= match.groups.size() || match.groups[i].first < 0) return {};
  return match.subject.substr(static_cast<size_t>(match.groups[i].first),
                              static_cast<size_t>(match.groups[i].second - match.groups[i].first));
}

enum class RegexOutcome { Match, NoMatch, TooComplex };

// One search from `offset`; `^` and lookbehind see the whole subject.
RegexOutcome RegexSearch(const CompiledPattern& pattern, std::u16string_view subject, size_t offset,
                         MatchGroups* match, bool notEmptyAtStart = false);

// One search from the start of `subject`, run in growing windows of kSearchWindow units and more,
// so that `cancel` is seen every few milliseconds even in one long search: a match that reaches a
// window's end is only partial there (hard partial matching) and the window grows. The result is
// that of RegexSearch(pattern, subject, 0); `cancelled` tells that it gave up.
constexpr size_t kSearchWindow = 1u << 22;
RegexOutcome RegexSearchCancellable(const CompiledPattern& pattern, std::u16string_view subject, MatchGroups* match,
                                    const std::atomic<bool>* cancel, bool* cancelled);
// Sets the size of the first window (normally kSearchWindow) and returns the size before: tests
// search through many window ends with a tiny one. A window never ends inside a surrogate pair
// or a CR LF.
size_t SetSearchWindowForTesting(size_t units);

// The number of matches of `pattern` in `text` found with the engine alone, over the whole text
// as one subject, nothing kept: what the other searches are measured against.
size_t CountMatchesWithTheEngineAlone(const CompiledPattern& pattern, std::u16string_view text);

// Every non-overlapping match left to right; an empty match advances by one character.
// `complex` (when given) is set when the search ended because the pattern was too complex.
std::vector<RegexMatch> FindAllRegexMatches(std::u16string_view text, std::u16string_view pattern, bool matchCase,
                                            bool wholeWord, bool* complex = nullptr);

// The restricted template: "$&", "$0" and "$1".."$9" (one digit); everything else literal.
std::u16string ExpandReplacement(std::u16string_view replacementTemplate, const MatchGroups& match);
// The ECMAScript template as the standard library expands it: "$&" and "$0" the whole match,
// "$n" and "$nn" a group (nothing for a group the pattern lacks), "$$" a dollar sign, "$`" the
// text from `prefixStart` (where the previous match ended) to the match, "$'" the text after it.
std::u16string ExpandEcmaReplacement(std::u16string_view replacementTemplate, const MatchGroups& match,
                                     size_t prefixStart = 0);

// The regex dialog's own preserve-case rule.
std::u16string ApplyRegexPreserveCase(std::u16string_view replacement, std::u16string_view matched);

struct RegexReplaceFirstResult {
  bool found = false;
  std::u16string text;
  RegexMatch match;       // its place in the text searched
  std::u16string matched;  // the text it replaced
};
RegexReplaceFirstResult RegexReplaceFirst(std::u16string_view text, std::u16string_view pattern,
                                          std::u16string_view replacement, bool matchCase, bool wholeWord,
                                          bool preserveCase);
std::u16string RegexReplaceAll(std::u16string_view text, std::u16string_view pattern, std::u16string_view replacement,
                               bool matchCase, bool wholeWord, bool preserveCase, int* count = nullptr,
                               bool* complex = nullptr);

// UTF-8 byte offsets of UTF-16 indexes along a scan that only moves forward (it starts again
// from the beginning when asked about an earlier index than the 64 units at hand, or another
// text); the line feeds on the way are counted in the same pass. The text is taken 64 units at
// a time as bit masks of its units' kinds, so that a step inside them is a few bit counts.
class BytePositionTracker {
 public:
  int64_t ByteOf(std::u16string_view text, size_t index);
  // The same for a run of matches in text order, from where the tracker stands on: each match's
  // line becomes `lineBase` plus the line feeds before its start, and `bytes` gets the byte
  // offsets of its start and end, a pair a match. The tracker ends at the last match's end.
  void Locate(std::u16string_view text, std::span<RegexMatch> matches, int64_t lineBase,
              std::pair<int64_t, int64_t>* bytes);
  // The line (1 + line feeds before it) of the index last asked about.
  int64_t Line() const { return 1 + feeds_; }

  // Counts along a text add up. StartAt counts a stretch on its own, from `index` with no bytes
  // and no line feeds yet; Add moves a tracker that stands where the stretch began to where it
  // ended, adding its counts.
  void StartAt(std::u16string_view text, size_t index);
  void Add(const BytePositionTracker& stretch);
  size_t At() const { return at_; }
  int64_t Bytes() const { return bytes_; }
  int64_t Feeds() const { return feeds_; }

 private:
  int64_t MoveTo(size_t index);
  int64_t MoveToWithPopcnt(size_t index);
  int64_t MoveToPlain(size_t index);
  void LocateAll(std::span<RegexMatch> matches, int64_t lineBase, std::pair<int64_t, int64_t>* bytes);
  void LocateWithPopcnt(std::span<RegexMatch> matches, int64_t lineBase, std::pair<int64_t, int64_t>* bytes);
  void LocatePlain(std::span<RegexMatch> matches, int64_t lineBase, std::pair<int64_t, int64_t>* bytes);
  void Load();

  const char16_t* text_ = nullptr;
  size_t size_ = 0;
  size_t at_ = 0;
  int64_t bytes_ = 0, feeds_ = 0;  // at at_
  // The 64 units from chunk_ (a multiple of 64), one bit each: units of two UTF-8 bytes or
  // more, of three, line feeds; odd_ when surrogates are among them. chunkBytes_ and
  // chunkFeeds_ are the counts at chunk_.
  size_t chunk_ = 0;
  uint64_t two_ = 0, three_ = 0, feedBits_ = 0;
  int64_t chunkBytes_ = 0, chunkFeeds_ = 0;
  bool odd_ = false;
};

// Records of a few variable-length numbers appended one after another, in blocks that are never
// moved: a store growing batch after batch is never copied, and small ones take little.
class VarintBlocks {
 public:
  static constexpr size_t kLongestRecord = 30;  // three numbers of at most ten bytes
  VarintBlocks() = default;
  ~VarintBlocks() { clear(); }
  VarintBlocks(VarintBlocks&& other) noexcept { *this = std::move(other); }
  VarintBlocks& operator=(VarintBlocks&& other) noexcept {
    if (this == &other) return *this;
    clear();
    blocks_ = std::move(other.blocks_);
    next_ = std::exchange(other.next_, nullptr);
    limit_ = std::exchange(other.limit_, nullptr);
    other.blocks_.clear();
    return *this;
  }
  // Empties the store; its largest blocks are kept for the stores to come, already in memory.
  void clear();
  size_t StorageBytes() const;
  // Where the next record goes: room for kLongestRecord bytes, and for eight bytes to be read
  // from anywhere inside the record. Commit(its end) after writing.
  uint8_t* Room() { return next_ < limit_ ? next_ : Grow(); }
  void Commit(uint8_t* end) { next_ = end; }
  // A record for each of `items`, written by put(where, item), which returns its end. The write
  // position is kept in a register meanwhile.
  template <typename Item, typename Put>
  void AppendEach(std::span<const Item> items, Put put) {
    uint8_t* p = Room();
    const uint8_t* limit = limit_;
    for (const Item& item : items) {
      if (p >= limit) {
        Commit(p);
        p = Room();
        limit = limit_;
      }
      p = put(p, item);
    }
    Commit(p);
  }

  // Where a reader stands: in a block, at a record, before the end of that block's records as
  // last seen (more may have been added since).
  struct Cursor {
    size_t block = 0;
    const uint8_t* at = nullptr;  // null: the block's start
    const uint8_t* end = nullptr;
  };
  Cursor End() const { return blocks_.empty() ? Cursor{} : Cursor{blocks_.size() - 1, next_, next_}; }
  // The record at `at`, which must exist; `at` is moved past it by Done(at, its end).
  const uint8_t* Record(Cursor& at) const { return at.at < at.end ? at.at : NextRecord(at); }
  static void Done(Cursor& at, const uint8_t* end) { at.at = end; }

 private:
  static constexpr size_t kFirstBlock = 4096, kLargestBlock = size_t{1} << 20;
  struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    size_t used = 0, capacity = 0;  // used: of every block but the last, which ends at next_
  };
  uint8_t* Grow();
  const uint8_t* NextRecord(Cursor& at) const;
  std::vector<Block> blocks_;
  uint8_t* next_ = nullptr;         // the end of the last block's records
  const uint8_t* limit_ = nullptr;  // records start before it
};

// The matches of a Find All session in text order, kept compactly: each as its distance from
// the end of the match before, its length and the line feeds in between, in variable-length
// numbers that mostly take a byte each. Millions of matches take a few megabytes.
class RegexResults {
 public:
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void clear();
  // Appends matches (each after the one before in the text, so that the differences stay small).
  void push_back(const RegexMatch& match) { Append({&match, 1}); }
  void Append(std::span<const RegexMatch> matches);
  size_t StorageBytes() const { return store_.StorageBytes(); }

  // Reads the matches in order.
  class Reader {
   public:
    // The next match; false after the last.
    bool Next(RegexMatch* match);

   private:
    friend class RegexResults;
    const RegexResults* results_ = nullptr;
    VarintBlocks::Cursor at_;
    size_t index_ = 0;
    int64_t end_ = 0, line_ = 0;  // of the match before
  };
  // From the first match, or from the first appended after this call.
  Reader ReadAll() const;
  Reader ReadNew() const;

 private:
  VarintBlocks store_;
  size_t count_ = 0;
  int64_t lastEnd_ = 0, lastLine_ = 0;
};

// The UTF-8 byte ranges of matches, in the same order and the same compact form: the highlight
// reads them instead of converting positions itself.
class RegexByteRanges {
 public:
  size_t size() const { return count_; }
  void clear();
  void push_back(int64_t start, int64_t end) {
    const std::pair<int64_t, int64_t> range{start, end};
    Append({&range, 1}, 0);
  }
  // Appends ranges moved on by `offset`.
  void Append(std::span<const std::pair<int64_t, int64_t>> ranges, int64_t offset);

  class Reader {
   public:
    bool Next(int64_t* start, int64_t* end);

   private:
    friend class RegexByteRanges;
    const RegexByteRanges* ranges_ = nullptr;
    VarintBlocks::Cursor at_;
    size_t index_ = 0;
    int64_t end_ = 0;
  };
  Reader ReadAll() const;
  Reader ReadNew() const;

 private:
  VarintBlocks store_;
  size_t count_ = 0;
  int64_t lastEnd_ = 0;
};

enum class BatchEnd { Limit, Exhausted, Cancelled, TooComplex };

// Up to `limit` matches from `position` on, handed to `sink` as they are found, in blocks of
// kMatchBlock and a last shorter one (so that another thread can work on them while the search
// goes on); their line numbers are left at 0. Returns how many were found. Each search runs over
// [pos, end of text) as its own subject, so its first character counts as the beginning of the
// text for "^" and "\b"; the next search starts at the match end, one character further (a
// surrogate pair whole) after an empty match at the search start. An empty match where the
// match before ended is that match again: after an empty match found further on than its
// search's start, the next search takes no empty match at its start. `position` is written
// back; `emptyMatchAtPosition`, when given, carries that rule from one batch to the next (in:
// the batch before ended on an empty match at `position`; out: this one did), so a caller that
// runs one search in several batches keeps it with the position. `sink` may take the block's
// contents (by swapping vectors); the vector is emptied after each call.
constexpr size_t kMatchBlock = 16384;
using MatchBlockSink = std::function<void(std::vector<RegexMatch>& block)>;
size_t FindBatchMatches(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                        const std::atomic<bool>* cancel, BatchEnd* end, const MatchBlockSink& sink,
                        bool* emptyMatchAtPosition = nullptr);
// The same, appending the matches to `out` with their line numbers, found by `positions` (a
// tracker along `text`).
size_t SearchBatch(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                   BytePositionTracker& positions, const std::atomic<bool>* cancel, BatchEnd* end,
                   RegexResults& out);
// The same, returning the batch on its own.
std::vector<RegexMatch> SearchBatch(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position,
                                    uint64_t limit, BytePositionTracker& positions,
                                    const std::atomic<bool>* cancel, BatchEnd* end);
