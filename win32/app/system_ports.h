#pragma once
#include "core/app/run_ports.h"
#include "win32/app/application_window.h"
#include "win32/app/main_window.h"
#include "win32/desktop/notify_shell.h"
#include "win32/desktop/pointer_focus.h"
#include "win32/install/win_elevated_launch.h"
#include "win32/install/win_file_security.h"
#include "win32/desktop/win_shell.h"
#include "win32/install/win_task_service.h"
#include "win32/desktop/win_taskbar.h"
#include "win32/dialogs/proxy_credentials_window.h"
#include "win32/net/tcp_session.h"
#include "win32/net/udp_socket.h"
#include "win32/net/win_proxy_script.h"
#include "win32/net/win_credential_store.h"
#include "win32/net/win_security_packages.h"
#include "win32/platform/win_boxes.h"
#include "win32/platform/win_file_handles.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_registry.h"
#include "win32/platform/win_text_codec.h"
#include "win32/platform/win_user_token.h"

namespace horalux {

// The Windows adapters the program runs on, in one place for the program and
// for the window tests: a port added to the program reaches both. The clock
// and the colour scheme stay with the caller, since a simulated build and
// the tests bring their own.
struct SystemPorts {
  SystemPorts() = default;
  // `image`: the running executable, opened first thing.
  explicit SystemPorts(win32::UniqueHandle image) : files(std::move(image)) {}
  WinPump pump;
  WinFiles files;
  WinBoxes boxes;
  WinTextCodec codec;
  WinLocale locale;
  WinUdpNetwork network;
  WinTcpNetwork tcp{pump};
  win32::WinRegistry registry;
  win32::WinProxyScript proxy_script;
  WinNotifyShell notify_shell;
  WinPointerFocus pointer_focus;
  // One per run: it holds the COM library the shell's objects need.
  WinShell shell;
  WinUserToken token;
  WinTaskService tasks;
  WinElevatedLauncher launcher;
  WinTaskbar taskbar;
  WinFileHandles handles;
  WinFileSecurity security;
  WinSecurityPackages sspi;
  WinCredentialStore credentials;
  ProxyCredentialsWindow credentials_prompt;

  RunPorts For(Clock& clock, ApplicationWindow& application, MainWindow& window) {
    return {.clock = clock,
            .pump = pump,
            .files = files,
            .boxes = boxes,
            .windowing = application,
            .codec = codec,
            .locale = locale,
            .host = window,
            .log_view = window.log_view(),
            .network = network,
            .notify_shell = notify_shell,
            .pointer_focus = pointer_focus,
            .shell = shell,
            .tcp = tcp,
            .registry = registry,
            .proxy_script = proxy_script,
            .token = token,
            .tasks = tasks,
            .launcher = launcher,
            .taskbar = taskbar,
            .handles = handles,
            .security = security,
            .proxy_auth = {.sspi = sspi, .store = credentials, .prompt = credentials_prompt}};
  }
};

}  // namespace horalux
