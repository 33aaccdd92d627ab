#include "search/find_win.h"

#include <Scintilla.h>

#include "common/utf.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

SearchMatchCache g_searchCache;
int g_statusKind = 0;

namespace {
constexpr COLORREF kAllMatches = 0x00DCFF;
constexpr COLORREF kReplaced = 0x00A5FF;
constexpr COLORREF kCurrent = 0xD77800;

std::u16string ControlText(HWND dialog, int id) {
  wchar_t buffer[256] = {};
  GetDlgItemTextW(dialog, id, buffer, 256);
  return U16(buffer);
}
bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetStatus(HWND dialog, const std::u16string& text, int kind) {
  g_statusKind = kind;
  SetDlgItemTextW(dialog, IDC_FIND_STATUS, W(text));
  InvalidateRect(GetDlgItem(dialog, IDC_FIND_STATUS), nullptr, TRUE);
}

History ReadHistory(const FixedString<256> (&slots)[kHistoryCount]) {
  History h;
  for (size_t i = 0; i < h.size(); ++i) h[i] = slots[i].Get();
  return h;
}
void WriteHistory(FixedString<256> (&slots)[kHistoryCount], const History& h) {
  for (size_t i = 0; i < h.size(); ++i) slots[i].Set(h[i]);
}

void FillCombo(HWND combo, const History& history, const std::u16string& current) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& entry : history)
    if (!entry.empty()) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(entry)));
  SetWindowTextW(combo, W(current));
}

// Reads the strings, pushes them into the histories, saves, refills the boxes. False when
// the find string is empty (nothing is done at all then).
bool Prologue(HWND dialog, bool withReplace, std::u16string* find, std::u16string* replace) {
  *find = ControlText(dialog, IDC_FIND_WHAT);
  if (find->empty()) return false;
  if (withReplace) *replace = ControlText(dialog, IDC_REPLACE_WITH);
  History finds = ReadHistory(g_settings.findHistory);
  PushHistory(finds, *find);
  WriteHistory(g_settings.findHistory, finds);
  History replaces = ReadHistory(g_settings.replaceHistory);
  if (withReplace) {
    PushHistory(replaces, *replace);
    WriteHistory(g_settings.replaceHistory, replaces);
  }
  SaveSettings(g_settings);
  FillCombo(GetDlgItem(dialog, IDC_FIND_WHAT), finds, *find);
  if (withReplace) FillCombo(GetDlgItem(dialog, IDC_REPLACE_WITH), replaces, *replace);
  return true;
}

void EnsureMatches(const std::u16string& find, bool matchCase, bool wholeWord) {
  if (g_searchCache.text.empty() || find != g_searchCache.text || matchCase != g_searchCache.matchCase ||
      wholeWord != g_searchCache.wholeWord)
    FindAllMatches(find, matchCase, wholeWord);
}

}  // namespace

void InvalidateSearchCache() {
  g_searchCache.matches.clear();
  g_searchCache.text.clear();
}

void SetupIndicator(int indicator, COLORREF colour, int alpha) {
  SetSearchIndicatorLook(indicator, colour, alpha);
}

void ClearSearchIndicators() {
  for (int indicator : {8, 9, 10}) ClearIndicator(indicator);
}

void FindAllMatches(const std::u16string& text, bool matchCase, bool wholeWord) {
  g_searchCache.matches.clear();
  g_searchCache.text = text;
  g_searchCache.matchCase = matchCase;
  g_searchCache.wholeWord = wholeWord;
  std::string needle = Utf16ToUtf8(text);
  int flags = (matchCase ? SCFIND_MATCHCASE : 0) | (wholeWord ? SCFIND_WHOLEWORD : 0);
  sptr_t length = Sci(SCI_GETLENGTH);
  if (length <= 0) return;
  sptr_t start = 0;
  while (start < length) {
    Sci_TextToFind ft{};
    ft.chrg.cpMin = static_cast<Sci_PositionCR>(start);
    ft.chrg.cpMax = static_cast<Sci_PositionCR>(Sci(SCI_GETLENGTH));
    ft.lpstrText = needle.c_str();
    if (Sci(SCI_FINDTEXT, static_cast<uptr_t>(flags), &ft) == -1) break;
    if (ft.chrgText.cpMax <= ft.chrgText.cpMin) break;  // an empty match ends the scan
    g_searchCache.matches.emplace_back(ft.chrgText.cpMin, ft.chrgText.cpMax);
    start = ft.chrgText.cpMax;
  }
}

void FindNextMatch(HWND dialog, bool forward) {
  std::u16string find, unused;
  if (!Prologue(dialog, false, &find, &unused)) return;
  EnsureMatches(find, Checked(dialog, IDC_MATCH_CASE), Checked(dialog, IDC_WHOLE_WORD));
  const MatchList& matches = g_searchCache.matches;
  if (matches.empty()) {
    SetStatus(dialog, u"No matches.", 1);
    return;
  }
  sptr_t from = forward ? Sci(SCI_GETCURRENTPOS) : Sci(SCI_GETSELECTIONSTART);
  int index = ChooseMatch(matches, from, forward, Checked(dialog, IDC_WRAP_AROUND));
  if (index < 0) {
    SetStatus(dialog, u"No more matches.", 1);
    return;
  }
  auto [start, end] = matches[static_cast<size_t>(index)];
  ClearIndicator(10);
  SetupIndicator(10, kCurrent, 80);
  Sci(SCI_SETINDICATORCURRENT, 10);
  Sci(SCI_INDICATORFILLRANGE, start, end - start);
  Sci(SCI_SETSEL, start, end);
  Sci(SCI_SCROLLCARET);
  SetStatus(dialog, MatchesFoundText(matches.size()), 0);
}

