#include "tests/fakes/form_rig.h"

namespace horalux::fakes {

FormRig::FormRig(bool local_folder) {
  if (local_folder) files.put(std::string(kFolder) + "localfol.hlx", "");
  boxes.loop = &pump;
  pump.clock = &clock;
  for (const auto& [id, folder] : desktop.folders) files.add_folder(folder);
}

RunPorts FormRig::Ports() {
  return {clock,
          pump,
          files,
          boxes,
          windowing,
          codec,
          locale,
          host,
          log_view,
          network,
          shell,
          focus,
          desktop,
          tcp,
          registry,
          proxy_script,
          token,
          tasks,
          launcher,
          taskbar,
          handles,
          security,
          proxy_auth.ports()};
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
