#include "core/net/http_request.h"

#include <cstdint>

#include "core/base/ascii_case.h"
#include "core/net/id_exceptions.h"

namespace horalux {
namespace {

constexpr std::size_t kMaxPath = 256;

// Position of the n-th (from 1) "/" in `text`, or npos.
std::size_t NthSlash(const std::string& text, int n) {
  std::size_t at = std::string::npos;
  for (int i = 0; i < n; ++i) {
    at = text.find('/', at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) break;
  }
  return at;
}

// A byte that would end or split a request line or a header's value.
bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

bool HasControl(const std::string& text) {
  for (char c : text)
    if (IsControl(c)) return true;
  return false;
}

bool HasControlOrBlank(const std::string& text) {
  return HasControl(text) || text.find(' ') != std::string::npos;
}

bool ParseInteger(const std::string& text, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<int>(v);
  return true;
}

void AnalyzeUrl(const std::string& url, HttpTarget& target) {
  if (url.empty()) throw EIdException("Empty URL");
  // The URL goes whole into the request line through a proxy, its parts
  // into the request and Host lines otherwise: a server's Location must not
  // add lines of its own.
  if (HasControlOrBlank(url)) throw EIdException("Invalid character in URL");
  target.url = url;
  if (target.port == 0) target.port = 80;
  std::size_t colon = url.find(':');
  if (colon != std::string::npos) {
    std::string scheme = AsciiLowered(url.substr(0, colon));
    if (scheme == "https") throw EIdException("HTTP Secure Socket is not supported");
    target.port = scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
  }

  bool has_authority = url.find("//") != std::string::npos;
  std::string path;
  std::string host_text;
  if (has_authority) {
    std::size_t second = NthSlash(url, 2);
    std::size_t third = NthSlash(url, 3);
    if (third != std::string::npos) path = url.substr(third);
    host_text =
        url.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
  } else {
    std::size_t first = url.find('/');
    if (first != std::string::npos) path = url.substr(first);
    if (first != 0) host_text = url.substr(0, first);
  }
  target.path = path.substr(0, kMaxPath);

  std::size_t port_colon = host_text.find(':');
  if (port_colon != std::string::npos) {
    std::string number = host_text.substr(port_colon + 1);
    if (!ParseInteger(number, target.port))
      throw EIdException("'" + number + "' is not a valid integer value");
    // A 16-bit cast would make 70000 another port.
    if (target.port < 1 || target.port > 65535) throw EIdException("Invalid port in URL");
    host_text.resize(port_colon);
  }
  if (!host_text.empty()) target.host = host_text;
  if (target.path.empty()) {
    target.path.assign(1, '/');
    target.url.push_back('/');
  }
}

std::vector<std::string> BuildRequestLines(const HttpTarget& target, const std::string& proxy,
                                           const std::string& cookie) {
  std::vector<std::string> lines;
  lines.push_back("GET " + (proxy.empty() ? target.path : target.url) + " HTTP/1.0");
  if (!proxy.empty()) lines.push_back("Proxy-Connection: Keep-Alive");
  if (!target.host.empty()) lines.push_back("Host: " + target.host);
  lines.push_back("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
  lines.push_back("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
  if (!cookie.empty()) lines.push_back("Cookie: " + cookie);
  lines.push_back("Content-type: application/x-www-form-urlencoded");
  // A cache on the way would hand back an old reply with its old Date.
  lines.push_back("Pragma: no-cache");
  lines.push_back("Cache-Control: no-cache");
  return lines;
}

std::string RequestText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text + "\r\n";
}

}  // namespace horalux
