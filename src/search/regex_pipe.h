// The work on a Find All batch that goes alongside the search, on a thread of its own: each
// match's line number, its place in the session's results, its UTF-8 byte range for the
// highlight, and its log line.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "search/regex.h"
#include "search/regex_log.h"
#include "search/spares.h"

// Blocks of matches are taken over as the search finds them (FindBatchMatches' sink). A first
// block shorter than kMatchBlock is the whole batch: it is worked on at once on the caller's
// thread, without a thread being started. When the pipe's thread falls behind, the search thread
// counts the lines and bytes of the blocks it hands over itself: counts along the text add up,
// so the pipe's thread only adds its own totals to them. When more than a few blocks wait, Add
// waits too, so that a slow disk holds the search back instead of filling memory.
class RegexBatchPipe {
 public:
  // Blocks that may wait for the pipe's thread before Add waits too; and those waiting from
  // which on the search thread counts the blocks it hands over itself.
  static constexpr size_t kMaxWaiting = 8, kCountFrom = 2;

  // The session's stores and trackers along `text` are taken over until Finish, which puts
  // them back with this batch appended. The log lines go to `writeLog`, from the pipe's thread;
  // without it there is no log.
  struct Session {
    RegexResults& results;
    RegexByteRanges& ranges;
    BytePositionTracker& bytes;  // along `text`, and the line numbers with it
  };
  RegexBatchPipe(std::u16string_view text, Session session, uint64_t batchNumber, uint32_t outputFormat,
                 std::function<void(std::string_view)> writeLog);
  ~RegexBatchPipe();
  RegexBatchPipe(const RegexBatchPipe&) = delete;
  RegexBatchPipe& operator=(const RegexBatchPipe&) = delete;
  // Takes the block's contents, leaving it empty (it may get the storage of an earlier block).
  void Add(std::vector<RegexMatch>& block);
  // Returns when every match has been worked on and every log line handed over.
  void Finish();
  // Whether the work went through a thread of its own, and how many blocks the search thread
  // counted itself.
  bool Threaded() const { return started_; }
  size_t CountedBlocks() const { return countedBlocks_; }

 private:
  // A block handed over. A counted one holds, in each match's line, the line feeds from `from`
  // (the end of the match before the block) to its start, and in `bytes` the UTF-8 lengths from
  // `from` to its start and end; `stretch` holds the counts from `from` to the last match's end.
  struct Block {
    std::vector<RegexMatch> matches;
    bool counted = false;
    size_t from = 0;
    std::vector<std::pair<int64_t, int64_t>> bytes;
    BytePositionTracker stretch;
  };
  static SparePool<Block>& SpareBlocks();  // blocks of pipes gone, for the next ones
  void Run();
  void Work(Block& block);
  void Count(Block& block);
  // What changes at every match has cache lines of its own, so that the search's variables,
  // wherever they are, do not share them.
  struct alignas(64) State {
    std::u16string_view text;
    RegexResults results;
    RegexByteRanges ranges;
    BytePositionTracker bytes;
    RegexBatchLineWriter logLines;
    bool logging;
    char padding[64];
  };
  std::unique_ptr<State> state_;
  Session session_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> waiting_;
  std::vector<Block> spare_;  // blocks done with, kept for the next ones
  size_t handedEnd_ = 0;      // the end of the last match handed over (search thread)
  bool handedAny_ = false;
  size_t countedBlocks_ = 0;
  bool idle_ = false, started_ = false, finished_ = false;
  std::atomic<size_t> queued_{0};       // blocks in waiting_, for the pipe's thread to watch
  std::atomic<bool> finishing_{false};  // set by Finish: no more blocks come
  std::thread thread_;
};
