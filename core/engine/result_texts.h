#pragma once
#include <cstdint>
#include <string>

namespace horalux::result_text {

// The cycle's result texts, each ending with its result code.
inline constexpr const char* kAlreadyConnected101 =
    "タイムサーバーに既に接続中です。\r\n今回は時刻を取得しません(101)。";
inline constexpr const char* kRepeatedFailure301 =
    "取得処理を繰り返しましたが、時刻を取得できませんでした(301)。\r\n中止します。";
inline constexpr const char* kRepeatedNoReply302 =
    "取得処理を繰り返しましたが、時刻を取得できませんでした(302)。\r\n\r\n"
    "何度も取得できないようでしたら、\r\nSNTP設定を任意設定にしてください。\r\n中止します。";
inline constexpr const char* kFetchFailedTest3041 =
    "時刻取得に失敗しましたので、\r\n内蔵時計の時刻は修正いたしません(3041)。";
inline constexpr const char* kConfirmedCorrect =
    "取得時刻との差は設定より大きいですが、確認されましたので修正します。";
inline constexpr const char* kConfirmedTestOnly305 =
    "取得時刻との差は設定より大きいですが、確認されました。\r\nしかし、接続テストのみですので、"
    "\r\n内蔵時計の時刻は修正いたしません(305)。";
inline constexpr const char* kFetchFailedResident3061 =
    "時刻取得に失敗しましたので、\r\n内蔵時計の時刻は修正いたしませんでした(3061)。";
inline constexpr const char* kClockSetError307 = "※※※注意※※※  時刻設定エラー(307)";
inline constexpr const char* kClockSetError308 =
    "時刻の設定で、エラーがありました(308)。\r\n\r\n時刻を必ずチェックしてください。";
// Follows (307) when the process lacks the right to set the clock.
inline constexpr const char* kNoClockRight =
    "時刻を設定する権限がありません。管理者として実行してください（Readme.txt 参照）。";
inline constexpr const char* kFetchFailedShown310 =
    "時刻取得に失敗しましたので、\r\n内蔵時計の時刻は修正いたしませんでした(310)。";
inline constexpr const char* kCorrectedByTest = "接続テストで時刻を修正しました";

std::string HandGivenHostFailed103(const std::string& host);
std::string HttpFailed201(const std::string& caption);
std::string ProxyCredentialsNeeded202(const std::string& caption);
inline constexpr const char* kPasswordNotSaved = "パスワードを保存できませんでした。";
std::string ToleranceOutOfRange303(std::int64_t tolerance);
std::string AskCorrection(std::int64_t seconds);
std::string Declined304(std::int64_t seconds);
std::string Refused306(std::int64_t seconds);
std::string RefusedShown309(std::int64_t seconds);
// "接続テストのみ実施\r\n接続成功( Http )" or "( NTP/SNTP )".
std::string TestOnly(bool http);

}  // namespace horalux::result_text
