#include "core/desktop/version_box.h"

namespace horalux {
namespace {

constexpr const char* kReleaseDate = "2006/08/31";
constexpr const char* kBuildNumber = "002";

std::string WithoutVer(std::string text) {
  for (std::size_t at; (at = text.find("Ver")) != std::string::npos;) text.erase(at, 3);
  return text;
}

// Month and day of the release, then the build number's last two digits.
std::string BuildTag() {
  std::string date = kReleaseDate;
  std::string build = kBuildNumber;
  return date.substr(5, 2) + date.substr(8, 2) + build.substr(build.size() - 2);
}

}  // namespace

TfmAbout::TfmAbout(const std::string& program_version) {
  lbl_Version.SetCaption(WithoutVer(program_version));
  lblVerKaku.SetVisible(false);
  btnClose.SetCaption("閉じる");
}

bool TfmAbout::FormKeyDown(int key, bool shift, bool ctrl) {
  if (key == kKeyReturn || key == kKeyEscape) return true;
  if (key == 'V' && shift && ctrl) {
    armed_ = true;
    return false;
  }
  if (armed_ && key == 'J' && shift && ctrl) {
    lblVerKaku.SetCaption(BuildTag());
    lblVerKaku.SetVisible(true);
  }
  armed_ = false;
  return false;
}

}  // namespace horalux
