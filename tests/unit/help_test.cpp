#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/version.h"
#include "help/help_logic.h"
#include "help/help_topics.h"

namespace {
std::vector<std::u16string_view> Lines(const char16_t* const* lines) {
  std::vector<std::u16string_view> out;
  for (; *lines; ++lines) out.emplace_back(*lines);
  return out;
}

std::vector<std::u16string> Headings(const char16_t* const* lines) {
  std::vector<std::u16string> out;
  for (std::u16string_view line : Lines(lines))
    if (ClassifyHelpLine(line) == HelpLineKind::Heading) out.emplace_back(HelpLineText(line));
  return out;
}

// Every heading 20 pixels, every paragraph 16, whatever the width; the widths asked for are kept.
struct FixedMeasure {
  std::vector<int>* widths;
  int operator()(std::u16string_view, bool heading, int width) const {
    widths->push_back(width);
    return heading ? 20 : 16;
  }
};
}  // namespace

TEST(HelpMarkup, LinesAreHeadingsBlanksOrParagraphs) {
  EXPECT_EQ(ClassifyHelpLine(u"##Themes"), HelpLineKind::Heading);
  EXPECT_EQ(HelpLineText(u"##Themes"), u"Themes");
  EXPECT_EQ(HelpLineText(u"## Spaced"), u" Spaced");  // only the two marks are taken off
  EXPECT_EQ(ClassifyHelpLine(u"##"), HelpLineKind::Heading);
  EXPECT_EQ(HelpLineText(u"##"), u"");
  EXPECT_EQ(ClassifyHelpLine(u""), HelpLineKind::Blank);
  EXPECT_EQ(ClassifyHelpLine(u"#One mark"), HelpLineKind::Paragraph);
  EXPECT_EQ(ClassifyHelpLine(u" ##indented"), HelpLineKind::Paragraph);
  EXPECT_EQ(ClassifyHelpLine(u" "), HelpLineKind::Paragraph);
  EXPECT_EQ(HelpLineText(u"  Ctrl+N\tNew file"), u"  Ctrl+N\tNew file");  // leading blanks kept
}

TEST(HelpLayout, ContentHeightOfTheShortcutsTopic) {
  // Six headings, fifteen shortcut lines and five empty lines between the groups.
  std::vector<int> widths;
  const int height = HelpContentHeight(kHelpKeyboardShortcuts, 500, {16, 20}, FixedMeasure{&widths});
  // 24 top + first heading 26 + five headings (10 + 26) + 15 lines x 19 + 5 blanks x 10 + 24 bottom
  EXPECT_EQ(height, 24 + 26 + 5 * 36 + 15 * 19 + 5 * 10 + 24);
  ASSERT_EQ(widths.size(), 21u);
  for (int w : widths) EXPECT_EQ(w, 500 - 62);
}

TEST(HelpLayout, UnmeasurableTextTakesOneLine) {
  const char16_t* const lines[] = {u"##A", u"x", u"##B", nullptr};
  auto none = [](std::u16string_view, bool, int) { return 0; };
  // Heading: font height 20 + 6; paragraph: body 16 + 4 + 3; second heading 10 + 20 + 6.
  EXPECT_EQ(HelpContentHeight(lines, 300, {16, 20}, none), 24 + 26 + 23 + 36 + 24);
}

TEST(HelpLayout, NarrowPanesHaveNoContent) {
  std::vector<int> widths;
  EXPECT_EQ(HelpContentHeight(kHelpAbout, 48, {16, 20}, FixedMeasure{&widths}), 0);
  EXPECT_TRUE(widths.empty());
  EXPECT_GT(HelpContentHeight(kHelpAbout, 49, {16, 20}, FixedMeasure{&widths}), 0);
}

