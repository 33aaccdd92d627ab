// Storage kept from one search for the next: a new search does not have the system find, and
// fault in, fresh memory again for what the one before has just let go.
#pragma once
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

// Up to `most` spares of one kind, shared by the threads. Keep pools in leaked singletons, so
// that storage outliving them at the program's end can still be given back.
template <typename T>
class SparePool {
 public:
  explicit SparePool(size_t most) : most_(most) {}
  // A spare kept earlier into `into`; false when there is none.
  bool Take(T& into) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spares_.empty()) return false;
    into = std::move(spares_.back());
    spares_.pop_back();
    return true;
  }
  // Keeps `spare` unless the pool is full.
  void Give(T&& spare) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spares_.size() < most_) spares_.push_back(std::move(spare));
  }

 private:
  std::mutex mutex_;
  std::vector<T> spares_;
  size_t most_;
};
