#pragma once
#include <memory>
#include <optional>
#include <string>

namespace horalux {

// The system's runner of automatic proxy configuration scripts: which proxy
// the script at a given address names for a URL. Running a script means
// fetching it first, which the system does without a time limit, so a
// look-up runs apart from the caller, who waits for it as long as it likes.
class ProxyScript {
 public:
  // One look-up under way. Dropping it abandons the look-up: an answer that
  // comes later is discarded.
  class Lookup {
   public:
    virtual ~Lookup() = default;
    // True once the answer, or the failure, is in.
    virtual bool finished() = 0;
    // After finished(): the proxy list the system made of the script's
    // answer ("host:port", or several separated by ";"), "DIRECT" when it
    // named no proxy; nullopt when the script could not be fetched or run.
    virtual std::optional<std::string> answer() = 0;
  };
  virtual ~ProxyScript() = default;
  // Starts asking the script at `script_url` (UTF-8) for the proxy of `url`;
  // nullptr when no look-up can start.
  virtual std::unique_ptr<Lookup> start(const std::string& script_url, const std::string& url) = 0;
};

}  // namespace horalux
