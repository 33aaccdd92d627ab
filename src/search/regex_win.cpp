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

#include "common/handles_win.h"
#include "common/messages.h"
#include "common/trace_win.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "search/find_engine.h"
#include "search/regex.h"
#include "search/regex_highlight_win.h"
#include "search/regex_log.h"
#include "search/regex_log_win.h"
#include "search/regex_operations_win.h"
#include "search/regex_win.h"
#include "search/regex_worker_win.h"
#include "search/search_dialog_win.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/menu_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"

namespace {

constexpr int kRegexDialogResource = 800;

RegexSearchJob g_job;
// ---- The dialog ---------------------------------------------------------------------------

HWND g_dialog = nullptr;

std::u16string Text(HWND dialog, int id, int limit = 512) {
  std::vector<wchar_t> buf(static_cast<size_t>(limit), 0);
  GetDlgItemTextW(dialog, id, buf.data(), limit);
  return U16(buf.data());
}
bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
uint64_t Number(HWND dialog, int id) {
  uint64_t v = 0;
  for (char16_t c : Text(dialog, id, 32))
    if (c >= u'0' && c <= u'9') v = v * 10 + static_cast<uint64_t>(c - u'0');
  return v;
}
void Status(HWND dialog, const std::u16string& text) {
  SetDlgItemTextW(dialog, IDC_RX_STATUS, W(text));
}
void Enable(HWND dialog, int id, bool on) {
  EnableWindow(GetDlgItem(dialog, id), on);
}

// While a search runs, Find / Next and Find All wait and Cancel is offered.
void EnableAfterSearch(HWND dialog, bool on) {
  for (int id : {IDC_RX_FIND_NEXT, IDC_RX_FIND_ALL}) Enable(dialog, id, on);
  Enable(dialog, IDC_RX_CANCEL, !on);
}

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

void LogEntry(const std::u16string& pattern, const std::string& entry) {
  g_job.LogEntry(pattern, entry);
}

RegexOptions Options(HWND dialog) {
  RegexOptions options;
  options.pattern = Text(dialog, IDC_RX_PATTERN);
  options.replacement = Text(dialog, IDC_RX_REPLACE);
  options.matchCase = Checked(dialog, IDC_RX_MATCH_CASE);
  options.wholeWord = Checked(dialog, IDC_RX_WHOLE_WORD);
  options.preserveCase = Checked(dialog, IDC_RX_PRESERVE_CASE);
  options.colorResults = Checked(dialog, IDC_RX_COLOR_RESULTS);
  return options;
}

// Find Next, Find Previous and Replace: the status line, and the log line when something was done.
void Single(HWND dialog, RegexOutcomeText (*operation)(const RegexOptions&, bool), bool previous) {
  const RegexOptions options = Options(dialog);
  if (options.pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  const RegexOutcomeText outcome = operation(options, previous);
  if (!outcome.logEntry.empty()) LogEntry(options.pattern, outcome.logEntry);
  Status(dialog, outcome.status);
}

RegexOutcomeText ReplaceSelection(const RegexOptions& options, bool) {
  return RegexReplaceSelection(options);
}

void ReplaceAll(HWND dialog) {
  const RegexOptions options = Options(dialog);
  if (options.pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  g_job.Stop();  // a running Find All ends first: the session is changed below
  const RegexOutcomeText outcome = RegexReplaceAllInEditor(options);
  if (outcome.replaced > 0) {
    LogEntry(options.pattern, outcome.logEntry);
    g_job.WithSession([](RegexSession& session) {
      session.results.clear();
      session.foundCount = 0;
    });
    ClearRegexHighlight();
    SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_RESETCONTENT, 0, 0);
    EnableAfterSearch(dialog, true);
    Enable(dialog, IDC_RX_REPLACE_ALL, true);
    SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");
  }
  Status(dialog, outcome.status);
}

void FindAll(HWND dialog) {
  RegexRunRequest request;
  request.options = Options(dialog);
  if (request.options.pattern.empty()) return Status(dialog, u"Please enter a pattern.");
  const bool more = Text(dialog, IDC_RX_FIND_ALL, 32) == u"Find More";
  g_job.Stop();  // a run still going ends before the list changes
  if (!more) SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_RESETCONTENT, 0, 0);
  request.dialog = dialog;
  request.batchSize = Number(dialog, IDC_RX_BATCH_SIZE);
  request.maxMatches = Number(dialog, IDC_RX_MAX_MATCHES);
  request.includeLineNumbers = Checked(dialog, IDC_RX_LINE_NUMBERS);
  request.outputFormat =
      static_cast<uint32_t>(std::max<LRESULT>(0, SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_GETCURSEL, 0, 0)));
  request.continueSearch = more;
  // An unchanged document is not copied again: the session's snapshot is searched.
  request.documentVersion = DocumentVersion();
  request.sameSnapshot = g_job.HasSnapshotOf(request.documentVersion);
  if (!request.sameSnapshot) request.snapshot = GetDocumentText();
  if (!more && request.options.colorResults) ClearRegexHighlight();
  SendDlgItemMessageW(dialog, IDC_RX_PROGRESS, PBM_SETPOS, 0, 0);
  EnableAfterSearch(dialog, false);
  Status(dialog, u"Searching...");
  if (!g_job.Start(std::move(request))) {
    Status(dialog, u"Failed to start search thread.");
    EnableAfterSearch(dialog, true);
    Enable(dialog, IDC_RX_REPLACE_ONE, true);
    Enable(dialog, IDC_RX_REPLACE_ALL, true);
  }
}

