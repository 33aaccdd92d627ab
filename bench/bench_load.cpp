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

#include "app/editor_win.h"
#include "app/messagebox_win.h"
#include "app/shell_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "files_win.h"
#include "document/save_win.h"
#include "export/export_win.h"
#include "export/html_export.h"
#include "export/rtf_export.h"
#include "search/find_win.h"
#include "search/regex.h"
#include "search/regex_log.h"
#include "search/regex_pipe.h"
#include "search/regex_win.h"
#include "settings/settings_win.h"

namespace {

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
  SetMessageBoxHook(Quiet);
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
  SetMessageBoxHook(Quiet);
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

// The Find All pipeline against the bare engine over the same 100 MB of UTF-16, for three
// patterns: one batch larger than the match count, its line numbers, its storage, the byte ranges
// the highlight reads, and the log lines written to a file. Then the time the dialog takes to list
// a batch of 3000 results, from the batch's arrival to the filled list (a list box is not meant
// for the millions of the first part, which are left out of it).
int MeasureRegex() {
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
  const double megabytes = text.size() * 2 / 1e6;
  std::wstring logPath(_wgetenv(L"TEMP") ? _wgetenv(L"TEMP") : L".");
  logPath += L"\\norvo_bench_regex.txt";
  // The pipeline, as the worker runs it: the search hands its matches over in blocks to the
  // pipe's thread, which finds their line numbers, stores them, works out their byte ranges and
  // writes their log lines meanwhile; then the highlight reads the byte ranges.
  struct Run {
    size_t found = 0, logged = 0, counted = 0;
    int64_t byteSum = 0;
    double searched = 0, rest = 0, read = 0, total = 0;
  };
  auto pipeline = [&](const CompiledPattern& pattern) {
    Run run;
    const double start = Now();
    FILE* log = _wfopen(logPath.c_str(), L"wb");
    uint64_t position = 0;
    BytePositionTracker bytes;
    BatchEnd why;
    RegexResults results;
    RegexByteRanges ranges;
    RegexBatchPipe pipe(text, {results, ranges, bytes}, 1, 1,
                        [&](std::string_view piece) { run.logged += fwrite(piece.data(), 1, piece.size(), log); });
    run.found = FindBatchMatches(text, pattern, position, ~0ull, nullptr, &why,
                                 [&](std::vector<RegexMatch>& block) { pipe.Add(block); });
    const double searched = Now();
    pipe.Finish();
    run.counted = pipe.CountedBlocks();
    fclose(log);
    const double written = Now();
    int64_t from = 0, to = 0;
    for (RegexByteRanges::Reader reader = ranges.ReadAll(); reader.Next(&from, &to);) run.byteSum += to - from;
    const double end = Now();
    run.searched = searched - start;
    run.rest = written - searched;
    run.read = end - written;
    run.total = end - start;
    // Each session writes a log of its own: the next run does not pay for emptying this one.
    DeleteFileW(logPath.c_str());
    return run;
  };
  for (const char16_t* source : {u"jumper", u"[a-zA-Z]+ing", u"\\b\\w+ump\\w*\\b"}) {
    CompiledPattern pattern = BuildSearchRegex(source, true, false);
    // Best of three each, taken in turns: the bare engine (PCRE2-JIT alone over the whole text,
    // nothing kept) and the pipeline.
    double engine = 1e9;
    size_t bare = 0;
    Run best;
    best.total = 1e9;
    for (int round = 0; round < 3; ++round) {
      const double start = Now();
      bare = CountMatchesWithTheEngineAlone(pattern, text);
      engine = std::min(engine, Now() - start);
      const Run run = pipeline(pattern);
      if (run.total < best.total) best = run;
    }
    std::printf("  phases: the search with the rest worked out alongside %.3f s (%zu blocks of %zu counted by the "
                "search thread), the rest after it %.3f s (log %.0f MB), reading the byte ranges %.3f s\n",
                best.searched, best.counted, (best.found + kMatchBlock - 1) / kMatchBlock, best.rest, best.logged / 1e6,
                best.read);
    std::printf("regex    %-22s %.0f MB UTF-16, %zu matches | engine %.3f s (%.0f MB/s) | pipeline %.3f s (%.0f MB/s, "
                "%.2fx the engine), best of 3%s\n",
                Utf16ToUtf8(source).c_str(), megabytes, best.found, engine, megabytes / engine, best.total,
                megabytes / best.total, best.total / engine, best.found == bare && best.byteSum > 0 ? "" : " MISMATCH");
  }
  DeleteFileW(logPath.c_str());

  // Batches of 3000 results reaching the dialog's list: the listing alone is timed inside the
  // dialog's handling of the batch message, and the whole round trip of Find All around it.
  HWND window = nullptr;
  if (!StartEditor(&window)) return 1;
  std::string small;
  for (int i = 0; i < 3000; ++i) small += "match" + std::to_string(i) + " in line " + std::to_string(i) + "\n";
  SetDocumentText(small);
  g_settings.regexBatchSize = 3000;
  g_settings.regexColorResults = 1;
  ShowRegexDialog(window);
  HWND dialog = g_shell.regexDialog;
  if (!dialog) return 1;
  static double listing = 0;
  auto timeListing = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) -> LRESULT {
    if (msg != WMU_REGEX_RESULTS) return DefSubclassProc(hwnd, msg, wParam, lParam);
    double arrived = Now();
    LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    listing = Now() - arrived;
    return result;
  };
  SetWindowSubclass(dialog, timeListing, 1, 0);
  SetDlgItemTextW(dialog, IDC_RX_PATTERN, L"match\\d+");
  // The windows just opened are painted first, so that no run pays for that.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  MSG pending;
  while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&pending);
  for (int format = 0; format < 3; ++format) {
    SendDlgItemMessageW(dialog, IDC_RX_FORMAT, CB_SETCURSEL, format, 0);
    double best = 1e9, worst = 0, roundTrip = 1e9, firstRoundTrip = 0;
    LRESULT count = 0;
    for (int run = 0; run < 3; ++run) {
      SetDlgItemTextW(dialog, IDC_RX_FIND_ALL, L"Find All");  // a new search each time
      listing = 0;
      double listStart = Now();
      SendMessageW(dialog, WM_COMMAND, IDC_RX_FIND_ALL, 0);
      MSG msg;
      while (RegexSearchRunning()) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      }
      roundTrip = std::min(roundTrip, Now() - listStart);
      if (run == 0) firstRoundTrip = Now() - listStart;
      best = std::min(best, listing);
      worst = std::max(worst, listing);
      count = SendDlgItemMessageW(dialog, IDC_RX_RESULTS, LB_GETCOUNT, 0, 0);
    }
    static const char* const names[] = {"only matches", "with line numbers", "full lines"};
    std::printf("regex    a batch of %ld results (%s) listed in the dialog in %.3f s (slowest of 3: %.3f s) | "
                "Find All round trip %.3f s (first %.3f s)\n",
                static_cast<long>(count), names[format], best, worst, roundTrip, firstRoundTrip);
  }
  RemoveWindowSubclass(dialog, timeListing, 1);
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
  SetMessageBoxHook(AnswerExportQuestions);
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
  std::fprintf(stderr, "usage: bench_load gen utf8|utf16le MEGABYTES FILE | bench_load load utf8|utf16le FILE\n");
  return 2;
}