void ReplaceCurrentMatch(HWND dialog) {
  std::u16string find, replace;
  if (!Prologue(dialog, true, &find, &replace)) return;
  sptr_t start = Sci(SCI_GETSELECTIONSTART), end = Sci(SCI_GETSELECTIONEND);
  if (start != end) {
    std::string selected = GetSelectedText();
    std::string needle = Utf16ToUtf8(find);
    bool same = Checked(dialog, IDC_MATCH_CASE) ? selected == needle : EqualsAsciiCaseInsensitive(selected, needle);
    if (same) {
      std::u16string replacement =
          Checked(dialog, IDC_PRESERVE_CASE) ? ApplyPreserveCase(Utf8ToUtf16(selected), replace) : replace;
      std::string bytes = Utf16ToUtf8(replacement);
      Sci(SCI_REPLACESEL, 0, bytes.c_str());
      SetupIndicator(9, kReplaced, 80);
      Sci(SCI_SETINDICATORCURRENT, 9);
      Sci(SCI_INDICATORFILLRANGE, start, static_cast<sptr_t>(bytes.size()));
      InvalidateSearchCache();
      SetStatus(dialog, u"Replaced. Searching for next...", 2);
    }
  }
  FindNextMatch(dialog, true);
}

void ReplaceAllMatches(HWND dialog) {
  std::u16string find, replace;
  if (!Prologue(dialog, true, &find, &replace)) return;
  ReplaceAllOptions options;
  options.matchCase = Checked(dialog, IDC_MATCH_CASE);
  options.wholeWord = Checked(dialog, IDC_WHOLE_WORD);
  options.preserveCase = Checked(dialog, IDC_PRESERVE_CASE);
  const bool colour = Checked(dialog, IDC_COLOR_RESULTS);

  size_t length = static_cast<size_t>(Sci(SCI_GETLENGTH));
  const char* text = reinterpret_cast<const char*>(Sci(SCI_GETCHARACTERPOINTER));
  std::string_view document(text ? text : "", text ? length : 0);
  size_t regionStart = 0, regionEnd = length;
  if (Checked(dialog, IDC_IN_SELECTION)) {
    sptr_t s = Sci(SCI_GETSELECTIONSTART), e = Sci(SCI_GETSELECTIONEND);
    if (s == e) {
      SetStatus(dialog, u"No text selected. Running on entire document.", 1);
      CheckDlgButton(dialog, IDC_IN_SELECTION, BST_UNCHECKED);
    } else {
      regionStart = static_cast<size_t>(s);
      regionEnd = static_cast<size_t>(e);
    }
  }
  std::string_view region = document.substr(regionStart, regionEnd - regionStart);
  ReplaceAllResult result =
      ReplaceAllInRegion(region, Utf16ToUtf8(find), replace, options, static_cast<int64_t>(regionStart));
  // The same bytes as before (nothing found, or every replacement equal to its match): no change.
  if (result.count == 0 || result.output == region) {
    SetStatus(dialog, u"No occurrences found.", 1);
    return;
  }
  Sci(SCI_BEGINUNDOACTION);
  Sci(SCI_SETTARGETSTART, regionStart);
  Sci(SCI_SETTARGETEND, regionEnd);
  Sci(SCI_REPLACETARGET, result.output.size(), result.output.data());
  Sci(SCI_ENDUNDOACTION);
  if (colour && !result.ranges.empty()) {
    ClearIndicator(9);
    SetupIndicator(9, kReplaced, 120);
    Sci(SCI_SETINDICATORCURRENT, 9);
    for (auto [start, end] : result.ranges) Sci(SCI_INDICATORFILLRANGE, start, end - start);
  }
  SetStatus(dialog, ReplacedText(result.count), 2);
  InvalidateSearchCache();
}

void HighlightAllMatches(HWND dialog) {
  std::u16string find = ControlText(dialog, IDC_FIND_WHAT);
  if (find.empty()) return;
  bool matchCase = Checked(dialog, IDC_MATCH_CASE), wholeWord = Checked(dialog, IDC_WHOLE_WORD);
  ClearIndicator(8);
  ClearIndicator(10);
  EnsureMatches(find, matchCase, wholeWord);
  const MatchList& matches = g_searchCache.matches;
  if (matches.empty()) {
    SetStatus(dialog, u"No matches found.", 1);
    return;
  }
  if (Checked(dialog, IDC_COLOR_RESULTS)) {
    SetupIndicator(8, kAllMatches, 70);
    Sci(SCI_SETINDICATORCURRENT, 8);
    for (auto [start, end] : matches) Sci(SCI_INDICATORFILLRANGE, start, end - start);
    Sci(SCI_SETSEL, matches.back().first, matches.back().second);
    Sci(SCI_SCROLLCARET);
  }
  SetStatus(dialog, MatchesFoundText(matches.size()), 2);
}
