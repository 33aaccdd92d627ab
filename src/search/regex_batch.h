// A Find All batch as the worker collects it: the matches the search finds, each with its line
// and its UTF-8 byte range (counted by one cursor moving forward along the snapshot), kept as
// small records, and their lines of the session log formatted into one reused buffer.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/regex.h"

// A match of a Find All session and its place in the editor's bytes.
struct RegexHit {
  RegexMatch match;  // UTF-16 indexes into the snapshot and the 1-based line of its start
  int64_t byteStart = 0, byteEnd = 0;
};

// The UTF-8 bytes and line feeds before an index of a text, counted on from the index asked
// about before (an earlier index starts again from the beginning). The bytes are those of the
// text's UTF-8 form: a surrogate pair takes four, a lone surrogate three (U+FFFD).
class TextCursor {
 public:
  explicit TextCursor(std::u16string_view text = {}) : text_(text) {}
  void MoveTo(size_t index);
  size_t At() const { return at_; }
  int64_t Bytes() const { return bytes_; }
  int64_t Line() const { return 1 + feeds_; }

 private:
  std::u16string_view text_;
  size_t at_ = 0;
  int64_t bytes_ = 0, feeds_ = 0;
};

// The session log's lines of a batch: "[batch] Ln line  Pos start-end: text" for the formats
// with line numbers (1 and 2), the bare text for format 0, each ending with a line feed. They
// are gathered in one buffer handed to `write` whenever it holds about `flushAt` bytes.
class RegexLogLines {
 public:
  using Write = std::function<void(std::string_view)>;
  explicit RegexLogLines(Write write, size_t flushAt = size_t{1} << 20);
  ~RegexLogLines() { Flush(); }
  RegexLogLines(const RegexLogLines&) = delete;
  RegexLogLines& operator=(const RegexLogLines&) = delete;
  void Add(std::u16string_view text, const RegexMatch& match, uint64_t batchNumber, uint32_t outputFormat);
  // Hands over what is gathered.
  void Flush();

 private:
  Write write_;
  size_t flushAt_;
  std::string buffer_;  // its first used_ characters are the lines gathered
  size_t used_ = 0;
};

// Where a Find All stands in its snapshot: the next search's start, whether the batch before
// ended on an empty match there (which is not taken again), and the cursor counting bytes and
// lines along the way.
struct RegexScan {
  explicit RegexScan(std::u16string_view text, uint64_t from = 0, bool emptyMatchAtFrom = false)
      : position(from), emptyMatchAtPosition(emptyMatchAtFrom), cursor(text) {}
  uint64_t position;
  bool emptyMatchAtPosition;
  TextCursor cursor;
};

// One batch of a Find All: up to `limit` matches from where `scan` stands (which moves on),
// each appended to `out` with its line and bytes, and its log line added to `log` when there is
// one. Returns how many were found; `end` tells why it stopped.
struct BatchLog {
  RegexLogLines* lines = nullptr;
  uint64_t batchNumber = 1;
  uint32_t outputFormat = 1;
};
size_t CollectBatch(std::u16string_view text, const CompiledPattern& pattern, RegexScan& scan, uint64_t limit,
                    const std::atomic<bool>* cancel, BatchEnd* end, std::vector<RegexHit>& out, BatchLog log = {});
