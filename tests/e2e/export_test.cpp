// Exports from outside: the Export dialog, the system save dialog, the progress window and
// the notices, with the files compared to expected ones; and a viewer started by the editor.
#include <Scintilla.h>
#include <gtest/gtest.h>

#include "common/utf.h"
#include "driver.h"
#include "settings/settings.h"

namespace {

// C++ with tabs, CRLF line ends, markup characters and a euro sign.
const char kSample[] =
    "// Sample <one> & \"two\"\r\n"
    "#include <cstdio>\r\n"
    "\r\n"
    "int main() {\r\n"
    "\tprintf(\"%d \xE2\x82\xAC\\n\", 42);  /* {braces} \\ */\r\n"
    "\treturn 0;\r\n"
    "}\r\n";

class ExportFromOutside : public ScratchTest {
 protected:
  ExportFromOutside() : ScratchTest(u"export") {}
  static std::string Expected(const char* name) {
    return ReadBytes(Utf8ToUtf16(std::string(NORVO_EXPECTED_DIR) + "/" + name));
  }
  // Export command → format (checking its description) → save dialog (checking its proposed name) → chosen path.
  void ExportVia(Program& norvo, HWND main, int index, const std::u16string& description,
                 const std::u16string& proposed, const std::u16string& path) {
    PostMessageW(main, WM_COMMAND, 3333, 0);
    HWND dialog = norvo.WaitForWindow(u"#32770", u"Norvo - Export");
    ASSERT_NE(dialog, nullptr);
    HWND combo = ChildById(dialog, 401);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(401, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(WindowText(ChildById(dialog, 402)), description);  // the description follows the choice
    PostMessageW(dialog, WM_COMMAND, 403, 0);
    HWND save = norvo.WaitForWindow(u"", u"Export File - Norvo");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FileNameField(save) != nullptr; }));
    EXPECT_EQ(WindowText(FileNameField(save)), proposed);
    ChooseInFileDialog(save, path);
  }
  // Waits for the themed message box of that title, checks its text and presses a button.
  static void Answer(Program& norvo, const std::u16string& title, const std::u16string& textStart, int button) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      box = norvo.WaitForWindow(u"#32770", title, 100);
      return box && ChildById(box, 2500);
    }));
    EXPECT_EQ(WindowText(ChildById(box, 2500)).compare(0, textStart.size(), textStart), 0)
        << Utf16ToUtf8(WindowText(ChildById(box, 2500)));
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }
};

TEST_F(ExportFromOutside, TextHtmlAndRtfThroughTheDialogs) {
  std::u16string source = File(u"sample.cpp", kSample);
  Program norvo(NorvoExe(), {source});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - sample.cpp");
  ASSERT_NE(main, nullptr);

  std::u16string text = dir_ + u"\\sample.txt", html = dir_ + u"\\sample.html", rtf = dir_ + u"\\sample.rtf";
  for (const auto& p : {text, html, rtf}) DeleteFileW(W(p));

  ExportVia(norvo, main, 3, u"Simple UTF-8 text file", u"sample.txt", text);
  Answer(norvo, u"Norvo - Export", u"File exported successfully as plain text.", 2501);
  EXPECT_EQ(ReadBytes(text), kSample);

  ExportVia(norvo, main, 1, u"HyperText Markup Language - view in web browser", u"sample.html", html);
  Answer(norvo, u"Norvo - HTML Export", u"HTML exported successfully.\n\nExport time:  ", 2502);
  EXPECT_EQ(ReadBytes(html), Expected("sample.cpp.html"));

  ExportVia(norvo, main, 2, u"Rich Text Format - opens in Word, LibreOffice", u"sample.rtf", rtf);
  Answer(norvo, u"Norvo - Export", u"RTF exported successfully.\n\n" + rtf, 2501);
  EXPECT_EQ(ReadBytes(rtf), Expected("sample.cpp.rtf"));

  CloseAndExpectExitZero(norvo, main);
}

TEST_F(ExportFromOutside, AViewerStartedByTheEditorClosesWithIt) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\r\n";
  std::u16string source = File(u"big.txt", big);
  Program norvo(NorvoExe(), {source});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - big.txt");
  ASSERT_NE(main, nullptr);
  std::u16string out = dir_ + u"\\big.html";
  DeleteFileW(W(out));
  ExportVia(norvo, main, 1, u"HyperText Markup Language - view in web browser", u"big.html", out);
  Answer(norvo, u"Norvo - Export", u"This file has ~20001 lines.\n\nHTML export would be slow", 2501);

  HWND viewer = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (viewer = FindWindowByTitlePrefix(u"NorvoMainWindow", u"Norvo Viewer - temp_")); }));
  EXPECT_EQ(GetFileAttributesW(W(out)), INVALID_FILE_ATTRIBUTES) << "the export itself did not run";
  RECT editorRect, viewerRect;
  GetWindowRect(main, &editorRect);
  GetWindowRect(viewer, &viewerRect);
  EXPECT_EQ(viewerRect.left, editorRect.left + 40);
  EXPECT_EQ(viewerRect.top, editorRect.top + 40);
  EXPECT_EQ(viewerRect.right - viewerRect.left, 660);
  EXPECT_EQ(viewerRect.bottom - viewerRect.top, 820);
  // The viewer shows the document's text, read-only.
  HWND viewerEditor = ChildById(viewer, 1);
  EXPECT_EQ(EditorText(viewerEditor), big);
  EXPECT_EQ(SendMessageW(viewerEditor, SCI_GETREADONLY, 0, 0), 1);

  // A second viewer ends the first: the editor keeps one at a time.
  ExportVia(norvo, main, 1, u"HyperText Markup Language - view in web browser", u"big.html", out);
  Answer(norvo, u"Norvo - Export", u"This file has ~20001 lines.", 2501);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }));
  HWND second = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (second = FindWindowByTitlePrefix(u"NorvoMainWindow", u"Norvo Viewer - temp_")); }));

  CloseAndExpectExitZero(norvo, main);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(second); }));
}

}  // namespace
