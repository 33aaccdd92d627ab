// Printing through a real print queue: run by tests/check_print_queue.py inside
// scripts/print-queue, which provides a CUPS queue "PDF" that turns jobs into PDF files.
// Skipped when no such queue is given.
#include "common/win.h"  // before the other system headers

#include <string>

#include "app/export_route_win.h"
#include "common/utf.h"
#include "document/file_commands_win.h"
#include "export/export_logic.h"
#include "harness.h"
#include "queue_win.h"
#include "print/pdf_export_win.h"
#include "print/print_win.h"
#include "ui/shell_win.h"

namespace {

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
    g_printHooks = PrintHooks{};
    if (!queue_.empty() && !keep_.empty()) MainWindowTest::TearDown();
  }

  // The file the queue makes of the next job; empty when none came within a minute.
  std::string NextQueuedPdf(const QueuedFiles& before) {
    std::string pdf;
    PumpUntil([&] { return !(pdf = NewQueuedPdf(queue_, before)).empty(); }, 60000);
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
  const QueuedFiles before = PdfFilesIn(queue_);
  ASSERT_TRUE(ExportSourcePdf(g_shell.mainWindow));
  // The queue took the document: the chosen file is not made.
  EXPECT_EQ(GetFileAttributesW(W(g_savePath)), INVALID_FILE_ATTRIBUTES);
  const std::string printed = NextQueuedPdf(before);
  ASSERT_FALSE(printed.empty()) << "the queue made no PDF within a minute";
  ASSERT_TRUE(WriteBytes(keep_ + u"\\printer.pdf", printed));
}

// The print dialog's answer: the queue's printer.
BOOL WINAPI ChooseQueuePrinter(PRINTDLGW* dialog) {
  dialog->hDC = CreateDCW(L"WINSPOOL", L"PDF", nullptr, nullptr);
  return dialog->hDC != nullptr;
}

// A page the printer refuses ends the job with the pages before it, and the user is told.
TEST_F(PrintQueue, APageThePrinterRefusesIsTold) {
  std::string text;
  for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"refused.txt", text)));
  g_printHooks.printDialog = ChooseQueuePrinter;
  g_printHooks.failingPage = 2;
  const QueuedFiles before = PdfFilesIn(queue_);
  PrintDocument(g_shell.mainWindow);
  EXPECT_TRUE(OneMessage(u"Norvo - Print", u"Printing stopped at page 2."));
  const std::string printed = NextQueuedPdf(before);
  ASSERT_FALSE(printed.empty()) << "the first page was not printed";
  EXPECT_NE(printed.find("/Count 1"), std::string::npos);
}

}  // namespace
