// When the recovery copy of a document with unsaved changes is taken: about two seconds after
// typing pauses, at least every thirty seconds while it goes on, only when the text changed
// since the last copy, one copy at a time, and for a large document no more often than keeps
// the copies' cost at about a twentieth of the time. Times in milliseconds of any clock.
#pragma once
#include <cstdint>

struct RecoveryTiming {
  uint64_t pauseMs = 2000;     // quiet time after the last change
  uint64_t longestMs = 30000;  // longest wait after the first change not yet copied
  uint64_t costShare = 20;     // a copy starts no sooner than this many times its cost after the last
};

class RecoverySchedule {
 public:
  RecoverySchedule() = default;
  explicit RecoverySchedule(RecoveryTiming timing) : timing_(timing) {}

  // The text changed (or a change was noticed) at `now`.
  void NoteChange(uint64_t now);
  // Whether a copy should be taken at `now`.
  bool Due(uint64_t now) const;
  // The earliest time a copy can become due; UINT64_MAX when nothing waits to be copied.
  uint64_t NextDue() const;
  // A snapshot of the text as it is now was taken at `now`: nothing waits until the next change.
  void Started(uint64_t now);
  // The copy begun by Started is on disk; `costMs` is what it cost from snapshot to rename.
  void Written(uint64_t costMs);
  // The copy could not be written: its changes wait again, to be tried after another pause.
  void Failed(uint64_t now, uint64_t costMs);
  // The copy was given up (the document no longer needs one).
  void Abandoned();
  // The document has no unsaved changes left: nothing waits.
  void Clear();
  bool Writing() const { return writing_; }
  bool Waiting() const { return waiting_; }

 private:
  void Cost(uint64_t costMs);
  RecoveryTiming timing_;
  bool waiting_ = false;  // a change not yet in a copy
  bool writing_ = false;  // a copy under way
  uint64_t firstChange_ = 0, lastChange_ = 0;
  bool started_ = false;
  uint64_t lastStart_ = 0, gap_ = 0;
};
