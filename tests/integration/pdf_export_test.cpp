// The PDF export of source text through the real job, batches and progress window; the files
// are kept for the outside readers (qpdf, pdffonts, pdftotext) that run after the tests.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <zlib.h>

#include <set>
#include <string>
#include <vector>

#include "app/export_route_win.h"
#include "common/messages.h"
#include "document/file_commands_win.h"
#include "export/export_hooks_win.h"
#include "export/export_logic.h"
#include "export/export_win.h"
#include "harness.h"
#include "print/pdf_export_win.h"
#include "print/pdf_layout.h"
#include "ui/shell_win.h"
#include "ui/ui_logic.h"

namespace {

std::u16string g_pdfPath;
std::u16string g_proposed;
std::u16string AnswerPdfPath(const std::u16string& proposed) {
  g_proposed = proposed;
  return g_pdfPath;
}

// The content streams of a PDF written by the program, inflated.
std::vector<std::string> ContentStreams(const std::string& pdf) {
  std::vector<std::string> streams;
  for (size_t at = pdf.find("stream\n"); at != std::string::npos; at = pdf.find("stream\n", at + 1)) {
    if (at >= 3 && pdf.compare(at - 3, 3, "end") == 0) continue;
    const size_t begin = at + 7, end = pdf.find("\nendstream", begin);
    if (end == std::string::npos) break;
    std::string out(1 << 20, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(pdf.data() + begin),
                   static_cast<uLong>(end - begin)) == Z_OK) {
      out.resize(size);
      if (out.find(" Tj\n") != std::string::npos) streams.push_back(out);
    }
  }
  return streams;
}

// The text colours a page uses (each set on a line of its own: "r g b rg").
std::set<std::string> Colours(const std::string& content) {
  std::set<std::string> colours;
  size_t start = 0;
  for (size_t end = content.find('\n'); end != std::string::npos; start = end + 1, end = content.find('\n', start)) {
    const std::string line = content.substr(start, end - start);
    if (line.size() > 3 && line.compare(line.size() - 3, 3, " rg") == 0) colours.insert(line);
  }
  return colours;
}

class PdfExport : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_pdfHooks.savePath = AnswerPdfPath;
    g_pdfPath = temp_.Path(u"out.pdf");
  }
  void TearDown() override {
    g_pdfHooks = PdfHooks{};
    g_pdfPath.clear();
    g_exportHooks.progressWindow = nullptr;
    g_exportHooks.progressText = nullptr;
    MainWindowTest::TearDown();
  }
  // Words the pages must show, in order, one source line each.
  static std::string Source(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i)
      text += "int value" + std::to_string(i) + " = " + std::to_string(i * 7) + "; // line " + std::to_string(i) + "\r\n";
    return text;
  }
};

TEST_F(PdfExport, ACppFileBecomesPagesOfRealText) {
  const std::string source = Source(130);  // three pages at 10 pt
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"sample.cpp", source)));
  EXPECT_TRUE(ExportAs(kFormatPdf));
  EXPECT_EQ(g_proposed, u"sample");
  const std::string pdf = ReadBytes(g_pdfPath);
  ASSERT_EQ(pdf.compare(0, 8, "%PDF-1.7"), 0);
  EXPECT_NE(pdf.find("/Count 3 "), std::string::npos);
  // Every page is coloured, not just the lines the control had lexed for the screen: keywords,
  // comments, the rest, and the footer.
  const std::vector<std::string> pages = ContentStreams(pdf);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_GE(Colours(pages.back()).size(), 4u);
  PumpUntil([] { return false; }, 200);  // the completion notice reaches the main window
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - PDF Export");
  EXPECT_EQ(g_shownMessages[0].text.rfind(u"PDF exported successfully.", 0), 0u);
  std::string expected;
  for (int i = 1; i <= 130; ++i) expected += "int value" + std::to_string(i) + " = " + std::to_string(i * 7) + "; // line " + std::to_string(i) + "\n";
  expected += "- 3 -\n";
  KeepForChecks(u"source.pdf", pdf);
  KeepForChecks(u"source.pdf.txt", expected);
}

TEST_F(PdfExport, CancelLeavesAnEarlierFileAsItWas) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"long.cpp", Source(2000))));
  ASSERT_TRUE(WriteBytes(g_pdfPath, "an earlier file"));
  g_exportHooks.progressWindow = CancelAtOnce;
  EXPECT_FALSE(ExportSourcePdf(g_shell.mainWindow));
  EXPECT_EQ(ReadBytes(g_pdfPath), "an earlier file");
  EXPECT_TRUE(g_shownMessages.empty());  // a cancel is not a failure to tell
  EXPECT_TRUE(NewestFile(temp_.Path(u"").substr(0, temp_.Path(u"").size() - 1), u"~norvo*").empty());
}

