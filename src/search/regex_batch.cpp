#include "search/regex_batch.h"

#include <algorithm>
#include <charconv>

#include "common/utf.h"

void TextCursor::MoveTo(size_t index) {
  index = std::min(index, text_.size());
  if (index < at_) *this = TextCursor(text_);
  const char16_t* text = text_.data();
  int64_t bytes = 0, feeds = 0;
  for (size_t i = at_; i < index; ++i) {
    const char16_t c = text[i];
    // Every unit as if alone (surrogates take three); the low half of a pair takes two back.
    const bool pairEnd = c >= 0xDC00 && c <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    bytes += 1 + (c >= 0x80) + (c >= 0x800) - 2 * pairEnd;
    feeds += c == u'\n';
  }
  bytes_ += bytes;
  feeds_ += feeds;
  at_ = index;
}

RegexLogLines::RegexLogLines(Write write, size_t flushAt) : write_(std::move(write)), flushAt_(flushAt) {
  buffer_.reserve(flushAt_ + 256);
}

namespace {
void AppendNumber(std::string& out, uint64_t n) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}
}  // namespace

void RegexLogLines::Add(std::u16string_view text, const RegexMatch& m, uint64_t batchNumber, uint32_t outputFormat) {
  if (outputFormat != 0) {
    buffer_ += '[';
    AppendNumber(buffer_, batchNumber);
    buffer_ += "] Ln ";
    AppendNumber(buffer_, static_cast<uint64_t>(std::max(m.line, 0)));
    buffer_ += "  Pos ";
    AppendNumber(buffer_, static_cast<uint64_t>(std::max(m.start, 0)));
    buffer_ += '-';
    AppendNumber(buffer_, static_cast<uint64_t>(std::max(m.end, 0)));
    buffer_ += ": ";
  }
  AppendUtf8(buffer_, MatchedText(text, m));
  buffer_ += '\n';
  if (buffer_.size() >= flushAt_) Flush();
}

void RegexLogLines::Flush() {
  if (!buffer_.empty() && write_) write_(buffer_);
  buffer_.clear();
}

std::string RegexBatchLines(std::u16string_view text, const std::vector<RegexMatch>& matches, uint64_t batchNumber,
                            uint32_t outputFormat) {
  std::string out;
  RegexLogLines lines([&out](std::string_view piece) { out += piece; });
  for (const RegexMatch& m : matches) lines.Add(text, m, batchNumber, outputFormat);
  lines.Flush();
  return out;
}

size_t CollectBatch(std::u16string_view text, const CompiledPattern& pattern, uint64_t& position, uint64_t limit,
                    const std::atomic<bool>* cancel, BatchEnd* end, TextCursor& cursor, std::vector<RegexHit>& out,
                    BatchLog log) {
  out.reserve(out.size() + static_cast<size_t>(std::min<uint64_t>(limit, 1u << 20)));
  return FindBatchMatches(text, pattern, position, limit, cancel, end, [&](std::vector<RegexMatch>& block) {
    for (RegexMatch m : block) {
      RegexHit hit;
      cursor.MoveTo(static_cast<size_t>(m.start));
      m.line = static_cast<int32_t>(cursor.Line());
      hit.byteStart = cursor.Bytes();
      cursor.MoveTo(static_cast<size_t>(m.end));
      hit.byteEnd = cursor.Bytes();
      hit.match = m;
      out.push_back(hit);
      if (log.lines) log.lines->Add(text, m, log.batchNumber, log.outputFormat);
    }
  });
}
