#include "tests/fakes/fake_ui.h"

#include <iconv.h>

#include <stdexcept>

namespace horalux::fakes {

bool FakeBoxes::Open(Shown box) {
  auto ended = [this] { return loop && loop->quitting(); };
  shown.push_back(std::move(box));
  if (ended()) return false;
  if (while_open) while_open(shown.back());
  return !ended();
}

void FakeBoxes::message(const std::string& text) {
  Open({"message", "Horalux", text, false});
}

bool FakeBoxes::question(const std::string& title, const std::string& text, bool yes_is_default) {
  if (!Open({"question", title, text, yes_is_default})) return false;
  if (answers.empty()) return yes_is_default;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeBoxes::error(const std::string& text) {
  Open({"error", "Horalux", text, false});
}

void FakeBoxes::notice(Icon icon, const std::string& title, const std::string& text) {
  shown.push_back({icon == Icon::Error ? "error box" : "information", title, text, false});
  if (while_open) while_open(shown.back());
}

bool FakeWindowing::bring_forward(const std::string& window_class, const std::string& title) {
  if (!other_copy_running || window_class != "TApplication" || title != "Horalux") return false;
  ++brought_forward;
  return true;
}

namespace {
std::string Convert(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) throw std::runtime_error("iconv failed");
  out.resize(out.size() - dst_left);
  return out;
}
}  // namespace

std::string IconvCodec::to_ansi(const std::string& utf8) {
  return Convert("CP932", "UTF-8", utf8);
}
std::string IconvCodec::from_ansi(const std::string& ansi) {
  return Convert("UTF-8", "CP932", ansi);
}

std::string FakeLocale::abbreviated_day_name(int day_of_week) {
  static const char* kNames[] = {"日", "月", "火", "水", "木", "金", "土"};
  return kNames[((day_of_week % 7) + 7) % 7];
}

std::string FakeLocale::long_time(int hour, int minute, int second) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d", hour, minute, second);
  return buf;
}

void FakeHost::show_window() {
  ++shows;
  visible = true;
  if (on_show) on_show();
}

void FakeHost::close_window() {
  ++close_requests;
  if (on_close) on_close();
  visible = false;
}

}  // namespace horalux::fakes
