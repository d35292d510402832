#pragma once
#include <memory>

#include "core/platform/tcp_session.h"

namespace horalux {

// TCP sessions through Windows Sockets: notifications arrive as messages to
// a hidden window of each session (WSAAsyncSelect), name look-ups run on a
// short-lived worker thread that posts its answer to that window.
class WinTcpNetwork : public TcpNetwork {
 public:
  int start() override;
  void stop() override;
  std::unique_ptr<TcpSession> open_session() override;
};

}  // namespace horalux
