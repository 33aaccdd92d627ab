#include "document/recovery_schedule.h"

#include <algorithm>
#include <limits>

void RecoverySchedule::NoteChange(uint64_t now) {
  if (!waiting_) firstChange_ = now;
  waiting_ = true;
  lastChange_ = now;
}

uint64_t RecoverySchedule::NextDue() const {
  if (!waiting_) return std::numeric_limits<uint64_t>::max();
  uint64_t due = std::min(lastChange_ + timing_.pauseMs, firstChange_ + timing_.longestMs);
  if (started_) due = std::max(due, lastStart_ + gap_);
  return due;
}

bool RecoverySchedule::Due(uint64_t now) const {
  return waiting_ && !writing_ && now >= NextDue();
}

void RecoverySchedule::Started(uint64_t now) {
  waiting_ = false;
  writing_ = true;
  started_ = true;
  lastStart_ = now;
}

void RecoverySchedule::Cost(uint64_t costMs) {
  // The copy took `costMs` of the time from one start to the next at most once in `costShare`.
  gap_ = costMs * timing_.costShare;
}

void RecoverySchedule::Written(uint64_t costMs) {
  writing_ = false;
  Cost(costMs);
}

void RecoverySchedule::Failed(uint64_t now, uint64_t costMs) {
  writing_ = false;
  Cost(costMs);
  if (!waiting_) firstChange_ = now;
  waiting_ = true;
  lastChange_ = std::max(lastChange_, now);
}

void RecoverySchedule::Abandoned() { writing_ = false; }

void RecoverySchedule::Clear() { waiting_ = false; }
