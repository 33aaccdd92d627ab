// Exports and the Markdown page with the real workers, progress windows and edit control.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <mutex>
#include <thread>

#include "app/export_route_win.h"
#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "common/file_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "export/export_hooks_win.h"
#include "export/export_win.h"
#include "harness.h"
#include "markdown/markdown_hooks_win.h"
#include "markdown/markdown_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/ui_hooks_win.h"
#include "ui/viewer_win.h"

namespace {

// What the hooks saw; the progress texts come from the user-interface thread only.
std::vector<std::u16string> g_progressTexts;
std::vector<std::u16string> g_shellOpened;
struct Launch {
  std::u16string path;
  int width, height;
};
std::vector<Launch> g_launches;
std::u16string g_proposedName;
std::u16string g_chosenPath;
bool g_pressCancelAtStart = false;
bool g_pressCancelOnFirstLine = false;
HWND g_progress = nullptr;
HANDLE g_finalizingSeen = nullptr;  // set when "Finalizing..." is shown

// Clicks the progress window's Cancel button as a user would: press and release inside it.
void ClickCancel(HWND progress) {
  RECT r = ProgressButtonRect(progress);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(progress, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(progress, WM_LBUTTONUP, 0, at);
}

void RecordProgressText(const std::u16string& text) {
  g_progressTexts.push_back(text);
  if (text == u"Finalizing..." && g_finalizingSeen) SetEvent(g_finalizingSeen);
  if (g_pressCancelOnFirstLine && text.rfind(u"Exporting line", 0) == 0) {
    g_pressCancelOnFirstLine = false;
    ClickCancel(g_progress);
  }
}
bool RecordShellOpen(const std::u16string& path) {
  g_shellOpened.push_back(path);
  return false;  // nothing opens it: the viewer takes over
}
void RecordLaunch(const std::u16string& path, int width, int height) {
  g_launches.push_back({path, width, height});
}
std::u16string ChoosePath(const std::u16string& proposed) {
  g_proposedName = proposed;
  return g_chosenPath;
}

void OnProgressWindow(HWND progress) {
  g_progress = progress;
  if (g_pressCancelAtStart) ClickCancel(progress);
}

template <typename S>
bool StartsWith(const S& text, const S& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
bool StartsWith(const std::u16string& text, const char16_t* prefix) {
  return StartsWith(text, std::u16string(prefix));
}
bool StartsWith(const std::string& text, const char* prefix) {
  return StartsWith(text, std::string(prefix));
}

class Export : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_progressTexts.clear();
    g_shellOpened.clear();
    g_launches.clear();
    g_proposedName.clear();
    g_chosenPath.clear();
    g_pressCancelAtStart = false;
    g_pressCancelOnFirstLine = false;
    g_exportHooks.progressText = RecordProgressText;
    g_exportHooks.progressWindow = OnProgressWindow;
    g_uiHooks.shellOpen = RecordShellOpen;
    g_uiHooks.viewerLaunch = RecordLaunch;
    g_exportHooks.exportPath = ChoosePath;
  }
  void TearDown() override {
    g_exportHooks.progressWindowFails = false;
    g_markdownHooks.renderGate = nullptr;
    g_markdownHooks.cancelWaitMs = 5000;
    MainWindowTest::TearDown();
    g_exportHooks.progressText = nullptr;
    g_exportHooks.progressWindow = nullptr;
    g_uiHooks.shellOpen = nullptr;
    g_uiHooks.viewerLaunch = nullptr;
    g_exportHooks.exportPath = nullptr;
    // Every job and notice record has been freed once its worker is gone.
    EXPECT_TRUE(PumpUntil([] { return g_liveExportJobs == 0; }, 10000));
    EXPECT_EQ(g_liveExportResults, 0);
  }
  // Opens `bytes` as a file of the given name, so that its extension picks the lexer.
  void OpenAs(const std::u16string& name, const std::string& bytes) {
    ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(name, bytes)));
  }
  static std::string Lines(int count, const std::string& line) {
    std::string text;
    text.reserve(count * (line.size() + 1));
    for (int i = 0; i < count; ++i) text += line + "\n";
    return text;
  }
  HWND main() const { return g_shell.mainWindow; }
};

