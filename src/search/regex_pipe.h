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
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/regex.h"
#include "search/regex_log.h"

// Blocks of matches are taken over as the search finds them (FindBatchMatches' sink). A first block
// shorter than kMatchBlock is the whole batch: it is worked on at once on the caller's thread,
// without a thread being started. When more than a few blocks wait, Add waits too, so that a
// slow disk holds the search back instead of filling memory.
class RegexBatchPipe {
 public:
  // The session's stores and trackers along `text` are taken over until Finish, which puts
  // them back with this batch appended. The log lines go to `writeLog`, from the pipe's thread;
  // without it there is no log.
  struct Session {
    RegexResults& results;
    RegexByteRanges& ranges;
    BytePositionTracker& bytes;  // along `text`, and the line numbers with it
  };
  RegexBatchPipe(std::u16string_view text, Session session, std::string& logBuffer, uint64_t batchNumber,
                 uint32_t outputFormat, std::function<void(std::string_view)> writeLog);
  ~RegexBatchPipe();
  RegexBatchPipe(const RegexBatchPipe&) = delete;
  RegexBatchPipe& operator=(const RegexBatchPipe&) = delete;
  // Takes the block's contents, leaving it empty (it may get the storage of an earlier block).
  void Add(std::vector<RegexMatch>& block);
  // Returns when every match has been worked on and every log line handed over.
  void Finish();
  // Whether the work went through a thread of its own.
  bool Threaded() const { return started_; }

 private:
  static constexpr size_t kMaxWaiting = 8;
  void Run();
  void Work(std::span<RegexMatch> block);
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
  std::deque<std::vector<RegexMatch>> waiting_;
  std::vector<std::vector<RegexMatch>> spare_;  // blocks done with, kept for the next ones
  bool finishing_ = false, idle_ = false, started_ = false, finished_ = false;
  std::atomic<size_t> queued_{0};      // blocks in waiting_, for the pipe's thread to watch
  std::atomic<bool> stopping_{false};  // finishing_, the same way
  std::thread thread_;
};
