// The Settings and Font dialogs with the real controls: what OK applies and stores, what
// Cancel leaves alone, and the fields' rules.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include <functional>
#include <set>
#include <string>

#include "common/messages.h"
#include "common/utf.h"
#include "document/file_commands_win.h"
#include "harness.h"
#include "settings/font_dialog_win.h"
#include "settings/settings_dialog_win.h"
#include "settings/settings_hooks_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"
#include "ui/ui_hooks_win.h"

namespace {

// What a test does with each dialog once it is shown (the Settings or the Font dialog).
std::function<void(HWND)> g_onSettingsShown, g_onFontShown;
void OnDialogShown(HWND dialog) {
  const bool font = GetDlgItem(dialog, 202) != nullptr;
  auto& act = font ? g_onFontShown : g_onSettingsShown;
  if (act) act(dialog);
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
void SetField(HWND dialog, int id, const wchar_t* text) {
  SetDlgItemTextW(dialog, id, text);
}
void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}
std::u16string Field(HWND dialog, int id) {
  wchar_t text[64] = {};
  GetDlgItemTextW(dialog, id, text, 64);
  return U16(text);
}
// Selects a list entry the way a click does: the selection, then the notice.
void ChooseListEntry(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
std::vector<std::u16string> ListEntries(HWND dialog, int id) {
  std::vector<std::u16string> names;
  const int count = static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendDlgItemMessageW(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    names.push_back(U16(text));
  }
  return names;
}
std::string StyleFont(int style) {
  char face[128] = {};
  Sci(SCI_STYLEGETFONT, static_cast<uptr_t>(style), face);
  return face;
}

class Preferences : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_settingsHooks.dialogShown = OnDialogShown;
  }
  void TearDown() override {
    g_settingsHooks.dialogShown = nullptr;
    g_onSettingsShown = g_onFontShown = nullptr;
    if (g_shell.mainWindow) KillTimer(g_shell.mainWindow, 5001);
    MainWindowTest::TearDown();
    // Back to the defaults the other tests expect.
    g_settings.transparency = 0;
    g_settings.autoSaveMinutes = 0;
    g_settings.showLineNumbers = g_settings.wordWrap = 1;
    g_settings.themeId = 0;
    g_settings.fontName.Set(u"Consolas");
    g_settings.fontSize = 11;
    g_settings.fontBold = g_settings.fontItalic = 0;
    CopyLiveFromSettings();
    SaveSettings(g_settings);
  }
  // The settings as stored in the file.
  static AppSettings Stored() {
    AppSettings stored{};
    LoadSettings(stored);
    return stored;
  }
};

TEST_F(Preferences, OkAppliesEveryValueAtOnceAndStoresThem) {
  g_onSettingsShown = [](HWND d) {
    SendDlgItemMessageW(d, 302, CB_SETCURSEL, 2, 0);  // Azure
    SetField(d, 303, L"20");
    Check(d, 313, false);
    Check(d, 314, false);
    Check(d, 321, true);
    SendDlgItemMessageW(d, 322, CB_SETCURSEL, 2, 0);  // 10 min
    Press(d, IDOK);
  };
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_SETTINGS, 0);

  EXPECT_EQ(g_live.themeId, 2u);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, STYLE_DEFAULT), static_cast<sptr_t>(kThemePalettes[2].editorBack));
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(g_shell.mainWindow, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 204);  // 20 %
  EXPECT_EQ(Sci(SCI_GETWRAPMODE), SC_WRAP_NONE);
  EXPECT_EQ(Sci(SCI_GETHSCROLLBAR), 1);
  EXPECT_FALSE(g_shell.marginVisible);
  EXPECT_FALSE(IsWindowVisible(g_shell.marginWindow));
  EXPECT_TRUE(KillTimer(g_shell.mainWindow, 5001));  // armed by the main window after OK
  EXPECT_EQ(g_shell.settingsDialog, nullptr);

  const AppSettings stored = Stored();
  EXPECT_EQ(stored.themeId, 2u);
  EXPECT_EQ(stored.transparency, 20);
  EXPECT_EQ(stored.autoSaveMinutes, 10);
  EXPECT_EQ(stored.showLineNumbers, 0);
  EXPECT_EQ(stored.wordWrap, 0);
}

