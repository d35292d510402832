#pragma once
#include <string>

namespace horalux {

// Overwrites every byte a secret's buffer holds (up to its capacity, which
// may keep what an earlier, longer content left) and empties it. The writes
// go through a volatile pointer, so the compiler cannot drop them as stores
// to memory about to be freed, which it may do with a plain fill.
void WipeSecret(std::string& secret);

}  // namespace horalux
