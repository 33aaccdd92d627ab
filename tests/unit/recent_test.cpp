#include "document/recent.h"

#include <gtest/gtest.h>

#include <set>

namespace {
RecentList Opened(std::initializer_list<const char16_t*> paths) {
  RecentList list;
  for (const char16_t* p : paths) AddRecent(list, p);
  return list;
}
}  // namespace

TEST(Recent, ReopeningMovesToTheTop) {
  RecentList list = Opened({u"A", u"B", u"C", u"A"});
  EXPECT_EQ(list[0], u"A");
  EXPECT_EQ(list[1], u"C");
  EXPECT_EQ(list[2], u"B");
  EXPECT_EQ(list[3], u"");
}

TEST(Recent, OpeningTheTopEntryAgainChangesNothing) {
  RecentList list = Opened({u"A", u"B", u"B"});
  EXPECT_EQ(list[0], u"B");
  EXPECT_EQ(list[1], u"A");
  EXPECT_EQ(list[2], u"");
}

TEST(Recent, CaseInsensitiveMatchKeepsTheNewSpelling) {
  RecentList list = Opened({u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt", u"C:\\D.txt", u"C:\\e.txt"});
  ASSERT_EQ(list[3], u"C:\\b.txt");
  AddRecent(list, u"c:\\B.TXT");
  EXPECT_EQ(list[0], u"c:\\B.TXT");
  EXPECT_EQ(list[1], u"C:\\e.txt");
  EXPECT_EQ(list[4], u"C:\\a.txt");
  EXPECT_EQ(list[5], u"");
  EXPECT_FALSE(PathsEqualIgnoringCase(u"a.txt", u"a.txt "));
}

TEST(Recent, TheEleventhFileDropsTheOldest) {
  RecentList list;
  for (int i = 0; i < 11; ++i) AddRecent(list, u"file" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  EXPECT_EQ(list[0], u"filek");
  EXPECT_EQ(list[9], u"fileb");
  std::set<std::u16string> unique(list.begin(), list.end());
  EXPECT_EQ(unique.size(), 10u);
}

TEST(Recent, RemovalClosesTheGap) {
  RecentList list = Opened({u"C", u"B", u"A"});
  RemoveRecent(list, 0);
  EXPECT_EQ(list[0], u"B");
  EXPECT_EQ(list[1], u"C");
  EXPECT_EQ(list[2], u"");
  RemoveRecent(list, 10);  // out of range: nothing
  EXPECT_EQ(list[1], u"C");
}

TEST(Recent, LongPathsAreCutTo259AndEmptyPathsIgnored) {
  RecentList list;
  AddRecent(list, std::u16string(300, u'x'));
  EXPECT_EQ(list[0].size(), 259u);
  AddRecent(list, u"");
  EXPECT_EQ(list[1], u"");
  AppSettings s;
  ResetSettings(s);
  WriteRecentList(s, list);
  EXPECT_EQ(ReadRecentList(s), list);
}

TEST(FileOnDiskTest, PresentMovedDeleted) {
  std::set<std::u16string> existing = {u"C:\\docs\\a.txt", u"C:\\docs"};
  auto exists = [&](std::u16string_view p) { return existing.count(std::u16string(p)) > 0; };
  EXPECT_EQ(CheckFileOnDisk(u"", exists), FileOnDisk::Present);
  EXPECT_EQ(CheckFileOnDisk(u"C:\\docs\\a.txt", exists), FileOnDisk::Present);
  EXPECT_EQ(CheckFileOnDisk(u"C:\\docs\\gone.txt", exists), FileOnDisk::Moved);
  EXPECT_EQ(CheckFileOnDisk(u"C:\\old\\gone.txt", exists), FileOnDisk::Deleted);
  EXPECT_EQ(CheckFileOnDisk(u"C:/docs/gone.txt", exists), FileOnDisk::Deleted);  // folder "C:/docs" is unknown
  EXPECT_EQ(CheckFileOnDisk(u"nofolder.txt", exists), FileOnDisk::Deleted);
}

TEST(Prompts, Texts) {
  EXPECT_FALSE(NeedsSavePrompt(FileOnDisk::Present, false));
  EXPECT_TRUE(NeedsSavePrompt(FileOnDisk::Present, true));
  EXPECT_TRUE(NeedsSavePrompt(FileOnDisk::Deleted, false));
  EXPECT_EQ(SavePromptText(u"Untitled", FileOnDisk::Present, true), u"Save changes to \"Untitled\"?");
  EXPECT_EQ(SavePromptText(u"a.txt", FileOnDisk::Moved, true),
            u"\"a.txt\" was moved or renamed while open in Norvo.\nDo you want to save your changes?");
  EXPECT_EQ(SavePromptText(u"a.txt", FileOnDisk::Deleted, false),
            u"\"a.txt\" was deleted from disk while open in Norvo.\nDo you want to restore it to the original "
            u"location?");
  EXPECT_EQ(FileChangedText(u"a.txt", FileOnDisk::Moved),
            u"\"a.txt\" was moved or renamed outside of Norvo.\n\nDo you want to save it to the original location?");
  EXPECT_EQ(FileChangedText(u"a.txt", FileOnDisk::Deleted),
            u"\"a.txt\" was deleted from disk.\n\nDo you want to save it to the original location?");
  EXPECT_EQ(VanishedRecentText(u"b.md"), u"\"b.md\" no longer exists on disk.\n\nRemove it from the Recent Files list?");
}
