#include "matrix/parallel.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace lsde {

namespace {

// Tells the processor that this is a wait loop (less power, no penalty when it ends).
inline void pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

thread_local int scopedThreads = 0;  // 0: no scope, every available core
thread_local std::size_t minWork = kMinWorkPerThread;
thread_local bool insideJob = false;  // a range body that starts ranges runs them itself

// Each participant owns this many consecutive chunks of a job and takes them first, so that
// the same rows return to the same core (and its cache) step after step; chunks left by a
// participant that has not started yet are taken by the others.
constexpr int kChunksPerThread = 4;
// A worker that has just finished watches for the next job this long before it sleeps: the
// steps of a run start jobs a few microseconds apart, and waking a sleeper takes longer.
constexpr auto kSpin = std::chrono::microseconds(100);

// Threads started on first use and kept for the life of the process. The calling thread
// always works too and never waits for a worker that has not started: on a busy machine a
// sleeping worker only means fewer hands, not a stalled step.
class WorkerPool {
 public:
  static WorkerPool& instance() {
    static WorkerPool pool;
    return pool;
  }

  ~WorkerPool() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  // Runs chunk(c) for every c < participants·kChunksPerThread, false when the pool is busy
  // with another thread's job (the caller then runs everything itself).
  bool run(int participants, const std::function<void(int)>& chunk) {
    const std::unique_lock job(jobMutex_, std::try_to_lock);
    if (!job.owns_lock()) return false;
    if (Clock::now() < aloneUntil_) return false;
    const int chunks = participants * kChunksPerThread;
    bool sleeping = false;
    {
      const std::lock_guard lock(mutex_);
      while (static_cast<int>(workers_.size()) < participants - 1) {
        const int id = static_cast<int>(workers_.size()) + 1;
        workers_.emplace_back([this, id] { work(id); });
      }
      for (int c = 0; c < chunks; ++c) claimed_[c].store(false, std::memory_order_relaxed);
      chunk_ = &chunk;
      participants_ = participants;
      open_ = true;
      generation_.fetch_add(1, std::memory_order_release);
      sleeping = sleepers_ > 0;  // the others see the new generation while they spin
    }
    if (sleeping) wake_.notify_all();
    const auto start = Clock::now();
    const int mine = take(0, participants, chunk);
    const auto done = Clock::now();
    std::unique_lock lock(mutex_);
    open_ = false;
    lock.unlock();
    spinWhileBusy();
    lock.lock();
    idle_.wait(lock, [this] { return busy_ == 0; });
    weighHelp(chunks - mine, mine > 0 ? (done - start) / mine : Clock::duration{},
              Clock::now() - done);
    return true;
  }

  // Sleeping workers watch for a job again for kSpin, as after one; a worker busy with a job
  // or already watching is not disturbed.
  void alert() {
    {
      const std::lock_guard lock(mutex_);
      if (sleepers_ == 0 || open_) return;
      generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
  }

 private:
  WorkerPool() : claimed_(std::make_unique<std::atomic<bool>[]>(kMaxThreads * kChunksPerThread)) {}

  using Clock = std::chrono::steady_clock;

  // Participant id's own chunks in order, then whatever the others have left, from the end.
  // Returns how many it ran.
  int take(int id, int participants, const std::function<void(int)>& chunk) {
    int ran = 0;
    const auto tryChunk = [&](int c) {
      if (claimed_[c].exchange(true, std::memory_order_relaxed)) return;
      chunk(c);
      ++ran;
    };
    for (int c = id * kChunksPerThread; c < (id + 1) * kChunksPerThread; ++c) tryChunk(c);
    for (int c = participants * kChunksPerThread - 1; c >= 0; --c)
      if (c / kChunksPerThread != id) tryChunk(c);
    return ran;
  }

  // On a machine whose other processes keep every core busy, a worker is often stopped in the
  // middle of a chunk, and the caller then waits a scheduler's time slice for it, far longer
  // than the worker saves. When that happens several jobs in a row, the jobs of the next
  // kAlone run on the calling thread alone.
  void weighHelp(int helpedChunks, Clock::duration perChunk, Clock::duration waited) {
    constexpr int kStrikes = 3;
    constexpr auto kStopped = std::chrono::microseconds(500);  // beyond any wake-up
    constexpr auto kAlone = std::chrono::milliseconds(20);
    const bool stopped = waited > kStopped && waited > helpedChunks * perChunk;
    strikes_ = stopped ? strikes_ + 1 : 0;
    if (strikes_ < kStrikes) return;
    strikes_ = 0;
    aloneUntil_ = Clock::now() + kAlone;
  }

  void spinWhileUnchanged(std::uint64_t seen) const {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    while (generation_.load(std::memory_order_acquire) == seen) {
      for (int i = 0; i < 64; ++i) pause();
      if (std::chrono::steady_clock::now() > until) return;
    }
  }

  // A worker's last chunk usually ends within microseconds of the caller's own; sleeping at
  // once would add the time to wake up again.
  void spinWhileBusy() const {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    while (busy_.load(std::memory_order_acquire) > 0) {
      for (int i = 0; i < 64; ++i) pause();
      if (std::chrono::steady_clock::now() > until) return;
    }
  }

  void work(int id) {
    insideJob = true;
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
      lock.unlock();
      spinWhileUnchanged(seen);
      lock.lock();
      ++sleepers_;
      wake_.wait(lock, [&] { return stopping_ || generation_.load() != seen; });
      --sleepers_;
      if (stopping_) return;
      seen = generation_.load();
      if (!open_ || id >= participants_) continue;
      ++busy_;
      const std::function<void(int)>& chunk = *chunk_;
      const int participants = participants_;
      lock.unlock();
      take(id, participants, chunk);
      lock.lock();
      if (--busy_ == 0) idle_.notify_one();
    }
  }

