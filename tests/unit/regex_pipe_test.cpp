#include "search/regex_pipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/utf.h"

namespace {
// Words with two- and three-byte characters, a surrogate pair and line feeds among them.
std::u16string Text(size_t words) {
  static const char16_t* const kWords[] = {u"sing",          u"of",        u"\u0161uma", u"thinking", u"x",
                                           u"\U0001F600ing", u"\u20acing", u"running"};
  std::u16string text;
  for (size_t i = 0; i < words; ++i) {
    text += kWords[(i * 7 + i / 3) % 8];
    text += i % 11 == 10 ? u"\n" : u" ";
  }
  return text;
}

std::vector<RegexMatch> Read(RegexResults::Reader reader) {
  std::vector<RegexMatch> out;
  RegexMatch m;
  while (reader.Next(&m)) out.push_back(m);
  return out;
}

std::vector<std::pair<int64_t, int64_t>> Read(RegexByteRanges::Reader reader) {
  std::vector<std::pair<int64_t, int64_t>> out;
  int64_t start = 0, end = 0;
  while (reader.Next(&start, &end)) out.emplace_back(start, end);
  return out;
}

// UTF-8 lengths of the text before indexes asked for in order, converted piece by piece with
// the program's own conversion (no index splits a surrogate pair).
class Utf8Lengths {
 public:
  explicit Utf8Lengths(std::u16string_view text) : text_(text) {}
  int64_t Before(int32_t index) {
    const size_t to = static_cast<size_t>(index);
    if (to < at_) at_ = bytes_ = 0;
    bytes_ += static_cast<int64_t>(Utf16ToUtf8(text_.substr(at_, to - at_)).size());
    at_ = to;
    return bytes_;
  }

 private:
  std::u16string_view text_;
  size_t at_ = 0;
  int64_t bytes_ = 0;
};

// One batch through the pipe as the search worker runs it.
struct Session {
  RegexResults results;
  RegexByteRanges ranges;
  BytePositionTracker bytes;
  std::string log;
  uint64_t position = 0;

  // A pipe into these stores; the log goes to `write`.
  std::unique_ptr<RegexBatchPipe> Pipe(std::u16string_view text, uint64_t batchNumber, uint32_t format,
                                       std::function<void(std::string_view)> write) {
    return std::make_unique<RegexBatchPipe>(text, RegexBatchPipe::Session{results, ranges, bytes},
                                            batchNumber, format, std::move(write));
  }

  size_t Batch(std::u16string_view text, const CompiledPattern& pattern, uint64_t limit, uint64_t batchNumber,
               bool logging, bool* threaded = nullptr) {
    std::function<void(std::string_view)> write;
    if (logging) write = [this](std::string_view piece) { log += piece; };
    auto pipe = Pipe(text, batchNumber, 1, std::move(write));
    BatchEnd why;
    const size_t found = FindBatchMatches(text, pattern, position, limit, nullptr, &why,
                                          [&pipe](std::vector<RegexMatch>& block) { pipe->Add(block); });
    pipe->Finish();
    if (threaded) *threaded = pipe->Threaded();
    return found;
  }
};

// Logs of megabytes are compared by their first difference: a full diff of them would not fit
// in memory.
void ExpectSameLog(const std::string& got, const std::string& expected) {
  const size_t at =
      static_cast<size_t>(std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
  EXPECT_TRUE(got == expected) << "sizes " << got.size() << " and " << expected.size() << ", first difference at " << at
                               << ": \"" << got.substr(at, 60) << "\" where \"" << expected.substr(at, 60)
                               << "\" was expected";
}

// Checks the stores against the matches the search alone finds, one at a time, and returns those.
std::vector<RegexMatch> ExpectStoredAsSearched(std::u16string_view text, const CompiledPattern& pattern,
                                               const RegexResults& results, const RegexByteRanges& ranges) {
  uint64_t position = 0;
  BytePositionTracker lines;
  BatchEnd why;
  std::vector<RegexMatch> expected = SearchBatch(text, pattern, position, ~0ull, lines, nullptr, &why);
  const std::vector<RegexMatch> stored = Read(results.ReadAll());
  const auto storedRanges = Read(ranges.ReadAll());
  EXPECT_EQ(stored.size(), expected.size());
  EXPECT_EQ(storedRanges.size(), expected.size());
  Utf8Lengths utf8(text);
  for (size_t i = 0; i < expected.size() && i < stored.size() && i < storedRanges.size(); ++i) {
    EXPECT_EQ(stored[i].start, expected[i].start) << i;
    EXPECT_EQ(stored[i].end, expected[i].end) << i;
    EXPECT_EQ(stored[i].line, expected[i].line) << i;
    EXPECT_EQ(storedRanges[i].first, utf8.Before(expected[i].start)) << i;
    EXPECT_EQ(storedRanges[i].second, utf8.Before(expected[i].end)) << i;
    if (testing::Test::HasFailure()) break;
  }
  return expected;
}
}  // namespace

// Whatever the batch's size, with or without a log: the results, their line numbers, the byte
// ranges and the log lines are those worked out one match at a time after the search.
class RegexPipeTest : public testing::TestWithParam<std::tuple<size_t, bool>> {};

TEST_P(RegexPipeTest, GivesWhatTheSearchAloneGives) {
  const auto [words, logging] = GetParam();
  const std::u16string text = Text(words);
  const CompiledPattern pattern = BuildSearchRegex(u"[a-zA-Z\\u0161]+ing|\\u0161uma", true, false);
  Session session;
  bool threaded = false;
  const size_t found = session.Batch(text, pattern, ~0ull, 7, logging, &threaded);
  EXPECT_EQ(threaded, found >= kMatchBlock);

  const std::vector<RegexMatch> expected = ExpectStoredAsSearched(text, pattern, session.results, session.ranges);
  EXPECT_EQ(found, expected.size());
  EXPECT_EQ(session.position, expected.empty() ? 0u : static_cast<uint64_t>(expected.back().end));
  ExpectSameLog(session.log, logging ? RegexBatchLines(text, expected, 7, 1) : "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, RegexPipeTest,
                         testing::Combine(testing::Values(size_t{0}, size_t{40}, 4 * kMatchBlock, 11 * kMatchBlock),
                                          testing::Bool()));

// Batch after batch into the same stores: readers taken before a batch read just that batch,
// the trackers go on along the text, and each batch's lines carry its number.
TEST(RegexPipe, BatchesFollowEachOther) {
  const std::u16string text = Text(6 * kMatchBlock);
  const CompiledPattern pattern = BuildSearchRegex(u"\\w+ing", true, false);
  Session session;
  std::vector<RegexMatch> all;
  std::vector<std::pair<int64_t, int64_t>> allRanges;
  std::string expectedLog;
  uint64_t position = 0;
  BytePositionTracker lines;
  BatchEnd why;
  Utf8Lengths utf8(text);
  for (uint64_t batch = 1; batch <= 4; ++batch) {
    const uint64_t limit = batch == 2 ? 10 : kMatchBlock + 5;
    RegexResults::Reader newResults = session.results.ReadNew();
    RegexByteRanges::Reader newRanges = session.ranges.ReadNew();
    const size_t found = session.Batch(text, pattern, limit, batch, true);
    const std::vector<RegexMatch> expected = SearchBatch(text, pattern, position, limit, lines, nullptr, &why);
    ASSERT_EQ(found, expected.size());
    const std::vector<RegexMatch> got = Read(newResults);
    const auto gotRanges = Read(newRanges);
    ASSERT_EQ(got.size(), expected.size());
    ASSERT_EQ(gotRanges.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].start, expected[i].start);
      ASSERT_EQ(got[i].line, expected[i].line);
      ASSERT_EQ(gotRanges[i].first, utf8.Before(expected[i].start));
      ASSERT_EQ(gotRanges[i].second, utf8.Before(expected[i].end));
    }
    expectedLog += RegexBatchLines(text, expected, batch, 1);
  }
  EXPECT_EQ(session.results.size(), session.ranges.size());
  ExpectSameLog(session.log, expectedLog);
}

