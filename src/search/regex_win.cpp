#include "common/win.h"  // before the other system headers

#include <Scintilla.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/editor_win.h"
#include "app/menu_win.h"
#include "app/shell_win.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "common/trace_win.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "document/document_win.h"
#include "search/find_engine.h"
#include "search/regex.h"
#include "search/regex_log.h"
#include "search/regex_log_win.h"
#include "search/regex_pipe.h"
#include "search/regex_win.h"
#include "search/search_dialog_win.h"
#include "settings/dialog_theme_win.h"
#include "settings/settings_win.h"
#include "settings/theme_win.h"

namespace {

constexpr int kRegexDialogResource = 800;
constexpr size_t kLargeText = 0xA00000;  // 10,485,760 UTF-16 units

LocalTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// ---- The session --------------------------------------------------------------------------

struct RegexSession {
  std::u16string pattern, replacement;
  bool matchCase = false, wholeWord = false, preserveCase = false, includeLineNumbers = true, colorResults = true;
  uint64_t batchSize = 3000, maxMatches = 10000;
  uint32_t outputFormat = 1;
  std::u16string textWide;  // the snapshot all positions index
  uint64_t position = 0, savedPosition = 0, foundCount = 0;
  bool open = false;
  RegexResults results;
  RegexByteRanges ranges;     // the byte range of each result, for the highlight
  BytePositionTracker bytes;  // UTF-16 index to UTF-8 offset and line, along the scan
  std::u16string logPath;
  FILE* log = nullptr;
};
RegexSession g_session;
std::mutex g_sessionMutex;
std::atomic<bool> g_searchRunning{false};
std::atomic<bool> g_cancelRequested{false};
std::atomic<int> g_progress{0};  // percent of the snapshot searched, for the progress bar
HANDLE g_worker = nullptr;
bool g_highlightReady = false;
wchar_t g_statusBuffer[256];  // the worker's status text (posted by pointer)

// A batch of results handed to the dialog: where it starts in the session's results and how
// many matches it holds. The dialog reads them while the worker waits for it.
struct RegexBatch {
  RegexResults::Reader matches;
  RegexByteRanges::Reader ranges;
  size_t count = 0;
};

struct RegexSearchParams {
  HWND dialog;
  std::u16string pattern, replacement;
  bool matchCase, wholeWord, preserveCase, colorResults;
  uint64_t batchSize, maxMatches;
  bool includeLineNumbers;
  uint32_t outputFormat;
  bool continueSearch;
  std::string snapshot;  // the document as UTF-8, taken on the user-interface thread
};

void LogWrite(const std::string& text) {
  if (!g_session.log) return;
  fwrite(text.data(), 1, text.size(), g_session.log);
  fflush(g_session.log);
}
void CloseLog() {
  if (g_session.log) fclose(g_session.log);
  g_session.log = nullptr;
}
FILE* OpenFile(const std::u16string& path, const wchar_t* mode) { return _wfopen(W(path), mode); }

void ClearRegexHighlight() {
  ClearIndicator(11);
  g_highlightReady = false;
}

void SetupRegexIndicator(COLORREF colour, int alpha) {
  Sci(SCI_INDICSETSTYLE, 11, INDIC_ROUNDBOX);
  Sci(SCI_INDICSETFORE, 11, static_cast<sptr_t>(colour));
  Sci(SCI_INDICSETALPHA, 11, alpha);
  Sci(SCI_INDICSETUNDER, 11, 1);
}

// Marks `count` matches of the session snapshot with indicator 11, by their byte ranges
// (user-interface thread).
void HighlightRegexMatches(RegexByteRanges::Reader ranges, size_t count) {
  if (!g_session.colorResults || count == 0 || g_session.textWide.empty()) return;
  if (!g_highlightReady) {
    SetupRegexIndicator(0x00DCFF, 70);
    g_highlightReady = true;
  }
  Sci(SCI_SETINDICATORCURRENT, 11);
  int64_t start = 0, end = 0;
  for (size_t i = 0; i < count && ranges.Next(&start, &end); ++i)
    if (start < end) Sci(SCI_INDICATORFILLRANGE, start, end - start);
}

// Waits for the worker while still answering the messages it sends, so it can finish.
void StopWorker() {
  if (!g_worker) return;
  g_cancelRequested = true;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 2000) {
    DWORD r = MsgWaitForMultipleObjects(1, &g_worker, FALSE, 2000 - (GetTickCount() - start), QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers the sent messages
  }
  CloseHandle(g_worker);
  g_worker = nullptr;
  g_searchRunning = false;
  g_cancelRequested = false;
}

void PostStatus(HWND dialog, const std::u16string& text) {
  size_t n = std::min<size_t>(text.size(), 255);
  std::copy_n(W(text), n, g_statusBuffer);
  g_statusBuffer[n] = 0;
  PostMessageW(dialog, WMU_REGEX_STATUS, 1, reinterpret_cast<LPARAM>(g_statusBuffer));
}

void PostDone(RegexSearchParams* params, WPARAM outcome) {
  // The dialog frees the block; when it is gone, the block is freed here instead.
  if (!PostMessageW(params->dialog, WMU_REGEX_DONE, outcome, reinterpret_cast<LPARAM>(params))) delete params;
}

DWORD WINAPI RegexSearchWorker(LPVOID argument) {
  auto* params = static_cast<RegexSearchParams*>(argument);
  std::u16string wide = Utf8ToUtf16(params->snapshot);
  std::string().swap(params->snapshot);
  if (wide.size() > kLargeText) PostStatus(params->dialog, u"Large file detected, searching...");
  CompiledPattern pattern = BuildSearchRegex(params->pattern, params->matchCase, params->wholeWord);
  if (!pattern.valid()) {
    PostDone(params, 2);
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    if (params->continueSearch) {
      if (!g_session.open) {
        PostDone(params, 1);
        return 0;
      }
      g_session.position = g_session.savedPosition;
      if (!g_session.log && !g_session.logPath.empty()) g_session.log = OpenFile(g_session.logPath, L"ab");
      g_session.textWide = std::move(wide);
      g_session.bytes = BytePositionTracker();
    } else {
      CloseLog();
      g_session = RegexSession();
      g_session.pattern = params->pattern;
      g_session.replacement = params->replacement;
      g_session.matchCase = params->matchCase;
      g_session.wholeWord = params->wholeWord;
      g_session.preserveCase = params->preserveCase;
      g_session.colorResults = params->colorResults;
      g_session.includeLineNumbers = params->includeLineNumbers;
      g_session.batchSize = params->batchSize;
      g_session.maxMatches = params->maxMatches;
      g_session.outputFormat = params->outputFormat;
      g_session.textWide = std::move(wide);
      g_session.open = true;
      g_session.logPath = MakeRegexLogPath();
      if (!g_session.logPath.empty()) g_session.log = OpenFile(g_session.logPath, L"wb");
      LogWrite(RegexRunHeader(params->pattern, params->matchCase, params->wholeWord, Now()));
    }
  }
  uint64_t found = params->continueSearch ? g_session.foundCount : 0;
  uint64_t done = 0;
  bool finished = false, cancelled = false, tooComplex = false;
  for (;;) {
    if (g_cancelRequested) {
      cancelled = true;
      break;
    }
    uint64_t batchSize, maxMatches;
    {
      std::lock_guard<std::mutex> lock(g_sessionMutex);  // Apply may change them
      batchSize = g_session.batchSize;
      maxMatches = g_session.maxMatches;
    }
    if ((maxMatches > 0 && found >= maxMatches) || done >= batchSize) break;
    uint64_t limit = batchSize - done;
    if (maxMatches > 0) limit = std::min(limit, maxMatches - found);
    // The batch goes straight into the session's results and, from there, into the log and
    // the dialog's list.
    const uint64_t batchNumber = found / std::max<uint64_t>(batchSize, 1) + 1;
    auto batch = std::make_unique<RegexBatch>();
    BatchEnd why;
    uint64_t position, length;
    {
      std::lock_guard<std::mutex> lock(g_sessionMutex);
      batch->matches = g_session.results.ReadNew();
      batch->ranges = g_session.ranges.ReadNew();
      // Line numbers, storage, byte ranges and log lines are worked out on a thread of their
      // own while the search goes on.
      FILE* log = g_session.log;
      std::function<void(std::string_view)> writeLog;
      if (log) writeLog = [log](std::string_view piece) { fwrite(piece.data(), 1, piece.size(), log); };
      RegexBatchPipe pipe(g_session.textWide, {g_session.results, g_session.ranges, g_session.bytes},
                          batchNumber, g_session.outputFormat, std::move(writeLog));
      batch->count = FindBatchMatches(g_session.textWide, pattern, g_session.position, limit, &g_cancelRequested, &why,
                                      [&pipe](std::vector<RegexMatch>& block) { pipe.Add(block); });
      pipe.Finish();
      if (log) fflush(log);
      if (batch->count > 0) g_session.savedPosition = g_session.position;
      position = g_session.position;
      length = g_session.textWide.size();
    }
    if (why == BatchEnd::TooComplex) tooComplex = true;
    if (batch->count == 0) {
      finished = !g_cancelRequested && !tooComplex;
      cancelled = g_cancelRequested;
      break;
    }
    const size_t count = batch->count;
    // The dialog lists the batch (and frees its description); the worker waits until it has.
    auto* sent = batch.release();
    if (!SendMessageW(params->dialog, WMU_REGEX_RESULTS, 0, reinterpret_cast<LPARAM>(sent))) delete sent;
    {
      std::lock_guard<std::mutex> lock(g_sessionMutex);
      found += count;
      g_session.foundCount = found;
    }
    if (length > 0) {
      int percent = static_cast<int>(static_cast<double>(position) / static_cast<double>(length) * 100.0);
      g_progress = percent;
      PostStatus(params->dialog, u"Found " + DecimalText(found) + u" matches (" + DecimalText(percent) + u"%)...");
    }
    if (g_cancelRequested) {
      cancelled = true;
      break;
    }
    if (tooComplex) break;
    done += count;
  }
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    if (g_session.log) {
      if (finished || (g_session.maxMatches > 0 && found >= g_session.maxMatches)) {
        LogWrite(RegexClosingLines(Now(), found));
        g_session.open = false;
      }
      CloseLog();
    }
    if (finished) g_session.open = false;
    if (tooComplex) g_session.open = false;
  }
  PostDone(params, tooComplex ? 3 : cancelled ? 1 : finished ? 0 : 1);
  return 0;
}

