#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <utility>

namespace lsde {

/// The processors this process may run on (its affinity mask), at least 1.
int availableCores();

/// The number of threads that the matrix and dynamics operations called from this thread may
/// use: the innermost ThreadScope's count, else availableCores(). Each output entry is computed
/// by one thread in one fixed order, so results have the same bits for every count.
int threadCount();

/// Below this many multiply-adds (or equally cheap steps) per thread, some 100 µs, handing work
/// to threads costs more than they save; the setup of an order-64 system stays on one.
inline constexpr std::size_t kMinWorkPerThread = std::size_t{192} << 10;

/// Sets threadCount() for the calling thread while it lives; a count below 1 means every
/// available core. minWorkPerThread, when not 0, replaces kMinWorkPerThread (a test splits
/// small jobs with 1); 0 keeps the enclosing scope's. Scopes nest.
class ThreadScope {
 public:
  explicit ThreadScope(int threads, std::size_t minWorkPerThread = 0);
  ~ThreadScope();
  ThreadScope(const ThreadScope&) = delete;
  ThreadScope& operator=(const ThreadScope&) = delete;

 private:
  int previousThreads_;
  std::size_t previousMinWork_;
};

/// No range is split among more threads than this, whatever the count asked for: each costs a
/// stack, and beyond the cores they only wait for each other.
inline constexpr int kMaxThreads = 256;

/// The threads that a job of `count` items in granules of `granule`, costing `work` multiply-adds
/// in all, is split among: 1 when threads would cost more than they save.
int threadsFor(int count, std::size_t work, int granule);

/// Runs body(begin, end) on ranges covering [0, count), each starting at a multiple of granule,
/// on `threads` threads (see forEachRange).
void runRanges(int count, int granule, int threads,
               const std::function<void(int begin, int end)>& body);

/// Calls body(begin, end) on consecutive ranges that together cover [0, count), each starting
/// at a multiple of granule, on as many threads as threadCount() allows and `work` (the whole
/// job's cost, in multiply-adds) pays for; with one, body(0, count) runs on the calling thread.
/// The calling thread takes part; the others are started once and kept for later calls. body
/// must not throw, and different ranges must not write to the same place.
template <class Body>
void forEachRange(int count, std::size_t work, int granule, Body&& body) {
  const int threads = threadsFor(count, work, granule);
  if (threads <= 1) {
    if (count > 0) body(0, count);  // no std::function, no allocation: small jobs every step
    return;
  }
  runRanges(count, granule, threads, std::ref(body));
}

/// Calls body() on as many threads as threadCount() allows and `work` pays for, at most one per
/// task, the calling thread among them. body takes its tasks from a shared counter in order and
/// may wait for tasks that come before its own, which some call has already taken; a call that
/// runs alone does them all, and a late call finds none left. body must not throw.
template <class Body>
void shareTasks(int tasks, std::size_t work, Body&& body) {
  const int threads = threadsFor(tasks, work, 1);
  if (threads <= 1) {
    if (tasks > 0) body();
    return;
  }
  runRanges(threads, 1, threads, [&body](int, int) { body(); });
}

/// Wakes the threads of forEachRange that sleep for lack of work, to watch for a job again as
/// they do right after one: for a caller whose next job follows a long stretch of its own work,
/// called shortly before that stretch ends, so that the job does not wait for them to wake up.
void alertWorkers();

/// Waits until counter holds at least target, spinning briefly and then yielding the core to a
/// thread that may be the one to raise it; returns the value seen.
int waitUntilAtLeast(const std::atomic<int>& counter, int target);

}  // namespace lsde