TEST_F(Export, HtmlPageOfAStyledSourceThenTheBrowserQuestion) {
  const std::string source = "int main() {\r\n\treturn 1 < 2 && \"q\" != 'c'; // done\r\n}\r\n";
  OpenAs(u"Tom & Jerry.cpp", source);
  std::u16string out = temp_.Path(u"page.html");
  ASSERT_TRUE(ExportHtml(main(), source, out));
  std::string page = ReadBytes(out);
  EXPECT_NE(page.find("<title>Tom &amp; Jerry.cpp - Norvo Export</title>"), std::string::npos);
  EXPECT_NE(page.find("<span class=\"s5\">int</span>"), std::string::npos) << "keywords keep their style";
  KeepForChecks(u"styled_source.html", page);
  EXPECT_EQ(g_progressTexts.front(), u"Preparing...");
  ASSERT_GE(g_progressTexts.size(), 2u);
  EXPECT_EQ(g_progressTexts[1], u"Exporting line 1 of 4  (25%)");

  // The completion notice: answered No, nothing opens; answered Yes, the browser is tried,
  // then the viewer.
  ClearMessages();
  g_nextMessageAnswer = ResultNo;
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - HTML Export");
  EXPECT_TRUE(StartsWith(g_shownMessages[0].text, u"HTML exported successfully.\n\nExport time:  "));
  EXPECT_EQ(g_shownMessages[0].kind, YesNo);
  EXPECT_TRUE(g_shellOpened.empty());

  ClearMessages();
  g_nextMessageAnswer = ResultYes;
  ASSERT_TRUE(ExportHtml(main(), source, out));
  ASSERT_TRUE(PumpUntil([] { return !g_launches.empty(); }));
  ASSERT_EQ(g_shellOpened.size(), 1u);
  EXPECT_EQ(g_shellOpened[0], out);
  EXPECT_EQ(g_launches[0].path, out);
  EXPECT_EQ(g_launches[0].width, 740);
  EXPECT_EQ(g_launches[0].height, 860);
}

TEST_F(Export, HtmlSizeQuestionsAndCancelLeaveNoFile) {
  // 12 MB in 20,000 lines: the second size question, then Cancel while the page is built.
  std::string text = Lines(20000, std::string(599, 'x'));
  Sci(SCI_SETTEXT, 0, text.c_str());
  std::u16string out = temp_.Path(u"cancelled.html");
  g_nextMessageAnswer = ResultNo;
  EXPECT_FALSE(ExportHtml(main(), text, out));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text,
            u"This file is very large (~12 MB, ~20001 lines).\nHTML export may take several minutes.\n\nContinue?");

  ClearMessages();
  g_nextMessageAnswer = ResultYes;
  g_pressCancelAtStart = true;
  EXPECT_FALSE(ExportHtml(main(), text, out));
  EXPECT_FALSE(Exists(out));
  EXPECT_TRUE(NewestFile(temp_.Folder(), u"~norvo*").empty())
      << "no temporary file is left";
  // An earlier file of that name survives a cancel untouched.
  ClearMessages();
  g_nextMessageAnswer = ResultYes;
  temp_.Write(u"cancelled.html", "earlier page");
  EXPECT_FALSE(ExportHtml(main(), text, out));
  EXPECT_EQ(ReadBytes(out), "earlier page");
  EXPECT_TRUE(NewestFile(temp_.Folder(), u"~norvo*").empty());
  EXPECT_NE(std::find(g_progressTexts.begin(), g_progressTexts.end(), u"Cancelling..."), g_progressTexts.end());
  PumpPending();
  EXPECT_EQ(g_shownMessages.size(), 1u) << "a cancelled export shows nothing more";

  // Between 1,000,000 and 10,000,000 bytes the milder question.
  ClearMessages();
  g_nextMessageAnswer = ResultNo;
  std::string medium = text.substr(0, 1'000'001);
  Sci(SCI_SETTEXT, 0, medium.c_str());
  EXPECT_FALSE(ExportHtml(main(), medium, out));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_TRUE(StartsWith(g_shownMessages[0].text, u"This file has ~"));
}

