// The look with the real control: themes, lexers, the margin, the toolbar, the association.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include "app/mainwindow_win.h"
#include "app/shell_logic.h"
#include "app/toolbar_win.h"
#include "common/messages.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "harness.h"
#include "settings/association_win.h"
#include "settings/lexers.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/lexer_win.h"
#include "ui/margin_win.h"
#include "ui/theme_win.h"

namespace {

using Look = MainWindowTest;

class ThemeColours : public MainWindowTest, public testing::WithParamInterface<uint32_t> {};

TEST_P(ThemeColours, EditorTakesTheThemesColours) {
  uint32_t t = GetParam();
  ApplyTheme(t);
  const ColorPalette& p = kThemePalettes[t];
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, STYLE_DEFAULT), static_cast<sptr_t>(p.editorBack));
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, STYLE_DEFAULT), static_cast<sptr_t>(p.editorText));
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, 0), static_cast<sptr_t>(p.editorBack));
  EXPECT_EQ(Sci(SCI_GETCARETFORE), static_cast<sptr_t>(p.caret));
  EXPECT_EQ(Sci(SCI_GETELEMENTCOLOUR, SC_ELEMENT_SELECTION_BACK) & 0xFFFFFF, static_cast<sptr_t>(p.selectionBack));
  EXPECT_EQ(Sci(SCI_GETELEMENTCOLOUR, SC_ELEMENT_SELECTION_TEXT) & 0xFFFFFF, static_cast<sptr_t>(p.selectionText));
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, STYLE_LINENUMBER), static_cast<sptr_t>(p.marginBack));
  EXPECT_EQ(g_settings.themeId, t);
  ApplyTheme(0);
}
INSTANTIATE_TEST_SUITE_P(AllThemes, ThemeColours, testing::Range(0u, 6u));

TEST_F(Look, ThemeSixChangesNothingAndWritesNothing) {
  ApplyTheme(2);
  std::string before = ReadBytes(GetConfigFilePath());
  ApplyTheme(6);
  EXPECT_EQ(g_settings.themeId, 2u);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, STYLE_DEFAULT), static_cast<sptr_t>(kThemePalettes[2].editorBack));
  EXPECT_EQ(ReadBytes(GetConfigFilePath()), before);
  ApplyTheme(0);
}

TEST_F(Look, CppDocumentIsLexedWithBoldKeywordsAndItalicComments) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"a.cpp", "int main() { return 0; } // done\n")));
  EXPECT_EQ(Sci(SCI_GETLEXER), kLexerCpp);
  EXPECT_EQ(Sci(SCI_STYLEGETBOLD, 5), 1);
  EXPECT_EQ(Sci(SCI_STYLEGETITALIC, 1), 1);
  EXPECT_EQ(Sci(SCI_STYLEGETITALIC, 2), 1);
  const ColorPalette& p = GetColorPalette();
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 5), static_cast<sptr_t>(p.syntax.keyword));
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 16), static_cast<sptr_t>(p.syntax.keyword));
  Sci(SCI_COLOURISE, 0, -1);
  EXPECT_EQ(Sci(SCI_GETSTYLEAT, 0), 5);  // "int" is a keyword of set 0
  EXPECT_EQ(Sci(SCI_GETSTYLEAT, 28), 2);  // the line comment
  // A theme change keeps the colouring, now in the new theme's colours.
  ApplyTheme(2);
  EXPECT_EQ(Sci(SCI_GETLEXER), kLexerCpp);
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 5), static_cast<sptr_t>(kThemePalettes[2].syntax.keyword));
  ApplyTheme(0);
}

TEST_F(Look, JsonIsLexedButLooksPlainAndMarkdownCodeHasItsBackground) {
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"d.json", "{\"a\": 1}")));
  EXPECT_EQ(Sci(SCI_GETLEXER), kLexerJson);
  const ColorPalette& p = GetColorPalette();
  for (int style = 0; style < 10; ++style) EXPECT_EQ(Sci(SCI_STYLEGETFORE, style), static_cast<sptr_t>(p.editorText));
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"README.MD", "# Title\n")));
  EXPECT_EQ(Sci(SCI_GETLEXER), kLexerMarkdown);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, 19), static_cast<sptr_t>(MarkdownCodeBackground(p.editorBack, p.isDark)));
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"plain.txt", "x")));
  EXPECT_EQ(Sci(SCI_GETLEXER), kLexerNull);
}

