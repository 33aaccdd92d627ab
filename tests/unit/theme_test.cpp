#include "settings/theme.h"

#include <gtest/gtest.h>

TEST(Theme, ColoursAreColorrefs) {
  // #1E1E1E / #569CD6 of "Norvo Dark" as 0x00BBGGRR.
  EXPECT_EQ(kThemePalettes[0].windowBack, 0x001E1E1Eu);
  EXPECT_EQ(kThemePalettes[0].syntax.keyword, 0x00D69C56u);
  EXPECT_EQ(kThemePalettes[0].selectionBack, 0x00784F26u);
  EXPECT_EQ(kThemePalettes[5].syntax.op, 0x00193750u);  // Sepia operator #503719
  EXPECT_EQ(kThemePalettes[2].statusBack, 0x00F5E0D2u);  // Azure #D2E0F5
}

TEST(Theme, DarkFlags) {
  bool expected[kThemeCount] = {true, false, false, false, true, false};
  for (uint32_t i = 0; i < kThemeCount; ++i) EXPECT_EQ(kThemePalettes[i].isDark, expected[i]) << i;
}

TEST(Theme, OutOfRangeIndexMeansThemeZero) {
  EXPECT_EQ(&PaletteForTheme(6), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(9), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(0xFFFFFFFFu), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(5), &kThemePalettes[5]);
  EXPECT_EQ(std::u16string(kThemeNames[4]), u"Night");
}
