#pragma once
#include <string>
#include <vector>

namespace horalux {

// Where one request goes, as the URL analysis leaves it. Port and host carry
// over from the previous request when the URL does not name them.
struct HttpTarget {
  std::string url;   // may gain a trailing "/" when it names no path
  std::string path;  // "/..." at most 256 bytes
  std::string host;  // origin host, without port
  int port = 0;      // origin TCP port
};

// Applies `url` to `target` (which holds the previous host and port).
// Raises EIdException "Empty URL", "Invalid character in URL" (a byte from
// 0x00 to 0x20 or 0x7F anywhere), "HTTP Secure Socket is not supported", a
// conversion error for a port that is not a number, or "Invalid port in URL"
// for one outside 1..65535.
void AnalyzeUrl(const std::string& url, HttpTarget& target);

// The request lines of one GET, in their order; the whole URL as the target
// and the keep-alive line when `proxy` is not empty. `cookie` empty: no line.
std::vector<std::string> BuildRequestLines(const HttpTarget& target, const std::string& proxy,
                                           const std::string& cookie);

// The lines as sent: each ends with CR LF, then one more CR LF.
std::string RequestText(const std::vector<std::string>& lines);

// True when `text` holds a byte below 0x20 or 0x7F.
bool HasControl(const std::string& text);
// The same, or a blank: what no URL may hold.
bool HasControlOrBlank(const std::string& text);

// A decimal integer as the whole of `text`: optional blanks, optional sign,
// digits; false when it is not one or leaves the 32-bit range.
bool ParseInteger(const std::string& text, int& value);

}  // namespace horalux