// ---- The dialog ---------------------------------------------------------------------------

HWND g_dialog = nullptr;

std::u16string Text(HWND dialog, int id, int limit = 512) {
  std::vector<wchar_t> buf(static_cast<size_t>(limit), 0);
  GetDlgItemTextW(dialog, id, buf.data(), limit);
  return U16(buf.data());
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
uint64_t Number(HWND dialog, int id) {
  uint64_t v = 0;
  for (char16_t c : Text(dialog, id, 32))
    if (c >= u'0' && c <= u'9') v = v * 10 + static_cast<uint64_t>(c - u'0');
  return v;
}
void Status(HWND dialog, const std::u16string& text) { SetDlgItemTextW(dialog, IDC_RX_STATUS, W(text)); }
// A matched text quoted in the one-line status, cut when it is long.
std::u16string Quoted(const std::u16string& text) {
  return text.size() > 200 ? text.substr(0, 200) + u"\u2026" : text;
}
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }

void StoreOptions(HWND dialog) {
  g_settings.regexMatchCase = Checked(dialog, IDC_RX_MATCH_CASE);
  g_settings.regexWholeWord = Checked(dialog, IDC_RX_WHOLE_WORD);
  g_settings.regexPreserveCase = Checked(dialog, IDC_RX_PRESERVE_CASE);
  g_settings.regexIncludeLineNumbers = Checked(dialog, IDC_RX_LINE_NUMBERS);
  g_settings.regexColorResults = Checked(dialog, IDC_RX_COLOR_RESULTS);
  g_settings.regexBatchSize = static_cast<uint32_t>(Number(dialog, IDC_RX_BATCH_SIZE));
  g_settings.regexMaxMatches = static_cast<uint32_t>(Number(dialog, IDC_RX_MAX_MATCHES));
  LRESULT format = SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_GETCURSEL, 0, 0);
  g_settings.regexOutputFormat = format < 0 ? 0 : static_cast<uint32_t>(format);
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

