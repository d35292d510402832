#include "core/engine/result_texts.h"

namespace horalux::result_text {

std::string HandGivenHostFailed103(const std::string& host) {
  return "任意設定の時刻を取得できません(103)。\r\n"
         "設定したホスト名（又はＩＰアドレス）は正しいですか。\r\nHost = [" +
         host + "]";
}

std::string HttpFailed201(const std::string& caption) {
  return "HTTP で時刻が取得できません(201)。\r\nインターネットには接続されていますか。\r\n< " +
         caption + " >";
}

std::string ProxyCredentialsNeeded202(const std::string& caption) {
  return "プロキシサーバーの認証が必要です(202)。\r\n接続テストで、ユーザー名とパスワードを入力して"
         "ください。\r\n< " +
         caption + " >";
}

std::string ToleranceOutOfRange303(std::int64_t tolerance) {
  std::int64_t magnitude = tolerance < 0 ? -tolerance : tolerance;
  return "エラー回避：時刻の誤差指定が" + std::to_string(magnitude) + "秒になっています。" +
         "\r\n" + "時刻の修正を、中止します(303)。";
}

std::string AskCorrection(std::int64_t seconds) {
  return "取得時刻との差が" + std::to_string(seconds) + "秒あります。" + "\r\n" +
         "内蔵時計の時刻を修正しますか？";
}

std::string Declined304(std::int64_t seconds) {
  return "取得時刻との差が" + std::to_string(seconds) + "秒ありましたが、" + "\r\n" +
         "内蔵時計の時刻は修正いたしません(304)。";
}

std::string Refused306(std::int64_t seconds) {
  return "取得時刻との差が" + std::to_string(seconds) + "秒ありましたので、" + "\r\n" +
         "内蔵時計の時刻は修正いたしませんでした(306)。";
}

std::string RefusedShown309(std::int64_t seconds) {
  return "取得時刻との差が" + std::to_string(seconds) + "秒ありましたので、" + "\r\n" +
         "内蔵時計の時刻は修正いたしませんでした(309)。";
}

std::string TestOnly(bool http) {
  return std::string("接続テストのみ実施\r\n接続成功( ") + (http ? "Http" : "NTP/SNTP") + " )";
}

}  // namespace horalux::result_text