TEST(HelpLayout, ScrollingStaysWithinTheContent) {
  EXPECT_EQ(HelpMaxScroll(608, 400), 208);
  EXPECT_EQ(HelpMaxScroll(300, 400), 0);
  EXPECT_EQ(HelpScrollTo(0, HelpScroll::LineDown, 0, 400, 208), 20);
  EXPECT_EQ(HelpScrollTo(20, HelpScroll::LineUp, 0, 400, 208), 0);
  EXPECT_EQ(HelpScrollTo(0, HelpScroll::LineUp, 0, 400, 208), 0);
  EXPECT_EQ(HelpScrollTo(0, HelpScroll::PageDown, 0, 100, 208), 100);
  EXPECT_EQ(HelpScrollTo(150, HelpScroll::PageDown, 0, 100, 208), 208);
  EXPECT_EQ(HelpScrollTo(150, HelpScroll::PageUp, 0, 100, 208), 50);
  EXPECT_EQ(HelpScrollTo(0, HelpScroll::Thumb, 120, 100, 208), 120);
  EXPECT_EQ(HelpScrollTo(0, HelpScroll::Thumb, 999, 100, 208), 208);
  EXPECT_EQ(HelpScrollTo(50, HelpScroll::Bottom, 0, 100, 208), 208);
  EXPECT_EQ(HelpScrollTo(50, HelpScroll::Top, 0, 100, 208), 0);
  // The wheel: 40 pixels a notification, down for a negative delta, whatever its size.
  EXPECT_EQ(HelpWheelTo(0, -120, 208), 40);
  EXPECT_EQ(HelpWheelTo(0, -240, 208), 40);
  EXPECT_EQ(HelpWheelTo(100, 120, 208), 60);
  EXPECT_EQ(HelpWheelTo(200, -120, 208), 208);
  EXPECT_EQ(HelpWheelTo(0, -120, 0), 0);  // a topic shorter than the pane does not move
  EXPECT_EQ(ClampHelpScroll(300, 208), 208);
  EXPECT_EQ(ClampHelpScroll(-5, 208), 0);
}

TEST(HelpStored, TopicAndSizeOutsideTheirLimitsFallBack) {
  EXPECT_EQ(HelpOpeningTopic(12), 0);
  EXPECT_EQ(HelpOpeningTopic(10), 0);
  EXPECT_EQ(HelpOpeningTopic(9), 9);
  const HelpSize big{860, 680}, small{716, 614};
  auto same = [](HelpSize a, HelpSize b) { return a.width == b.width && a.height == b.height; };
  EXPECT_TRUE(same(HelpOpeningSize(400, 500, 1920, 1080), big));
  EXPECT_TRUE(same(HelpOpeningSize(400, 500, 1024, 768), small));
  EXPECT_TRUE(same(HelpOpeningSize(700, 379, 1920, 1080), big));
  EXPECT_TRUE(same(HelpOpeningSize(1100, 500, 1024, 768), small));  // wider than this screen
  EXPECT_TRUE(same(HelpOpeningSize(0, 0, 1920, 1080), big));
  EXPECT_TRUE(same(HelpOpeningSize(500, 380, 1024, 768), HelpSize{500, 380}));
  EXPECT_TRUE(same(HelpOpeningSize(1024, 768, 1024, 768), HelpSize{1024, 768}));
}

TEST(HelpTopics, RowsAndSteps) {
  EXPECT_EQ(HelpTopicAt(50, 51), -1);  // above the first row
  EXPECT_EQ(HelpTopicAt(50, 52), 0);
  EXPECT_EQ(HelpTopicAt(50, 52 + 32 * 9 + 31), 9);
  EXPECT_EQ(HelpTopicAt(50, 52 + 32 * 10), -1);
  EXPECT_EQ(HelpTopicAt(190, 60), -1);  // in the content pane
  EXPECT_EQ(HelpStepTopic(0, -1), 0);
  EXPECT_EQ(HelpStepTopic(9, 1), 9);
  EXPECT_EQ(HelpStepTopic(4, 1), 5);
}

