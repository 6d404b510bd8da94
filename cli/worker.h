// A second thread for marvoset-convert: it runs one task at a time while
// the caller does other work, and the caller waits for it before using what
// the task touched. When no thread can be had, tasks run on the caller's
// thread, so a run never fails for want of one.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace marvoset::cli {

class Worker {
 public:
  Worker() = default;
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Starts `task`; the previous one must have been waited for.
  void Run(std::function<void()> task);
  // Returns when the task started last has finished; throws what it threw.
  void Wait();

 private:
  void Loop();

  std::thread thread_;
  bool no_thread_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> task_;
  std::exception_ptr failure_;
  bool busy_ = false;
  bool quit_ = false;
};

}  // namespace marvoset::cli
