#pragma once

namespace horalux {

// The built-in public SNTP servers, rotated A -> B -> C -> D -> A.
// A to C are three servers of the NTP Pool's Japanese zone; D is the
// Japanese national time service (NICT).
inline constexpr const char* kServerA = "0.jp.pool.ntp.org";
inline constexpr const char* kServerB = "1.jp.pool.ntp.org";
inline constexpr const char* kServerC = "2.jp.pool.ntp.org";
inline constexpr const char* kServerD = "ntp.nict.jp";

// The example public time server shown on the SNTP tab; its address is the
// default of the hand-given server field.
inline constexpr const char* kExampleServerName = "time.windows.com";
inline constexpr const char* kExampleServerAddress = "20.101.57.9";

}  // namespace horalux
