#include "search/regex_operations_win.h"

#include <utility>

#include "common/utf.h"
#include "search/regex.h"
#include "search/regex_highlight_win.h"
#include "search/regex_log.h"
#include "search/regex_log_win.h"
#include "ui/editor_win.h"

namespace {
// Only a status line: nothing was found or done.
RegexOutcomeText Said(const char16_t* status) {
  RegexOutcomeText out;
  out.status = status;
  return out;
}

// The document as UTF-16 and the conversions between its indexes and the editor's bytes.
struct LiveText {
  std::string utf8 = GetDocumentText();
  std::u16string wide = Utf8ToUtf16(utf8);
  size_t IndexOfByte(size_t byte) const { return Utf8ToUtf16(std::string_view(utf8).substr(0, byte)).size(); }
  std::pair<size_t, size_t> Bytes(size_t start, size_t end) const {
    size_t s = Utf16ToUtf8(std::u16string_view(wide).substr(0, start)).size();
    return {s, s + Utf16ToUtf8(std::u16string_view(wide).substr(start, end - start)).size()};
  }
};

// A matched text quoted in the one-line status, cut when it is long.
std::u16string Quoted(const std::u16string& text) {
  return text.size() > 200 ? text.substr(0, 200) + u"\u2026" : text;
}

RegexOutcomeText ShowFound(const RegexOptions& options, const LiveText& text, const RegexMatch& m, bool previous) {
  const std::u16string matched(MatchedText(text.wide, m));
  auto [start, end] = text.Bytes(static_cast<size_t>(m.start), static_cast<size_t>(m.end));
  Sci(SCI_SETSEL, static_cast<uptr_t>(start), static_cast<sptr_t>(end));
  Sci(SCI_SCROLLCARET);
  if (options.colorResults) {
    ClearRegexHighlight();
    SetupRegexIndicator(0x00DCFF, 70);
    MarkRegexRange(static_cast<sptr_t>(start), static_cast<sptr_t>(end - start));
  }
  RegexOutcomeText out;
  out.logEntry = RegexFindEntry(previous, CurrentLocalTime(), Sci(SCI_LINEFROMPOSITION, static_cast<uptr_t>(start)) + 1,
                          static_cast<int64_t>(start), matched);
  out.status = u"Found: \"" + Quoted(matched) + u"\" at position " + DecimalText(static_cast<uint64_t>(m.start));
  return out;
}

RegexOutcomeText FindNext(const RegexOptions& options) {
  LiveText text;
  size_t caret = text.IndexOfByte(static_cast<size_t>(Sci(SCI_GETCURRENTPOS)));
  CompiledPattern compiled =
      BuildSearchRegex(options.pattern, options.matchCase, options.wholeWord);
  MatchGroups g;
  RegexMatch m;
  bool found = false;
  RegexOutcome outcome = RegexOutcome::NoMatch;
  if (compiled.valid()) {
    std::u16string_view rest = std::u16string_view(text.wide).substr(caret);
    if ((outcome = RegexSearch(compiled, rest, 0, &g)) == RegexOutcome::Match) {
      m.start = static_cast<int32_t>(caret + static_cast<size_t>(g.groups[0].first));
      m.end = static_cast<int32_t>(caret + static_cast<size_t>(g.groups[0].second));
      found = true;
    } else if (outcome != RegexOutcome::TooComplex &&
               (outcome = RegexSearch(compiled, text.wide, 0, &g)) == RegexOutcome::Match) {  // wrap-around
      m.start = static_cast<int32_t>(g.groups[0].first);
      m.end = static_cast<int32_t>(g.groups[0].second);
      found = true;
    }
  }
  if (outcome == RegexOutcome::TooComplex) return Said(u"Pattern too complex.");
  if (!found) return Said(u"No match found.");
  return ShowFound(options, text, m, false);
}

RegexOutcomeText FindPrev(const RegexOptions& options) {
  LiveText text;
  size_t anchor = text.IndexOfByte(static_cast<size_t>(Sci(SCI_GETANCHOR)));
  const std::u16string& pattern = options.pattern;
  const bool matchCase = options.matchCase, wholeWord = options.wholeWord;
  bool complex = false;
  auto before =
      FindAllRegexMatches(std::u16string_view(text.wide).substr(0, anchor), pattern, matchCase, wholeWord, &complex);
  if (before.empty() && !complex) before = FindAllRegexMatches(text.wide, pattern, matchCase, wholeWord, &complex);
  if (complex) return Said(u"Pattern too complex.");
  if (before.empty()) return Said(u"No match found.");
  return ShowFound(options, text, before.back(), true);
}

}  // namespace

