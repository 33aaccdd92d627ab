#include "search/regex_worker_win.h"

#include <algorithm>
#include <iterator>

#include "common/messages.h"
#include "common/utf.h"
#include "search/regex_log.h"
#include "search/regex_log_win.h"

namespace {

constexpr size_t kLargeText = 0xA00000;  // 10,485,760 UTF-16 units

void PostStatus(HWND dialog, uint64_t run, std::u16string text, int percent) {
  auto* note = new RegexStatusNote{run, std::move(text), percent};
  if (!PostMessageW(dialog, WMU_REGEX_STATUS, 1, reinterpret_cast<LPARAM>(note))) delete note;
}

void PostDone(HWND dialog, uint64_t run, RegexDone code) {
  PostMessageW(dialog, WMU_REGEX_DONE, static_cast<WPARAM>(code), static_cast<LPARAM>(run));
}

}  // namespace

bool RegexSearchJob::Start(RegexRunRequest request) {
  Stop();
  struct Launch {
    RegexSearchJob* job;
    Run run;
  };
  auto* launch = new Launch{this, Run{++run_, std::move(request)}};
  auto main = [](LPVOID argument) -> DWORD {
    std::unique_ptr<Launch> owned(static_cast<Launch*>(argument));
    owned->job->Work(owned->run);
    return 0;
  };
  thread_.reset(CreateThread(nullptr, 0, main, launch, 0, nullptr));
  if (!thread_) {
    delete launch;
    return false;
  }
  SetThreadPriority(thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
  return true;
}

void RegexSearchJob::Stop() {
  if (!thread_) return;
  cancel_ = true;
  HANDLE thread = thread_.get();
  // The worker may be waiting for the dialog to take a batch: sent messages are answered.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  thread_.reset();
  cancel_ = false;
  ++run_;  // what the stopped run still has queued is no longer current
}

void RegexSearchJob::Finished() {
  if (!thread_) return;
  WaitForSingleObject(thread_.get(), INFINITE);  // its done message was its last act
  thread_.reset();
  cancel_ = false;
}

void RegexSearchJob::WriteLog(std::string_view bytes) {
  std::lock_guard<std::mutex> lock(logMutex_);
  if (!log_) return;
  fwrite(bytes.data(), 1, bytes.size(), log_.get());
  fflush(log_.get());
}

void RegexSearchJob::LogEntry(const std::u16string& pattern, const std::string& entry) {
  std::u16string path;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session_.logPath.empty()) session_.logPath = MakeRegexLogPath();
    path = session_.logPath;
  }
  {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (!log_ && !path.empty()) {
      log_.reset(_wfopen(W(path), L"ab"));
      if (log_ && !pattern.empty()) {
        const std::string header = RegexEntryHeader(pattern);
        fwrite(header.data(), 1, header.size(), log_.get());
      }
    }
  }
  WriteLog(entry);
}

void RegexSearchJob::CloseLog() {
  std::lock_guard<std::mutex> lock(logMutex_);
  log_.reset();
}

bool RegexSearchJob::HasSnapshotOf(uint64_t documentVersion) {
  std::lock_guard<std::mutex> lock(mutex_);
  return session_.text && session_.textVersion == documentVersion;
}