TEST_F(Preferences, CancelAfterChangingTheThemeLeavesColoursAndFileAlone) {
  const std::string before = ReadBytes(GetConfigFilePath());
  const sptr_t back = Sci(SCI_STYLEGETBACK, STYLE_DEFAULT);
  g_onSettingsShown = [](HWND d) {
    SendDlgItemMessageW(d, 302, CB_SETCURSEL, 3, 0);
    SetField(d, 303, L"40");
    Press(d, IDCANCEL);
  };
  EXPECT_FALSE(ShowSettingsDialog(g_shell.mainWindow));
  EXPECT_EQ(g_live.themeId, 0u);
  EXPECT_EQ(Sci(SCI_STYLEGETBACK, STYLE_DEFAULT), back);
  EXPECT_EQ(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_EQ(ReadBytes(GetConfigFilePath()), before);
}

TEST_F(Preferences, AStoredIntervalOfFifteenOpensEnabledOnOneMinute) {
  g_settings.autoSaveMinutes = 15;
  int shownIndex = -1;
  bool enabled = false;
  g_onSettingsShown = [&](HWND d) {
    shownIndex = static_cast<int>(SendDlgItemMessageW(d, 322, CB_GETCURSEL, 0, 0));
    enabled = IsDlgButtonChecked(d, 321) == BST_CHECKED && IsWindowEnabled(GetDlgItem(d, 322));
    Check(d, 321, false);  // unchecked: 0 is stored whatever the list shows
    Press(d, IDOK);
  };
  EXPECT_TRUE(ShowSettingsDialog(g_shell.mainWindow));
  EXPECT_EQ(shownIndex, 0);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(Stored().autoSaveMinutes, 0);
}

// A refused transparency: the message, the stored value back in the field, the dialog open.
class RefusedTransparency : public Preferences, public testing::WithParamInterface<const wchar_t*> {};

std::u16string g_fieldAtMessage;
int RecordFieldAndMessage(HWND owner, int kind, const std::u16string& title, const std::u16string& text) {
  g_fieldAtMessage = Field(owner, 303);
  return RecordMessageForTests(owner, kind, title, text);
}

TEST_P(RefusedTransparency, KeepsTheDialogOpenWithTheStoredValue) {
  g_settings.transparency = 10;
  g_fieldAtMessage.clear();
  g_uiHooks.messageBox = RecordFieldAndMessage;
  const wchar_t* typed = GetParam();
  g_onSettingsShown = [typed](HWND d) {
    SetField(d, 303, typed);
    Press(d, IDOK);
    Press(d, IDCANCEL);  // reached only when the dialog stayed open
  };
  const bool confirmed = ShowSettingsDialog(g_shell.mainWindow);
  g_uiHooks.messageBox = RecordMessageForTests;
  EXPECT_FALSE(confirmed);
  ASSERT_EQ(g_shownMessages.size(), 1u);
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo \u2014 Settings");
  EXPECT_EQ(g_shownMessages[0].text, u"Transparency must be a number between 0 and 50.");
  EXPECT_EQ(g_fieldAtMessage, u"10");
  EXPECT_EQ(g_settings.transparency, 10);
}
INSTANTIATE_TEST_SUITE_P(Fields, RefusedTransparency, testing::Values(L"51", L"", L"-1", L"5x"));

TEST_F(Preferences, FiftyIsAcceptedAndZeroRemovesTheLayeredStyle) {
  for (const wchar_t* value : {L"50", L"0"}) {
    g_onSettingsShown = [value](HWND d) {
      SetField(d, 303, value);
      Press(d, IDOK);
    };
    EXPECT_TRUE(ShowSettingsDialog(g_shell.mainWindow));
  }
  EXPECT_EQ(g_settings.transparency, 0);
  EXPECT_EQ(GetWindowLongPtrW(g_shell.mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_TRUE(g_shownMessages.empty());
}

TEST_F(Preferences, TheFontListHasNoVerticalFaceAndNoNameTwice) {
  std::vector<std::u16string> faces;
  g_onFontShown = [&](HWND d) {
    faces = ListEntries(d, 202);
    Press(d, 209);
  };
  EXPECT_FALSE(ShowFontDialog(g_shell.mainWindow));
  ASSERT_FALSE(faces.empty());
  std::set<std::u16string> seen;
  for (const std::u16string& face : faces) {
    EXPECT_NE(face[0], u'@') << Utf16ToUtf8(face);
    EXPECT_TRUE(seen.insert(face).second) << Utf16ToUtf8(face);
  }
}

TEST_F(Preferences, FontOkKeepsSyntaxColoursAndChangesTheDefaultStyle) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"a.cpp", "int main() { return 0; }\n")));
  const sptr_t keyword = Sci(SCI_STYLEGETFORE, 5);
  std::u16string chosen;
  int sizeSelectionAfter13 = -2;
  g_onFontShown = [&](HWND d) {
    const std::vector<std::u16string> faces = ListEntries(d, 202);
    for (size_t i = 0; i < faces.size(); ++i) {
      if (faces[i] != u"Consolas" && faces[i].find(u"Mono") != std::u16string::npos) {
        chosen = faces[i];
        ChooseListEntry(d, 202, static_cast<int>(i));
        break;
      }
    }
    SetField(d, 203, L"200");  // ignored: the size stays 11
    SetField(d, 203, L"13");   // accepted, though no list entry matches
    sizeSelectionAfter13 = static_cast<int>(SendDlgItemMessageW(d, 204, LB_GETCURSEL, 0, 0));
    Check(d, 205, true);
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(205, BN_CLICKED), 0);
    Press(d, 208);
  };
  ASSERT_TRUE(ShowFontDialog(g_shell.mainWindow));
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(StyleFont(STYLE_DEFAULT), Utf16ToUtf8(chosen));
  EXPECT_EQ(Sci(SCI_STYLEGETSIZE, STYLE_DEFAULT), 13);
  EXPECT_EQ(Sci(SCI_STYLEGETBOLD, STYLE_DEFAULT), 1);
  EXPECT_EQ(Sci(SCI_STYLEGETFORE, 5), keyword);  // the C++ colours survive
  EXPECT_EQ(sizeSelectionAfter13, 5);            // still "11"
  const AppSettings stored = Stored();
  EXPECT_EQ(stored.fontName.Get(), chosen);
  EXPECT_EQ(stored.fontSize, 13);
  EXPECT_EQ(stored.fontBold, 1);
}

