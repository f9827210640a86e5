#include "check/ParallelCheck.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "iff/ScanSlots.h"

namespace {

std::vector<TFinding> Examine(const TModelFile& File, const TCheckOptions& Options) {
  if (File.FolderError.empty()) return CheckModelFile(File.Path, Options);
  const std::string What = File.EntryUnreadable ? "cannot read the status of this entry: " : "cannot list the folder: ";
  return {
      {&CheckCode(TCheckCodeId::FolderUnreadable), What + File.FolderError, std::nullopt, std::nullopt, std::nullopt}};
}

}  // namespace

int DefaultCheckJobs() { return std::max(1, int(std::thread::hardware_concurrency())); }

void CheckFiles(const std::vector<TModelFile>& Files, const TCheckOptions& Options, int Jobs,
                const std::function<void(size_t Index, std::vector<TFinding>& Findings)>& Results,
                const std::function<void(size_t Done)>& Progress) {
  // Every file a thread examines indexes one file at a time, and indexing
  // holds one of the process's scan slots: more threads than slots would
  // turn a busy moment into a file the reader refuses.
  const size_t Threads = size_t(std::clamp(Jobs, 1, ScanSlotCount));
  std::vector<std::vector<TFinding>> Done(Files.size());
  std::vector<char> Ready(Files.size(), 0);
  std::mutex Lock;
  std::condition_variable Changed;
  std::atomic<size_t> Next{0};
  std::atomic<bool> Stop{false};
  std::exception_ptr Failure;
  size_t DoneCount = 0;

  auto Work = [&] {
    for (;;) {
      const size_t I = Next.fetch_add(1);
      if (I >= Files.size() || Stop) return;
      try {
        std::vector<TFinding> Findings = Examine(Files[I], Options);
        std::lock_guard<std::mutex> Hold(Lock);
        Done[I] = std::move(Findings);
        Ready[I] = 1;
        ++DoneCount;
      } catch (...) {
        std::lock_guard<std::mutex> Hold(Lock);
        if (!Failure) Failure = std::current_exception();
        Stop = true;
      }
      Changed.notify_all();
    }
  };

  std::vector<std::thread> Pool;
  std::exception_ptr StartFailure;
  try {
    // The caller's thread only hands the results on while the pool works.
    if (Threads > 1)
      for (size_t T = 0; T < std::min(Threads, Files.size()); ++T) Pool.emplace_back(Work);
  } catch (...) {
    StartFailure = std::current_exception();
    Stop = true;
  }
  // With a single thread the caller's thread does the work itself.
  const bool Alone = Pool.empty() && !StartFailure;

  std::exception_ptr OutFailure;
  try {
    for (size_t I = 0; I < Files.size() && !Stop; ++I) {
      if (Alone) {
        Done[I] = Examine(Files[I], Options);
        Ready[I] = 1;
        ++DoneCount;
        if (Progress) Progress(DoneCount);
      } else {
        std::unique_lock<std::mutex> Hold(Lock);
        while (!Ready[I] && !Stop) {
          if (Progress) {
            const size_t Count = DoneCount;
            Hold.unlock();
            Progress(Count);
            Hold.lock();
          }
          if (!Ready[I] && !Stop) Changed.wait_for(Hold, std::chrono::milliseconds(100));
        }
        if (!Ready[I]) break;
      }
      std::vector<TFinding> Findings = std::move(Done[I]);
      Done[I] = {};
      Results(I, Findings);
    }
    if (Progress && !Stop) Progress(Files.size());
  } catch (...) {
    OutFailure = std::current_exception();
    Stop = true;
  }
  for (std::thread& Thread : Pool) Thread.join();
  if (OutFailure) std::rethrow_exception(OutFailure);
  if (Failure) std::rethrow_exception(Failure);
  if (StartFailure) std::rethrow_exception(StartFailure);
}
