#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/recovery_format.h"
#include "document/recovery_schedule.h"

namespace {

// CRC-32 (IEEE, reflected, polynomial 0xEDB88320) bit by bit: the reference for the checksum.
uint32_t ReferenceCrc(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Le(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// A version 1 copy put together by hand from the layout in docs/recovery-format.md.
std::string HandMadeCopy(const std::string& pathUtf8, const std::string& text, uint32_t version = 1) {
  std::string out = "NORVOREC";
  Le(out, version, 4);
  Le(out, 52 + pathUtf8.size(), 4);
  Le(out, 2, 4);                        // UTF-16 LE
  Le(out, 2, 4);                        // LF
  Le(out, 0x01DA000000000001ull, 8);    // copied at
  Le(out, 0x01D9000000000002ull, 8);    // the file's last write
  Le(out, text.size(), 8);
  Le(out, pathUtf8.size(), 4);
  out += pathUtf8;
  out += text;
  Le(out, ReferenceCrc(out), 4);
  return out;
}

RecoveryMeta SampleMeta() {
  RecoveryMeta meta;
  meta.path = u"C:\\Users\\ana\\Bilje\u0161ke\\plan \u20AC.txt";
  meta.encoding = 3;
  meta.eolMode = 1;
  meta.copiedAt = 133'500'000'000'000'000ull;
  meta.fileWritten = 133'400'000'000'000'123ull;
  return meta;
}

}  // namespace

TEST(RecoveryFormat, RoundTripKeepsEveryField) {
  const std::string texts[] = {"", "a", std::string("zero\0bytes\0", 11), "line\r\nline\rline\n\xE2\x82\xAC",
                               std::string(300000, 'x')};
  for (const std::string& text : texts) {
    const RecoveryMeta meta = SampleMeta();
    const std::string file = BuildRecoveryFile(meta, text);
    RecoveryMeta back;
    std::string_view readText;
    ASSERT_EQ(ReadRecoveryFile(file, &back, &readText), RecoveryRead::Ok);
    EXPECT_EQ(readText, text);
    EXPECT_EQ(back.path, meta.path);
    EXPECT_EQ(back.encoding, meta.encoding);
    EXPECT_EQ(back.eolMode, meta.eolMode);
    EXPECT_EQ(back.copiedAt, meta.copiedAt);
    EXPECT_EQ(back.fileWritten, meta.fileWritten);
  }
  RecoveryMeta untitled;
  RecoveryMeta back;
  std::string_view text;
  const std::string file = BuildRecoveryFile(untitled, "typed");
  ASSERT_EQ(ReadRecoveryFile(file, &back, &text), RecoveryRead::Ok);
  EXPECT_TRUE(back.path.empty());
  EXPECT_EQ(text, "typed");
}

TEST(RecoveryFormat, MatchesTheDocumentedLayoutAndAnIndependentChecksum) {
  EXPECT_EQ(ReferenceCrc("123456789"), 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(RecoveryChecksum(0, "123456789"), 0xCBF43926u);
  const std::string path = "D:\\notes\\\xC4\x8D.txt", text = "hello\nworld\n";
  RecoveryMeta meta;
  meta.path = u"D:\\notes\\\u010D.txt";
  meta.encoding = 2;
  meta.eolMode = 2;
  meta.copiedAt = 0x01DA000000000001ull;
  meta.fileWritten = 0x01D9000000000002ull;
  EXPECT_EQ(BuildRecoveryFile(meta, text), HandMadeCopy(path, text));
  // The checksum runs over the header and the text in pieces as over the whole.
  const std::string header = RecoveryHeader(meta, text.size());
  EXPECT_EQ(RecoveryChecksum(RecoveryChecksum(0, header), text), ReferenceCrc(header + text));
}

TEST(RecoveryFormat, EveryDamagedByteOrCutIsRefused) {
  const std::string good = BuildRecoveryFile(SampleMeta(), "some unsaved text\r\nand more");
  for (size_t i = 0; i < good.size(); ++i) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string bad = good;
      bad[i] = static_cast<char>(bad[i] ^ flip);
      RecoveryMeta meta;
      std::string_view text;
      const RecoveryRead result = ReadRecoveryFile(bad, &meta, &text);
      EXPECT_NE(result, RecoveryRead::Ok) << "byte " << i;
      // Only the signature makes a file not a copy, and only the version field a newer one.
      if (i >= 12) {
        EXPECT_EQ(result, RecoveryRead::Damaged) << "byte " << i;
      }
    }
  }
  for (size_t length = 8; length < good.size(); ++length) {
    RecoveryMeta meta;
    std::string_view text;
    EXPECT_EQ(ReadRecoveryFile(good.substr(0, length), &meta, &text), RecoveryRead::Damaged) << length;
  }
  RecoveryMeta meta;
  std::string_view text;
  EXPECT_EQ(ReadRecoveryFile(good + "x", &meta, &text), RecoveryRead::Damaged);
  EXPECT_EQ(ReadRecoveryFile("", &meta, &text), RecoveryRead::NotACopy);
  EXPECT_EQ(ReadRecoveryFile("plain text, not a copy", &meta, &text), RecoveryRead::NotACopy);
}

TEST(RecoveryFormat, VersionsAndImpossibleFields) {
  RecoveryMeta meta;
  std::string_view text;
  EXPECT_EQ(ReadRecoveryFile(HandMadeCopy("p", "t", 1), &meta, &text), RecoveryRead::Ok);
  // A later program's copy is left alone, whatever follows its version.
  EXPECT_EQ(ReadRecoveryFile(HandMadeCopy("p", "t", 2), &meta, &text), RecoveryRead::NewerVersion);
  EXPECT_EQ(ReadRecoveryFile(std::string("NORVOREC\x07\0\0\0", 12), &meta, &text), RecoveryRead::NewerVersion);
  EXPECT_EQ(ReadRecoveryFile(HandMadeCopy("p", "t", 0), &meta, &text), RecoveryRead::Damaged);
  // An encoding or line-end value no document can have, with a right checksum, is refused.
  RecoveryMeta odd;
  odd.encoding = 9;
  EXPECT_EQ(ReadRecoveryFile(BuildRecoveryFile(odd, "t"), &meta, &text), RecoveryRead::Damaged);
  odd.encoding = 1;
  odd.eolMode = -1;
  EXPECT_EQ(ReadRecoveryFile(BuildRecoveryFile(odd, "t"), &meta, &text), RecoveryRead::Damaged);
}

TEST(RecoveryFormat, NamesOwnersAndPurge) {
  EXPECT_EQ(RecoveryCopyName(u"1f4-1da"), u"1f4-1da.nrc");
  EXPECT_EQ(ClaimedCopyName(u"20-3", 2), u"20-3.2.nrc");
  EXPECT_EQ(OwnerOfCopy(u"1f4-1da.nrc"), u"1f4-1da");
  EXPECT_EQ(OwnerOfCopy(u"20-3.2.nrc"), u"20-3");
  EXPECT_TRUE(IsRecoveryCopyName(u"20-3.2.nrc"));
  EXPECT_FALSE(IsRecoveryCopyName(u"20-3.2.old"));
  EXPECT_FALSE(IsRecoveryCopyName(u".nrc"));
  EXPECT_EQ(KeptAsideName(u"20-3.2.nrc", u"old"), u"20-3.2.old");
  EXPECT_EQ(KeptAsideName(u"20-3.nrc", u"damaged"), u"20-3.damaged");
  const int64_t now = 1'000'000'000, day = 86400;
  EXPECT_TRUE(IsExpiredRecoveryFile(u"20-3.2.old", now - 8 * day, now));
  EXPECT_FALSE(IsExpiredRecoveryFile(u"20-3.2.old", now - 6 * day, now));
  EXPECT_TRUE(IsExpiredRecoveryFile(u"~norvo20_1.tmp", now - 8 * day, now));
  EXPECT_FALSE(IsExpiredRecoveryFile(u"20-3.nrc", now - 80 * day, now));      // a pending copy stays
  EXPECT_FALSE(IsExpiredRecoveryFile(u"20-3.damaged", now - 80 * day, now));  // kept aside for the user
}

TEST(RecoveryFormat, QuestionTexts) {
  const LocalTime t{2024, 3, 7, 9, 5, 59, 0};
  EXPECT_EQ(RecoveryQuestionText(u"C:\\a\\notes.txt", t, FileSince::Unchanged),
            u"Norvo found unsaved text from a session that ended unexpectedly:\n\nnotes.txt  (2024-03-07 09:05)\n\n"
            u"Restore it?");
  EXPECT_EQ(RecoveryQuestionText(u"", t, FileSince::Untitled),
            u"Norvo found unsaved text from a session that ended unexpectedly:\n\nUntitled  (2024-03-07 09:05)\n\n"
            u"Restore it?");
  EXPECT_NE(RecoveryQuestionText(u"C:\\a\\n.txt", t, FileSince::Changed).find(u"changed on disk since then"),
            std::u16string::npos);
  EXPECT_NE(RecoveryQuestionText(u"C:\\a\\n.txt", t, FileSince::Gone).find(u"no longer on disk"),
            std::u16string::npos);
}

namespace {
// Runs the schedule against a typist: `typing(t)` says whether a key is pressed in the 250 ms
// tick ending at t; each copy costs `cost(size)` ms. Returns the start times of the copies.
template <typename Typing>
std::vector<uint64_t> Simulate(Typing typing, uint64_t untilMs, uint64_t costMs, uint64_t* busyMs = nullptr) {
  RecoverySchedule schedule;
  std::vector<uint64_t> starts;
  uint64_t writingUntil = 0;
  bool writing = false;
  for (uint64_t t = 0; t <= untilMs; t += 250) {
    if (writing && t >= writingUntil) {
      schedule.Written(costMs);
      writing = false;
    }
    if (typing(t)) schedule.NoteChange(t);
    if (schedule.Due(t)) {
      schedule.Started(t);
      starts.push_back(t);
      writing = true;
      writingUntil = t + costMs;
      if (busyMs) *busyMs += costMs;
    }
  }
  return starts;
}
}  // namespace

TEST(RecoverySchedule, TwoSecondsAfterAPause) {
  // Typing from 0 to 5 s, then nothing.
  auto starts = Simulate([](uint64_t t) { return t <= 5000; }, 60000, 10);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0], 7000u);
}

