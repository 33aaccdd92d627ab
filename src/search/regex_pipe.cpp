#include "search/regex_pipe.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

RegexBatchPipe::RegexBatchPipe(std::u16string_view text, Session session, uint64_t batchNumber, uint32_t outputFormat,
                               std::function<void(std::string_view)> writeLog)
    : session_(session) {
  const bool logging = static_cast<bool>(writeLog);
  state_.reset(new State{text,
                         std::move(session.results),
                         std::move(session.ranges),
                         session.bytes,
                         RegexBatchLineWriter(text, batchNumber, outputFormat, std::move(writeLog)),
                         logging,
                         {}});
}

RegexBatchPipe::~RegexBatchPipe() {
  Finish();
  for (Block& block : spare_) SpareBlocks().Give(std::move(block));
}

SparePool<RegexBatchPipe::Block>& RegexBatchPipe::SpareBlocks() {
  static auto* spares = new SparePool<Block>(kMaxWaiting + 2);
  return *spares;
}

void RegexBatchPipe::Count(Block& block) {
  block.counted = true;
  block.from = handedEnd_;
  block.stretch.StartAt(state_->text, handedEnd_);  // the text is never changed after the start
  block.bytes.resize(block.matches.size());
  block.stretch.Locate(state_->text, block.matches, 0, block.bytes.data());
}

void RegexBatchPipe::Work(Block& block) {
  State& s = *state_;
  const size_t count = block.matches.size();
  int64_t bytes = 0, line = 0;  // where the block's byte offsets and lines count from
  if (block.counted && s.bytes.At() == block.from) {
    // Counted on the search thread from where the pipe's own counts stand: they are added.
    bytes = s.bytes.Bytes();
    line = s.bytes.Line();
    s.bytes.Add(block.stretch);
  } else {
    block.bytes.resize(count);
    s.bytes.Locate(s.text, block.matches, 0, block.bytes.data());
    line = 1;
  }
  // Match by match through the stores and the log. Taking the whole block through one of them
  // after the other was measured to slow the search itself by a tenth when matches are dense.
  for (size_t i = 0; i < count; ++i) {
    // The log line reads the match's text, which may have left the cache since it was counted:
    // it is asked for a few matches ahead.
    if (s.logging && i + 8 < count)
      __builtin_prefetch(s.text.data() +
                         std::min<size_t>(static_cast<size_t>(std::max(block.matches[i + 8].start, 0)), s.text.size()));
    RegexMatch& m = block.matches[i];
    m.line = static_cast<int32_t>(line + m.line);
    s.results.push_back(m);
    s.ranges.push_back(bytes + block.bytes[i].first, bytes + block.bytes[i].second);
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
  if (block.matches.capacity() == 0) SpareBlocks().Take(block);
  block.matches.swap(matches);  // the caller gets the spare's storage
  matches.clear();
  block.counted = false;
  if (!started_ && block.matches.size() < kMatchBlock) {
    Work(block);
    block.matches.clear();
    SpareBlocks().Give(std::move(block));
    return;
  }
  // Counting here costs the search what the pipe's thread saves. It is worth it once that thread
  // has fallen behind: the blocks still waiting when the search ends are worked on after it.
  if (handedAny_ && queued_.load(std::memory_order_acquire) >= kCountFrom) {
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
