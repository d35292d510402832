#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace horalux::win32 {

// Reads `size` bytes from the handle's position; fewer when the file ends
// sooner. Nothing when a read fails.
inline std::optional<std::string> ReadUpTo(HANDLE file, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t at = 0;
  while (at < bytes.size()) {
    DWORD done = 0;
    if (!ReadFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done, nullptr))
      return std::nullopt;
    if (done == 0) break;
    at += done;
  }
  bytes.resize(at);
  return bytes;
}

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
