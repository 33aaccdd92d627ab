// The session-log formatter: any pattern, replacement and text, with the matches a search
// finds in it and any times and counts. Every entry is valid UTF-8 ending in a blank line; the
// results list's lines equal a naive extraction of the match's line (cut and with an ellipsis
// past the limit); the log lines of a batch carry the match's line, positions and text; the
// expiry rule holds for any times.
#include <limits>
#include <string>
#include <vector>

#include "export_checks.h"
#include "fuzz_input.h"
#include "reference_utf.h"
#include "search/regex.h"
#include "search/regex_batch.h"
#include "search/regex_log.h"

namespace {
std::u16string NaiveListLine(std::u16string_view text, const RegexMatch& m, uint32_t format, bool numbers, size_t max) {
  const std::u16string_view matched = text.substr(m.start, m.end - m.start);
  std::u16string line;
  auto number = [](long long n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  };
  if (format == 1) {
    line = numbers ? u"Ln " + number(m.line) + u"  Col " + number(m.start) + u"  "
                   : u"[" + number(m.start) + u"-" + number(m.end) + u"]  ";
    line += matched;
  } else if (format == 2) {
    if (numbers) line = u"Ln " + number(m.line) + u"  ";
    size_t from = m.start;
    while (from > 0 && text[from - 1] != u'\n') --from;
    size_t to = m.start;
    while (to < text.size() && text[to] != u'\n' && text[to] != u'\r') ++to;
    line += to > from ? text.substr(from, to - from) : matched;
  } else {
    line = matched;
  }
  if (line.size() > max) {
    line.resize(max);
    line += u'\u2026';
  }
  return line;
}

bool EndsWithBlankLine(const std::string& s) { return s.size() >= 2 && s.compare(s.size() - 2, 2, "\n\n") == 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  LocalTime time;
  time.year = static_cast<int>(in.U32());
  time.month = static_cast<int8_t>(in.Byte());
  time.day = static_cast<int8_t>(in.Byte());
  time.hour = static_cast<int>(in.U32());
  time.minute = static_cast<int8_t>(in.Byte());
  time.second = static_cast<int8_t>(in.Byte());
  time.milliseconds = static_cast<int>(in.U32());
  const int64_t count = static_cast<int64_t>((uint64_t{in.U32()} << 32) | in.U32());
  const int64_t lastWrite = static_cast<int64_t>((uint64_t{in.U32()} << 32) | in.U32());
  const int64_t now = static_cast<int64_t>((uint64_t{in.U32()} << 32) | in.U32());
  const std::u16string pattern = TextOf(in.Piece());
  const std::u16string replacement = TextOf(in.Piece());
  const std::u16string text = (how & 1) ? UnitsOf(in.Rest()) : TextOf(in.Rest());

  const std::u16string name = RegexLogFileName(time);
  FUZZ_CHECK(name.rfind(u"regex_", 0) == 0 && name.size() >= 10 && name.substr(name.size() - 4) == u".txt");
  for (const std::string& entry :
       {RegexRunHeader(pattern, how & 2, how & 4, time), RegexEntryHeader(pattern), RegexFindEntry(how & 2, time, count, now, text),
        RegexReplaceEntry(time, pattern, replacement), RegexReplaceAllEntry(time, count, pattern, replacement)}) {
    FUZZ_CHECK(ValidUtf8(entry));
    FUZZ_CHECK(EndsWithBlankLine(entry));
  }
  const std::string closing = RegexClosingLines(time, static_cast<uint64_t>(count));
  FUZZ_CHECK(ValidUtf8(closing) && closing.back() == '\n');

  // Expiry: only our own names, only more than seven days before now (for any times).
  const bool oldEnough = static_cast<__int128>(lastWrite) < static_cast<__int128>(now) - 604800;
  FUZZ_CHECK(IsExpiredRegexLog(name, lastWrite, now) == oldEnough);
  FUZZ_CHECK(IsExpiredTempCopy(u"temp_" + pattern + u".html", lastWrite, now) == oldEnough);
  FUZZ_CHECK(!IsExpiredRegexLog(pattern + u".TXT", lastWrite, now));

  // The matches of the pattern (as a literal-ish regex, or the letter a) and their lines.
  CompiledPattern compiled = BuildSearchRegex(pattern.empty() ? u"a" : pattern, true, false);
  if (!compiled.valid()) compiled = BuildSearchRegex(u"\\w+|\\n", true, false);
  std::vector<RegexHit> hits;
  RegexScan scan(text);
  BatchEnd end;
  std::string logged;
  {
    RegexLogLines lines([&](std::string_view piece) { logged += piece; }, 1 + (how >> 4) * 16);
    BatchLog log{&lines, static_cast<uint64_t>(count), static_cast<uint32_t>(how >> 3) % 3};
    CollectBatch(text, compiled, scan, 2000, nullptr, &end, hits, log);
  }
  const uint32_t format = (how >> 3) % 3;
  std::string expected;
  for (const RegexHit& hit : hits) {
    if (format != 0)
      expected += "[" + std::to_string(static_cast<uint64_t>(count)) + "] Ln " + std::to_string(hit.match.line) + "  Pos " +
                  std::to_string(hit.match.start) + "-" + std::to_string(hit.match.end) + ": ";
    expected += ReferenceUtf16ToUtf8(MatchedText(text, hit.match)) + "\n";
  }
  FUZZ_CHECK(logged == expected);

  for (uint32_t listFormat = 0; listFormat < 4; ++listFormat) {
    const size_t max = (how & 0x80) ? 8 : 200;
    RegexListLines list(text, listFormat, how & 2, max);
    for (const RegexHit& hit : hits) {
      const std::u16string& line = list.Line(hit.match);
      FUZZ_CHECK(line == NaiveListLine(text, hit.match, listFormat, how & 2, max));
    }
  }
  return 0;
}
