#include "core/base/wipe_secret.h"

namespace horalux {

void WipeSecret(std::string& secret) {
  secret.resize(secret.capacity());
  volatile char* byte = secret.data();
  for (std::size_t i = 0; i < secret.size(); ++i) byte[i] = 0;
  secret.clear();
}

}  // namespace horalux
