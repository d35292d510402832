#include "core/install/logon_task.h"

#include "core/base/ascii_case.h"
#include "core/base/path_text.h"
#include "core/install/task_path.h"

namespace horalux {
namespace {

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string LogonTaskName(const std::string& user_sid) {
  return "Horalux " + user_sid;
}

std::string LogonTaskXml(const std::string& user_sid, const std::string& program) {
  if (TaskWouldExpand(program)) return "";
  const std::string user = XmlEscaped(user_sid);
  std::string folder = FolderPartOf(program);
  if (folder.size() > 3) folder = WithoutTrailingBackslash(folder);
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         "<Task version=\"1.3\" "
         "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         "  <RegistrationInfo>\r\n"
         "    <Description>Horalux: コンピュータ起動時の時刻修正</Description>\r\n"
         "    <SecurityDescriptor>" +
         std::string(kLogonTaskSddl) +
         "</SecurityDescriptor>\r\n"
         "  </RegistrationInfo>\r\n"
         "  <Triggers>\r\n"
         "    <LogonTrigger>\r\n"
         "      <Enabled>true</Enabled>\r\n"
         "      <UserId>" +
         user +
         "</UserId>\r\n"
         "    </LogonTrigger>\r\n"
         "  </Triggers>\r\n"
         "  <Principals>\r\n"
         "    <Principal id=\"Author\">\r\n"
         "      <UserId>" +
         user +
         "</UserId>\r\n"
         "      <LogonType>InteractiveToken</LogonType>\r\n"
         "      <RunLevel>HighestAvailable</RunLevel>\r\n"
         "    </Principal>\r\n"
         "  </Principals>\r\n"
         "  <Settings>\r\n"
         "    <AllowStartOnDemand>false</AllowStartOnDemand>\r\n"
         "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
         "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
         "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
         "    <Enabled>true</Enabled>\r\n"
         "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
         // The scheduler's own default, 7, runs a task below normal: the
         // one sync at a busy logon would time its exchanges under that delay.
         "    <Priority>4</Priority>\r\n"
         "  </Settings>\r\n"
         "  <Actions Context=\"Author\">\r\n"
         "    <Exec>\r\n"
         "      <Command>" +
         XmlEscaped(program) +
         "</Command>\r\n"
         "      <Arguments>-R</Arguments>\r\n"
         "      <WorkingDirectory>" +
         XmlEscaped(folder) +
         "</WorkingDirectory>\r\n"
         "    </Exec>\r\n"
         "  </Actions>\r\n"
         "</Task>\r\n";
}

bool IsUnderFolder(const std::string& path, const std::string& program_files) {
  if (program_files.empty()) return false;
  const std::string prefix = WithTrailingBackslash(program_files);
  if (path.size() <= prefix.size() || path.find('/') != std::string::npos) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (AsciiUpper(path[i]) != AsciiUpper(prefix[i])) return false;
  // Every segment of the rest must be a real name.
  const std::string rest = "\\" + path.substr(prefix.size()) + "\\";
  for (const char* climb : {"\\.\\", "\\..\\", "\\\\"})
    if (rest.find(climb) != std::string::npos) return false;
  return true;
}

}  // namespace horalux