void RegexSearchJob::Work(Run& run) {
  RegexRunRequest& r = run.request;
  std::shared_ptr<const std::u16string> text;
  if (r.sameSnapshot) {
    std::lock_guard<std::mutex> lock(mutex_);  // only runs change it, and this is the only run
    text = session_.text;
  }
  if (!text) text = std::make_shared<const std::u16string>(Utf8ToUtf16(r.snapshot));
  std::string().swap(r.snapshot);
  if (text->size() > kLargeText) PostStatus(r.dialog, run.id, u"Large file detected, searching...", 0);
  CompiledPattern pattern = BuildSearchRegex(r.options.pattern, r.options.matchCase, r.options.wholeWord);
  if (!pattern.valid()) return PostDone(r.dialog, run.id, RegexDone::InvalidPattern);

  uint64_t position = 0, found = 0;
  bool emptyMatchAtPosition = false;
  std::u16string logPath;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (r.continueSearch) {
      if (!session_.open) return PostDone(r.dialog, run.id, RegexDone::MorePossible);
      position = session_.savedPosition;
      emptyMatchAtPosition = session_.emptyMatchAtSaved;
      found = session_.foundCount;
      // The session keeps its options: only Apply changes them.
    } else {
      session_ = RegexSession();
      session_.pattern = r.options.pattern;
      session_.replacement = r.options.replacement;
      session_.matchCase = r.options.matchCase;
      session_.wholeWord = r.options.wholeWord;
      session_.preserveCase = r.options.preserveCase;
      session_.colorResults = r.options.colorResults;
      session_.includeLineNumbers = r.includeLineNumbers;
      session_.batchSize = r.batchSize;
      session_.maxMatches = r.maxMatches;
      session_.outputFormat = r.outputFormat;
      session_.open = true;
      session_.logPath = MakeRegexLogPath();
    }
    session_.text = text;
    session_.textVersion = r.documentVersion;
    logPath = session_.logPath;
  }
  {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (!r.continueSearch) {
      log_.reset(logPath.empty() ? nullptr : _wfopen(W(logPath), L"wb"));
      const std::string header = RegexRunHeader(r.options.pattern, r.options.matchCase, r.options.wholeWord, CurrentLocalTime());
      if (log_) fwrite(header.data(), 1, header.size(), log_.get());
    } else if (!log_ && !logPath.empty()) {
      log_.reset(_wfopen(W(logPath), L"ab"));
    }
  }

  RegexScan scan(*text, position, emptyMatchAtPosition);
  RegexLogLines logLines([this](std::string_view bytes) { WriteLog(bytes); });
  uint64_t done = 0;
  bool finished = false, cancelled = false, tooComplex = false;
  for (;;) {
    if (cancel_) {
      cancelled = true;
      break;
    }
    uint64_t batchSize, maxMatches;
    uint32_t format;
    {
      std::lock_guard<std::mutex> lock(mutex_);  // Apply may change them
      batchSize = session_.batchSize;
      maxMatches = session_.maxMatches;
      format = session_.outputFormat;
    }
    if ((maxMatches > 0 && found >= maxMatches) || done >= batchSize) break;
    uint64_t limit = batchSize - done;
    if (maxMatches > 0) limit = std::min(limit, maxMatches - found);
    const uint64_t batchNumber = found / std::max<uint64_t>(batchSize, 1) + 1;
    // The search runs without the lock: the dialog's own operations go on meanwhile.
    std::vector<RegexHit> batch;
    BatchEnd why = BatchEnd::Limit;
    CollectBatch(*text, pattern, scan, limit, &cancel_, &why, batch, {&logLines, batchNumber, format});
    logLines.Flush();
    if (why == BatchEnd::TooComplex) tooComplex = true;
    if (batch.empty()) {
      finished = !cancel_ && !tooComplex;
      cancelled = cancel_;
      break;
    }
    const size_t count = batch.size();
    // The dialog lists the batch while this thread waits.
    RegexBatchNote note{run.id, text.get(), &batch};
    SendMessageW(r.dialog, WMU_REGEX_RESULTS, 0, reinterpret_cast<LPARAM>(&note));
    found += count;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (session_.results.empty()) {
        session_.results = std::move(batch);
      } else {
        session_.results.insert(session_.results.end(), batch.begin(), batch.end());
      }
      session_.savedPosition = scan.position;
      session_.emptyMatchAtSaved = scan.emptyMatchAtPosition;
      session_.foundCount = found;
    }
    if (!text->empty()) {
      const int percent =
          static_cast<int>(static_cast<double>(scan.position) / static_cast<double>(text->size()) * 100.0);
      PostStatus(r.dialog, run.id, u"Found " + DecimalText(found) + u" matches (" + DecimalText(percent) + u"%)...",
                 percent);
    }
    if (cancel_) {
      cancelled = true;
      break;
    }
    if (tooComplex) break;
    done += count;
  }

  bool limitReached;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    limitReached = session_.maxMatches > 0 && found >= session_.maxMatches;
    // A session that cannot go on closes, whether or not its log could be written.
    if (finished || limitReached || tooComplex) session_.open = false;
  }
  {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (log_ && (finished || limitReached)) {
      const std::string closing = RegexClosingLines(CurrentLocalTime(), found);
      fwrite(closing.data(), 1, closing.size(), log_.get());
    }
    log_.reset();
  }
  const RegexDone code = tooComplex  ? RegexDone::TooComplex
                         : cancelled ? RegexDone::MorePossible
                         : finished  ? RegexDone::Finished
                                     : RegexDone::MorePossible;
  PostDone(r.dialog, run.id, code);
}
