#include "WorkQueue.h"

#include <utility>

namespace vantle {

TWorkQueue::TWorkQueue() : FThread([this] { Work(); }) {}

TWorkQueue::~TWorkQueue() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FTasks.clear();
    FQuit = true;
  }
  FChanged.notify_all();
  FThread.join();
}

void TWorkQueue::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FError) return;
    FTasks.push_back(std::move(task));
  }
  FChanged.notify_all();
}

void TWorkQueue::Finish() {
  std::unique_lock<std::mutex> guard(FLock);
  FChanged.wait(guard, [this] { return FTasks.empty() && !FBusy; });
  if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
}

void TWorkQueue::Drop() {
  std::unique_lock<std::mutex> guard(FLock);
  FTasks.clear();
  FChanged.wait(guard, [this] { return !FBusy; });
}

void TWorkQueue::Work() {
  std::unique_lock<std::mutex> guard(FLock);
  for (;;) {
    FChanged.wait(guard, [this] { return FQuit || !FTasks.empty(); });
    if (FQuit) return;
    std::function<void()> task = std::move(FTasks.front());
    FTasks.pop_front();
    FBusy = true;
    guard.unlock();
    std::exception_ptr error;
    try {
      task();
    } catch (...) {
      error = std::current_exception();
    }
    guard.lock();
    FBusy = false;
    if (error && !FError) {
      FError = error;
      FTasks.clear();
    }
    FChanged.notify_all();
  }
}

}  // namespace vantle