TEST(RecoverySchedule, EveryThirtySecondsWhileTypingGoesOn) {
  auto starts = Simulate([](uint64_t) { return true; }, 95000, 10);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0], 30000u);
  EXPECT_EQ(starts[1], 60250u);  // the first change after the copy was noticed a tick later
  EXPECT_EQ(starts[2], 90500u);
}

TEST(RecoverySchedule, NothingWithoutAChangeAndNoneWhileOneIsWritten) {
  RecoverySchedule schedule;
  EXPECT_FALSE(schedule.Due(100000));
  schedule.NoteChange(0);
  EXPECT_FALSE(schedule.Due(1999));
  EXPECT_TRUE(schedule.Due(2000));
  schedule.Started(2000);
  EXPECT_FALSE(schedule.Due(2000));
  schedule.NoteChange(2100);
  EXPECT_FALSE(schedule.Due(10000));  // the first copy is still being written
  schedule.Written(5);
  EXPECT_TRUE(schedule.Due(10000));
  schedule.Clear();  // saved: nothing waits
  EXPECT_FALSE(schedule.Due(20000));
  EXPECT_EQ(schedule.NextDue(), UINT64_MAX);
}

TEST(RecoverySchedule, AFailedCopyIsTriedAgainAfterAPause) {
  RecoverySchedule schedule;
  schedule.NoteChange(0);
  schedule.Started(2000);
  schedule.Failed(2500, 10);
  EXPECT_FALSE(schedule.Due(4000));
  EXPECT_TRUE(schedule.Due(4500));
}

TEST(RecoverySchedule, CostlyCopiesTakeAtMostAboutFivePercentOfTheTime) {
  // Continuous typing for ten minutes; copies of increasing cost (a larger document).
  for (uint64_t cost : {10u, 400u, 1500u, 4000u, 12000u}) {
    uint64_t busy = 0;
    const uint64_t span = 600000;
    auto starts = Simulate([](uint64_t) { return true; }, span, cost, &busy);
    ASSERT_FALSE(starts.empty()) << cost;
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_GE(starts[i] - starts[i - 1], 20 * cost) << cost;
    // Over the time from the first copy, copies keep the writer busy at most 1/20 of it (plus one copy).
    EXPECT_LE(busy, (span - starts[0]) / 20 + cost) << cost;
    if (cost * 20 <= 30000) {
      EXPECT_LE(starts[1] - starts[0], 30250u) << cost;  // the thirty seconds still hold for small ones
    }
  }
}