TEST(HelpTopics, NamesAndHeadingsInTheirOrder) {
  const std::vector<std::pair<std::u16string, std::vector<std::u16string>>> expected = {
      {u"Getting started", {u"Welcome to Norvo Editor", u"Key Capabilities", u"Usage Tips", u"Explore Further"}},
      {u"Keyboard shortcuts", {u"File", u"Edit", u"Find & Replace", u"Regex Search", u"Font", u"Print"}},
      {u"Themes", {u"Themes", u"Persistence"}},
      {u"File formats", {u"Encoding detection", u"Line endings", u"Syntax highlighting"}},
      {u"Export & Print", {u"PDF export", u"HTML export", u"RTF export", u"Print Preview", u"Page Setup"}},
      {u"MD Preview",
       {u"Markdown Preview", u"File size limits", u"No browser installed?", u"Markdown Syntax Support",
        u"HTML Output Features", u"Temporary Files", u"Supported Extensions", u"Common Use Cases",
        u"Keyboard Shortcuts (in editor)", u"Limitations"}},
      {u"Regular Expressions",
       {u"Regular Expressions in Norvo", u"Basic Patterns", u"Character Classes", u"Quantifiers", u"Anchors",
        u"Groups & Alternation", u"Character Escapes", u"Practical Examples", u"Find & Replace Examples",
        u"Advanced Features", u"Regex Dialog Options", u"Performance Tips"}},
      {u"Syntax Highlighting",
       {u"Syntax Highlighting in Norvo", u"Supported Languages", u"Colour Scheme", u"How It Works",
        u"Markdown Support", u"Customising Colours", u"Performance", u"Limitations", u"Technical Details"}},
      {u"Known limitations", {u"Known limitations", u"Large files", u"Syntax highlighting scope", u"UTF-16 save"}},
      {u"About Norvo", {u"Norvo Editor", u"Licence", u"Acknowledgements"}},
  };
  ASSERT_EQ(expected.size(), static_cast<size_t>(kHelpTopicCount));
  for (int i = 0; i < kHelpTopicCount; ++i) {
    EXPECT_EQ(kHelpTopics[i].name, expected[i].first);
    EXPECT_EQ(Headings(kHelpTopics[i].lines), expected[i].second) << i;
    // Each text opens with its first heading, which gets no space above it.
    EXPECT_EQ(ClassifyHelpLine(kHelpTopics[i].lines[0]), HelpLineKind::Heading) << i;
  }
}

TEST(HelpTopics, ShortcutLinesAreIndentedWithTheDescriptionInAColumn) {
  const std::vector<std::u16string> expected = {
      u"  Ctrl+N\tNew file",      u"  Ctrl+O\tOpen file", u"  Ctrl+S\tSave",
      u"  Ctrl+Shift+S\tSave as", u"  Ctrl+Z\tUndo",      u"  Ctrl+Y\tRedo",
      u"  Ctrl+X\tCut",           u"  Ctrl+C\tCopy",      u"  Ctrl+V\tPaste",
      u"  Ctrl+A\tSelect all",    u"  Ctrl+F\tFind / Replace", u"  Ctrl+H\tFind / Replace (alternative)",
      u"  Ctrl+Shift+H\tRegex Search dialog", u"  Ctrl+Shift+F\tFont dialog", u"  Ctrl+P\tPrint"};
  std::vector<std::u16string> paragraphs;
  for (std::u16string_view line : Lines(kHelpKeyboardShortcuts))
    if (ClassifyHelpLine(line) == HelpLineKind::Paragraph) paragraphs.emplace_back(line);
  EXPECT_EQ(paragraphs, expected);
}

TEST(HelpTopics, NoAddressesOutsideTheLicenceNotices) {
  // Only the copyright lines of the notices, all in the About topic, may carry an address.
  for (int i = 0; i < kHelpTopicCount; ++i) {
    for (std::u16string_view line : Lines(kHelpTopics[i].lines)) {
      if (line.starts_with(u"Copyright ")) {
        EXPECT_EQ(i, 9) << "a copyright line outside the About topic";
        continue;
      }
      for (std::u16string_view bad : {u"http", u"www.", u"@"})
        EXPECT_EQ(line.find(bad), std::u16string_view::npos) << "topic " << i;
    }
  }
}

TEST(HelpTopics, AboutShowsTheVersionAndTheLicences) {
  std::vector<std::u16string_view> about = Lines(kHelpAbout);
  ASSERT_GE(about.size(), 2u);
  EXPECT_EQ(about[1], u"Version " + std::u16string(kNorvoVersion));
  auto has = [&](std::u16string_view text) {
    for (std::u16string_view line : about)
      if (line.find(text) != std::u16string_view::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(u"MIT licence"));
  EXPECT_TRUE(has(u"Copyright (c) 2026 the Norvo developers"));
  EXPECT_TRUE(has(u"Copyright 1998-2021 by Neil Hodgson"));
  EXPECT_TRUE(has(u"Copyright 1997-2022 University of Cambridge."));
}
