#include "fuzz/lenient_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <stdexcept>

#include "core/base/sjis.h"

namespace horalux::fuzz {
namespace {

std::size_t Utf8Length(const std::string& text, std::size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(n, text.size() - at);
}

// Converts `in` whole; at a sequence `cd` cannot take, `replacement` goes
// out and `skip` tells how many input bytes it stands for.
template <typename Skip>
std::string Convert(iconv_t cd, const std::string& in, const char* replacement, Skip skip) {
  std::string out;
  char buffer[256];
  std::size_t at = 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (at < in.size()) {
    char* src = const_cast<char*>(in.data()) + at;
    std::size_t src_left = in.size() - at;
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    int error = errno;
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    at = in.size() - src_left;
    if (r != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    out += replacement;
    at += skip(in, at);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

LenientCodec::LenientCodec()
    : to_ansi_(iconv_open("CP932", "UTF-8")), from_ansi_(iconv_open("UTF-8", "CP932")) {
  if (to_ansi_ == reinterpret_cast<iconv_t>(-1) || from_ansi_ == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv has no code page 932");
}

LenientCodec::~LenientCodec() {
  iconv_close(to_ansi_);
  iconv_close(from_ansi_);
}

std::string LenientCodec::to_ansi(const std::string& utf8) {
  return Convert(to_ansi_, utf8, "?", Utf8Length);
}

std::string LenientCodec::from_ansi(const std::string& ansi) {
  return Convert(from_ansi_, ansi, "\xE3\x83\xBB",
                 [](const std::string& text, std::size_t at) { return SjisCharLength(text, at); });
}

}  // namespace horalux::fuzz
