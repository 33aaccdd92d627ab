// Load benchmark: FileLoad of a generated 100 MB file into the real edit control, against a
// baseline measured in the same run (reading the file into memory and copying it once).
// Usage: bench_load gen utf8|utf16le MEGABYTES FILE   writes the test file
//        bench_load load utf8|utf16le FILE             measures (a fresh process, so that the
//                                                      peak memory is the load's own)
#include "common/win.h"  // before the other system headers

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "export/export_win.h"
#include "export/html_export.h"
#include "export/rtf_export.h"
#include "bench.h"
#include "files_win.h"
#include "search/find_win.h"
#include "search/regex.h"
#include "search/regex_batch.h"
#include "search/regex_log.h"
#include "search/regex_testing.h"
#include "search/regex_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/ui_hooks_win.h"

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

namespace {

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakWorkingSetSize;
}
size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.WorkingSetSize;
}

// Source-like text: lines of varying length, some non-ASCII.
std::string MakeText(size_t bytes) {
  static const char* words[] = {"int", "value", "return", "for", "while", "const", "std::string", "\xC5\xA1", "x",
                                "=", "+", "(", ")", "{", "}", "// comment", "\xE2\x82\xAC"};
  std::string text;
  text.reserve(bytes + 200);
  unsigned seed = 12345;
  while (text.size() < bytes) {
    int n = 3 + static_cast<int>((seed = seed * 1103515245u + 12345u) >> 28);
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += words[(seed >> 16) % (sizeof words / sizeof *words)];
      text += ' ';
    }
    text += "\r\n";
  }
  return text;
}


// The baseline: read the whole file in one call and copy it once.
double Baseline(const std::u16string& path, bool verbose = false) {
  double start = Now();
  HANDLE f = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "baseline: cannot open the file (error %lu)\n", GetLastError());
    std::exit(1);
  }
  DWORD size = GetFileSize(f, nullptr);
  std::unique_ptr<char[]> buffer(new char[size]);
  double allocated = Now();
  DWORD done = 0;
  ReadFile(f, buffer.get(), size, &done, nullptr);
  CloseHandle(f);
  double read = Now();
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), buffer.get(), size);
  double elapsed = Now() - start;
  if (verbose)
    std::printf("  baseline phases: open+alloc %.3f s, read %.3f s, alloc+copy %.3f s\n", allocated - start,
                read - allocated, Now() - read);
  volatile char sink = copy[size / 2];
  (void)sink;
  return elapsed;
}

int Quiet(HWND, int, const std::u16string& title, const std::u16string& text) {
  std::fprintf(stderr, "message: %s: %s\n", Utf16ToUtf8(title).c_str(), Utf16ToUtf8(text).c_str());
  return ResultOk;
}

}  // namespace

int Generate(const std::string& kind, size_t megabytes, const std::u16string& path) {
  std::string utf8 = MakeText(megabytes * 1000 * 1000);
  std::string file;
  if (kind == "utf16le") {
    std::u16string wide = Utf8ToUtf16(utf8);
    file = "\xFF\xFE";
    file.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    file.resize(std::min(file.size(), megabytes * 1000 * 1000) & ~size_t{1});
  } else {
    file = utf8;
    file.resize(megabytes * 1000 * 1000);
  }
  return WriteBytes(path, file) ? 0 : 1;
}

int Measure(const std::string& kind, const std::u16string& path) {
  g_shell.instance = GetModuleHandleW(nullptr);
  g_uiHooks.messageBox = Quiet;
  ResetSettings(g_settings);
  CopyLiveFromSettings();
  if (!LoadEditorLibraries() || !RegisterWindowClasses()) return 1;
  HWND window = CreateWindowExW(0, L"NorvoMainWindow", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 650, nullptr, nullptr,
                                g_shell.instance, nullptr);
  if (!window) return 1;

  size_t before = WorkingSet();
  double first = Now();
  bool ok = FileLoad(window, path);
  double firstLoad = Now() - first;
  size_t peak = PeakWorkingSet();
  double best = firstLoad;
  for (int i = 0; ok && i < 2; ++i) {
    double start = Now();
    ok = FileLoad(window, path);
    best = std::min(best, Now() - start);
  }
  size_t fileSize = g_doc.fileHandle ? GetFileSize(g_doc.fileHandle.get(), nullptr) : 0;
  g_doc.fileHandle.reset();  // the baseline reads the file too
  Baseline(path, true);
  double baseline = 1e9;
  for (int i = 0; i < 3; ++i) baseline = std::min(baseline, Baseline(path));
  DestroyWindow(window);
  if (!ok || fileSize == 0) return 1;
  std::printf("%-8s file %.1f MB | baseline (read + copy) %.3f s | FileLoad %.3f s (first %.3f s) | ratio %.2fx | "
              "peak memory %.2fx file size\n",
              kind.c_str(), fileSize / 1e6, baseline, best, firstLoad, best / baseline,
              static_cast<double>(peak - before) / static_cast<double>(fileSize));
  return 0;
}

