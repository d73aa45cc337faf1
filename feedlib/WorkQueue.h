#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vantle {

// Runs tasks one after another, in the order posted, on a thread of its own, so that slow
// work does not hold up the thread that posts it.
class TWorkQueue {
 public:
  TWorkQueue();
  TWorkQueue(const TWorkQueue&) = delete;
  TWorkQueue& operator=(const TWorkQueue&) = delete;
  // Drops the tasks not begun and waits for the one running.
  ~TWorkQueue();

  void Post(std::function<void()> task);
  // Waits until every task posted has run, then raises what the first failing task raised;
  // the tasks after a failure are dropped.
  void Finish();
  // Drops the tasks not begun and waits for the one running.
  void Drop();

 private:
  void Work();

  std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<std::function<void()>> FTasks;
  bool FBusy = false;
  bool FQuit = false;
  std::exception_ptr FError;
  std::thread FThread;
};

}  // namespace vantle