TEST_F(Export, HtmlUnwritableOutputIsReported) {
  Sci(SCI_SETTEXT, 0, "text");
  std::u16string out = temp_.Path(u"missing folder\\page.html");
  EXPECT_FALSE(ExportHtml(main(), "text", out));
  EXPECT_TRUE(OneMessage(u"Norvo - Export", u"Cannot write file.\n\n" + out));
  PumpPending();
  EXPECT_EQ(g_shownMessages.size(), 1u);
}

TEST_F(Export, AJobWhoseWindowNeverAppearsStaysAliveUntilItsWorkerEnds) {
  Sci(SCI_SETTEXT, 0, "text");
  g_exportHooks.progressWindowFails = true;
  std::u16string out = temp_.Path(u"never.html");
  EXPECT_FALSE(ExportHtml(main(), "text", out));
  // The worker still holds the job; it is told to stop and frees it when it ends.
  EXPECT_TRUE(PumpUntil([] { return g_liveExportJobs == 0; }));
  EXPECT_FALSE(Exists(out));
  EXPECT_EQ(g_liveExportResults, 0);
}

TEST_F(Export, RtfSmallWriteAndItsFailures) {
  const std::string source = "{ braces } and \\ back\r\n\tint x = 1; // \xE2\x82\xAC \xEF\xBF\xBD\r\n";
  OpenAs(u"small.cpp", source);
  std::u16string out = temp_.Path(u"small.rtf");
  ASSERT_TRUE(ExportRtf(main(), source, out));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text, u"RTF exported successfully.\n\n" + out);
  std::string rtf = ReadBytes(out);
  EXPECT_TRUE(StartsWith(rtf, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\r\n{\\f"));
  EXPECT_NE(rtf.find("\\u8364?"), std::string::npos);
  KeepForChecks(u"small.rtf", rtf);
  KeepForChecks(u"small.rtf.txt", source);

  ClearMessages();
  EXPECT_FALSE(ExportRtf(main(), source, temp_.Path(u"no folder\\x.rtf")));
  EXPECT_EQ(g_shownMessages.at(0).text, u"Cannot create RTF file.");
  ClearMessages();
  Sci(SCI_SETTEXT, 0, "");
  EXPECT_FALSE(ExportRtf(main(), "", out));
  EXPECT_EQ(g_shownMessages.at(0).text, u"Nothing to export.");
}

TEST_F(Export, RtfAbove512000BytesIsWrittenInChunksUnderTheProgressWindow) {
  std::string source = Lines(12000, "int value = 42; // a line of C++ with a comment");
  OpenAs(u"big.cpp", source);
  std::u16string out = temp_.Path(u"big.rtf");
  ASSERT_TRUE(ExportRtf(main(), source, out));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_TRUE(StartsWith(g_shownMessages[0].text, u"RTF exported successfully.\n\nExport time"));
  std::string rtf = ReadBytes(out);
  EXPECT_GE(rtf.size(), 512000u);
  EXPECT_EQ(rtf.substr(rtf.size() - 5), "\r\n}\r\n");
  ASSERT_GE(g_progressTexts.size(), 4u);
  EXPECT_EQ(g_progressTexts[0], u"Preparing RTF...");
  EXPECT_EQ(g_progressTexts[1], u"Writing RTF...  5%");
  EXPECT_EQ(g_progressTexts.back(), u"Finalizing RTF...");
  KeepForChecks(u"big.rtf", rtf);
  KeepForChecks(u"big.rtf.txt", source);
}

TEST_F(Export, RtfCancelledBeforeTheWriteLeavesTheDiskUntouched) {
  std::string source = Lines(12000, "int value = 42; // a line of C++ with a comment");
  OpenAs(u"cancel.cpp", source);
  std::u16string out = temp_.Path(u"cancel.rtf");
  g_pressCancelAtStart = true;
  EXPECT_FALSE(ExportRtf(main(), source, out));
  EXPECT_FALSE(Exists(out));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text, u"RTF export failed or was cancelled.");
}

TEST_F(Export, PlainTextKeepsEveryByte) {
  const std::string text = "caf\xC3\xA9\r\nline two\r\n";
  std::u16string out = temp_.Write(u"plain.txt", "old content that is longer");
  ASSERT_TRUE(ExportPlainText(main(), text, out));
  EXPECT_EQ(ReadBytes(out), text);
  EXPECT_EQ(g_shownMessages.at(0).text, u"File exported successfully as plain text.");
  ClearMessages();
  ASSERT_TRUE(ExportPlainText(main(), "", out));
  EXPECT_EQ(ReadBytes(out), "");
  ClearMessages();
  EXPECT_FALSE(ExportPlainText(main(), text, temp_.Path(u"no folder\\x.txt")));
  EXPECT_EQ(g_shownMessages.at(0).text, u"Cannot create file.");

  // An output another program holds open cannot be replaced: it stays as it was, and no
  // temporary file is left beside it.
  const std::u16string held = temp_.Write(u"held.txt", "the earlier export");
  UniqueHandle other(CreateFileW(W(held), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other);
  ClearMessages();
  EXPECT_FALSE(ExportPlainText(main(), text, held));
  EXPECT_EQ(g_shownMessages.at(0).text, u"Cannot create file.");
  other.reset();
  EXPECT_EQ(ReadBytes(held), "the earlier export");
  EXPECT_TRUE(NewestFile(temp_.Folder(), u"~norvo*").empty());
}

TEST_F(Export, RoutingProposesNamesAndOffersTheViewerAboveTheLimits) {
  OpenAs(u"report.final.txt", "body\r\n");
  g_chosenPath = temp_.Path(u"routed.txt");
  EXPECT_TRUE(ExportAs(3));
  EXPECT_EQ(g_proposedName, u"report.final.txt");
  EXPECT_EQ(ReadBytes(g_chosenPath), "body\r\n");
  g_chosenPath.clear();  // the save dialog cancelled
  EXPECT_FALSE(ExportAs(1));
  EXPECT_EQ(g_proposedName, u"report.final.html");
  EXPECT_FALSE(ExportAs(9));

  // 20,001 lines is over the HTML limit: the viewer is offered on a temporary copy.
  ClearMessages();
  std::string big = Lines(20000, "x");
  Sci(SCI_SETTEXT, 0, big.c_str());
  g_chosenPath = temp_.Path(u"big.html");
  g_nextMessageAnswer = ResultYes;
  EXPECT_FALSE(ExportAs(1));
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].text,
            u"This file has ~20001 lines.\n\nHTML export would be slow for this size.\nOpen as plain text in Norvo "
            u"Viewer instead?");
  EXPECT_FALSE(Exists(g_chosenPath));
  ASSERT_EQ(g_launches.size(), 1u);
  EXPECT_EQ(ReadBytes(g_launches[0].path), big);
  std::u16string name = g_launches[0].path.substr(g_launches[0].path.rfind(u'\\') + 1);
  EXPECT_TRUE(StartsWith(name, u"temp_"));
  EXPECT_EQ(name.substr(name.size() - 4), u".txt");
  DeleteFileW(W(g_launches[0].path));

  // The PDF route asks no path; over its limit it offers the viewer too.
  ClearMessages();
  g_proposedName = u"unchanged";
  g_nextMessageAnswer = ResultNo;
  EXPECT_TRUE(ExportAs(0));
  EXPECT_EQ(g_proposedName, u"unchanged");
  EXPECT_TRUE(StartsWith(g_shownMessages.at(0).text, u"This file has ~20001 lines."));
}

