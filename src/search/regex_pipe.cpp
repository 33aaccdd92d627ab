#include "search/regex_pipe.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

RegexBatchPipe::RegexBatchPipe(std::u16string_view text, Session session, std::string& logBuffer, uint64_t batchNumber,
                               uint32_t outputFormat, std::function<void(std::string_view)> writeLog)
    : session_(session) {
  const bool logging = static_cast<bool>(writeLog);
  state_.reset(new State{text,
                         std::move(session.results),
                         std::move(session.ranges),
                         session.bytes,
                         RegexBatchLineWriter(logBuffer, text, batchNumber, outputFormat, std::move(writeLog)),
                         logging,
                         {}});
}

RegexBatchPipe::~RegexBatchPipe() {
  Finish();
}

void RegexBatchPipe::Work(std::span<RegexMatch> block) {
  State& s = *state_;
  for (RegexMatch& m : block) {
    // One pass along the text finds the line and both byte offsets; the log line follows while
    // the match's text is still at hand.
    const int64_t start = s.bytes.ByteOf(s.text, static_cast<size_t>(std::max(m.start, 0)));
    m.line = static_cast<int32_t>(s.bytes.Line());
    s.results.push_back(m);
    s.ranges.push_back(start, s.bytes.ByteOf(s.text, static_cast<size_t>(std::max(m.end, 0))));
    if (s.logging) s.logLines.Add(m);
  }
}

void RegexBatchPipe::Add(std::vector<RegexMatch>& block) {
  if (block.empty() || finished_) return;
  if (!started_ && block.size() < kMatchBlock) {
    Work(block);
    block.clear();
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.size() < kMaxWaiting; });
  waiting_.push_back(std::move(block));
  queued_.fetch_add(1, std::memory_order_release);
  block.clear();
  if (!spare_.empty()) {
    block = std::move(spare_.back());
    spare_.pop_back();
  }
  if (!started_) {
    try {
      thread_ = std::thread([this] { Run(); });
      started_ = true;
    } catch (const std::system_error&) {
      // No thread to be had: the work is done here, as for a short batch.
      std::vector<RegexMatch> waiting = std::move(waiting_.back());
      waiting_.pop_back();
      queued_.fetch_sub(1, std::memory_order_relaxed);
      lock.unlock();
      Work(waiting);
      if (block.capacity() == 0) block = std::move(waiting);
      block.clear();
    }
  } else if (idle_) {
    changed_.notify_all();
  }
}

void RegexBatchPipe::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (waiting_.empty()) {
      if (finishing_) return;
      // The next block is usually a moment away: waiting for it without the system keeps the
      // search from paying for a wake-up at every block. Only a longer pause is slept through.
      lock.unlock();
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
      while (queued_.load(std::memory_order_acquire) == 0 && !stopping_.load(std::memory_order_acquire) &&
             std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
      lock.lock();
      if (waiting_.empty() && !finishing_) {
        idle_ = true;
        changed_.wait(lock, [&] { return !waiting_.empty() || finishing_; });
        idle_ = false;
      }
      continue;
    }
    std::vector<RegexMatch> block = std::move(waiting_.front());
    waiting_.pop_front();
    queued_.fetch_sub(1, std::memory_order_relaxed);
    const bool hadNoRoom = waiting_.size() + 1 >= kMaxWaiting;
    lock.unlock();
    if (hadNoRoom) changed_.notify_all();  // Add may be waiting for room
    Work(block);
    block.clear();
    lock.lock();
    spare_.push_back(std::move(block));
  }
}

void RegexBatchPipe::Finish() {
  if (finished_) return;
  finished_ = true;
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finishing_ = true;
      stopping_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
    thread_.join();
  }
  state_->logLines.Finish();
  session_.results = std::move(state_->results);
  session_.ranges = std::move(state_->ranges);
  session_.bytes = state_->bytes;
}
