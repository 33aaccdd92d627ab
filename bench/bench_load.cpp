// Load benchmark: FileLoad of a generated 100 MB file into the real edit control, against a
// baseline measured in the same run (reading the file into memory and copying it once).
// Usage: bench_load utf8|utf16le [megabytes]
#include "common/win.h"  // before the other system headers

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_win.h"
#include "app/messagebox_win.h"
#include "app/shell_win.h"
#include "common/utf.h"
#include "document/document_win.h"
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

bool WriteAll(const std::u16string& path, const std::string& bytes) {
  HANDLE f = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
  CloseHandle(f);
  return ok;
}

// The baseline: read the whole file in one call and copy it once.
double Baseline(const std::u16string& path) {
  double start = Now();
  HANDLE f = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD size = GetFileSize(f, nullptr);
  std::unique_ptr<char[]> buffer(new char[size]);
  DWORD done = 0;
  ReadFile(f, buffer.get(), size, &done, nullptr);
  CloseHandle(f);
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), buffer.get(), size);
  double elapsed = Now() - start;
  volatile char sink = copy[size / 2];
  (void)sink;
  return elapsed;
}

int Quiet(HWND, int, const std::u16string& title, const std::u16string& text) {
  std::fprintf(stderr, "message: %s: %s\n", Utf16ToUtf8(title).c_str(), Utf16ToUtf8(text).c_str());
  return ResultOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::string kind = argc > 1 ? argv[1] : "utf8";
  size_t megabytes = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 100;
  g_shell.instance = GetModuleHandleW(nullptr);
  SetMessageBoxHook(Quiet);
  ResetSettings(g_settings);
  CopyLiveFromSettings();
  if (!LoadEditorLibraries() || !RegisterWindowClasses()) return 1;
  HWND window = CreateWindowExW(0, L"NorvoMainWindow", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 650, nullptr, nullptr,
                                g_shell.instance, nullptr);
  if (!window) return 1;

  wchar_t tempBase[MAX_PATH];
  GetTempPathW(MAX_PATH, tempBase);
  std::u16string path = U16(tempBase) + u"norvo_bench_" + Utf8ToUtf16(kind) + u".txt";
  std::string utf8 = MakeText(megabytes * 1000 * 1000);
  std::string file;
  if (kind == "utf16le") {
    std::u16string wide = Utf8ToUtf16(utf8);
    file = "\xFF\xFE";
    file.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    file.resize(std::min(file.size(), megabytes * 1000 * 1000) & ~size_t{1});
  } else {
    file = utf8;
  }
  std::string().swap(utf8);
  if (!WriteAll(path, file)) return 1;
  size_t fileSize = file.size();
  std::string().swap(file);

  Baseline(path);  // warm the file cache
  double baseline = 1e9;
  for (int i = 0; i < 3; ++i) baseline = std::min(baseline, Baseline(path));

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
  g_doc.fileHandle.reset();
  DestroyWindow(window);
  DeleteFileW(W(path));
  if (!ok) return 1;
  std::printf("%-8s file %.1f MB | baseline (read + copy) %.3f s | FileLoad %.3f s (first %.3f s) | ratio %.2fx | "
              "peak memory growth %.2fx file size\n",
              kind.c_str(), fileSize / 1e6, baseline, best, firstLoad, best / baseline,
              static_cast<double>(peak - before) / static_cast<double>(fileSize));
  return 0;
}
