#include "search/regex_log.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <cstdio>

#include "common/utf.h"
#include "search/spares.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
const char kRule[] = "========================================";  // 40 equals signs
const char kDash[] = "\xE2\x80\x94";                           // U+2014 EM DASH

std::string Clock(const LocalTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}
std::string Number(long long n) { return std::to_string(n); }
}  // namespace

std::u16string RegexLogFileName(const LocalTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "regex_%04d%02d%02d_%02d%02d%02d_%d.txt", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.milliseconds);
  return Utf8ToUtf16(buf);
}

std::string RegexRunHeader(std::u16string_view pattern, bool matchCase, bool wholeWord, const LocalTime& time) {
  return std::string("Regex Session Log\n") + "Pattern:    " + Utf16ToUtf8(pattern) + "\n" +
         "Match case: " + (matchCase ? "Yes" : "No") + "  |  Whole word: " + (wholeWord ? "Yes" : "No") +
         "  |  Started: " + Clock(time) + "\n" + kRule + "\n\n";
}

std::string RegexEntryHeader(std::u16string_view pattern) {
  return std::string("Regex Session Log\n") + "Pattern: " + Utf16ToUtf8(pattern) + "\n" + kRule + "\n\n";
}

namespace {
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of `n` backwards so that the last one lands just before `end`.
void PutDigitsBefore(char* end, uint64_t n) {
  char* p = end;
  while (n >= 100) {
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
    n /= 100;
  }
  if (n >= 10) {
    std::memcpy(p - 2, kDigitPairs + 2 * n, 2);
  } else {
    p[-1] = static_cast<char>('0' + n);
  }
}

// A number in decimal digits at `out`; returns the end.
char* PutDecimal(char* out, uint64_t n) {
  size_t digits = 1;
  for (uint64_t v = n; v >= 10; v /= 10) ++digits;
  PutDigitsBefore(out + digits, n);
  return out + digits;
}

// The same for the positions and line numbers of matches, which fit 32 bits: the digits are
// counted without a loop, and a number below 10^8 is cut into four pairs of digits with
// multiplications only. `out` has room for ten characters.
inline __attribute__((always_inline)) char* PutDecimal32(char* out, uint32_t n) {
  // The digits from the number's bit length: log10(2) is about 1233 / 4096.
  static constexpr uint32_t kPowers[10] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};
  const uint32_t guess = static_cast<uint32_t>(32 - __builtin_clz(n | 1)) * 1233 >> 12;
  const size_t digits = guess + ((n | 1) >= kPowers[guess]);
  if (digits > 8) {
    PutDigitsBefore(out + digits, n);
    return out + digits;
  }
  const uint32_t high = static_cast<uint32_t>((uint64_t{n} * 109951163) >> 40);  // n / 10000 below 10^8
  const uint32_t low = n - high * 10000;
  const uint32_t a = (high * 5243) >> 19, b = high - a * 100;  // x / 100 below 10^4
  const uint32_t c = (low * 5243) >> 19, d = low - c * 100;
  // The eight characters are put together in a register, the first in the lowest byte, and
  // stored at once: the leading zeros are shifted out, and zeros follow the digits for what
  // comes next to overwrite.
  auto pair = [](uint32_t x) {
    uint16_t two;
    std::memcpy(&two, kDigitPairs + 2 * x, 2);
    return uint64_t{two};
  };
  static_assert(std::endian::native == std::endian::little);
  uint64_t eight = pair(a) | pair(b) << 16 | pair(c) << 32 | pair(d) << 48;
  eight >>= 8 * (8 - digits);
  std::memcpy(out, &eight, 8);
  return out + digits;
}

// A matched text at `out` in UTF-8. Short ASCII texts, most matches, are narrowed eight units at
// a time; `room` more units may be read after the text, and the buffer has room for the eight
// bytes written.
char* PutMatched(char* out, std::u16string_view matched, size_t room) {
#if defined(__SSE2__)
  if (!matched.empty() && matched.size() <= 8 && matched.size() + room >= 8) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(matched.data()));
    const unsigned ascii = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(static_cast<short>(0xFF80))),
                                          _mm_setzero_si128())));
    const unsigned wanted = (1u << (2 * matched.size())) - 1;
    if ((ascii & wanted) == wanted) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(block, block));
      return out + matched.size();
    }
  }
#endif
  size_t k = 0;
  for (; k < matched.size() && matched[k] < 0x80; ++k) out[k] = static_cast<char>(matched[k]);
  out += k;
  return k < matched.size() ? WriteUtf8(out, matched.substr(k)) : out;
}

}  // namespace