RegexOutcomeText RegexFindInEditor(const RegexOptions& options, bool previous) {
  return previous ? FindPrev(options) : FindNext(options);
}

RegexOutcomeText RegexReplaceSelection(const RegexOptions& options) {
  const std::u16string &pattern = options.pattern, &replacement = options.replacement;
  sptr_t selStart = Sci(SCI_GETSELECTIONSTART), selEnd = Sci(SCI_GETSELECTIONEND);
  if (selStart == selEnd) return Said(u"No selection. Use Find/Next first.");
  const bool matchCase = options.matchCase, wholeWord = options.wholeWord, preserve = options.preserveCase;
  std::u16string selected = Utf8ToUtf16(GetSelectedText());
  RegexReplaceFirstResult r = RegexReplaceFirst(selected, pattern, replacement, matchCase, wholeWord, preserve);
  std::u16string matched, inserted;
  size_t byteStart = 0, byteEnd = 0;
  if (r.found && r.match.start == 0 && static_cast<size_t>(r.match.end) == selected.size()) {
    inserted = r.text;
    matched = r.matched;
    byteStart = static_cast<size_t>(selStart);
    byteEnd = static_cast<size_t>(selEnd);
  } else {
    LiveText text;
    size_t from = text.IndexOfByte(static_cast<size_t>(selStart));
    std::u16string_view rest = std::u16string_view(text.wide).substr(from);
    RegexReplaceFirstResult after = RegexReplaceFirst(rest, pattern, replacement, matchCase, wholeWord, preserve);
    if (!after.found) return Said(u"Selection does not match pattern.");
    matched = after.matched;
    size_t replacedLength =
        after.text.size() - (rest.size() - static_cast<size_t>(after.match.end - after.match.start));
    inserted = after.text.substr(static_cast<size_t>(after.match.start), replacedLength);
    auto [s, e] =
        text.Bytes(from + static_cast<size_t>(after.match.start), from + static_cast<size_t>(after.match.end));
    byteStart = s;
    byteEnd = e;
  }
  std::string bytes = Utf16ToUtf8(inserted);
  Sci(SCI_BEGINUNDOACTION);
  Sci(SCI_SETTARGETSTART, byteStart);
  Sci(SCI_SETTARGETEND, byteEnd);
  Sci(SCI_REPLACETARGET, bytes.size(), bytes.data());
  Sci(SCI_ENDUNDOACTION);
  Sci(SCI_SETSEL, byteStart, static_cast<sptr_t>(byteStart + bytes.size()));
  Sci(SCI_SCROLLCARET);
  if (options.colorResults) {
    ClearRegexHighlight();
    SetupRegexIndicator(0x64C864, 80);
    MarkRegexRange(static_cast<sptr_t>(byteStart), static_cast<sptr_t>(bytes.size()));
  }
  return {u"Replaced: \"" + Quoted(matched) + u"\" \u2192 \"" + Quoted(inserted) + u"\"",
          RegexReplaceEntry(CurrentLocalTime(), matched, inserted), 1};
}

RegexOutcomeText RegexReplaceAllInEditor(const RegexOptions& options) {
  LiveText text;
  int count = 0;
  bool complex = false;
  std::u16string replaced =
      RegexReplaceAll(text.wide, options.pattern, options.replacement, options.matchCase, options.wholeWord,
                      options.preserveCase, &count, &complex);
  if (complex) return Said(u"Pattern too complex.");
  if (count == 0) return Said(u"No matches found to replace.");
  // One undo step over the whole text, so a wrong Replace All can be undone.
  std::string bytes = Utf16ToUtf8(replaced);
  Sci(SCI_BEGINUNDOACTION);
  Sci(SCI_SETTARGETSTART, 0);
  Sci(SCI_SETTARGETEND, Sci(SCI_GETLENGTH));
  Sci(SCI_REPLACETARGET, bytes.size(), bytes.data());
  Sci(SCI_ENDUNDOACTION);
  Sci(SCI_GOTOPOS, 0);
  return {u"Replaced " + DecimalText(static_cast<unsigned>(count)) + u" occurrence(s).",
          RegexReplaceAllEntry(CurrentLocalTime(), count, options.pattern, options.replacement), count};
}