bool StartEditor(HWND* window) {
  g_shell.instance = GetModuleHandleW(nullptr);
  g_uiHooks.messageBox = Quiet;
  ResetSettings(g_settings);
  CopyLiveFromSettings();
  if (!LoadEditorLibraries() || !RegisterWindowClasses()) return false;
  *window = CreateWindowExW(0, L"NorvoMainWindow", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 650, nullptr, nullptr,
                            g_shell.instance, nullptr);
  return *window != nullptr;
}

// Save of the loaded document (a temporary file, flushed, put in place of the old one),
// against a raw write of the same bytes to a new file, and the same write flushed to disk.
int MeasureSave(const std::u16string& path) {
  HWND window = nullptr;
  if (!StartEditor(&window) || !OpenDocumentPath(window, path)) return 1;
  std::string bytes = GetDocumentText();
  std::u16string rawPath = path + u".raw";
  auto rawWrite = [&](bool flush) {
    double start = Now();
    HANDLE f = CreateFileW(W(rawPath), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    if (flush) FlushFileBuffers(f);
    CloseHandle(f);
    return Now() - start;
  };
  double raw = 1e9, flushed = 1e9, save = 1e9;
  for (int i = 0; i < 3; ++i) {
    raw = std::min(raw, rawWrite(false));
    flushed = std::min(flushed, rawWrite(true));
    g_doc.modified = true;
    double start = Now();
    if (!SaveDocument(window)) return 1;
    save = std::min(save, Now() - start);
  }
  DeleteFileW(W(rawPath));
  LARGE_INTEGER written{};
  GetFileSizeEx(g_doc.fileHandle.get(), &written);
  if (static_cast<size_t>(written.QuadPart) != bytes.size()) {
    std::fprintf(stderr, "save: the file has %lld bytes, the document %zu\n", written.QuadPart, bytes.size());
    return 1;
  }
  std::printf("save     file %.1f MB | raw write %.3f s | flushed %.3f s | SaveDocument %.3f s | ratio %.2fx (%.2fx "
              "flushed)\n",
              bytes.size() / 1e6, raw, flushed, save, save / raw, save / flushed);
  g_doc.fileHandle.reset();
  DestroyWindow(window);
  return 0;
}

// Status-bar refresh per caret move on a document of a million lines.
int MeasureStatusBar() {
  HWND window = nullptr;
  if (!StartEditor(&window)) return 1;
  std::string text;
  for (int i = 0; i < 1000000; ++i) text += "\tline of text number " + std::to_string(i) + "\r\n";
  if (!SetDocumentText(text)) return 1;
  const int moves = 20000;
  std::vector<sptr_t> positions(moves);
  unsigned seed = 7;
  for (auto& p : positions) p = static_cast<sptr_t>((seed = seed * 1103515245u + 12345u) % text.size());
  double start = Now();
  for (sptr_t p : positions) Sci(SCI_SETEMPTYSELECTION, p);
  double movesOnly = Now() - start;
  start = Now();
  for (sptr_t p : positions) {
    Sci(SCI_SETEMPTYSELECTION, p);
    UpdateStatusBar();
  }
  double withStatus = Now() - start;
  std::printf("status   %d lines | caret move alone %.4f ms | move + UpdateStatusBar %.4f ms per move (ratio %.2fx)\n",
              static_cast<int>(Sci(SCI_GETLINECOUNT)) - 1, movesOnly / moves * 1000, withStatus / moves * 1000,
              withStatus / movesOnly);
  DestroyWindow(window);
  return 0;
}

// Replace All and Highlight All of a 4-letter word with 1,000,000 occurrences in 50 MB,
// against a plain substring scan of the same bytes.
int MeasureFind() {
  HWND window = nullptr;
  if (!StartEditor(&window)) return 1;
  std::string text;
  text.reserve(50'000'000);
  for (int i = 0; i < 1'000'000; ++i) text += (i % 2 ? "alpha beta gamma word delta epsilon zeta etaa\r\n" : "theta iota kappa lambda mu nu word xi omicron\r\n");
  if (!SetDocumentText(text)) return 1;
  double start = Now();
  size_t found = 0;
  for (size_t pos = 0; (pos = std::string_view(text).find("word", pos)) != std::string_view::npos; pos += 4) ++found;
  double scan = Now() - start;

  ShowWindow(window, SW_SHOWNOACTIVATE);  // painted, as a user would see it
  UpdateWindow(window);
  ShowFindDialog(window);
  HWND dialog = g_shell.findDialog;
  if (!dialog) return 1;
  SetDlgItemTextW(dialog, IDC_FIND_WHAT, L"word");
  SetDlgItemTextW(dialog, IDC_REPLACE_WITH, L"WORD");
  CheckDlgButton(dialog, IDC_MATCH_CASE, BST_CHECKED);
  start = Now();
  ReplaceAllMatches(dialog);
  double replaceAll = Now() - start;
  wchar_t status[128] = {};
  GetDlgItemTextW(dialog, IDC_FIND_STATUS, status, 128);
  // Responsiveness afterwards: a full repaint of what is shown.
  start = Now();
  InvalidateRect(g_shell.editor, nullptr, TRUE);
  UpdateWindow(g_shell.editor);
  double afterwards = Now() - start;
  Sci(SCI_UNDO);
  bool oneStep = Sci(SCI_CANUNDO) == 0 && GetDocumentText() == text;
  // The same without marking the replacements, to show what the marks cost.
  CheckDlgButton(dialog, IDC_COLOR_RESULTS, BST_UNCHECKED);
  start = Now();
  ReplaceAllMatches(dialog);
  double unmarked = Now() - start;
  Sci(SCI_UNDO);
  CheckDlgButton(dialog, IDC_COLOR_RESULTS, BST_CHECKED);

  SetDlgItemTextW(dialog, IDC_FIND_WHAT, L"word");
  start = Now();
  HighlightAllMatches(dialog);
  double highlight = Now() - start;
  wchar_t highlightStatus[128] = {};
  GetDlgItemTextW(dialog, IDC_FIND_STATUS, highlightStatus, 128);

  std::printf("find     %.1f MB, %zu occurrences | substring scan %.3f s | Replace All %.3f s (%.1fx, \"%s\", one undo "
              "step: %s, repaint afterwards %.3f s; without marks %.3f s) | Highlight All %.3f s (%.1fx, \"%s\")\n",
              text.size() / 1e6, found, scan, replaceAll, replaceAll / scan, Utf16ToUtf8(U(status)).c_str(),
              oneStep ? "yes" : "NO", afterwards, unmarked, highlight, highlight / scan, Utf16ToUtf8(U(highlightStatus)).c_str());
  DestroyWindow(window);
  return 0;
}

// Regular-expression search on what a user waits for, against PCRE2-JIT alone over the same
// 100 MB of UTF-16 in the same run, for three patterns:
// (a) with the default settings (batches of 3000), from Find All to the first batch listed in
//     the dialog, against the engine finding those 3000 matches;
// (b) a whole session to Max matches 10,000 (Find All, then Find More until it closes), against
//     the engine finding those 10,000 matches;
// (c) the extreme case, one batch larger than the match count, as the worker collects it (lines,
//     byte ranges, records and the log written to a file), against the engine over the whole text.
std::u16string RegexBenchText() {
  static const char16_t* const words[] = {u"running", u"jump", u"stumped", u"the", u"of", u"sing", u"lamp",
                                          u"jumper", u"quickly", u"x", u"value", u"thinking", u"\u0161uma"};
  std::u16string text;
  text.reserve(50'000'000);
  unsigned seed = 99;
  while (text.size() < 50'000'000) {
    seed = seed * 1103515245u + 12345u;
    text += words[(seed >> 16) % (sizeof words / sizeof *words)];
    text += (seed >> 8) % 11 == 0 ? u"\n" : u" ";
  }
  return text;
}

// The engine alone finding the first `count` matches: over the text up to the end of the last.
double EngineFor(const CompiledPattern& pattern, std::u16string_view text, size_t count) {
  RegexScan scan(text);
  std::vector<RegexHit> hits;
  BatchEnd why;
  CollectBatch(text, pattern, scan, count, nullptr, &why, hits);
  const std::u16string_view prefix = text.substr(0, hits.empty() ? 0 : static_cast<size_t>(hits.back().match.end));
  double best = 1e9;
  for (int round = 0; round < 3; ++round) {
    const double start = Now();
    if (CountMatchesWithTheEngineAlone(pattern, prefix) < hits.size()) return -1;
    best = std::min(best, Now() - start);
  }
  return best;
}

// (c): best of three each, taken in turns.
void MeasureOneBatch(const std::u16string& text, const CompiledPattern& pattern, const char16_t* source) {
  std::wstring logPath(_wgetenv(L"TEMP") ? _wgetenv(L"TEMP") : L".");
  logPath += L"\\norvo_bench_regex.txt";
  double engine = 1e9, collected = 1e9;
  size_t bare = 0, found = 0;
  for (int round = 0; round < 3; ++round) {
    double start = Now();
    bare = CountMatchesWithTheEngineAlone(pattern, text);
    engine = std::min(engine, Now() - start);
    start = Now();
    FILE* log = _wfopen(logPath.c_str(), L"wb");
    {
      RegexLogLines lines([log](std::string_view piece) { fwrite(piece.data(), 1, piece.size(), log); });
      RegexScan scan(text);
      std::vector<RegexHit> hits;
      BatchEnd why;
      found = CollectBatch(text, pattern, scan, ~0ull, nullptr, &why, hits, {&lines, 1, 1});
    }
    fclose(log);
    collected = std::min(collected, Now() - start);
    DeleteFileW(logPath.c_str());  // each session writes a log of its own
  }
  // Where the time goes: the search handing over its matches, then records without the log.
  double searchOnly = 1e9, recordsOnly = 1e9;
  for (int round = 0; round < 3; ++round) {
    uint64_t position = 0;
    BatchEnd why;
    double start = Now();
    FindBatchMatches(text, pattern, position, ~0ull, nullptr, &why, [](const RegexMatch&) {});
    searchOnly = std::min(searchOnly, Now() - start);
    RegexScan scan(text);
    std::vector<RegexHit> hits;
    start = Now();
    CollectBatch(text, pattern, scan, ~0ull, nullptr, &why, hits);
    recordsOnly = std::min(recordsOnly, Now() - start);
  }
  std::printf("  phases: the search alone %.3f s, with lines, bytes and records %.3f s\n", searchOnly, recordsOnly);
  const double megabytes = text.size() * 2 / 1e6;
  std::printf("regex    %-22s (c) one batch of %zu matches | engine %.3f s (%.0f MB/s) | collected and logged %.3f s "
              "(%.2fx the engine)%s\n",
              Utf16ToUtf8(source).c_str(), found, engine, megabytes / engine, collected, collected / engine,
              found == bare ? "" : " MISMATCH");
}

// Presses Find All (or Find More) and pumps until the run is over; returns when the first batch
// was listed (0 when none was).
double g_firstListed = 0;
LRESULT CALLBACK NoteFirstBatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
  if (msg == WMU_REGEX_RESULTS && g_firstListed == 0) g_firstListed = Now();
  return result;
}
void RunFindAll(HWND dialog) {
  SendMessageW(dialog, WM_COMMAND, IDC_RX_FIND_ALL, 0);
  MSG msg;
  while (RegexSearchRunning()) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
std::u16string FindAllCaption(HWND dialog) {
  wchar_t caption[32] = {};
  GetDlgItemTextW(dialog, IDC_RX_FIND_ALL, caption, 32);
  return U16(caption);
}

int MeasureRegex() {
  const std::u16string text = RegexBenchText();
  HWND window = nullptr;
  if (!StartEditor(&window)) return 1;
  SetDocumentText(Utf16ToUtf8(text));
  g_settings.regexBatchSize = 3000;
  g_settings.regexMaxMatches = 10000;
  g_settings.regexColorResults = 1;
  g_settings.regexOutputFormat = 1;
  ShowRegexDialog(window);
  HWND dialog = g_shell.regexDialog;
  if (!dialog) return 1;
  SetWindowSubclass(dialog, NoteFirstBatch, 1, 0);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  // The editor lays out the wrapped lines of a new document in the background, a few
  // milliseconds at a time between messages; the runs are timed once it is done, as they would
  // be a little while after a load.
  const double settling = Now();
  for (double quiet = Now(); Now() - quiet < 0.3 && Now() - settling < 120;) {
    MSG pending;
    if (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&pending);
      quiet = Now();
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  std::printf("regex    %.0f MB of UTF-16 in the editor, word wrap on: its background layout took %.1f s\n",
              text.size() * 2 / 1e6, Now() - settling - 0.3);
  for (const char16_t* source : {u"jumper", u"[a-zA-Z]+ing", u"\\b\\w+ump\\w*\\b"}) {
    CompiledPattern pattern = BuildSearchRegex(source, true, false);
    const double engine3000 = EngineFor(pattern, text, 3000), engine10000 = EngineFor(pattern, text, 10000);
    SetDlgItemTextW(dialog, IDC_RX_PATTERN, W(std::u16string(source)));
    CheckDlgButton(dialog, IDC_RX_MATCH_CASE, BST_CHECKED);
    double first = 1e9, session = 1e9;
    LRESULT listed = 0;
    int presses = 0;
    for (int round = 0; round < 3; ++round) {
      SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");  // a new session each time
      g_firstListed = 0;
      const double start = Now();
      RunFindAll(dialog);
      first = std::min(first, g_firstListed - start);
      presses = 1;
      while (FindAllCaption(dialog) == u"Find More" && presses < 100) {
        RunFindAll(dialog);
        ++presses;
      }
      session = std::min(session, Now() - start);
      listed = SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_GETCOUNT, 0, 0);
    }
    std::printf("regex    %-22s (a) first 3000 listed %.3f s | engine for them %.4f s | %.3f s over the engine\n",
                Utf16ToUtf8(source).c_str(), first, engine3000, first - engine3000);
    double engineWhole = 1e9;
    for (int round = 0; round < 3; ++round) {
      const double start = Now();
      CountMatchesWithTheEngineAlone(pattern, text);
      engineWhole = std::min(engineWhole, Now() - start);
    }
    std::printf("regex    %-22s (b) session of %ld listed in %d presses %.3f s | engine for them %.4f s (%.0fx), "
                "over the whole text %.3f s (%.2fx)\n",
                Utf16ToUtf8(source).c_str(), static_cast<long>(listed), presses, session, engine10000,
                session / engine10000, engineWhole, session / engineWhole);
    MeasureOneBatch(text, pattern, source);
  }
  RemoveWindowSubclass(dialog, NoteFirstBatch, 1);
  DestroyWindow(window);
  return 0;
}

// The export inputs: a C++ source of 20,000 lines (about 2 MB) and about 10 MB of prose.
int GenerateExportInputs(const std::u16string& cppPath, const std::u16string& textPath) {
  static const char* const kCpp[] = {
      "#include <vector>  // containers of the values that the counting functions below walk through",
      "static int CountValuesBelowTheLimit(const std::vector<int>& values, int limit, bool strict) {",
      "    int total = 0, seen = 0; /* running sum of the values below the limit, and how many there were */",
      "    for (size_t index = 0; index < values.size(); ++index) if (values[index] < limit) total += values[index];",
      "    const char* label = \"count & <total> of the values\"; // printed below with the total and the limit",
      "    return total > 0x7FFF ? -1 : total * 3 + 'a' + (strict ? seen : 0) + static_cast<int>(values.size());",
      "}",
      "// ------------------------------------------------------------------------------------------",
  };
  std::string cpp;
  for (int i = 0; i < 20000; ++i) {
    cpp += kCpp[i % 8];
    cpp += "\r\n";
  }
  std::string text;
  const std::string sentence = "The quick brown fox jumps over the lazy dog while the <editor> keeps \"every\" byte & tab\t. ";
  while (text.size() < 10'000'000) {
    for (int k = 0; k < 6; ++k) text += sentence;
    text += "\r\n";
  }
  return WriteBytes(cppPath, cpp) && WriteBytes(textPath, text) ? 0 : 1;
}

int AnswerExportQuestions(HWND, int, const std::u16string& title, const std::u16string&) {
  return title == u"Norvo - HTML Export" ? ResultNo : ResultYes;  // go on; never open a browser
}

// HTML and RTF export of a file, from the call to the complete file; best of 3.
int MeasureExport(const std::u16string& path) {
  HWND window = nullptr;
  if (!StartEditor(&window) || !OpenDocumentPath(window, path)) return 1;
  g_uiHooks.messageBox = AnswerExportQuestions;
  std::string text = GetDocumentText();
  const double mb = text.size() / 1e6;
  double html = 1e9, rtf = 1e9;
  for (int i = 0; i < 3; ++i) {
    double start = Now();
    if (!ExportHtml(window, text, path + u".html")) return 1;
    html = std::min(html, Now() - start);
    start = Now();
    if (!ExportRtf(window, text, path + u".rtf")) return 1;
    rtf = std::min(rtf, Now() - start);
  }
  // The builders alone, on a snapshot taken the way the exports take it.
  double fetch = 1e9, buildHtml = 1e9, buildRtf = 1e9;
  for (int i = 0; i < 3; ++i) {
    double start = Now();
    const Sci_Position length = Sci(SCI_GETLENGTH);
    std::string pairs(2 * static_cast<size_t>(length) + 2, '\0');
    Sci_TextRange range{{0, static_cast<Sci_PositionCR>(length)}, pairs.data()};
    Sci(SCI_GETSTYLEDTEXT, 0, &range);
    std::string chars(static_cast<size_t>(length), '\0'), styles(static_cast<size_t>(length), '\0');
    for (Sci_Position k = 0; k < length; ++k) {
      chars[k] = pairs[2 * k];
      styles[k] = pairs[2 * k + 1];
    }
    fetch = std::min(fetch, Now() - start);
    StyleTables tables;
    RtfStyleTables rtfTables;
    for (int k = 0; k < 128; ++k) {
      tables.fore[k] = rtfTables.fore[k] = static_cast<uint32_t>(Sci(SCI_STYLEGETFORE, k));
      tables.back[k] = static_cast<uint32_t>(Sci(SCI_STYLEGETBACK, k));
      tables.bold[k] = rtfTables.bold[k] = Sci(SCI_STYLEGETBOLD, k) != 0;
      tables.italic[k] = rtfTables.italic[k] = Sci(SCI_STYLEGETITALIC, k) != 0;
    }
    HtmlExportInput input{chars, styles, "bench", "Consolas", 0x1E1C1C, &tables};
    size_t pageBytes = 0;
    start = Now();
    StreamHtmlExport(
        input, [&](std::string_view piece) { return (pageBytes += piece.size()) > 0; }, [] { return false; },
        [](int) {});
    buildHtml = std::min(buildHtml, Now() - start);
    start = Now();
    std::string rtfBytes = BuildRtf(chars, styles, rtfTables, true, "Consolas", 11);
    buildRtf = std::min(buildRtf, Now() - start);
  }
  std::printf("export   %s %.1f MB, %lld lines | from the call to the complete file: HTML %.3f s (%.0f MB/s), "
              "RTF %.3f s (%.0f MB/s) | styled snapshot %.3f s | building alone: HTML %.3f s (%.0f MB/s), "
              "RTF %.3f s (%.0f MB/s)\n",
              Utf16ToUtf8(path.substr(path.find_last_of(u"\\/") + 1)).c_str(), mb,
              static_cast<long long>(Sci(SCI_GETLINECOUNT)), html, mb / html, rtf, mb / rtf, fetch, buildHtml,
              mb / buildHtml, buildRtf, mb / buildRtf);
  DestroyWindow(window);
  return 0;
}

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "gen" && argc == 5) return Generate(argv[2], static_cast<size_t>(std::atoi(argv[3])), Utf8ToUtf16(argv[4]));
  if (mode == "load" && argc == 4) return Measure(argv[2], Utf8ToUtf16(argv[3]));
  if (mode == "save" && argc == 3) return MeasureSave(Utf8ToUtf16(argv[2]));
  if (mode == "status") return MeasureStatusBar();
  if (mode == "find") return MeasureFind();
  if (mode == "regex") return MeasureRegex();
  if (mode == "genexport" && argc == 4) return GenerateExportInputs(Utf8ToUtf16(argv[2]), Utf8ToUtf16(argv[3]));
  if (mode == "export" && argc == 3) return MeasureExport(Utf8ToUtf16(argv[2]));
  if (mode == "pdf" && argc == 4) return MeasurePdf(Utf8ToUtf16(argv[2]), Utf8ToUtf16(argv[3]));
  if (mode == "preview" && argc == 3) return MeasurePreview(Utf8ToUtf16(argv[2]));
  if (mode == "recovery" && argc == 5)
    return MeasureRecovery(static_cast<size_t>(std::atoi(argv[2])), std::atof(argv[3]), Utf8ToUtf16(argv[4]));
  std::fprintf(stderr, "usage: bench_load gen utf8|utf16le MEGABYTES FILE | bench_load load utf8|utf16le FILE\n");
  return 2;
}