void LogEntry(const std::u16string& pattern, const std::string& entry) {
  std::lock_guard<std::mutex> lock(g_sessionMutex);
  if (g_session.logPath.empty()) g_session.logPath = MakeRegexLogPath();
  if (!g_session.log && !g_session.logPath.empty()) {
    g_session.log = OpenFile(g_session.logPath, L"ab");
    if (g_session.log && !pattern.empty()) LogWrite(RegexEntryHeader(pattern));
  }
  LogWrite(entry);
}

void ShowFound(HWND dialog, const LiveText& text, const RegexMatch& m, bool previous, const std::u16string& pattern) {
  const std::u16string matched(MatchedText(text.wide, m));
  auto [start, end] = text.Bytes(static_cast<size_t>(m.start), static_cast<size_t>(m.end));
  Sci(SCI_SETSEL, static_cast<uptr_t>(start), static_cast<sptr_t>(end));
  Sci(SCI_SCROLLCARET);
  if (Checked(dialog, IDC_RX_COLOR_RESULTS)) {
    ClearRegexHighlight();
    SetupRegexIndicator(0x00DCFF, 70);
    g_highlightReady = true;
    Sci(SCI_SETINDICATORCURRENT, 11);
    Sci(SCI_INDICATORFILLRANGE, static_cast<uptr_t>(start), static_cast<sptr_t>(end - start));
  }
  LogEntry(pattern, RegexFindEntry(previous, Now(), Sci(SCI_LINEFROMPOSITION, static_cast<uptr_t>(start)) + 1,
                                   static_cast<int64_t>(start), matched));
  Status(dialog, u"Found: \"" + Quoted(matched) + u"\" at position " + DecimalText(static_cast<uint64_t>(m.start)));
}

