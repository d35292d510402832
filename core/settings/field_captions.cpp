#include "core/settings/field_captions.h"

#include <algorithm>

namespace horalux {

const FieldCaption* FieldCaptionOf(std::string_view field) {
  static const FieldCaption kCaptions[] = {
      {"edtChien", "動作遅延　　　：", "秒後にインターネットより時刻を取得[1 ～ 600秒(10分) ]"},
      {"edtGosa", "エラー回避　　： ",
       "秒以上の時刻の誤差は、時刻を修正しない[ 1 ～ 600秒(10分) ]"},
      {"edtGyou", "アクセス記録　：", "行まで記録[ 0 ～ 500行 ]"},
      {"edtJisa", "時差の調整　　：", "秒"},
      {"edtChouseiHTTP", "微調整　　　　： 取得時刻 ＋ ", "ms(1/1000秒)"},
      {"edtChouseiSNTP", "微調整　　　　： 取得時刻 ＋ ", "ms(1/1000秒)"},
      {"edtPort", "ポート　：", ""},
  };
  for (const FieldCaption& caption : kCaptions)
    if (field == caption.field) return &caption;
  return nullptr;
}

std::string SpokenLabel(std::string_view label) {
  // The word ends at the first blank (ASCII or ideographic) or colon.
  std::size_t end = label.size();
  for (std::string_view stop : {" ", "　", "：", ":"}) end = std::min(end, label.find(stop));
  return std::string(label.substr(0, end));
}

}  // namespace horalux
