#include "tests/fakes/fake_sntp.h"

#include <stdexcept>

namespace horalux::fakes {

void FakeSntp::SetActive(bool a) {
  if (a && !active) ++opens;
  active = a;
}

double FakeSntp::QueryTime() {
  if (!active) {
    active = true;
    ++opens;
  }
  queried_hosts.push_back(host);
  Exchange e = script.empty() ? Silent() : script.front();
  if (!script.empty()) script.pop_front();
  switch (e.kind) {
    case Exchange::Kind::Time:
      return e.value;
    case Exchange::Kind::Raise:
      throw std::runtime_error(e.error);
    case Exchange::Kind::Silent:
      break;
  }
  clock_.advance_ms(receive_timeout_ms);
  return 0.0;
}

}  // namespace horalux::fakes
