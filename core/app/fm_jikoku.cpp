#include "core/app/fm_jikoku.h"

#include <exception>

namespace horalux {
namespace {
constexpr int kWatchdogTimerId = 1;
}

char ParameterFlag(const std::string& param) {
  if (param.size() < 2) return 0;
  for (char flag : {'R', 'N', 'A'})
    if (param[1] == flag) return flag;
  return 0;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

TfmJikoku::TfmJikoku(RunPorts ports, std::vector<std::string> params)
    : ports_(ports), params_(std::move(params)), sg_timer_(ports.pump, kWatchdogTimerId, 10000) {
  screen_.btnClose.OnClick = [this] { btnCloseClick(); };
  screen_.PageControl1.OnChange = [this] { PageControl1Change(); };
}

void TfmJikoku::FormCreate() {
  try {
    RunStartupSteps();
  } catch (const std::exception& e) {
    startupFailed = true;
    ports_.boxes.error(e.what());
  }
}

void TfmJikoku::RunStartupSteps() {
  // 1. The short date format is fixed to "yyyy/mm/dd" where dates are formatted.
  // 2.
  closing = false;
  firstShow = true;
  // 3. Start-up trace.
  program_folder_ = FolderOf(ports_.files.executable_path());
  startup_trace_ = "[" + program_folder_ + "]" + "\r\n";
  // 4. Settings folder and run flags.
  // 5. Clock anchor.
  // 6. Start-up folder.
  // 7.
  residentMode = false;
  noDelay = false;
  askStartupAtClose = false;
  abortRequested = false;
  displayRequested = false;
  showWindowAfterFailure = false;
  countdown = 0;
  screen_.tsSNTP.SetTabVisible(false);
  screen_.tsAddress.SetTabVisible(false);
  // 8.
  ExamineParameters();
  // 9. Access log into its view.
  // 10. Settings.
  // 11.
  startup_trace_ += std::to_string(screen_.udChien.Position()) + "\r\n";
  // 12. Selected standard-time page.
  // 13.
  if (residentMode && RunResident()) return;
  // 14.
  screen_.PageControl1.SetActivePage(&screen_.tsJikoku);
}

void TfmJikoku::ExamineParameters() {
  for (const std::string& param : params_) {
    switch (ParameterFlag(param)) {
      case 'R':
        residentMode = true;
        Record("R");
        break;
      case 'N':
        noDelay = true;
        Record("N");
        break;
      case 'A':
        askStartupAtClose = true;
        Record("A");
        break;
      default:
        break;
    }
  }
}

bool TfmJikoku::RunResident() {
  return false;
}

void TfmJikoku::FormShow() {
  if (firstShow) screen_.ClampSpinFields();
  // 1. Log view to its end.
  // 2. Icon visible.
  // 3.
  if (firstShow) {
    firstShow = false;
  }
}

void TfmJikoku::FormCloseQuery() {
  // 1. Abort of a resident run.
  // 2. Start-up registration question.
  // 3. Icon hidden.
  // 4. Settings written.
  // 5.
  closing = true;
}

void TfmJikoku::mnCloseClick() {
  ports_.host.close_window();
}
void TfmJikoku::btnCloseClick() {
  ports_.host.close_window();
}
void TfmJikoku::PowerBroadcast() {
  mnCloseClick();
}

void TfmJikoku::PageControl1Change() {
  if (screen_.PageControl1.ActivePage() == &screen_.tsJMemo) ports_.log_view.focus();
}

}  // namespace horalux
