#include "search/regex_batch.h"

#include <algorithm>
#include <charconv>

#include "common/utf.h"

namespace {
bool IsHigh(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
}  // namespace

void TextCursor::MoveTo(size_t index) {
  index = std::min(index, text_.size());
  if (index < at_) *this = TextCursor(text_);
  const char16_t* text = text_.data();
  // Every unit counted as if alone (a surrogate as three bytes), in a loop the compiler turns
  // into vector code; the rare surrogates are then looked at one by one.
  int64_t bytes = static_cast<int64_t>(index - at_), feeds = 0;
  bool surrogates = false;
  for (size_t from = at_; from < index;) {
    const size_t to = std::min(index, from + (size_t{1} << 24));  // 32-bit sums cannot overflow
    uint32_t extra = 0, lineFeeds = 0, halves = 0;
    for (size_t i = from; i < to; ++i) {
      const char16_t c = text[i];
      extra += (c >= 0x80) + (c >= 0x800);
      lineFeeds += c == u'\n';
      halves += (c & 0xF800) == 0xD800;
    }
    bytes += extra;
    feeds += lineFeeds;
    surrogates = surrogates || halves > 0;
    from = to;
  }
  if (surrogates) {
    for (size_t i = std::max<size_t>(at_, 1); i < index; ++i) {
      if (IsLow(text[i]) && IsHigh(text[i - 1])) bytes -= 2;  // a pair is four bytes, not six
    }
  }
  bytes_ += bytes;
  feeds_ += feeds;
  at_ = index;
}

RegexLogLines::RegexLogLines(Write write, size_t flushAt) : write_(std::move(write)), flushAt_(flushAt) {}

namespace {
// A number's decimal digits at `out` (room for twenty); returns their end.
char* PutNumber(char* out, uint64_t n) {
  return std::to_chars(out, out + 20, n).ptr;
}
char* Put(char* out, std::string_view words) {
  return std::copy(words.begin(), words.end(), out);
}
}  // namespace

void RegexLogLines::Add(std::u16string_view text, const RegexMatch& m, uint64_t batchNumber, uint32_t outputFormat) {
  const std::u16string_view matched = MatchedText(text, m);
  const size_t longest = 100 + 3 * matched.size();  // the words, four numbers and the text at their longest
  if (used_ + longest > buffer_.size()) buffer_.resize(std::max(2 * buffer_.size(), used_ + longest));
  char* out = buffer_.data() + used_;
  if (outputFormat != 0) {
    *out++ = '[';
    out = PutNumber(out, batchNumber);
    out = Put(out, "] Ln ");
    out = PutNumber(out, static_cast<uint64_t>(std::max(m.line, 0)));
    out = Put(out, "  Pos ");
    out = PutNumber(out, static_cast<uint64_t>(std::max(m.start, 0)));
    *out++ = '-';
    out = PutNumber(out, static_cast<uint64_t>(std::max(m.end, 0)));
    out = Put(out, ": ");
  }
  out = WriteUtf8(out, matched);
  *out++ = '\n';
  used_ = static_cast<size_t>(out - buffer_.data());
  if (used_ >= flushAt_) Flush();
}

void RegexLogLines::Flush() {
  if (used_ > 0 && write_) write_(std::string_view(buffer_.data(), used_));
  used_ = 0;
}

size_t CollectBatch(std::u16string_view text, const CompiledPattern& pattern, RegexScan& scan, uint64_t limit,
                    const std::atomic<bool>* cancel, BatchEnd* end, std::vector<RegexHit>& out, BatchLog log) {
  out.reserve(out.size() + static_cast<size_t>(std::min<uint64_t>(limit, uint64_t{1} << 20)));
  TextCursor& cursor = scan.cursor;
  auto take = [&](const RegexMatch& found) {
    RegexHit hit;
    hit.match = found;
    cursor.MoveTo(static_cast<size_t>(found.start));
    hit.match.line = static_cast<int32_t>(cursor.Line());
    hit.byteStart = cursor.Bytes();
    cursor.MoveTo(static_cast<size_t>(found.end));
    hit.byteEnd = cursor.Bytes();
    out.push_back(hit);
    if (log.lines) log.lines->Add(text, hit.match, log.batchNumber, log.outputFormat);
  };
  return FindBatchMatches(text, pattern, scan.position, limit, cancel, end, take, &scan.emptyMatchAtPosition);
}