void FindNext(HWND dialog) {
  std::u16string pattern = Text(dialog, IDC_RX_PATTERN);
  if (pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  LiveText text;
  size_t caret = text.IndexOfByte(static_cast<size_t>(Sci(SCI_GETCURRENTPOS)));
  CompiledPattern compiled = BuildSearchRegex(pattern, Checked(dialog, IDC_RX_MATCH_CASE), Checked(dialog, IDC_RX_WHOLE_WORD));
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
  if (outcome == RegexOutcome::TooComplex) return Status(dialog, u"Pattern too complex.");
  if (!found) return Status(dialog, u"No match found.");
  ShowFound(dialog, text, m, false, pattern);
}

void FindPrev(HWND dialog) {
  std::u16string pattern = Text(dialog, IDC_RX_PATTERN);
  if (pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  LiveText text;
  size_t anchor = text.IndexOfByte(static_cast<size_t>(Sci(SCI_GETANCHOR)));
  bool matchCase = Checked(dialog, IDC_RX_MATCH_CASE), wholeWord = Checked(dialog, IDC_RX_WHOLE_WORD);
  bool complex = false;
  auto before =
      FindAllRegexMatches(std::u16string_view(text.wide).substr(0, anchor), pattern, matchCase, wholeWord, &complex);
  if (before.empty() && !complex) before = FindAllRegexMatches(text.wide, pattern, matchCase, wholeWord, &complex);
  if (complex) return Status(dialog, u"Pattern too complex.");
  if (before.empty()) return Status(dialog, u"No match found.");
  ShowFound(dialog, text, before.back(), true, pattern);
}

void ReplaceOne(HWND dialog) {
  std::u16string pattern = Text(dialog, IDC_RX_PATTERN), replacement = Text(dialog, IDC_RX_REPLACE);
  if (pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  sptr_t selStart = Sci(SCI_GETSELECTIONSTART), selEnd = Sci(SCI_GETSELECTIONEND);
  if (selStart == selEnd) return Status(dialog, u"No selection. Use Find/Next first.");
  bool matchCase = Checked(dialog, IDC_RX_MATCH_CASE), wholeWord = Checked(dialog, IDC_RX_WHOLE_WORD),
       preserve = Checked(dialog, IDC_RX_PRESERVE_CASE);
  std::string selectedUtf8(static_cast<size_t>(selEnd - selStart) + 1, '\0');
  Sci(SCI_GETSELTEXT, 0, selectedUtf8.data());
  selectedUtf8.resize(static_cast<size_t>(selEnd - selStart));
  std::u16string selected = Utf8ToUtf16(selectedUtf8);
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
    if (!after.found) return Status(dialog, u"Selection does not match pattern.");
    matched = after.matched;
    size_t replacedLength = after.text.size() - (rest.size() - static_cast<size_t>(after.match.end - after.match.start));
    inserted = after.text.substr(static_cast<size_t>(after.match.start), replacedLength);
    auto [s, e] = text.Bytes(from + static_cast<size_t>(after.match.start), from + static_cast<size_t>(after.match.end));
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
  if (Checked(dialog, IDC_RX_COLOR_RESULTS)) {
    ClearRegexHighlight();
    SetupRegexIndicator(0x64C864, 80);
    Sci(SCI_SETINDICATORCURRENT, 11);
    Sci(SCI_INDICATORFILLRANGE, byteStart, static_cast<sptr_t>(bytes.size()));
  }
  g_doc.modified = true;
  UpdateTitle();
  UpdateStatusBar();
  LogEntry(pattern, RegexReplaceEntry(Now(), matched, inserted));
  Status(dialog, u"Replaced: \"" + Quoted(matched) + u"\" \u2192 \"" + Quoted(inserted) + u"\"");
}

void ReplaceAll(HWND dialog) {
  std::u16string pattern = Text(dialog, IDC_RX_PATTERN), replacement = Text(dialog, IDC_RX_REPLACE);
  if (pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  StopWorker();  // a running Find All ends first: the session is changed below
  LiveText text;
  int count = 0;
  bool complex = false;
  std::u16string replaced = RegexReplaceAll(text.wide, pattern, replacement, Checked(dialog, IDC_RX_MATCH_CASE),
                                            Checked(dialog, IDC_RX_WHOLE_WORD), Checked(dialog, IDC_RX_PRESERVE_CASE),
                                            &count, &complex);
  if (complex) return Status(dialog, u"Pattern too complex.");
  if (count == 0) return Status(dialog, u"No matches found to replace.");
  // One undo step over the whole text, so a wrong Replace All can be undone.
  std::string bytes = Utf16ToUtf8(replaced);
  Sci(SCI_BEGINUNDOACTION);
  Sci(SCI_SETTARGETSTART, 0);
  Sci(SCI_SETTARGETEND, Sci(SCI_GETLENGTH));
  Sci(SCI_REPLACETARGET, bytes.size(), bytes.data());
  Sci(SCI_ENDUNDOACTION);
  Sci(SCI_GOTOPOS, 0);
  g_doc.modified = true;
  UpdateTitle();
  UpdateStatusBar();
  LogEntry(pattern, RegexReplaceAllEntry(Now(), count, pattern, replacement));
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    g_session.results.clear();
    g_session.ranges.clear();
    g_session.foundCount = 0;
  }
  ClearRegexHighlight();
  SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_RESETCONTENT, 0, 0);
  Enable(dialog, IDC_RX_FIND_NEXT, true);
  Enable(dialog, IDC_RX_REPLACE_ALL, true);
  SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");
  Status(dialog, u"Replaced " + DecimalText(static_cast<unsigned>(count)) + u" occurrence(s).");
}

void FindAll(HWND dialog) {
  std::u16string pattern = Text(dialog, IDC_RX_PATTERN);
  if (pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  const bool more = Text(dialog, IDC_RX_FIND_ALL, 32) == u"Find More";
  if (!more) SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_RESETCONTENT, 0, 0);
  StopWorker();
  Enable(dialog, IDC_RX_FIND_NEXT, false);
  Enable(dialog, IDC_RX_CANCEL, true);
  Status(dialog, u"Searching...");
  auto* params = new RegexSearchParams{dialog,
                                       pattern,
                                       Text(dialog, IDC_RX_REPLACE),
                                       Checked(dialog, IDC_RX_MATCH_CASE),
                                       Checked(dialog, IDC_RX_WHOLE_WORD),
                                       Checked(dialog, IDC_RX_PRESERVE_CASE),
                                       Checked(dialog, IDC_RX_COLOR_RESULTS),
                                       Number(dialog, IDC_RX_BATCH_SIZE),
                                       Number(dialog, IDC_RX_MAX_MATCHES),
                                       Checked(dialog, IDC_RX_LINE_NUMBERS),
                                       static_cast<uint32_t>(std::max<LRESULT>(
                                           0, SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_GETCURSEL, 0, 0))),
                                       more,
                                       GetDocumentText()};
  if (!more && params->colorResults) ClearRegexHighlight();
  g_cancelRequested = false;
  g_searchRunning = true;
  g_worker = CreateThread(nullptr, 0, RegexSearchWorker, params, 0, nullptr);
  if (!g_worker) {
    delete params;
    g_searchRunning = false;
    Status(dialog, u"Failed to start search thread.");
    Enable(dialog, IDC_RX_FIND_NEXT, true);
    Enable(dialog, IDC_RX_REPLACE_ONE, true);
    Enable(dialog, IDC_RX_REPLACE_ALL, true);
    Enable(dialog, IDC_RX_CANCEL, false);
    return;
  }
  SetThreadPriority(g_worker, THREAD_PRIORITY_BELOW_NORMAL);
}

void Apply(HWND dialog) {
  StoreOptions(dialog);
  SaveSettings(g_settings);
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    g_session.batchSize = g_settings.regexBatchSize;
    g_session.maxMatches = g_settings.regexMaxMatches;
    g_session.matchCase = g_settings.regexMatchCase;
    g_session.wholeWord = g_settings.regexWholeWord;
    g_session.preserveCase = g_settings.regexPreserveCase;
    g_session.includeLineNumbers = g_settings.regexIncludeLineNumbers;
    g_session.colorResults = g_settings.regexColorResults;
    g_session.outputFormat = g_settings.regexOutputFormat;
  }
  if (g_session.colorResults && !g_searchRunning) {
    HighlightRegexMatches(g_session.ranges.ReadAll(), g_session.ranges.size());
  } else if (!g_session.colorResults) {
    ClearRegexHighlight();
  }
  Status(dialog, u"Settings saved.");
}

