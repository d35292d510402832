#pragma once
#include "core/platform/boxes.h"
#include "core/platform/elevated_launch.h"
#include "core/platform/clock.h"
#include "core/platform/file_handles.h"
#include "core/platform/file_security.h"
#include "core/platform/files.h"
#include "core/platform/form_host.h"
#include "core/platform/locale_info.h"
#include "core/platform/log_view.h"
#include "core/platform/message_pump.h"
#include "core/platform/notify_shell.h"
#include "core/platform/pointer_focus.h"
#include "core/platform/proxy_script.h"
#include "core/platform/proxy_auth_ports.h"
#include "core/platform/shell.h"
#include "core/platform/task_service.h"
#include "core/platform/taskbar.h"
#include "core/platform/registry.h"
#include "core/platform/tcp_session.h"
#include "core/platform/text_codec.h"
#include "core/platform/udp_socket.h"
#include "core/platform/user_token.h"
#include "core/platform/windowing.h"

namespace horalux {

// Every OS service one run of the program reaches, passed in whole.
struct RunPorts {
  Clock& clock;
  MessagePump& pump;
  Files& files;
  Boxes& boxes;
  Windowing& windowing;
  TextCodec& codec;
  LocaleInfo& locale;
  FormHost& host;
  LogView& log_view;
  UdpNetwork& network;
  NotifyShell& notify_shell;
  PointerFocus& pointer_focus;
  Shell& shell;
  TcpNetwork& tcp;
  Registry& registry;
  ProxyScript& proxy_script;
  UserToken& token;
  TaskService& tasks;
  ElevatedLauncher& launcher;
  Taskbar& taskbar;
  FileHandles& handles;
  FileSecurity& security;
  ProxyAuthPorts proxy_auth;
};

}  // namespace horalux