TEST_F(Preferences, FontCancelChangesNothing) {
  const std::string face = StyleFont(STYLE_DEFAULT);
  const std::string before = ReadBytes(GetConfigFilePath());
  g_onFontShown = [](HWND d) {
    ChooseListEntry(d, 202, 0);
    SetField(d, 203, L"30");
    Press(d, IDCANCEL);
  };
  EXPECT_FALSE(ShowFontDialog(g_shell.mainWindow));
  EXPECT_EQ(StyleFont(STYLE_DEFAULT), face);
  EXPECT_EQ(Sci(SCI_STYLEGETSIZE, STYLE_DEFAULT), 11);
  EXPECT_EQ(g_live.fontSize, 11);
  EXPECT_EQ(ReadBytes(GetConfigFilePath()), before);
}

TEST_F(Preferences, AStoredFaceThatIsNotInstalledIsShownAndKept) {
  g_live.fontName = u"No Such Face Anywhere";
  std::u16string shown;
  g_onFontShown = [&](HWND d) {
    shown = Field(d, 201);
    Press(d, 208);
  };
  ASSERT_TRUE(ShowFontDialog(g_shell.mainWindow));
  EXPECT_EQ(shown, u"No Such Face Anywhere");
  EXPECT_EQ(g_settings.fontName.Get(), u"No Such Face Anywhere");
}

TEST_F(Preferences, AFontChosenFromSettingsStaysWhenSettingsIsCancelled) {
  g_onSettingsShown = [](HWND d) { Press(d, 311); };
  g_onFontShown = [&](HWND d) {
    SetField(d, 203, L"16");
    Press(d, 208);
    Press(g_shell.settingsDialog, IDCANCEL);  // handled once the Font dialog has closed
  };
  EXPECT_FALSE(ShowSettingsDialog(g_shell.mainWindow));
  EXPECT_EQ(g_live.fontSize, 16);
  EXPECT_EQ(Sci(SCI_STYLEGETSIZE, STYLE_DEFAULT), 16);
  EXPECT_EQ(Stored().fontSize, 16);
}

TEST_F(Preferences, TheFontLabelFollowsTheLiveFont) {
  g_live.fontName = u"Courier New";
  g_live.fontSize = 12;
  g_settings.fontItalic = 1;
  std::u16string label;
  g_onSettingsShown = [&](HWND d) {
    label = Field(d, 312);
    Press(d, IDCANCEL);
  };
  ShowSettingsDialog(g_shell.mainWindow);
  EXPECT_EQ(label, u"Font: Courier New, 12 pt Italic");
}

TEST_F(Preferences, ApplyThemeSelectsTheThemeInAnOpenSettingsDialog) {
  LRESULT selected = -1;
  g_onSettingsShown = [&](HWND d) {
    ApplyTheme(4);
    selected = SendDlgItemMessageW(d, 302, CB_GETCURSEL, 0, 0);
    Press(d, IDCANCEL);
  };
  ShowSettingsDialog(g_shell.mainWindow);
  EXPECT_EQ(selected, 4);
  ApplyTheme(0);
}

}  // namespace

namespace {
TEST_F(Preferences, FontWarningsKeepTheDialogOpen) {
  struct Case {
    std::u16string face;
    int size;
    const char16_t* warning;
  };
  for (const Case& c : {Case{u"", 11, u"Please choose a font."}, Case{u"Consolas", 0, u"Font size must be between 1 and 144."}}) {
    g_live.fontName = c.face;
    g_live.fontSize = c.size;
    ClearMessages();
    g_onFontShown = [](HWND d) {
      Press(d, 208);
      Press(d, 209);  // reached only when the dialog stayed open
    };
    EXPECT_FALSE(ShowFontDialog(g_shell.mainWindow));
    ASSERT_EQ(g_shownMessages.size(), 1u);
    EXPECT_EQ(g_shownMessages[0].title, u"Norvo");
    EXPECT_EQ(g_shownMessages[0].text, c.warning);
  }
}
}  // namespace
