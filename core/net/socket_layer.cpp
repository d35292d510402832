#include "core/net/socket_layer.h"

#include <mutex>

#include "core/net/id_exceptions.h"

namespace horalux {
namespace {

// The socket layer is one per process, shared by every network component.
std::mutex g_lock;
int g_holders = 0;
SocketLayer* g_started = nullptr;  // the layer the first holder started

}  // namespace

SocketLayerUse::SocketLayerUse(SocketLayer& layer) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_holders == 0) {
    int error = layer.start();
    if (error != 0) throw EIdSocketError(error);
    g_started = &layer;
  }
  ++g_holders;
}

SocketLayerUse::~SocketLayerUse() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (--g_holders == 0) {
    g_started->stop();
    g_started = nullptr;
  }
}

int SocketLayerUse::Holders() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_holders;
}

}  // namespace horalux
