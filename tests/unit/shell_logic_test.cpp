#include "app/shell_logic.h"

#include <gtest/gtest.h>

TEST(Title, DisplayNames) {
  EXPECT_EQ(GetDisplayName(u""), u"Untitled");
  EXPECT_EQ(GetDisplayName(u"C:\\a\\b.txt"), u"b.txt");
  EXPECT_EQ(GetDisplayName(u"/home/u/notes.md"), u"notes.md");
  EXPECT_EQ(GetDisplayName(u"C:\\mixed/dir\\x.c"), u"x.c");
  EXPECT_EQ(GetDisplayName(u"plain"), u"plain");
  EXPECT_EQ(GetDisplayName(u"C:\\dir\\"), u"");
}

TEST(Title, ModifiedMark) {
  EXPECT_EQ(BuildTitle(u"", false), u"Norvo - Untitled");
  EXPECT_EQ(BuildTitle(u"", true), u"Norvo - Untitled *");
  EXPECT_EQ(BuildTitle(u"C:\\x\\a.txt", true), u"Norvo - a.txt *");
  EXPECT_EQ(BuildTitle(u"C:\\dir\\", false), u"Norvo - ");
}

struct CommandLineCase {
  std::vector<std::u16string> args;
  bool viewer;
  std::optional<std::u16string> file;
  const char* trace;
};
class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ChoosesModeAndFile) {
  const CommandLineCase& c = GetParam();
  EXPECT_EQ(HasViewerFlag(c.args), c.viewer);
  CommandLineDocument d = DocumentFromCommandLine(c.args);
  EXPECT_EQ(d.path, c.file);
  if (c.trace) {
    ASSERT_NE(d.trace, nullptr);
    EXPECT_STREQ(d.trace, c.trace);
  } else {
    EXPECT_EQ(d.trace, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        CommandLineCase{{u"norvo.exe"}, false, std::nullopt, nullptr},
        CommandLineCase{{u"norvo.exe", u"--viewer"}, true, std::nullopt, "No file to load (untitled document)"},
        CommandLineCase{{u"norvo.exe", u"--viewer", u"a.txt"}, true, u"a.txt",
                        "Viewer mode - loading file from command line"},
        CommandLineCase{{u"norvo.exe", u"a.txt", u"--viewer"}, false, u"a.txt",
                        "Normal mode - loading file from command line"},
        CommandLineCase{{u"norvo.exe", u"--VIEWER"}, false, u"--VIEWER", "Normal mode - loading file from command line"},
        CommandLineCase{{u"norvo.exe", u"a.txt", u"b.txt"}, false, u"a.txt",
                        "Normal mode - loading file from command line"}));

TEST(Transparency, Alpha) {
  EXPECT_EQ(TransparencyAlpha(10), 230);
  EXPECT_EQ(TransparencyAlpha(20), 204);
  EXPECT_EQ(TransparencyAlpha(50), 128);
  EXPECT_EQ(TransparencyAlpha(1), 253);
  EXPECT_EQ(TransparencyAlpha(0), 255);
}

TEST(MessageBoxLayoutTest, WidthFollowsTheLongestLine) {
  EXPECT_EQ(ComputeMessageBoxLayout(Ok, u"0123456789").width, 220);
  EXPECT_EQ(ComputeMessageBoxLayout(Ok, std::u16string(120, u'x')).width, 400);
  EXPECT_EQ(ComputeMessageBoxLayout(Ok, std::u16string(60, u'x')).width, 260);
  // The longest line counts, not the whole text.
  EXPECT_EQ(ComputeMessageBoxLayout(Ok, u"short\n" + std::u16string(70, u'y') + u"\nend").width, 300);
}

TEST(MessageBoxLayoutTest, HeightsByKind) {
  MessageBoxLayout ok = ComputeMessageBoxLayout(Ok, u"a\nb\nc");
  EXPECT_EQ(ok.textHeight, 34);
  EXPECT_EQ(ok.height, 63);
  EXPECT_EQ(ok.buttonTop, 45);
  EXPECT_EQ(ComputeMessageBoxLayout(SaveDontSaveCancel, u"a\nb\nc").height, 65);
  EXPECT_EQ(ComputeMessageBoxLayout(YesNo, u"").textHeight, 14);
}

TEST(MessageBoxLayoutTest, ButtonsAndResults) {
  MessageBoxLayout save = ComputeMessageBoxLayout(SaveDontSaveCancel, u"x");
  ASSERT_EQ(save.buttons.size(), 3u);
  EXPECT_EQ(save.buttonX, (std::vector<int>{29, 85, 141}));  // (220 - 162) / 2, +56, +112
  EXPECT_EQ(std::u16string(save.buttons[1].text), u"Don't Save");
  EXPECT_EQ(std::u16string(save.buttons[0].caption), u"Yes");
  EXPECT_EQ(save.buttons[0].result, ResultYes);
  EXPECT_EQ(save.buttons[2].result, ResultCancel);

  MessageBoxLayout okCancel = ComputeMessageBoxLayout(OkCancel, u"x");
  EXPECT_EQ(okCancel.buttonX, (std::vector<int>{57, 113}));
  EXPECT_EQ(okCancel.buttons[1].result, ResultCancel);

  MessageBoxLayout ok = ComputeMessageBoxLayout(Ok, u"x");
  EXPECT_EQ(ok.buttonX, (std::vector<int>{85}));
  EXPECT_EQ(ComputeMessageBoxLayout(7, u"x").buttons.size(), 1u);  // unknown kinds behave like Ok

  EXPECT_EQ(MessageBoxCancelResult(Ok), ResultOk);
  EXPECT_EQ(MessageBoxCancelResult(YesNo), ResultCancel);
  EXPECT_EQ(MessageBoxCancelResult(SaveDontSaveCancel), ResultCancel);
  EXPECT_EQ(MessageBoxCancelResult(OkCancel), ResultCancel);
}

TEST(StatusBar, Texts) {
  StatusInfo info;
  info.line = 0;
  info.column = 4;
  info.selection = 6;
  info.encoding = 2;
  info.eolMode = 2;
  info.zoom = 2;
  StatusTexts t = BuildStatusTexts(info);
  EXPECT_EQ(t.part[0], u"  Ln 1, Col 5");
  EXPECT_EQ(t.part[1], u"  Sel: 6");
  EXPECT_EQ(t.part[2], u"  UTF-16 LE");
  EXPECT_EQ(t.part[3], u"  LF");
  EXPECT_EQ(t.part[4], u"  120%");
  info.selection = 0;
  info.zoom = -10;
  info.eolMode = 7;
  info.encoding = 99;
  t = BuildStatusTexts(info);
  EXPECT_EQ(t.part[1], u"");
  EXPECT_EQ(t.part[2], u"  UTF-8");
  EXPECT_EQ(t.part[3], u"  ?");
  EXPECT_EQ(t.part[4], u"  0%");
  info.zoom = 0;
  EXPECT_EQ(BuildStatusTexts(info).part[4], u"  100%");
}

TEST(StatusBar, PartEdges) {
  StatusEdges wide = StatusBarPartEdges(1000);
  EXPECT_EQ(wide.edge[0], 640);
  EXPECT_EQ(wide.edge[1], 755);
  EXPECT_EQ(wide.edge[2], 870);
  EXPECT_EQ(wide.edge[3], 935);
  EXPECT_EQ(wide.edge[4], -1);
  EXPECT_EQ(StatusBarPartEdges(400).edge[0], 80);
}

TEST(Accelerators, EditFieldsKeepTheirEditingKeys) {
  for (unsigned key : {'Z', 'Y', 'X', 'C', 'V', 'A'}) EXPECT_TRUE(IsEditFieldKey(key, true, false, false)) << key;
  EXPECT_FALSE(IsEditFieldKey('S', true, false, false));  // Ctrl+S saves from anywhere
  EXPECT_FALSE(IsEditFieldKey('F', true, false, false));
  EXPECT_FALSE(IsEditFieldKey('V', false, false, false));
  EXPECT_FALSE(IsEditFieldKey('Z', true, true, false));
  EXPECT_FALSE(IsEditFieldKey('C', true, false, true));
}

TEST(Margin, WidthByDigitCount) {
  EXPECT_EQ(MarginWidthFor(1, 8), 36);
  EXPECT_EQ(MarginWidthFor(999, 8), 36);
  EXPECT_EQ(MarginWidthFor(1000, 8), 44);
  EXPECT_EQ(MarginWidthFor(1000000, 7), 61);
  EXPECT_EQ(MarginWidthFor(50, 0), 36);  // unknown digit width counts as 8
}

TEST(Toolbar, GroupIsCentredButNeverLeftOf8) {
  EXPECT_EQ(ToolbarButtonLeft(400, 0), 8);
  EXPECT_EQ(ToolbarButtonLeft(1000, 0), 255);
  EXPECT_EQ(ToolbarButtonLeft(1000, 5), 255 + 5 * 83);
  EXPECT_EQ(ToolbarButtonLeft(490, 0), 8);
  EXPECT_EQ(ToolbarButtonLeft(506, 0), 8);
  EXPECT_EQ(ToolbarButtonLeft(508, 0), 9);
}