void Apply(HWND dialog) {
  StoreOptions(dialog);
  SaveSettings(g_settings);
  const bool searching = g_job.Running();
  g_job.WithSession([searching](RegexSession& session) {
    session.batchSize = g_settings.regexBatchSize;
    session.maxMatches = g_settings.regexMaxMatches;
    session.matchCase = g_settings.regexMatchCase;
    session.wholeWord = g_settings.regexWholeWord;
    session.preserveCase = g_settings.regexPreserveCase;
    session.includeLineNumbers = g_settings.regexIncludeLineNumbers;
    session.colorResults = g_settings.regexColorResults;
    session.outputFormat = g_settings.regexOutputFormat;
    if (!session.colorResults) {
      ClearRegexHighlight();
    } else if (!searching) {
      HighlightRegexMatches(session.results.data(), session.results.size());
    }
  });
  Status(dialog, u"Settings saved.");
}

void OpenResults(HWND dialog) {
  std::u16string path;
  g_job.WithSession([&path](const RegexSession& session) { path = session.logPath; });
  if (path.empty() || GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES)
    return Status(dialog, u"No results file to open.");
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::u16string command = u"\"" + U16(exe) + u"\" \"" + path + u"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, W(command.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    UniqueHandle thread(pi.hThread), process(pi.hProcess);
    Status(dialog, u"Results file opened.");
    return;
  }
  ShellExecuteW(dialog, L"open", W(path), nullptr, nullptr, SW_SHOW);
}

// A listed line longer than this is cut with an ellipsis (the log keeps it whole): list boxes
// measure every item, and a minified file's one line would stall them.
constexpr size_t kListedCharacters = 1000;

// Lists a batch; the worker waits meanwhile, so its snapshot and matches stay as they are.
void ListResults(HWND dialog, const RegexBatchNote& note) {
  bool colour = true, numbers = true;
  uint32_t format = 1;
  g_job.WithSession([&](const RegexSession& session) {
    colour = session.colorResults;
    numbers = session.includeLineNumbers;
    format = session.outputFormat;
  });
  const std::vector<RegexHit>& hits = *note.hits;
  if (colour) HighlightRegexMatches(hits.data(), hits.size());
  HWND list = GetDlgItem(dialog, IDC_RX_RESULTS);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  RegexListLines lines(*note.text, format, numbers, kListedCharacters);
  // Room for the new items and their texts at once, rather than growing item by item.
  SendMessageW(list, LB_INITSTORAGE, hits.size(), static_cast<LPARAM>(hits.size() * 64));
  for (const RegexHit& hit : hits)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(lines.Line(hit.match))));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void OnDone(HWND dialog, RegexDone outcome) {
  g_job.Finished();
  EnableAfterSearch(dialog, true);
  for (int id : {IDC_RX_REPLACE_ONE, IDC_RX_REPLACE_ALL, IDC_RX_OPEN_RESULTS}) Enable(dialog, id, true);
  uint64_t count = 0;
  bool open = false;
  g_job.WithSession([&](const RegexSession& session) {
    count = session.foundCount;
    open = session.open;
  });
  SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, open && count > 0 ? L"Find More" : L"Find All");
  switch (outcome) {
    case RegexDone::InvalidPattern:
      Status(dialog, u"Invalid regex pattern.");
      break;
    case RegexDone::TooComplex:
      Status(dialog, u"Pattern too complex.");
      break;
    case RegexDone::Finished:
      Status(dialog, u"Search complete. Found " + DecimalText(count) + u" matches.");
      break;
    default:
      Status(dialog, u"Found " + DecimalText(count) + u" matches.");
      break;
  }
}

