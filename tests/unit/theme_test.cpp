#include "settings/theme.h"

#include <gtest/gtest.h>

TEST(Theme, ColoursAreColorrefs) {
  // #569CD6 of "Norvo Dark" as 0x00BBGGRR: red and blue are not swapped.
  EXPECT_EQ(kThemePalettes[0].syntax.keyword, 0x00D69C56u);
}

TEST(Theme, OutOfRangeIndexMeansThemeZero) {
  EXPECT_EQ(&PaletteForTheme(6), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(9), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(0xFFFFFFFFu), &kThemePalettes[0]);
  EXPECT_EQ(&PaletteForTheme(5), &kThemePalettes[5]);
}