void OpenResults(HWND dialog) {
  std::u16string path;
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    path = g_session.logPath;
  }
  if (path.empty() || GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES)
    return Status(dialog, u"No results file to open.");
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::u16string command = u"\"" + U16(exe) + u"\" \"" + path + u"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, W(command.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Status(dialog, u"Results file opened.");
    return;
  }
  ShellExecuteW(dialog, L"open", W(path), nullptr, nullptr, SW_SHOW);
}

// A listed line longer than this is cut with an ellipsis (the log keeps it whole): list boxes
// measure every item, and a minified file's one line would stall them.
constexpr size_t kListedCharacters = 1000;

// Lists a batch (the worker waits meanwhile, so the session is read without the lock).
void ListResults(HWND dialog, std::unique_ptr<RegexBatch> batch) {
  if (g_session.colorResults) HighlightRegexMatches(batch->ranges, batch->count);
  HWND list = GetDlgItem(dialog, IDC_RX_RESULTS);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  RegexListLines lines(g_session.textWide, g_session.outputFormat, g_session.includeLineNumbers, kListedCharacters);
  // Room for the new items and their texts at once, rather than growing item by item.
  SendMessageW(list, LB_INITSTORAGE, batch->count, static_cast<LPARAM>(batch->count * 64));
  RegexMatch m;
  for (size_t i = 0; i < batch->count && batch->matches.Next(&m); ++i)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(lines.Line(m))));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void OnDone(HWND dialog, WPARAM outcome, RegexSearchParams* params) {
  delete params;
  for (int id : {IDC_RX_FIND_NEXT, IDC_RX_REPLACE_ONE, IDC_RX_REPLACE_ALL, IDC_RX_OPEN_RESULTS}) Enable(dialog, id, true);
  Enable(dialog, IDC_RX_CANCEL, false);
  uint64_t count;
  bool open;
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    count = g_session.foundCount;
    open = g_session.open;
  }
  SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, open && count > 0 ? L"Find More" : L"Find All");
  switch (outcome) {
    case 2: Status(dialog, u"Invalid regex pattern."); break;
    case 3: Status(dialog, u"Pattern too complex."); break;
    case 0: Status(dialog, u"Search complete. Found " + DecimalText(count) + u" matches."); break;
    default: Status(dialog, u"Found " + DecimalText(count) + u" matches."); break;
  }
  if (g_worker) {
    WaitForSingleObject(g_worker, 2000);
    CloseHandle(g_worker);
    g_worker = nullptr;
  }
  g_searchRunning = false;
}

