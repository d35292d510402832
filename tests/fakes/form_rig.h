#pragma once
#include <memory>
#include <string>
#include <vector>

#include "core/app/fm_jikoku.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_elevation.h"
#include "tests/fakes/fake_log_view.h"
#include "tests/fakes/fake_notify_shell.h"
#include "tests/fakes/fake_proxy_script.h"
#include "tests/fakes/fake_proxy_auth.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_tcp.h"
#include "tests/fakes/fake_udp.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_file_handles.h"
#include "tests/fakes/memory_files.h"

namespace horalux::fakes {

// Every port of one run in memory, and the main window object built on them.
// The program lives in C:\Apps\Horalux\ with a local-folder marker, so the
// settings and the log sit beside it.
struct FormRig {
  explicit FormRig(bool local_folder = true);
  FakeClock clock;
  FakePump pump;
  MemoryFiles files;
  FakeBoxes boxes;
  FakeWindowing windowing;
  IconvCodec codec;
  FakeLocale locale;
  FakeHost host;
  FakeLogView log_view;
  FakeUdpNetwork network;
  FakeNotifyShell shell;
  FakePointerFocus focus{shell.calls};
  FakeShell desktop{files};
  FakeTcpNetwork tcp{clock};
  FakeRegistry registry;
  FakeProxyScript proxy_script{clock};
  FakeUserToken token;
  FakeTaskService tasks;
  FakeElevatedLauncher launcher;
  FakeTaskbar taskbar;
  MemoryFileHandles handles{files};
  FakeFileSecurity security;
  FakeProxyAuth proxy_auth;

  RunPorts Ports();
  // Builds the main window object; the host's show and close run its events.
  TfmJikoku& Make(const std::vector<std::string>& params);
  TfmJikoku& form() { return *form_; }

  // A settings file beside the program, in Shift-JIS.
  void PutSettings(const std::string& utf8_ini);
  std::string SettingsText();  // "<missing>" when absent
  std::string LogText();
  static constexpr const char* kFolder = "C:\\Apps\\Horalux\\";

 private:
  std::unique_ptr<TfmJikoku> form_;
};

}  // namespace horalux::fakes
