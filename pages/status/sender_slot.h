#pragma once
// A page's slot for the worker thread of one kind of command (rename, IP,
// transparent bridge, RV-SYNC). Starting a new worker first joins the one
// still running, so at most one runs per slot; the destructor joins the last
// one. The workers only read what they were given and call the engine's send
// operations, which any thread may call, so joining is prompt.
//
// Start and Wait are called on the user-interface thread.

#include <functional>
#include <thread>

class CSenderSlot {
 public:
  CSenderSlot() = default;
  ~CSenderSlot() { Wait(); }
  CSenderSlot(const CSenderSlot&) = delete;
  CSenderSlot& operator=(const CSenderSlot&) = delete;

  void Start(std::function<void()> work) {
    Wait();
    worker_ = std::jthread(std::move(work));
  }
  // Joins the last worker, if any.
  void Wait() {
    if (worker_.joinable()) worker_.join();
  }

 private:
  std::jthread worker_;
};