void FillHistory(HWND combo, const FixedString<512> (&history)[kHistoryCount]) {
  for (const auto& slot : history) {
    std::u16string entry = slot.Get();
    if (!entry.empty()) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(entry)));
  }
}

void PushInto(FixedString<512> (&slots)[kHistoryCount], const std::u16string& text) {
  if (text.empty()) return;
  History h;
  for (size_t i = 0; i < h.size(); ++i) h[i] = slots[i].Get();
  PushHistory(h, text, 511);
  for (size_t i = 0; i < h.size(); ++i) slots[i].Set(h[i]);
}

LRESULT CALLBACK NoContextMenu(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_CONTEXTMENU || msg == WM_RBUTTONUP) return 0;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NoContextMenu, id);
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void ApplyStyles(HWND dialog) {
  bool dark = GetColorPalette().isDark;
  SetTitleBarDarkAttribute(dialog, dark);
  for (HWND w : {dialog, GetDlgItem(dialog, IDC_RX_PATTERN), GetDlgItem(dialog, IDC_RX_REPLACE),
                 GetDlgItem(dialog, IDC_RX_FORMAT)})
    SetExplorerStyle(w, dark);
}

void Initialise(HWND dialog) {
  g_dialog = dialog;
  ApplyStyles(dialog);
  ThemeDialog(dialog);
  FillHistory(GetDlgItem(dialog, IDC_RX_PATTERN), g_settings.regexPatternHistory);
  FillHistory(GetDlgItem(dialog, IDC_RX_REPLACE), g_settings.regexReplaceHistory);
  AttachEditContextMenu(GetDlgItem(dialog, IDC_RX_PATTERN), dialog);
  AttachEditContextMenu(GetDlgItem(dialog, IDC_RX_REPLACE), dialog);
  CheckDlgButton(dialog, IDC_RX_MATCH_CASE, g_settings.regexMatchCase ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RX_WHOLE_WORD, g_settings.regexWholeWord ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RX_PRESERVE_CASE, g_settings.regexPreserveCase ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RX_LINE_NUMBERS, g_settings.regexIncludeLineNumbers ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RX_COLOR_RESULTS, g_settings.regexColorResults ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog, IDC_RX_BATCH_SIZE, W(DecimalText(g_settings.regexBatchSize)));
  SetDlgItemTextW(dialog, IDC_RX_MAX_MATCHES, W(DecimalText(g_settings.regexMaxMatches)));
  for (const wchar_t* item : {L"Only matches", L"With line numbers", L"Full lines"})
    SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_SETCURSEL, g_settings.regexOutputFormat < 3 ? g_settings.regexOutputFormat : 0, 0);
  SendDlgItemMessageW(dialog, IDC_RX_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  Status(dialog, u"Ready");
  Enable(dialog, IDC_RX_OPEN_RESULTS, false);
  Enable(dialog, IDC_RX_CANCEL, false);
  CentreOverOwner(dialog);
  SetWindowSubclass(GetDlgItem(dialog, IDC_RX_BATCH_SIZE), NoContextMenu, 1, 0);
  SetWindowSubclass(GetDlgItem(dialog, IDC_RX_MAX_MATCHES), NoContextMenu, 1, 0);
}