TEST_F(Look, MarginWidensAtAThousandLines) {
  std::string lines;
  for (int i = 0; i < 998; ++i) lines += "x\n";  // 999 lines
  ASSERT_TRUE(FileLoad(g_shell.mainWindow, temp_.Write(u"n999.txt", lines)));
  PumpPending();
  int digit = static_cast<int>(Sci(SCI_TEXTWIDTH, STYLE_LINENUMBER, "9"));
  EXPECT_EQ(LineNumberMarginWidth(), digit * 3 + 12);
  EXPECT_EQ(g_shell.marginWidth, digit * 3 + 12);
  Sci(SCI_DOCUMENTEND);
  Sci(SCI_REPLACESEL, 0, "\n");  // line 1000
  PumpPending();
  EXPECT_EQ(g_shell.marginWidth, digit * 4 + 12);
  RECT editor;
  GetWindowRect(g_shell.editor, &editor);
  MapWindowPoints(nullptr, g_shell.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
  EXPECT_EQ(editor.left, digit * 4 + 12);  // the edit control moved
  // Hiding line numbers gives the margin width 0 and hides it.
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_TOGGLE_LINE_NUMBERS, 0);
  PumpPending();
  EXPECT_FALSE(IsWindowVisible(g_shell.marginWindow));
  GetWindowRect(g_shell.editor, &editor);
  MapWindowPoints(nullptr, g_shell.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
  EXPECT_EQ(editor.left, 0);
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_TOGGLE_LINE_NUMBERS, 0);
  PumpPending();
  EXPECT_TRUE(IsWindowVisible(g_shell.marginWindow));
}

TEST_F(Look, ToolbarSaveFollowsTheModifiedFlagAndButtonsSendCommands) {
  ASSERT_NE(g_shell.toolbar, nullptr);
  std::u16string path = temp_.Write(u"t.txt", "t");
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path));
  EXPECT_FALSE(ToolbarButtonEnabled(2));
  Sci(SCI_REPLACESEL, 0, "x");
  PumpPending();
  EXPECT_TRUE(ToolbarButtonEnabled(2));
  RECT save = ToolbarButtonRect(2);
  SendMessageW(g_shell.toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(save.left + 10, save.top + 10));
  EXPECT_FALSE(g_doc.modified);  // the press itself saved
  EXPECT_FALSE(ToolbarButtonEnabled(2));
  EXPECT_EQ(ReadBytes(path), "xt");
  // A press on the disabled Save button does nothing.
  Sci(SCI_SETSAVEPOINT);
  SendMessageW(g_shell.toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(save.left + 10, save.top + 10));
  EXPECT_TRUE(g_shownMessages.empty());
  RECT client;
  GetClientRect(g_shell.toolbar, &client);
  EXPECT_EQ(ToolbarButtonRect(0).left, ToolbarButtonLeft(client.right, 0));
  EXPECT_EQ(client.bottom, 44);
}

std::wstring ReadString(const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

TEST(Association, RegistersOnceAndRewritesOnlyForAnotherLocation) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Norvo.Document");
  EXPECT_TRUE(RegisterFileAssociation());
  EXPECT_FALSE(RegisterFileAssociation());  // the command already matches
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_EQ(ReadString(L"Software\\Classes\\Norvo.Document", nullptr), L"Norvo Document");
  EXPECT_EQ(ReadString(L"Software\\Classes\\Norvo.Document\\DefaultIcon", nullptr), std::wstring(exe) + L",0");
  EXPECT_EQ(ReadString(L"Software\\Classes\\Norvo.Document\\shell\\open\\command", nullptr),
            L"\"" + std::wstring(exe) + L"\" \"%1\"");
  for (const wchar_t* ext : kAssociatedExtensions) {
    std::wstring base = std::wstring(L"Software\\Classes\\") + ext;
    HKEY h = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (base + L"\\OpenWithList\\Norvo.exe").c_str(), 0, KEY_READ, &h),
              ERROR_SUCCESS)
        << ext;
    if (h) RegCloseKey(h);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (base + L"\\OpenWithProgids").c_str(), L"Norvo.Document", RRF_RT_ANY,
                           &type, nullptr, &size),
              ERROR_SUCCESS)
        << ext;
    EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  }
  // A different location rewrites.
  HKEY h = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\Norvo.Document\\shell\\open\\command", 0, nullptr, 0,
                  KEY_WRITE, nullptr, &h, nullptr);
  const wchar_t other[] = L"\"C:\\elsewhere\\Norvo.exe\" \"%1\"";
  RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
  RegCloseKey(h);
  EXPECT_TRUE(RegisterFileAssociation());
  EXPECT_FALSE(RegisterFileAssociation());
}

}  // namespace
