#pragma once
#include <windows.h>

#include <string>

namespace horalux::win32 {

// Writes every byte at the handle's position and flushes: a short write or a
// flush that fails means the file on disk is not what was meant.
inline bool WriteAllAndFlush(HANDLE file, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    DWORD done = 0;
    if (!WriteFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done,
                   nullptr) ||
        done == 0)
      return false;
    at += done;
  }
  return FlushFileBuffers(file) != FALSE;
}

}  // namespace horalux::win32
