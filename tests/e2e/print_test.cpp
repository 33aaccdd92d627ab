// Printing from outside through the real print dialog to the queue's printer "PDF"; run by
// tests/check_print_queue.py inside scripts/print-queue, skipped without a queue.
#include <gtest/gtest.h>

#include "common/utf.h"
#include "driver.h"
#include "queue_win.h"

namespace {

class PrintQueueFromOutside : public ScratchTest {
 protected:
  PrintQueueFromOutside() : ScratchTest(u"print") {}
  void SetUp() override {
    queue_ = FolderFromEnvironment(L"NORVO_QUEUE_DIR");
    keep_ = FolderFromEnvironment(L"NORVO_QUEUE_KEEP");
    if (queue_.empty() || keep_.empty()) GTEST_SKIP() << "no print queue (run by tests/check_print_queue.py)";
    ScratchTest::SetUp();
  }
  std::u16string queue_, keep_;
};

// A document of one empty line prints one page that carries only its number.
TEST_F(PrintQueueFromOutside, OneEmptyLinePrintsAPageWithItsNumber) {
  Program norvo(NorvoExe(), {File(u"empty-line.txt", "\r\n")});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - empty-line.txt");
  ASSERT_NE(main, nullptr);
  const QueuedFiles before = PdfFilesIn(queue_);
  PostMessageW(main, WM_COMMAND, 602, 0);  // Ctrl+P
  HWND dialog = norvo.WaitForWindow(u"#32770", u"Print");
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  std::string pdf;
  ASSERT_TRUE(WaitUntil([&] { return !(pdf = NewQueuedPdf(queue_, before)).empty(); }, 60000))
      << "the queue made no PDF within a minute";
  ASSERT_TRUE(WriteBytes(keep_ + u"\\empty-line.pdf", pdf));
  ASSERT_TRUE(WriteBytes(keep_ + u"\\empty-line.pdf.pages", "1"));
  ASSERT_TRUE(WriteBytes(keep_ + u"\\empty-line.pdf.txt", ""));
  CloseAndExpectExitZero(norvo, main);
}

}  // namespace
