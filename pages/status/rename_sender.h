#pragma once
// The Status page's rename: the worker thread that sends a new device name
// with set_name. A new rename stops and joins the previous
// worker first, so at most one runs; the destructor joins the last one.
//
// Send is called on the user-interface thread; the worker only calls the
// engine's send operation, which any thread may call.

#include <string>
#include <thread>

class CDeviceEngine;

class CRenameSender {
 public:
  CRenameSender() = default;
  ~CRenameSender() { Wait(); }
  CRenameSender(const CRenameSender&) = delete;
  CRenameSender& operator=(const CRenameSender&) = delete;

  void Send(CDeviceEngine& engine, std::string ip, std::string mac, std::string localName);
  // Joins the worker of the last rename, if any.
  void Wait();

 private:
  std::jthread worker_;
};
