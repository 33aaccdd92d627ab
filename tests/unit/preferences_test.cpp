#include "settings/preferences.h"

#include <gtest/gtest.h>

#include "common/utf.h"

TEST(Preferences, TransparencyField) {
  EXPECT_EQ(ParseTransparency(u"0"), 0);
  EXPECT_EQ(ParseTransparency(u"50"), 50);
  EXPECT_EQ(ParseTransparency(u"007"), 7);
  for (const char16_t* refused : {u"", u"-1", u"51", u"+5", u"5 ", u"99999999999999999999", u"\uFF15"})
    EXPECT_FALSE(ParseTransparency(refused).has_value()) << Utf16ToUtf8(refused);
}

TEST(Preferences, IntervalShownForAStoredValue) {
  EXPECT_EQ(AutoSaveIntervalIndex(0), 1);    // off: "5 min"
  EXPECT_EQ(AutoSaveIntervalIndex(-3), 1);
  EXPECT_EQ(AutoSaveIntervalIndex(1), 0);
  EXPECT_EQ(AutoSaveIntervalIndex(60), 4);
  EXPECT_EQ(AutoSaveIntervalIndex(15), 0);   // matches none: "1 min"
}

TEST(Preferences, IntervalStored) {
  EXPECT_EQ(AutoSaveMinutesToStore(false, 3), 0);
  EXPECT_EQ(AutoSaveMinutesToStore(true, 3), 30);
  EXPECT_EQ(AutoSaveMinutesToStore(true, -1), 5);  // enabled with nothing selected
  EXPECT_EQ(AutoSaveMinutesToStore(true, 5), 5);
}

TEST(Preferences, FontLabel) {
  EXPECT_EQ(FontLabelText(u"Consolas", 11, false, false), u"Font: Consolas, 11 pt");
  EXPECT_EQ(FontLabelText(u"Courier New", 9, true, true), u"Font: Courier New, 9 pt Bold Italic");
  EXPECT_EQ(FontLabelText(u"X", 12, false, true), u"Font: X, 12 pt Italic");
}

TEST(Preferences, SizeField) {
  EXPECT_EQ(ParseFontSize(u"13"), 13);
  EXPECT_EQ(ParseFontSize(u"144"), 144);
  EXPECT_EQ(ParseFontSize(u"1"), 1);
  EXPECT_EQ(ParseFontSize(u"0000012"), 12);   // seven characters read
  EXPECT_EQ(ParseFontSize(u"12abc"), 12);     // the number at the start
  EXPECT_EQ(ParseFontSize(u"00000012"), 1);   // only "0000001" is read
  for (const char16_t* ignored : {u"200", u"0", u"", u"abc", u"145", u"00000000144"})
    EXPECT_FALSE(ParseFontSize(ignored).has_value()) << Utf16ToUtf8(ignored);
}

TEST(Preferences, ListedFaces) {
  EXPECT_TRUE(ListableFace(u"Consolas", true));
  EXPECT_FALSE(ListableFace(u"@MS Gothic", true));
  EXPECT_FALSE(ListableFace(u"Fixedsys", false));
  EXPECT_FALSE(ListableFace(u"", true));
}

TEST(Preferences, FaceFoundExactlyElseByPrefix) {
  const std::vector<std::u16string> names = {u"Arial", u"Courier", u"Courier New", u"DejaVu Sans"};
  EXPECT_EQ(FindFaceIndex(names, u"Courier New"), 2);
  EXPECT_EQ(FindFaceIndex(names, u"Courier"), 1);
  EXPECT_EQ(FindFaceIndex(names, u"DejaVu"), 3);
  EXPECT_EQ(FindFaceIndex(names, u"Gone Face"), -1);
  EXPECT_EQ(FindFaceIndex(names, u""), -1);
  EXPECT_EQ(TopIndexShowing(2), 0);
  EXPECT_EQ(TopIndexShowing(10), 7);
}