namespace {
SparePool<std::string>& SpareBuffers() {
  static auto* spares = new SparePool<std::string>(2);
  return *spares;
}
}  // namespace

RegexBatchLineWriter::RegexBatchLineWriter(std::u16string_view text, uint64_t batchNumber, uint32_t outputFormat,
                                           std::function<void(std::string_view)> write, size_t piece)
    : data_(nullptr),
      room_(0),
      text_(text),
      format_(outputFormat),
      write_(std::move(write)),
      piece_(piece) {
  head_.text[0] = '[';
  char* h = PutDecimal(head_.text + 1, batchNumber);
  std::memcpy(h, "] Ln ", 5);
  head_.size = static_cast<size_t>(h + 5 - head_.text);
  SpareBuffers().Take(buffer_);
  data_ = buffer_.data();
  room_ = buffer_.size();
}

RegexBatchLineWriter::~RegexBatchLineWriter() { SpareBuffers().Give(std::move(buffer_)); }

// The line goes straight into the buffer's characters, which always have room for the fixed
// copies beyond it.
void RegexBatchLineWriter::Add(const RegexMatch& match) { AddAll({&match, 1}); }

void RegexBatchLineWriter::AddAll(std::span<const RegexMatch> matches) {
  // The writer's own values are kept in locals: the characters written could otherwise be taken
  // for any of them, and read again after every one.
  char* data = data_;
  size_t used = used_, room = room_;
  int32_t lineNumber = lineNumber_;
  uint64_t lineDigits = lineDigits_;
  size_t lineSize = lineSize_;
  const Words head = head_;
  const std::u16string_view text = text_;
  for (size_t i = 0; i < matches.size(); ++i) {
    // The matched texts may have left the cache since the search read them: they are asked for
    // a few matches ahead.
    if (i + 8 < matches.size())
      __builtin_prefetch(text.data() +
                         std::min(static_cast<size_t>(std::max(matches[i + 8].start, 0)), text.size()));
    const RegexMatch& m = matches[i];
    const std::u16string_view matched = MatchedText(text, m);
    const size_t need = 128 + 3 * matched.size();  // the numbers, the words and the text at their longest
    if (used > 0 && used + need > piece_) {
      write_(std::string_view(data, used));
      used = 0;
    }
    if (used + need > room) {
      buffer_.resize(std::max(used + need, std::min(piece_, 2 * buffer_.size())));
      data = buffer_.data();
      room = buffer_.size();
    }
    char* out = data + used;
    if (format_ != 0) {
      std::memcpy(out, head.text, sizeof head.text);
      out += head.size;
      if (m.line != lineNumber) {  // the line's digits are kept in a register's worth of bytes
        lineNumber = m.line;
        char digits[16];
        lineSize = static_cast<size_t>(PutDecimal32(digits, static_cast<uint32_t>(std::max(m.line, 0))) - digits);
        std::memcpy(&lineDigits, digits, 8);
      }
      std::memcpy(out, &lineDigits, 8);
      if (lineSize > 8) PutDecimal32(out, static_cast<uint32_t>(m.line));
      out += lineSize;
      std::memcpy(out, "  Pos   ", 8);
      out = PutDecimal32(out + 6, static_cast<uint32_t>(std::max(m.start, 0)));
      *out++ = '-';
      out = PutDecimal32(out, static_cast<uint32_t>(std::max(m.end, 0)));
      std::memcpy(out, ": ", 2);
      out += 2;
    }
    const size_t after =
        matched.empty() ? 0 : static_cast<size_t>(text.data() + text.size() - matched.data()) - matched.size();
    out = PutMatched(out, matched, after);
    *out++ = '\n';
    used = static_cast<size_t>(out - data);
  }
  data_ = data;
  used_ = used;
  room_ = room;
  lineNumber_ = lineNumber;
  lineDigits_ = lineDigits;
  lineSize_ = lineSize;
}

void RegexBatchLineWriter::Finish() {
  if (used_) write_(std::string_view(data_, used_));
  used_ = 0;
}

std::string RegexBatchLines(std::u16string_view text, std::span<const RegexMatch> batch, uint64_t batchNumber,
                            uint32_t outputFormat) {
  std::string out;
  RegexBatchLineWriter lines(text, batchNumber, outputFormat, [&](std::string_view piece) { out += piece; });
  lines.AddAll(batch);
  lines.Finish();
  return out;
}

RegexListLines::RegexListLines(std::u16string_view text, uint32_t outputFormat, bool includeLineNumbers,
                               size_t maxCharacters)
    : text_(text), format_(outputFormat), lineNumbers_(includeLineNumbers), max_(maxCharacters) {}

