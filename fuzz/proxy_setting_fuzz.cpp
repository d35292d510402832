// The proxy setting: the user's internet settings in the registry, in any
// form the values may be stored in, and a proxy script's answer.
//
// Input: how "ProxyEnable" is stored, its value, how "ProxyServer" is
// stored, then the server text, which is also the script's answer.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/net/proxy.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/lenient_codec.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_proxy_script.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_registry.h"

using namespace horalux;

namespace {

constexpr RegistryValue::Type kTypes[] = {RegistryValue::Type::Missing, RegistryValue::Type::Binary,
                                          RegistryValue::Type::Integer, RegistryValue::Type::String,
                                          RegistryValue::Type::Other};

RegistryValue Value(fuzz::FuzzInput& in) {
  RegistryValue value;
  value.type = kTypes[in.Byte() % std::size(kTypes)];
  const std::uint8_t n = in.Byte();
  value.integer = n;
  for (int i = 0; i < n % 6; ++i) value.data.push_back(in.Byte());
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::LenientCodec codec;
  fuzz::FuzzInput in(data, size);
  fakes::FakeRegistry registry;
  registry.Set(kInternetSettingsKey, "ProxyEnable", Value(in));
  RegistryValue server = Value(in);
  server.text = in.Rest();
  registry.Set(kInternetSettingsKey, "ProxyServer", server);

  fakes::FakeClock clock;
  fakes::FakePump pump;
  fakes::FakeProxyScript script(clock);
  script.answer = server.text;
  for (const char* script_url : {"", "http://s/proxy.pac"}) {
    registry.Set(kInternetSettingsKey, "AutoConfigURL",
                 {RegistryValue::Type::String, {}, 0, script_url});
    TProxy proxy;
    try {
      proxy = GetProxyForUrl({registry, codec, script, clock, pump}, "http://t/");
    } catch (const ERegistryError&) {
      continue;
    }
    if (proxy.InUse)
      fuzz::Require(proxy.Port >= 1 && proxy.Port <= 65535, "a proxy in use has a usable port");
  }
  return 0;
}
