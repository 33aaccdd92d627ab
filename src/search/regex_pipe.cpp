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

void RegexBatchPipe::Count(Block& block) {
  block.counted = true;
  block.from = handedEnd_;
  const std::u16string_view text = state_->text;  // never changed after the start
  block.stretch.StartAt(text, handedEnd_);
  block.bytes.resize(block.matches.size());
  for (size_t i = 0; i < block.matches.size(); ++i) {
    RegexMatch& m = block.matches[i];
    const int64_t start = block.stretch.ByteOf(text, static_cast<size_t>(std::max(m.start, 0)));
    m.line = static_cast<int32_t>(block.stretch.Feeds());
    block.bytes[i] = {start, block.stretch.ByteOf(text, static_cast<size_t>(std::max(m.end, 0)))};
  }
}

void RegexBatchPipe::Work(Block& block) {
  State& s = *state_;
  if (block.counted && s.bytes.At() == block.from) {
    // Counted on the search thread from where the pipe's own counts stand.
    const int64_t bytes = s.bytes.Bytes(), line = s.bytes.Line();
    const size_t count = block.matches.size();
    for (size_t i = 0; i < count; ++i) {
      // The log line reads the match's text, which this thread has not seen: it is asked for
      // a few matches ahead.
      if (s.logging && i + 8 < count)
        __builtin_prefetch(
            s.text.data() +
            std::min<size_t>(static_cast<size_t>(std::max(block.matches[i + 8].start, 0)), s.text.size()));
      RegexMatch& m = block.matches[i];
      m.line = static_cast<int32_t>(line + m.line);
      s.results.push_back(m);
      s.ranges.push_back(bytes + block.bytes[i].first, bytes + block.bytes[i].second);
      if (s.logging) s.logLines.Add(m);
    }
    s.bytes.Add(block.stretch);
    return;
  }
  for (RegexMatch& m : block.matches) {
    // One pass along the text finds the line and both byte offsets; the log line follows while
    // the match's text is still at hand.
    const int64_t start = s.bytes.ByteOf(s.text, static_cast<size_t>(std::max(m.start, 0)));
    m.line = static_cast<int32_t>(s.bytes.Line());
    s.results.push_back(m);
    s.ranges.push_back(start, s.bytes.ByteOf(s.text, static_cast<size_t>(std::max(m.end, 0))));
    if (s.logging) s.logLines.Add(m);
  }
}

void RegexBatchPipe::Add(std::vector<RegexMatch>& matches) {
  if (matches.empty() || finished_) return;
  Block block;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  block.matches.swap(matches);  // the caller gets the spare's storage
  matches.clear();
  block.counted = false;
  if (!started_ && block.matches.size() < kMatchBlock) {
    Work(block);
    return;
  }
  // Counting here costs the search what the pipe's thread saves: only worth it when that thread
  // is so far behind that the search would soon have to wait for it.
  if (handedAny_ && queued_.load(std::memory_order_acquire) >= kMaxWaiting - 2) {
    Count(block);
    ++countedBlocks_;
  }
  handedEnd_ = static_cast<size_t>(std::max(block.matches.back().end, 0));
  handedAny_ = true;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.size() < kMaxWaiting; });
  waiting_.push_back(std::move(block));
  queued_.fetch_add(1, std::memory_order_release);
  if (!started_) {
    try {
      thread_ = std::thread([this] { Run(); });
      started_ = true;
    } catch (const std::system_error&) {
      // No thread to be had: the work is done here, as for a short batch.
      Block waiting = std::move(waiting_.back());
      waiting_.pop_back();
      queued_.fetch_sub(1, std::memory_order_relaxed);
      lock.unlock();
      Work(waiting);
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
      while (queued_.load(std::memory_order_acquire) == 0 && !finishing_.load(std::memory_order_acquire) &&
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
    Block block = std::move(waiting_.front());
    waiting_.pop_front();
    queued_.fetch_sub(1, std::memory_order_relaxed);
    const bool hadNoRoom = waiting_.size() + 1 >= kMaxWaiting;
    lock.unlock();
    if (hadNoRoom) changed_.notify_all();  // Add may be waiting for room
    Work(block);
    block.matches.clear();
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
      finishing_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
    thread_.join();
  }
  state_->logLines.Finish();
  session_.results = std::move(state_->results);
  session_.ranges = std::move(state_->ranges);
  session_.bytes = state_->bytes;
}
