#pragma once
#include <vector>

#include "core/controls/controls.h"
#include "core/controls/num_edit.h"

namespace horalux {

// Every control of the main window. The controls hold the live settings:
// the engine reads them when it runs and the settings file is written from them.
// A spin's range and a number field's shape come from the control's row of
// the settings table (settings_keys.h).
struct JikokuScreen {
  JikokuScreen();
  JikokuScreen(const JikokuScreen&) = delete;
  JikokuScreen& operator=(const JikokuScreen&) = delete;

  TStatusBar StatusBar1{"StatusBar1"};
  TPageControl PageControl1{"PageControl1"};
  TTabSheet tsJikoku{"tsJikoku", 0};
  TTabSheet tsJMemo{"tsJMemo", 1};
  TTabSheet tsAddress{"tsAddress", 2};
  TTabSheet tsSNTP{"tsSNTP", 3};

  // Basic settings.
  TCheckBox cbStartup{"cbStartup"};
  // The logon task also runs once a day. The task holds the choice: no key
  // of the settings file.
  TCheckBox cbMainichi{"cbMainichi"};
  static constexpr const char* kMainichiHint =
      "スリープなどで予定の時刻を過ぎたときは、復帰したあとで合わせます";
  TCheckBox cbEhyouji{"cbEhyouji"};
  std::vector<TRadioButton*> protocol_group;
  TRadioButton rbHTTP{"rbHTTP", &protocol_group};
  TRadioButton rbSNTP{"rbSNTP", &protocol_group};
  TButton btnJikkou{"btnJikkou"};
  TCheckBox cbSetuzokuT{"cbSetuzokuT"};
  TButton btnHTTP{"btnHTTP"};
  TButton btnSNTP{"btnSNTP"};
  TOrNEdit edtChien{"edtChien"};
  TUpDown udChien;
  TOrNEdit edtGosa{"edtGosa"};
  TUpDown udGosa;
  TOrNEdit edtGyou{"edtGyou"};
  TUpDown udGyou;
  TOrNEdit edtJisa{"edtJisa"};

  // Access log.
  TButton btnFirst{"btnFirst"};
  TButton btnBottom{"btnBottom"};
  TButton btnClose{"btnClose"};

  // HTTP settings.
  TOrNEdit edtChouseiHTTP{"edtChouseiHTTP"};
  TUpDown udChouseiHTTP;
  std::vector<TRadioButton*> page_group;
  TRadioButton rbJapan{"rbJapan", &page_group};
  TRadioButton rbFennick1{"rbFennick1", &page_group};
  TRadioButton rbFennick2{"rbFennick2", &page_group};
  // The page addresses of the second and third sources. Kept in the
  // settings file only, for an administrator to set; no field shows them.
  TEdit edtFennick1{"edtFennick1"};
  TEdit edtFennick2{"edtFennick2"};
  TCheckBox cbProxy{"cbProxy"};
  TPanel pnlProxy{"pnlProxy"};
  TEdit edtProxy{"edtProxy"};
  TOrNumEdit edtPort{"edtPort"};
  TButton btnProxyGet{"btnProxyGet"};
  TCheckBox cbNoCkProxy{"cbNoCkProxy"};
  // Times further requests around the web server's second boundary.
  TCheckBox cbSeimitsu{"cbSeimitsu"};

  // SNTP settings.
  TOrNEdit edtChouseiSNTP{"edtChouseiSNTP"};
  TUpDown udChouseiSNTP;
  // Measures the lag to the server and sets the fine adjustment from it.
  TButton btnSokutei{"btnSokutei"};
  static constexpr const char* kSokuteiHint = "時刻サーバーまでの遅れを測って、微調整を設定します";
  TCheckBox cbSNTPAuto{"cbSNTPAuto"};
  TCheckBox cbSNTP{"cbSNTP"};
  TEdit edtSNTP{"edtSNTP"};
  TLabel lblSNTP1{"lblSNTP1"};
  TLabel lblSNTP2{"lblSNTP2"};
  TLabel lblSNTP3{"lblSNTP3"};
  TLabel lblSNTP4{"lblSNTP4"};

  // Brings every spin field's value into its range, as the first showing does.
  void ClampSpinFields();
  TTabSheet* PageByIndex(int index);
};

}  // namespace horalux