// Cancel pressed while the end of the file is written: the finished file is not put in place.
HWND g_pdfProgress = nullptr;
void RememberProgress(HWND progress) { g_pdfProgress = progress; }
void CancelWhenFinalizing(const std::u16string& text) {
  if (text.rfind(u"Please wait, finalizing PDF file", 0) != 0) return;
  // The click is handled at once, before the worker's done message can be.
  RECT r = ProgressButtonRect(g_pdfProgress);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(g_pdfProgress, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(g_pdfProgress, WM_LBUTTONUP, 0, at);
}

TEST_F(PdfExport, CancelWhileFinalizingKeepsTheEarlierFile) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"short.cpp", Source(20))));
  ASSERT_TRUE(WriteBytes(g_pdfPath, "an earlier file"));
  g_exportHooks.progressWindow = RememberProgress;
  g_exportHooks.progressText = CancelWhenFinalizing;
  const bool written = ExportSourcePdf(g_shell.mainWindow);
  g_exportHooks.progressText = nullptr;
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(g_pdfPath), "an earlier file");
  EXPECT_TRUE(NewestFile(temp_.Path(u"").substr(0, temp_.Path(u"").size() - 1), u"~norvo*").empty());
}

// Above a million bytes the export asks first; a million exactly does not.
TEST_F(PdfExport, TheSizeQuestionStartsAboveAMillionBytes) {
  std::string text(1'000'000, 'x');
  for (size_t i = 99; i < text.size(); i += 100) text[i] = '\n';
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"million.txt", text)));
  g_pdfPath.clear();  // the save dialog is cancelled: only the question matters
  EXPECT_FALSE(ExportSourcePdf(g_shell.mainWindow));
  EXPECT_TRUE(g_shownMessages.empty());
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"more.txt", text + "y")));
  g_nextMessageAnswer = ResultNo;
  EXPECT_FALSE(ExportSourcePdf(g_shell.mainWindow));
  g_nextMessageAnswer = ResultOk;
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text,
            u"This file will create approximately 182 pages.\nExport may take a while.\n\nContinue?");
}

TEST_F(PdfExport, NoFontMeansFailureAndNoFile) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"a.cpp", Source(3))));
  g_pdfHooks.fonts = [](const FontRequest&) { return std::optional<FontFile>(); };
  EXPECT_FALSE(ExportSourcePdf(g_shell.mainWindow));
  EXPECT_FALSE(GetFileAttributesW(W(g_pdfPath)) != INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(NewestFile(temp_.Path(u"").substr(0, temp_.Path(u"").size() - 1), u"~norvo*").empty());
}

TEST_F(PdfExport, AMarkdownDocumentIsTypeset) {
  const std::string md =
      "# Release notes\r\n\r\nThe **fast** editor, now with `code spans` and *italic* words.\r\n\r\n"
      "- first item\r\n- second item that is long enough to wrap across the width of the page so that its bullet "
      "shows on the next line as well\r\n07. seventh\r\n> a quote\r\n---\r\n## Details\r\nLast line.\r\n";
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"notes.MD", md)));
  EXPECT_TRUE(ExportAs(kFormatPdf));
  EXPECT_EQ(g_proposed, u"notes.pdf");
  const std::string pdf = ReadBytes(g_pdfPath);
  ASSERT_EQ(pdf.compare(0, 8, "%PDF-1.7"), 0);
  const std::vector<std::string> pages = ContentStreams(pdf);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find(" l S"), std::string::npos);  // the heading's underline, the quote bar, the rule
  KeepForChecks(u"notes.pdf", pdf);
  KeepForChecks(u"notes.pdf.txt",
                "Release notes\nThe fast editor, now with code spans and italic words.\n\u2022 first item\n"
                "\u2022 second item\n7. seventh\na quote\nDetails\nLast line.\n- 1 -\n");
}

// A page that cannot be started ends the export as a failure, and no file is left: neither a
// partial one nor the temporary one beside it.
class FailingPage : public PdfExport, public testing::WithParamInterface<std::pair<const char16_t*, int>> {};
TEST_P(FailingPage, IsAFailureAndLeavesNoFile) {
  const auto [name, page] = GetParam();
  std::string text = Source(200);
  if (std::u16string(name).ends_with(u".md")) {
    text.clear();
    for (int i = 0; i < 300; ++i) text += "Paragraph " + std::to_string(i) + " of the notes.\r\n\r\n";
  }
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(name, text)));
  g_pdfHooks.failingPage = page;
  EXPECT_FALSE(ExportPdf(g_shell.mainWindow));
  EXPECT_EQ(GetFileAttributesW(W(g_pdfPath)), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(OneMessage(u"Norvo - PDF Export", u"Cannot write file.\n\n" + g_pdfPath));  // not a silent end
  EXPECT_TRUE(NewestFile(temp_.Path(u"").substr(0, temp_.Path(u"").size() - 1), u"~norvo*").empty());
}
INSTANTIATE_TEST_SUITE_P(Pages, FailingPage,
                         testing::Values(std::pair{u"a.cpp", 1}, std::pair{u"b.cpp", 2}, std::pair{u"c.md", 1},
                                         std::pair{u"d.md", 2}));

TEST_F(PdfExport, AnEmptyDocumentHasNothingToExport) {
  EXPECT_FALSE(ExportSourcePdf(g_shell.mainWindow));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text, u"Nothing to export.");
}

}  // namespace