// The line limits of the routing: at the limit the export runs, one line more offers the viewer.
struct LimitCase {
  const char16_t* name;
  int format;
  int lines;
  bool asks;
};
void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << Utf16ToUtf8(c.name) << " format " << c.format << ", " << c.lines << " lines";
}
class ExportLimits : public Export, public testing::WithParamInterface<LimitCase> {};

TEST_P(ExportLimits, AtTheLimitRunsAboveItAsks) {
  const LimitCase& c = GetParam();
  OpenAs(c.name, Lines(c.lines - 1, "x"));
  ASSERT_EQ(Sci(SCI_GETLINECOUNT), c.lines);
  g_chosenPath = temp_.Path(u"out");
  g_nextMessageAnswer = ResultNo;
  ExportAs(c.format);
  const bool asked =
      !g_shownMessages.empty() &&
      g_shownMessages[0].text.find(u"Open as plain text in Norvo Viewer instead?") != std::u16string::npos;
  EXPECT_EQ(asked, c.asks);
  if (!c.asks && c.format != 0) {
    EXPECT_TRUE(Exists(g_chosenPath)) << "the export ran";
  }
  EXPECT_TRUE(g_launches.empty());
  PumpPending();
}
INSTANTIATE_TEST_SUITE_P(Routing, ExportLimits,
                         testing::Values(LimitCase{u"a.txt", 1, 20000, false}, LimitCase{u"a.txt", 1, 20001, true},
                                         LimitCase{u"a.md", 1, 30000, false}, LimitCase{u"a.md", 1, 30001, true},
                                         LimitCase{u"a.txt", 0, 10001, true}, LimitCase{u"a.txt", 2, 50001, true}));