// While the pipe's thread is held up (here by the log's first write), the search thread counts
// the blocks it hands over itself; the pipe's thread then only adds its totals to them.
TEST(RegexPipe, BlocksCountedOnTheSearchThreadGiveTheSameResults) {
  const std::u16string text = Text(24 * kMatchBlock);
  const CompiledPattern pattern = BuildSearchRegex(u"[a-zA-Z\\u0161]+ing|\\u0161uma", true, false);
  Session session;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto pipe = session.Pipe(text, 5, 1, [&](std::string_view piece) {
    released.wait();
    session.log += piece;
  });
  BatchEnd why;
  int handed = 0;
  const size_t found =
      FindBatchMatches(text, pattern, session.position, ~0ull, nullptr, &why, [&](std::vector<RegexMatch>& block) {
        pipe->Add(block);
        // The pipe's thread holds block 2 at most, so that up to here the blocks fit in the
        // queue, and the last ones were counted here.
        if (++handed == static_cast<int>(RegexBatchPipe::kMaxWaiting) + 2) release.set_value();
      });
  pipe->Finish();
  EXPECT_GT(pipe->CountedBlocks(), 0u);
  ASSERT_GT(handed, static_cast<int>(RegexBatchPipe::kMaxWaiting) + 2);

  const std::vector<RegexMatch> expected = ExpectStoredAsSearched(text, pattern, session.results, session.ranges);
  ASSERT_EQ(found, expected.size());
  ExpectSameLog(session.log, RegexBatchLines(text, expected, 5, 1));
  // The trackers were handed back where the last match ends.
  const size_t end = static_cast<size_t>(expected.back().end);
  EXPECT_EQ(session.bytes.At(), end);
  EXPECT_EQ(session.bytes.Line(), 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), u'\n'));
}

// A pipe ended by its destructor, with blocks still waiting, hands everything back as well.
TEST(RegexPipe, DestructorFinishes) {
  const std::u16string text = Text(6 * kMatchBlock);
  const CompiledPattern pattern = BuildSearchRegex(u"\\w+ing", true, false);
  Session session;
  size_t found = 0;
  {
    auto pipe = session.Pipe(text, 1, 0, [&](std::string_view p) { session.log += p; });
    BatchEnd why;
    found = FindBatchMatches(text, pattern, session.position, ~0ull, nullptr, &why,
                             [&pipe](std::vector<RegexMatch>& block) { pipe->Add(block); });
  }
  ASSERT_GT(found, kMatchBlock);
  EXPECT_EQ(session.results.size(), found);
  EXPECT_EQ(session.ranges.size(), found);
  EXPECT_EQ(static_cast<size_t>(std::count(session.log.begin(), session.log.end(), '\n')), found);
}