void Close(HWND dialog) {
  StopWorker();
  PushInto(g_settings.regexPatternHistory, Text(dialog, IDC_RX_PATTERN));
  PushInto(g_settings.regexReplaceHistory, Text(dialog, IDC_RX_REPLACE));
  StoreOptions(dialog);
  ClearRegexHighlight();
  SaveSettings(g_settings);
  {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    CloseLog();
  }
  DestroyWindow(dialog);
}

INT_PTR CALLBACK RegexDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RX_FIND_NEXT: FindNext(dialog); return TRUE;
        case IDC_RX_FIND_PREV: FindPrev(dialog); return TRUE;
        case IDC_RX_REPLACE_ONE: ReplaceOne(dialog); return TRUE;
        case IDC_RX_REPLACE_ALL: ReplaceAll(dialog); return TRUE;
        case IDC_RX_FIND_ALL: FindAll(dialog); return TRUE;
        case IDC_RX_CANCEL:
          if (g_searchRunning) {
            g_cancelRequested = true;
            Status(dialog, u"Cancelling...");
            Enable(dialog, IDC_RX_CANCEL, false);
          }
          return TRUE;
        case IDC_RX_OPEN_RESULTS: OpenResults(dialog); return TRUE;
        case IDC_RX_APPLY: Apply(dialog); return TRUE;
        case IDC_RX_CLOSE:
        case IDCANCEL: Close(dialog); return TRUE;
        case IDC_RX_PATTERN:
          if (HIWORD(wParam) == CBN_EDITCHANGE) SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      Close(dialog);
      return TRUE;
    case WMU_REGEX_STATUS:
      if (wParam == 1) {
        SetDlgItemTextW(dialog, IDC_RX_STATUS, reinterpret_cast<const wchar_t*>(lParam));
        SendDlgItemMessageW(dialog, IDC_RX_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(g_progress.load()), 0);
      }
      return TRUE;
    case WMU_REGEX_RESULTS:
      ListResults(dialog, std::unique_ptr<RegexBatch>(reinterpret_cast<RegexBatch*>(lParam)));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
      return TRUE;
    case WMU_REGEX_DONE:
      OnDone(dialog, wParam, reinterpret_cast<RegexSearchParams*>(lParam));
      return TRUE;
    case WMU_APPLY_THEME:
      ApplyStyles(dialog);
      ThemeDialog(dialog);
      InvalidateRect(dialog, nullptr, TRUE);
      return TRUE;
    case WM_DESTROY:
      g_dialog = nullptr;
      g_shell.regexDialog = nullptr;
      return FALSE;
  }
  INT_PTR result = 0;
  if (HandleSearchDialogMessage(dialog, msg, wParam, lParam, &result)) return result;
  return FALSE;
}

}  // namespace

bool RegexSearchRunning() { return g_searchRunning; }

void ShowRegexDialog(HWND mainWindow) {
  if (!g_shell.regexPurgeDone) {
    g_shell.regexPurgeDone = true;
    PurgeOldScratchFiles();
  }
  if (g_shell.regexDialog) {
    SetForegroundWindow(g_shell.regexDialog);
    return;
  }
  HWND dialog =
      CreateDialogParamW(g_shell.instance, MAKEINTRESOURCEW(kRegexDialogResource), mainWindow, RegexDialogProc, 0);
  if (!dialog) {
    Trace("ShowRegexDialog: FAILED\n");
    return;
  }
  g_shell.regexDialog = dialog;
  ShowWindow(dialog, SW_SHOW);
}