TEST_F(Export, UntitledDocumentsProposeNoName) {
  g_chosenPath.clear();
  g_proposedName = u"set";
  EXPECT_FALSE(ExportAs(2));
  EXPECT_EQ(g_proposedName, u"");
}

TEST_F(Export, CompletionNoticeOfAFailedJobIsFreedSilently) {
  auto* result = new ExportResult;
  result->outputPath = u"x";
  PostMessageW(main(), WMU_EXPORT_DONE, 0, reinterpret_cast<LPARAM>(result));
  EXPECT_TRUE(PumpUntil([] { return g_liveExportResults == 0; }));
  EXPECT_TRUE(g_shownMessages.empty());
}

// The progress window's own button, driven by the mouse while a worker waits for a cancel.
std::vector<std::pair<UINT, POINT>> g_clicks;  // posted when the window appears

void PostClicks(HWND progress) {
  g_progress = progress;
  RECT r = ProgressButtonRect(progress);
  POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  for (auto [msg, offset] : g_clicks) {
    POINT at{inside.x + offset.x, inside.y + offset.y};
    PostMessageW(progress, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
  }
}

std::shared_ptr<ExportJob> WaitingJob(HWND owner, int doneWParamAtOnce) {
  auto job = std::make_shared<ExportJob>();
  job->ownerWindow = owner;
  job->totalLines = 10;
  job->outputPath = u"unused";
  job->work = [doneWParamAtOnce](ExportJob& j) {
    j.WaitReady(5000);
    if (doneWParamAtOnce >= 0) {
      j.Post(WMU_EXPORT_DONE, static_cast<WPARAM>(doneWParamAtOnce));
      return;
    }
    WaitForSingleObject(j.cancelEvent.get(), 10000);
    j.Post(WMU_EXPORT_DONE, 0);
  };
  return job;
}

TEST_F(Export, ProgressButtonCancelsOnlyOnAReleaseInsideAndOnlyOnce) {
  const POINT in{0, 0}, out{0, 200};
  g_clicks = {{WM_LBUTTONDOWN, in}, {WM_LBUTTONUP, out},  // released outside: nothing
              {WM_LBUTTONDOWN, in}, {WM_LBUTTONUP, in},   // a click: cancel
              {WM_LBUTTONDOWN, in}, {WM_LBUTTONUP, in}};  // disabled: nothing more
  g_exportHooks.progressWindow = PostClicks;
  auto job = WaitingJob(main(), -1);
  EXPECT_FALSE(RunExportJob(job, ProgressKind::Export, u"Norvo - Export", u"events"));
  EXPECT_TRUE(job->Cancelled());
  EXPECT_EQ(g_progressTexts, (std::vector<std::u16string>{u"Preparing...", u"Cancelling..."}));
  g_clicks.clear();
}

TEST_F(Export, ADoneMessageBeforeAnyProgressClosesWithItsResult) {
  g_clicks.clear();
  g_exportHooks.progressWindow = PostClicks;
  auto job = WaitingJob(main(), 1);
  job->outputPath = u"C:\\page.html";
  EXPECT_TRUE(RunExportJob(job, ProgressKind::Export, u"Norvo - Export", u"events"));
  EXPECT_TRUE(job->succeeded);
  EXPECT_EQ(g_progressTexts, std::vector<std::u16string>{u"Preparing..."});
  // The notice reaches the main window with the path; answered No, nothing opens.
  g_nextMessageAnswer = ResultNo;
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_TRUE(g_shellOpened.empty());
}

// --- Markdown ---

TEST_F(Export, MarkdownExportRoutesThroughTheRendererAndAsksAboutTheBrowser) {
  OpenAs(u"NOTES.MD", "# Title\n\n- a\n- b\n\nSome **bold** text & more\n");
  g_chosenPath = temp_.Path(u"notes.html");
  g_nextMessageAnswer = ResultNo;
  EXPECT_TRUE(ExportAs(1));
  std::string page = ReadBytes(g_chosenPath);
  EXPECT_NE(page.find("<h1>Title</h1>"), std::string::npos);
  EXPECT_NE(page.find("<strong>bold</strong> text &amp; more"), std::string::npos);
  KeepForChecks(u"notes.html", page);
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - HTML Export");
}

TEST_F(Export, MarkdownPreviewOfOneLineShowsTheSimulatedProgressThenOpensTheBrowser) {
  OpenAs(u"one.md", "Just *one* line");
  ASSERT_TRUE(ExportMarkdown(main(), u""));
  std::vector<std::u16string> expected = {u"Preparing...", u"Exporting line 1 of 1  (100%)",
                                          u"Exporting line 0 of 1  (0%)", u"Finalizing...",
                                          u"Exporting line 1 of 1  (100%)"};
  // The render may finish before the first tick; then the middle texts are skipped.
  if (g_progressTexts.size() == 3u) expected = {expected[0], expected[1], expected[4]};
  EXPECT_EQ(g_progressTexts, expected);
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - MD Export");
  EXPECT_TRUE(StartsWith(g_shownMessages[0].text, u"MD exported successfully.\n\nLines: 1\nExport time: "));
  ASSERT_EQ(g_shellOpened.size(), 1u);
  std::u16string preview = g_shellOpened[0];
  EXPECT_EQ(preview.substr(preview.size() - 5), u".html");
  std::string page = ReadBytes(preview);
  EXPECT_NE(page.find("<p>Just <em>one</em> line</p>"), std::string::npos);
  KeepForChecks(u"preview.html", page);
  DeleteFileW(W(preview));
  EXPECT_EQ(g_launches.size(), 1u) << "nothing opened the page, so a viewer shows it";
}

TEST_F(Export, MarkdownProgressOfAThousandLines) {
  OpenAs(u"long.md", Lines(999, "- item"));
  ASSERT_EQ(Sci(SCI_GETLINECOUNT), 1000);
  // The render waits until the simulated progress has reached its end.
  g_finalizingSeen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE seen = g_finalizingSeen;
  g_markdownHooks.renderGate = [seen] { WaitForSingleObject(seen, 20000); };
  ASSERT_TRUE(ExportMarkdown(main(), temp_.Path(u"long.html")));
  std::vector<std::u16string> expected = {u"Preparing..."};
  for (int line = 1; line < 900; line += 22)
    expected.push_back(u"Exporting line " + DecimalText(line) + u" of 1000  (" + DecimalText(line * 100 / 1000) +
                       u"%)");
  expected.push_back(u"Exporting line 900 of 1000  (90%)");
  expected.push_back(u"Finalizing...");
  expected.push_back(u"Exporting line 1000 of 1000  (100%)");
  EXPECT_EQ(g_progressTexts, expected);
  g_finalizingSeen = nullptr;
  CloseHandle(seen);
  g_nextMessageAnswer = ResultNo;
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
}

TEST_F(Export, MarkdownCancelWhoseRenderOutlivesTheWait) {
  OpenAs(u"slow.md", "# Slow\n");
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_markdownHooks.renderGate = [release] { WaitForSingleObject(release, 20000); };
  g_markdownHooks.cancelWaitMs = 50;
  g_pressCancelOnFirstLine = true;  // the render thread has been started by then
  std::u16string out = temp_.Path(u"slow.html");
  EXPECT_FALSE(ExportMarkdown(main(), out));
  PumpPending();
  EXPECT_TRUE(g_shownMessages.empty());
  // The render thread still runs and still holds the job.
  EXPECT_EQ(g_liveExportJobs, 1);
  SetEvent(release);
  EXPECT_TRUE(PumpUntil([] { return g_liveExportJobs == 0; }));
  CloseHandle(release);
}

TEST_F(Export, MarkdownFailuresEmptyIsSilentUnwritableIsReported) {
  OpenAs(u"empty.md", "");
  EXPECT_FALSE(ExportMarkdown(main(), temp_.Path(u"empty.html")));
  EXPECT_FALSE(Exists(temp_.Path(u"empty.html")));
  PumpPending();
  EXPECT_TRUE(g_shownMessages.empty());
  EXPECT_TRUE(g_shellOpened.empty());

  Sci(SCI_SETTEXT, 0, "text");
  std::u16string out = temp_.Path(u"no folder\\x.html");
  EXPECT_FALSE(ExportMarkdown(main(), out));
  EXPECT_TRUE(OneMessage(u"Norvo - MD Export", u"Cannot write file.\n\n" + out));
}

TEST_F(Export, MarkdownPreviewAboveThirtyThousandLinesOffersTheViewer) {
  std::string big = Lines(30000, "x");
  OpenAs(u"huge.md", big);
  g_nextMessageAnswer = ResultYes;
  SendMessageW(main(), WM_COMMAND, CMD_MARKDOWN_PREVIEW, 0);
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - MD Preview");
  EXPECT_TRUE(StartsWith(g_shownMessages[0].text, u"This Markdown file has ~30001 lin"));
  ASSERT_EQ(g_launches.size(), 1u);
  EXPECT_EQ(ReadBytes(g_launches[0].path), big);
  DeleteFileW(W(g_launches[0].path));
}

// The exports' write policy: the file is written beside its target and takes its place only
// when complete; until then an earlier file is untouched. The temporary name is short, so an
// output path near the length limit still works.
TEST_F(Export, FilesAreWrittenBesideTheOutputAndPutInPlaceWhole) {
  const std::u16string out = temp_.Write(u"page.html", "earlier page");
  {
    ReplacingFile file(out);
    ASSERT_TRUE(file.Opened());
    EXPECT_TRUE(file.Write("half of a new"));
  }  // given up: a cancel or a failure
  EXPECT_EQ(ReadBytes(out), "earlier page");
  EXPECT_TRUE(NewestFile(temp_.Folder(), u"~norvo*").empty());
  {
    ReplacingFile file(out);
    EXPECT_TRUE(file.Write("the new page"));
    EXPECT_TRUE(file.Commit());
  }
  EXPECT_EQ(ReadBytes(out), "the new page");
  EXPECT_TRUE(NewestFile(temp_.Folder(), u"~norvo*").empty());

  const std::u16string folder = temp_.Path(u"");
  const std::u16string longName = folder + std::u16string(257 - folder.size() - 5, u'n') + u".html";
  ASSERT_EQ(longName.size(), 257u);  // "<output>.part" would pass the limit
  {
    ReplacingFile file(longName);
    ASSERT_TRUE(file.Opened());
    EXPECT_TRUE(file.Write("long"));
    EXPECT_TRUE(file.Commit());
  }
  EXPECT_EQ(ReadBytes(longName), "long");
  EXPECT_FALSE(ReplacingFile(temp_.Path(u"no such folder\\x.rtf")).Opened());
}
}  // namespace
