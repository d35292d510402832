#pragma once
#include <string>

#include "core/net/http_client.h"
#include "core/net/id_exceptions.h"

namespace horalux::fakes {

// The message of the error a Get raises, or "" when it returns.
inline std::string GetError(THttpClient& client, const std::string& url) {
  try {
    client.Get(url);
    return "";
  } catch (const EIdException& e) {
    return e.what();
  }
}

}  // namespace horalux::fakes
