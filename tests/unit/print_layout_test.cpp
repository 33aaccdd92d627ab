// The device-free rules of printing and its preview.
#include "print/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int32_t kDefaultMargins[4] = {1500, 1500, 1500, 1500};

TEST(PrintLayout, MarginsBecomeTwipsThenPixels) {
  EXPECT_EQ(MarginTwips(1500), 850);
  EXPECT_EQ(MarginTwips(2540), 1440);
  EXPECT_EQ(MarginTwips(0), 0);
  const PageLayout page = PrinterPageLayout({600, 600, 4960, 7016, 0, 0}, kDefaultMargins, 10);
  EXPECT_EQ(page.left, 354);
  EXPECT_EQ(page.top, 354);
  EXPECT_EQ(page.right, 4960 - 354);
  EXPECT_EQ(page.bottom, 7016 - 167 - 354);  // two font sizes of room for the page number
  // A printer's unprintable edges are added to the margins.
  const PageLayout offset = PrinterPageLayout({600, 600, 5100, 6600, 100, 120}, kDefaultMargins, 10);
  EXPECT_EQ(offset.left, 454);
  EXPECT_EQ(offset.top, 474);
  EXPECT_EQ(offset.right, 5100 - 100 - 354);
  EXPECT_EQ(offset.bottom, 6600 - 167 - 120 - 354);
}

TEST(PrintLayout, ThePreviewPageIsA4AtTheScreensResolution) {
  const PageLayout page = PreviewPageLayout(96, 96, kDefaultMargins, 11);
  EXPECT_EQ(page.pageWidth, 793);
  EXPECT_EQ(page.pageHeight, 1122);
  EXPECT_EQ(page.left, 57);
  EXPECT_EQ(page.top, 57);
  EXPECT_EQ(page.right, 793 - 57);
  EXPECT_EQ(page.bottom, 1122 - 29 - 57);
  const int32_t uneven[4] = {1000, 2000, 3000, 4000};
  const PageLayout other = PreviewPageLayout(120, 144, uneven, 10);
  EXPECT_EQ(other.left, 47);     // 10 mm = 566 twips at 120 dpi
  EXPECT_EQ(other.top, 113);     // 20 mm = 1133 twips at 144 dpi
  EXPECT_EQ(other.right, 992 - 142);
  EXPECT_EQ(other.bottom, 1683 - 40 - 227);
}

TEST(PrintLayout, LinesSplitAtEveryKindOfBreak) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitTextLines(u"a\r\nb\rc\nd"), (Lines{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitTextLines(u"a\n"), (Lines{u"a"}));  // no extra line after the last break
  EXPECT_EQ(SplitTextLines(u"a\n\n"), (Lines{u"a", u""}));
  EXPECT_EQ(SplitTextLines(u"\r\n"), (Lines{u""}));
  EXPECT_EQ(SplitTextLines(u"\n\r"), (Lines{u"", u""}));  // LF CR is two breaks
  EXPECT_EQ(SplitTextLines(u""), Lines{});
}

// Pages filled line by line against a naive running sum.
TEST(PrintLayout, PaginationPutsEachLineOnOnePage) {
  PaginationHooks hooks;
  hooks.measure = [](size_t) { return 20; };  // 45 lines of 20 + 2 fit in 990
  EXPECT_EQ(PaginateLines(120, 990, hooks), (std::vector<int>{0, 45, 90}));
  EXPECT_EQ(PaginateLines(0, 990, hooks), (std::vector<int>{0}));

  std::vector<int> heights;
  for (int i = 0; i < 500; ++i) heights.push_back(5 + (i * 37) % 61);
  hooks.measure = [&](size_t i) { return heights[i]; };
  const std::vector<int> starts = PaginateLines(heights.size(), 300, hooks);
  for (size_t p = 0; p < starts.size(); ++p) {
    const PageLines lines = LinesOfPage(starts, p, heights.size());
    ASSERT_LT(lines.first, lines.end);
    int used = 0;
    for (size_t i = lines.first; i < lines.end; ++i) used += heights[i] + 2;
    EXPECT_LE(used - 2, 300);  // the space after the page's last line may pass the bottom
    if (lines.end < heights.size()) {
      EXPECT_GT(used + heights[lines.end], 300);  // the next line would not have fitted
    }
  }
  EXPECT_EQ(LinesOfPage(starts, starts.size() - 1, heights.size()).end, heights.size());
}

TEST(PrintLayout, ALineTallerThanThePageStandsAlone) {
  PaginationHooks hooks;
  hooks.measure = [](size_t i) { return i == 1 ? 5000 : 10; };
  EXPECT_EQ(PaginateLines(4, 1000, hooks), (std::vector<int>{0, 1, 2}));
  hooks.measure = [](size_t i) { return i == 0 ? 5000 : 10; };
  EXPECT_EQ(PaginateLines(3, 1000, hooks), (std::vector<int>{0, 1}));
}

TEST(PrintLayout, PaginationAsksToGoOnEveryFiftyLinesAndReportsPages) {
  int asked = 0;
  std::vector<int> reported;
  PaginationHooks hooks;
  hooks.measure = [](size_t) { return 10; };
  hooks.keepGoing = [&] { return ++asked < 3; };
  hooks.onPage = [&](int pages) { reported.push_back(pages); };
  const std::vector<int> starts = PaginateLines(1000, 118, hooks);  // 10 lines a page
  EXPECT_EQ(asked, 3);                                              // lines 0, 50, 100: stopped
  EXPECT_EQ(starts.back(), 90);
  EXPECT_EQ(reported.size(), 9u);
  EXPECT_EQ(reported.back(), 10);
}

TEST(PrintLayout, PreviewSize) {
  EXPECT_EQ(PreviewWindowSize(800, 700, 1280, 1024).width, 800);
  const WindowSize fallback = PreviewWindowSize(600, 900, 1280, 1024);  // too narrow
  EXPECT_EQ(fallback.width, 832);
  EXPECT_EQ(fallback.height, 870);
  EXPECT_EQ(PreviewWindowSize(0, 0, 1920, 1200).width, 900);
  EXPECT_EQ(PreviewWindowSize(0, 0, 1920, 1200).height, 1000);
  EXPECT_EQ(PreviewWindowSize(2000, 700, 1920, 1200).width, 900);  // wider than the screen
}

TEST(PrintLayout, TheZoomNeverPassesThree) {
  EXPECT_DOUBLE_EQ(PreviewZoom(10000, 10000, 793, 1122), 3.0);
  EXPECT_NEAR(PreviewZoom(848, 1214, 800, 1122), 1.0, 1e-9);
  EXPECT_NEAR(PreviewZoom(448, 2000, 800, 1122), 0.5, 1e-9);
  EXPECT_EQ(PreviewZoom(20, 20, 793, 1122), 0.0);
}

}  // namespace