// Status notes still queued for a dialog that goes: each is freed here, as its receiver.
void DiscardPendingNotes(HWND dialog) {
  MSG msg;
  while (PeekMessageW(&msg, dialog, WMU_REGEX_STATUS, WMU_REGEX_STATUS, PM_REMOVE))
    delete reinterpret_cast<RegexStatusNote*>(msg.lParam);
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
  SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_SETCURSEL,
                      g_settings.regexOutputFormat < 3 ? g_settings.regexOutputFormat : 0, 0);
  SendDlgItemMessageW(dialog, IDC_RX_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  Status(dialog, u"Ready");
  Enable(dialog, IDC_RX_OPEN_RESULTS, false);
  Enable(dialog, IDC_RX_CANCEL, false);
  CentreOverOwner(dialog);
  SuppressContextMenu(GetDlgItem(dialog, IDC_RX_BATCH_SIZE));
  SuppressContextMenu(GetDlgItem(dialog, IDC_RX_MAX_MATCHES));
}

void Close(HWND dialog) {
  g_job.Stop();
  PushInto(g_settings.regexPatternHistory, Text(dialog, IDC_RX_PATTERN));
  PushInto(g_settings.regexReplaceHistory, Text(dialog, IDC_RX_REPLACE));
  StoreOptions(dialog);
  ClearRegexHighlight();
  SaveSettings(g_settings);
  DestroyWindow(dialog);
}

INT_PTR CALLBACK RegexDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RX_FIND_NEXT:
          Single(dialog, RegexFindInEditor, false);
          return TRUE;
        case IDC_RX_FIND_PREV:
          Single(dialog, RegexFindInEditor, true);
          return TRUE;
        case IDC_RX_REPLACE_ONE:
          Single(dialog, ReplaceSelection, false);
          return TRUE;
        case IDC_RX_REPLACE_ALL:
          ReplaceAll(dialog);
          return TRUE;
        case IDC_RX_FIND_ALL:
          FindAll(dialog);
          return TRUE;
        case IDC_RX_CANCEL:
          if (g_job.Running()) {
            g_job.RequestCancel();
            Status(dialog, u"Cancelling...");
            Enable(dialog, IDC_RX_CANCEL, false);
          }
          return TRUE;
        case IDC_RX_OPEN_RESULTS:
          OpenResults(dialog);
          return TRUE;
        case IDC_RX_APPLY:
          Apply(dialog);
          return TRUE;
        case IDC_RX_CLOSE:
        case IDCANCEL:
          Close(dialog);
          return TRUE;
        case IDC_RX_PATTERN:
          if (HIWORD(wParam) == CBN_EDITCHANGE) SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      Close(dialog);
      return TRUE;
    case WMU_REGEX_STATUS: {
      std::unique_ptr<RegexStatusNote> note(reinterpret_cast<RegexStatusNote*>(lParam));
      if (wParam == 1 && note && g_job.IsCurrent(note->run)) {
        SetDlgItemTextW(dialog, IDC_RX_STATUS, W(note->text));
        SendDlgItemMessageW(dialog, IDC_RX_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(note->percent), 0);
      }
      return TRUE;
    }
    case WMU_REGEX_RESULTS: {
      const auto* note = reinterpret_cast<const RegexBatchNote*>(lParam);
      if (note && g_job.IsCurrent(note->run)) ListResults(dialog, *note);
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
      return TRUE;
    }
    case WMU_REGEX_DONE:
      // The done message of an earlier run (stopped for a new one) changes nothing.
      if (g_job.IsCurrent(static_cast<uint64_t>(lParam))) OnDone(dialog, static_cast<RegexDone>(wParam));
      return TRUE;
    case WMU_APPLY_THEME:
      ApplyStyles(dialog);
      ThemeDialog(dialog);
      RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return TRUE;
    case WM_DESTROY:
      // Whatever way the dialog goes, the worker has ended and the log is closed first.
      g_job.Stop();
      g_job.CloseLog();
      DiscardPendingNotes(dialog);
      g_dialog = nullptr;
      g_shell.regexDialog = nullptr;
      return FALSE;
  }
  INT_PTR result = 0;
  if (HandleSearchDialogMessage(dialog, msg, wParam, lParam, &result)) return result;
  return FALSE;
}

}  // namespace

bool RegexSearchRunning() {
  return g_job.Running();
}

void CloseRegexDialog() {
  if (g_shell.regexDialog) SendMessageW(g_shell.regexDialog, WM_COMMAND, IDC_RX_CLOSE, 0);
}

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
