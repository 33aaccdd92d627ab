// The Find All worker of the Regex Search dialog and the session it fills: one owner for the
// thread, the session, its lock, the cancel flag and the session log.
//
// Messages to the dialog, each carrying the id of the run that sent it (a message of an earlier
// run is ignored):
// - WMU_REGEX_STATUS, posted: wParam 1, lParam a RegexStatusNote the receiver deletes;
// - WMU_REGEX_RESULTS, sent: wParam 0, lParam a RegexBatchNote valid while the worker waits;
// - WMU_REGEX_DONE, posted: wParam the RegexDone code, lParam the run id.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/win.h"
#include "search/regex_batch.h"
#include "search/regex_operations_win.h"

enum class RegexDone : WPARAM { Finished = 0, MorePossible = 1, InvalidPattern = 2, TooComplex = 3 };

struct RegexStatusNote {
  uint64_t run = 0;
  std::u16string text;
  int percent = 0;  // of the snapshot searched, for the progress bar
};

struct RegexBatchNote {
  uint64_t run = 0;
  const std::u16string* text = nullptr;  // the snapshot the matches index
  const std::vector<RegexHit>* hits = nullptr;
};

// What stays from run to run: the options, the snapshot and every match found.
struct RegexSession {
  std::u16string pattern, replacement;
  bool matchCase = false, wholeWord = false, preserveCase = false, includeLineNumbers = true, colorResults = true;
  uint64_t batchSize = 3000, maxMatches = 10000;
  uint32_t outputFormat = 1;
  std::shared_ptr<const std::u16string> text;  // the snapshot all positions index
  uint64_t textVersion = 0;                    // the document's version it was taken from
  uint64_t savedPosition = 0, foundCount = 0;  // Find More resumes at savedPosition
  bool emptyMatchAtSaved = false;              // the last batch ended on an empty match there
  bool open = false;                           // Find More may continue it
  std::vector<RegexHit> results;
  std::u16string logPath;
};

// A run as the dialog asks for it.
struct RegexRunRequest {
  HWND dialog = nullptr;
  RegexOptions options;  // pattern, replacement, case, whole word, preserve case, marks
  bool includeLineNumbers = true;
  uint64_t batchSize = 3000, maxMatches = 10000;
  uint32_t outputFormat = 1;
  bool continueSearch = false;
  // The document as UTF-8, taken on the user-interface thread; or, when the document has not
  // changed since the session's snapshot was taken, nothing: that snapshot is searched again.
  std::string snapshot;
  bool sameSnapshot = false;
  uint64_t documentVersion = 0;
};

// Owned by the user-interface thread; the worker touches only the session (under the lock),
// the log (under its own lock) and its own run.
class RegexSearchJob {
 public:
  RegexSearchJob() = default;
  ~RegexSearchJob() { Stop(); }
  RegexSearchJob(const RegexSearchJob&) = delete;
  RegexSearchJob& operator=(const RegexSearchJob&) = delete;

  // Starts a run (after stopping one that still runs); false when no thread could be made.
  bool Start(RegexRunRequest request);
  // Cancels a running search and waits until its thread has ended, answering the messages it
  // sends meanwhile; the cancel flag stays set until then. The messages it posted are then no
  // longer current.
  void Stop();
  void RequestCancel() { cancel_ = true; }
  bool Running() const { return static_cast<bool>(thread_); }
  // Whether the session's snapshot was taken from this version of the document.
  bool HasSnapshotOf(uint64_t documentVersion);
  // The run of the messages that still count.
  bool IsCurrent(uint64_t run) const { return run == run_; }
  // The done message of the current run has arrived: the thread is ending; its handle goes.
  void Finished();

  // The session, under its lock, for as long as `use` runs (keep it short: the worker waits).
  template <typename Use>
  auto WithSession(Use use) {
    std::lock_guard<std::mutex> lock(mutex_);
    return use(session_);
  }
  // Appends a single operation's entry to the session log (opening it with a header for
  // `pattern` when no log is open).
  void LogEntry(const std::u16string& pattern, const std::string& entry);
  // Closes the session log (the session stays).
  void CloseLog();

 private:
  struct Run {
    uint64_t id;
    RegexRunRequest request;
  };
  void Work(Run& run);
  void WriteLog(std::string_view bytes);

  std::mutex mutex_;  // the session
  RegexSession session_;
  std::mutex logMutex_;  // the log file
  UniqueFile log_;
  std::atomic<bool> cancel_{false};
  UniqueHandle thread_;
  uint64_t run_ = 0;
};
