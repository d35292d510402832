#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/net/udp_base.h"

namespace horalux {

// A UDP component that talks to one configured peer.
class TIdUDPClient : public TIdUDPBase {
 public:
  using TIdUDPBase::TIdUDPBase;

  // Server name or dotted IPv4 address, resolved again at every send.
  const std::string& Host() const { return host_; }
  void SetHost(const std::string& value) { host_ = value; }
  // Server UDP port.
  int Port() const { return port_; }
  void SetPort(int value) { port_ = value; }
  // Longest wait for a reply in milliseconds; kTimeoutInfinite (or any
  // negative value) waits without limit.
  int ReceiveTimeout() const { return receive_timeout_; }
  void SetReceiveTimeout(int value) { receive_timeout_ = value; }

  // Sends one datagram to Host:Port.
  void Send(const std::uint8_t* data, std::size_t size) { SendBuffer(host_, port_, data, size); }

 protected:
  int DefaultWait() const override { return receive_timeout_; }

 private:
  std::string host_;
  int port_ = 0;
  int receive_timeout_ = kTimeoutInfinite;
};

}  // namespace horalux
