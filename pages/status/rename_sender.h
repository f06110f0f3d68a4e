#pragma once
// The Status page's rename: the set_name payload of a new device name and the
// worker thread that sends it. A new rename stops and joins the previous
// worker first, so at most one runs; the destructor joins the last one.
//
// Send is called on the user-interface thread; the worker only calls the
// engine's send operation, which any thread may call.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

class CDeviceEngine;

inline constexpr std::size_t kDeviceNameArea = 32;
using SetNamePayload = std::array<uint8_t, kDeviceNameArea + 1>;

// The name as the device takes it, cut at a character boundary to the
// 32-byte area, zero-padded, its byte length in the last byte.
SetNamePayload BuildSetNamePayload(std::string_view localName);

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