// From after the last line feed before the match start to the first line feed or carriage
// return at or after it. A later start up to that end lies on the same line; further on, only
// the text after the end needs to be looked at for a line feed.
std::u16string_view RegexListLines::FullLine(const RegexMatch& match) {
  const size_t start = static_cast<size_t>(match.start);
  if (text_.empty() || start > text_.size()) return {};
  if (!known_ || start < prevStart_) {
    size_t feed = start == 0 ? std::u16string_view::npos : text_.rfind(u'\n', start - 1);
    from_ = feed == std::u16string_view::npos ? 0 : feed + 1;
    to_ = std::min(text_.find_first_of(u"\r\n", start), text_.size());
    known_ = true;
  } else if (start > to_) {
    size_t i = start;
    while (i > to_ && text_[i - 1] != u'\n') --i;
    if (i > to_) from_ = i;  // else no line feed after the old line's end: it still starts at from_
    to_ = std::min(text_.find_first_of(u"\r\n", start), text_.size());
  }
  prevStart_ = start;
  return text_.substr(from_, to_ - from_);
}

namespace {
void AppendNumber(std::u16string& out, long long n) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}
}  // namespace

// Copies no more of a long text than the cut keeps (a minified file's one line may be
// megabytes long, and many matches may share it).
void RegexListLines::AppendCut(std::u16string_view piece) {
  if (line_.size() > max_) return;
  line_.append(piece.substr(0, max_ + 1 - line_.size()));
}

const std::u16string& RegexListLines::Line(const RegexMatch& match) {
  std::u16string_view matched = MatchedText(text_, match);
  line_.clear();
  switch (format_) {
    case 1:
      if (lineNumbers_) {
        line_ += u"Ln ";
        AppendNumber(line_, match.line);
        line_ += u"  Col ";
        AppendNumber(line_, match.start);
        line_ += u"  ";
      } else {
        line_ += u'[';
        AppendNumber(line_, match.start);
        line_ += u'-';
        AppendNumber(line_, match.end);
        line_ += u"]  ";
      }
      AppendCut(matched);
      break;
    case 2: {
      if (lineNumbers_) {
        line_ += u"Ln ";
        AppendNumber(line_, match.line);
        line_ += u"  ";
      }
      std::u16string_view full = FullLine(match);
      AppendCut(full.empty() ? matched : full);
      break;
    }
    default: AppendCut(matched); break;
  }
  if (line_.size() > max_) {
    line_.resize(max_);
    line_ += u'\u2026';
  }
  return line_;
}

std::string RegexClosingLines(const LocalTime& time, uint64_t total) {
  return "\n[FIND ALL] " + Clock(time) + " " + kDash + " Search complete\n" + "\n" + kRule + "\n" +
         "Total matches found: " + Number(static_cast<long long>(total)) + "\n";
}

std::string RegexFindEntry(bool previous, const LocalTime& time, int64_t line, int64_t bytePosition,
                           std::u16string_view matched) {
  return std::string(previous ? "[FIND PREV] " : "[FIND] ") + Clock(time) + " " + kDash + " Ln " + Number(line) +
         ", Col " + Number(bytePosition) + "\n  " + Utf16ToUtf8(matched) + "\n\n";
}

std::string RegexReplaceEntry(const LocalTime& time, std::u16string_view before, std::u16string_view after) {
  return "[REPLACE] " + Clock(time) + " " + kDash + " Replaced 1 match\n" + "  Before: " + Utf16ToUtf8(before) +
         "\n" + "  After:  " + Utf16ToUtf8(after) + "\n\n";
}

std::string RegexReplaceAllEntry(const LocalTime& time, int64_t count, std::u16string_view pattern,
                                 std::u16string_view replacement) {
  return "[REPLACE ALL] " + Clock(time) + " " + kDash + " Replaced " + Number(count) + " match(es)\n" +
         "  Pattern: " + Utf16ToUtf8(pattern) + "  ->  " + Utf16ToUtf8(replacement) + "\n\n";
}

namespace {
bool IsExpired(std::u16string_view name, std::u16string_view prefix, std::u16string_view suffix,
               int64_t lastWriteSeconds, int64_t nowSeconds) {
  if (name.size() < prefix.size() + suffix.size()) return false;
  if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix) return false;
  return lastWriteSeconds < nowSeconds - 604800;
}
}  // namespace

bool IsExpiredRegexLog(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"regex_", u".txt", lastWriteSeconds, nowSeconds);
}

bool IsExpiredTempCopy(std::u16string_view name, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return IsExpired(name, u"temp_", u".txt", lastWriteSeconds, nowSeconds) ||
         IsExpired(name, u"temp_", u".html", lastWriteSeconds, nowSeconds);
}