  std::mutex jobMutex_;  // one job at a time; guards strikes_ and aloneUntil_
  int strikes_ = 0;
  Clock::time_point aloneUntil_;
  std::mutex mutex_;  // guards everything below but the atomics
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::vector<std::thread> workers_;
  std::unique_ptr<std::atomic<bool>[]> claimed_;
  std::atomic<std::uint64_t> generation_{0};
  const std::function<void(int)>* chunk_ = nullptr;
  int participants_ = 0;
  std::atomic<int> busy_{0};  // changed under mutex_, watched without it
  int sleepers_ = 0;
  bool open_ = false;
  bool stopping_ = false;
};

}  // namespace

int availableCores() {
#if defined(__linux__)
  cpu_set_t mask;
  if (sched_getaffinity(0, sizeof mask, &mask) == 0) return std::max(1, CPU_COUNT(&mask));
#endif
  return std::max(1U, std::thread::hardware_concurrency());
}

int threadCount() {
  if (scopedThreads > 0) return scopedThreads;
  static const int cores = availableCores();
  return cores;
}

ThreadScope::ThreadScope(int threads, std::size_t minWorkPerThread)
    : previousThreads_(scopedThreads), previousMinWork_(minWork) {
  scopedThreads = std::max(threads, 0);
  if (minWorkPerThread > 0) minWork = minWorkPerThread;
}

ThreadScope::~ThreadScope() {
  scopedThreads = previousThreads_;
  minWork = previousMinWork_;
}

int threadsFor(int count, std::size_t work, int granule) {
  if (count <= 0 || insideJob) return 1;
  const std::size_t granules = (static_cast<std::size_t>(count) + std::max(granule, 1) - 1) /
                               static_cast<std::size_t>(std::max(granule, 1));
  const std::size_t cores = static_cast<std::size_t>(std::min(threadCount(), kMaxThreads));
  return static_cast<int>(std::min({cores, std::max<std::size_t>(work / minWork, 1), granules}));
}

void alertWorkers() {
  if (threadCount() > 1 && !insideJob) WorkerPool::instance().alert();
}

int waitUntilAtLeast(const std::atomic<int>& counter, int target) {
  // Another thread's task takes microseconds; one that keeps us waiting much longer was likely
  // stopped, and only the scheduler can let it go on.
  constexpr auto kYieldAfter = std::chrono::microseconds(50);
  int seen = counter.load(std::memory_order_acquire);
  if (seen >= target) return seen;
  const auto yieldFrom = std::chrono::steady_clock::now() + kYieldAfter;
  while ((seen = counter.load(std::memory_order_acquire)) < target) {
    if (std::chrono::steady_clock::now() < yieldFrom)
      for (int i = 0; i < 16; ++i) pause();
    else
      std::this_thread::yield();
  }
  return seen;
}

void runRanges(int count, int granule, int threads,
               const std::function<void(int begin, int end)>& body) {
  granule = std::max(granule, 1);
  const int granules = (count + granule - 1) / granule;
  const int chunks = threads * kChunksPerThread;
  const auto chunk = [&](int c) {
    const auto edge = [&](int k) {
      return std::min(count,
                      static_cast<int>(static_cast<long long>(granules) * k / chunks) * granule);
    };
    const int begin = edge(c);
    const int end = edge(c + 1);
    if (begin < end) body(begin, end);
  };
  insideJob = true;
  const bool ran = WorkerPool::instance().run(threads, chunk);
  insideJob = false;
  if (!ran) body(0, count);
}

}  // namespace lsde
