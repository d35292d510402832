#include "tests/fakes/form_rig.h"

namespace horalux::fakes {

FormRig::FormRig(bool local_folder) {
  if (local_folder) files.put(std::string(kFolder) + "localfol.hlx", "");
  boxes.loop = &pump;
  pump.clock = &clock;
  for (const auto& [id, folder] : desktop.folders) files.add_folder(folder);
}

RunPorts FormRig::Ports() {
  return {.clock = clock,
          .pump = pump,
          .files = files,
          .boxes = boxes,
          .windowing = windowing,
          .codec = codec,
          .locale = locale,
          .host = host,
          .log_view = log_view,
          .network = network,
          .notify_shell = shell,
          .pointer_focus = focus,
          .shell = desktop,
          .tcp = tcp,
          .registry = registry,
          .proxy_script = proxy_script,
          .token = token,
          .tasks = tasks,
          .launcher = launcher,
          .taskbar = taskbar,
          .handles = handles,
          .security = security,
          .proxy_auth = proxy_auth.ports()};
}

TfmJikoku& FormRig::Make(const std::vector<std::string>& params) {
  form_ = std::make_unique<TfmJikoku>(Ports(), params);
  host.on_show = [this] { form_->FormShow(); };
  host.on_close = [this] { form_->FormCloseQuery(); };
  return *form_;
}

void FormRig::PutSettings(const std::string& utf8_ini) {
  files.put(std::string(kFolder) + "Horalux.ini", codec.to_ansi(utf8_ini));
}

std::string FormRig::SettingsText() {
  auto bytes = files.read(std::string(kFolder) + "Horalux.ini");
  return bytes ? codec.from_ansi(*bytes) : "<missing>";
}

std::string FormRig::LogText() {
  auto bytes = files.read(std::string(kFolder) + "Jikoku.txt");
  return bytes ? codec.from_ansi(*bytes) : "<missing>";
}

}  // namespace horalux::fakes
