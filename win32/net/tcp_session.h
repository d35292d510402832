#pragma once
#include <memory>

#include "core/platform/tcp_session.h"
#include "win32/platform/win_pump.h"

namespace horalux {

// TCP sessions through Windows Sockets: each socket's notifications set an
// event object (WSAEventSelect) that the pump's waits wake on, so a reply is
// seen when it arrives; name look-ups run on a short-lived worker thread that
// posts its answer to a hidden window of the session.
class WinTcpNetwork : public TcpNetwork {
 public:
  explicit WinTcpNetwork(WinPump& pump) : pump_(pump) {}
  int start() override;
  void stop() override;
  std::unique_ptr<TcpSession> open_session() override;

 private:
  WinPump& pump_;
};

}  // namespace horalux
