#include "cli/worker.h"

#include <exception>
#include <system_error>
#include <utility>

namespace marvoset::cli {

Worker::~Worker() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void Worker::Run(std::function<void()> task) {
  if (!thread_.joinable() && !no_thread_) {
    try {
      thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
      no_thread_ = true;
    }
  }
  if (no_thread_) {
    task();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    task_ = std::move(task);
    busy_ = true;
  }
  changed_.notify_all();
}

void Worker::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void Worker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return busy_ || quit_; });
    if (!busy_) return;
    std::function<void()> task = std::move(task_);
    lock.unlock();
    std::exception_ptr failure;
    try {
      task();
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace marvoset::cli
