// Printing through a real print queue: run by tests/check_print_queue.py inside
// scripts/print-queue, which provides a CUPS queue "PDF" that turns jobs into PDF files.
// Skipped when no such queue is given.
#include "common/win.h"  // before the other system headers

#include <cstdint>
#include <map>
#include <string>

#include "app/export_route_win.h"
#include "common/utf.h"
#include "document/file_commands_win.h"
#include "export/export_logic.h"
#include "harness.h"
#include "print/pdf_export_win.h"
#include "ui/shell_win.h"

namespace {

// A folder given by the queue script as a Linux path, seen through Wine's Z: drive.
std::u16string FolderFromEnvironment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024) return {};
  std::u16string folder = u"Z:" + U16(value);
  for (char16_t& c : folder) {
    if (c == u'/') c = u'\\';
  }
  while (folder.ends_with(u'\\')) folder.pop_back();
  return folder;
}

// The PDF files in a folder with their times of writing: the queue's server numbers its jobs
// from 1 each time it starts, so a new job may reuse an earlier job's name.
std::map<std::u16string, uint64_t> PdfFilesIn(const std::u16string& folder) {
  std::map<std::u16string, uint64_t> files;
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*.pdf"), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) return files;
  do {
    files[U16(fd.cFileName)] = (uint64_t{fd.ftLastWriteTime.dwHighDateTime} << 32) | fd.ftLastWriteTime.dwLowDateTime;
  } while (FindNextFileW(find.get(), &fd));
  return files;
}

std::u16string g_savePath;
std::u16string AnswerSavePath(const std::u16string&) { return g_savePath; }

class PrintQueue : public MainWindowTest {
 protected:
  void SetUp() override {
    queue_ = FolderFromEnvironment(L"NORVO_QUEUE_DIR");
    keep_ = FolderFromEnvironment(L"NORVO_QUEUE_KEEP");
    if (queue_.empty() || keep_.empty()) GTEST_SKIP() << "no print queue (run by tests/check_print_queue.py)";
    MainWindowTest::SetUp();
    g_pdfHooks.savePath = AnswerSavePath;
  }
  void TearDown() override {
    g_pdfHooks = PdfHooks{};
    if (!queue_.empty() && !keep_.empty()) MainWindowTest::TearDown();
  }

  // The file the queue makes of the next job: a new PDF in its folder, complete once it ends
  // with the end-of-file marker.
  std::string NextQueuedPdf(const std::map<std::u16string, uint64_t>& before) {
    std::string pdf;
    PumpUntil(
        [&] {
          for (const auto& [name, written] : PdfFilesIn(queue_)) {
            if (auto was = before.find(name); was != before.end() && was->second == written) continue;
            pdf = ReadBytes(queue_ + u"\\" + name);
            const size_t end = pdf.rfind("%%EOF");
            if (end != std::string::npos && pdf.find_first_not_of("\r\n ", end + 5) == std::string::npos) return true;
          }
          return false;
        },
        60000);
    return pdf;
  }

  std::u16string queue_, keep_;
};

// A C++ file with wrapped lines and a character beyond ASCII: the system printer's route and the
// program's own writer lay it out the same (the outside readers compare the two files).
TEST_F(PrintQueue, SourcePdfThroughThePrinterMatchesTheOwnWriter) {
  std::string source = "// caf\xC3\xA9 " + std::string(30, '=') + "\r\n";
  for (int i = 1; i <= 120; ++i) {
    source += "int value" + std::to_string(i) + " = " + std::to_string(i * 7) + ";";
    if (i % 25 == 0) {
      for (int w = 0; w < 30; ++w) source += " word" + std::to_string(w);
    }
    source += "\r\n";
  }
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"queued.cpp", source)));

  g_pdfHooks.printer.clear();  // no printer: the program's own writer
  g_savePath = keep_ + u"\\own.pdf";
  ASSERT_TRUE(ExportSourcePdf(g_shell.mainWindow));

  g_pdfHooks.printer = u"PDF";
  g_pdfHooks.printerToQueue = true;
  g_pdfHooks.printerDpi = 600;
  g_savePath = keep_ + u"\\unused.pdf";
  const std::map<std::u16string, uint64_t> before = PdfFilesIn(queue_);
  ASSERT_TRUE(ExportSourcePdf(g_shell.mainWindow));
  // The queue took the document: the chosen file is not made.
  EXPECT_EQ(GetFileAttributesW(W(g_savePath)), INVALID_FILE_ATTRIBUTES);
  const std::string printed = NextQueuedPdf(before);
  ASSERT_FALSE(printed.empty()) << "the queue made no PDF within a minute";
  ASSERT_TRUE(WriteBytes(keep_ + u"\\printer.pdf", printed));
}

}  // namespace
