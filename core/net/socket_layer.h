#pragma once
#include "core/platform/udp_socket.h"

namespace horalux {

// One network component's hold on the process's socket layer. The holders
// are counted under a lock across the process: the first starts the layer,
// the last one released stops it.
class SocketLayerUse {
 public:
  // Raises EIdSocketError with the layer's error number when the layer
  // cannot be started; nothing is then held.
  explicit SocketLayerUse(SocketLayer& layer);
  ~SocketLayerUse();
  SocketLayerUse(const SocketLayerUse&) = delete;
  SocketLayerUse& operator=(const SocketLayerUse&) = delete;

  // Holders alive in the process now.
  static int Holders();
};

}  // namespace horalux
