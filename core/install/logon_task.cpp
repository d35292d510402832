#include "core/install/logon_task.h"

#include <cstdio>

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

// The day in the scheduler's form; noon without an offset, so that it
// follows local time, also across a change of time zone.
std::string NoonOf(const SystemTimeFields& day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT12:00:00", day.year, day.month, day.day);
  return text;
}

// The elements in the order the scheduler's schema gives them. The random
// delay spreads the PCs' requests to the time servers over an hour.
std::string DailyTrigger(const SystemTimeFields& from) {
  return "    <CalendarTrigger>\r\n"
         "      <Enabled>true</Enabled>\r\n"
         "      <StartBoundary>" +
         NoonOf(from) +
         "</StartBoundary>\r\n"
         "      <RandomDelay>PT1H</RandomDelay>\r\n"
         "      <ScheduleByDay>\r\n"
         "        <DaysInterval>1</DaysInterval>\r\n"
         "      </ScheduleByDay>\r\n"
         "    </CalendarTrigger>\r\n";
}

}  // namespace

std::string LogonTaskName(const std::string& user_sid) {
  return "Horalux " + user_sid;
}

std::string LogonTaskXml(const std::string& user_sid, const std::string& program,
                         const std::optional<SystemTimeFields>& daily_from) {
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
         "    </LogonTrigger>\r\n" +
         (daily_from ? DailyTrigger(*daily_from) : std::string()) +
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
         "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n" +
         // A daily run missed while the PC slept or was off comes after it
         // wakes; the run's own delay gives the network time to come back.
         // Waiting for a network would hold back the logon run as well.
         std::string(daily_from ? "    <StartWhenAvailable>true</StartWhenAvailable>\r\n" : "") +
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

bool HasDailyTrigger(const std::string& task_xml) {
  for (std::size_t at = task_xml.find("<CalendarTrigger"); at != std::string::npos;
       at = task_xml.find("<CalendarTrigger", at + 1)) {
    const std::size_t end = task_xml.find("</CalendarTrigger>", at);
    const std::string trigger = task_xml.substr(at, end == std::string::npos ? end : end - at);
    if (trigger.find("<ScheduleByDay") != std::string::npos &&
        trigger.find("<Enabled>false</Enabled>") == std::string::npos)
      return true;
  }
  return false;
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
