#include "core/settings/jikoku_screen.h"

#include "core/net/time_servers.h"
#include "core/settings/number_fields.h"
#include "core/settings/settings_keys.h"

namespace horalux {

namespace {

// A spin as its row gives it: named by its key, with its field, range and step.
template <auto Spin>
TUpDown SpinOf(JikokuScreen& screen) {
  constexpr const SettingsKey& row = RowOf<Spin>();
  constexpr const NumberFacts& number = NumberOf<Spin>();
  return TUpDown(row.key, &FieldOf(number, screen), number.min, number.max, number.step);
}

}  // namespace

JikokuScreen::JikokuScreen()
    : udChien(SpinOf<&JikokuScreen::udChien>(*this)),
      udGosa(SpinOf<&JikokuScreen::udGosa>(*this)),
      udGyou(SpinOf<&JikokuScreen::udGyou>(*this)),
      udChouseiHTTP(SpinOf<&JikokuScreen::udChouseiHTTP>(*this)),
      udChouseiSNTP(SpinOf<&JikokuScreen::udChouseiSNTP>(*this)) {
  for (TTabSheet* page : {&tsJikoku, &tsJMemo, &tsAddress, &tsSNTP}) PageControl1.AddPage(page);
  tsJikoku.SetCaption("　　基本設定　　");
  tsJMemo.SetCaption(" アクセス記録 ");
  tsAddress.SetCaption("　ＨＴＴＰ設定　");
  tsSNTP.SetCaption("　ＳＮＴＰ設定　");

  cbStartup.SetCaption("コンピュータ起動時にインターネットから時刻を取り込む");
  cbMainichi.SetCaption("起動中も１日１回、時刻を合わせる(&M)");
  cbEhyouji.SetCaption("接続テスト以外で、時刻が取れない場合、その故を表示する");
  rbHTTP.SetCaption("HTTP");
  rbSNTP.SetCaption("NTP/SNTP");
  btnJikkou.SetCaption("接続テスト");
  cbSetuzokuT.SetCaption("接続テストで、内蔵時計を修正する。");
  btnHTTP.SetCaption("HTTP");
  btnSNTP.SetCaption("NTP/SNTP");

  btnFirst.SetCaption("最初");
  btnBottom.SetCaption("最後");
  btnClose.SetCaption("終了");

  rbJapan.SetCaption("日本標準時（独立行政法人情報通信研究機構）");
  rbFennick1.SetCaption("Fennick標準時１");
  rbFennick2.SetCaption("Fennick標準時２");
  cbProxy.SetCaption("プロキシサーバーを使用する");
  btnProxyGet.SetCaption("← 自動取得");
  cbNoCkProxy.SetCaption("時刻取得時に、自動でプロキシサーバーのチェックを行わない");
  cbSeimitsu.SetCaption("秒の境目を測って精密に合わせる（数回アクセスします）(&M)");

  btnSokutei.SetCaption("← 測定");
  cbSNTPAuto.SetCaption("(Ｓ)ＮＴＰサーバーのホスト名は自動設定");
  cbSNTP.SetCaption("(Ｓ)ＮＴＰサーバーのホスト名（又はＩＰアドレス）を任意に設定する");
  lblSNTP1.SetCaption("ホスト名：");
  lblSNTP2.SetCaption("例 ： マイクロソフト社の公開タイムサーバー");
  lblSNTP3.SetCaption(std::string("ホスト名  ： ") + kExampleServerName);
  lblSNTP4.SetCaption(std::string("IPアドレス： ") + kExampleServerAddress);
  for (TControl* c :
       std::initializer_list<TControl*>{&edtSNTP, &lblSNTP1, &lblSNTP2, &lblSNTP3, &lblSNTP4})
    c->SetEnabled(false);
  for (const SettingsKey& row : ControlRows())
    if (row.number) ShapeNumberField(FieldOf(*row.number, *this), *row.number);
  ShowDefaults(*this);
}

void JikokuScreen::ClampSpinFields() {
  for (const SettingsKey& row : ControlRows())
    if (auto spin = std::get_if<TUpDown JikokuScreen::*>(&row.control))
      (this->*(*spin)).ClampToRange();
}

TTabSheet* JikokuScreen::PageByIndex(int index) {
  for (TTabSheet* page : PageControl1.Pages())
    if (page->PageIndex() == index) return page;
  return nullptr;
}

}  // namespace horalux
