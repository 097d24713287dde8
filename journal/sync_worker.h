// A thread of its own for the calls that wait for the disk (fsync, rename, removal), so that
// the window's thread only ever appends to the page cache.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace fenmor {

class SyncWorker {
  public:
    SyncWorker();
    ~SyncWorker();  // finishes every job given before it returns
    SyncWorker(const SyncWorker&) = delete;
    SyncWorker& operator=(const SyncWorker&) = delete;

    // Jobs run one after another, in the order given.
    void post(std::function<void()> job);
    // Returns once every job given so far has run.
    void drain();

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace fenmor
