#include "core/install/logon_task.h"

#include <gtest/gtest.h>

#include <vector>

namespace horalux {
namespace {

// Whether every tag closes in order and no text holds a bare "<" or "&".
bool WellFormed(const std::string& xml) {
  std::vector<std::string> open;
  std::size_t at = 0;
  while (at < xml.size()) {
    const std::size_t lt = xml.find('<', at);
    const std::string text = xml.substr(at, lt == std::string::npos ? lt : lt - at);
    for (std::size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1))
      if (text.find(';', amp) == std::string::npos ||
          text.find_first_of(" <&", amp + 1) < text.find(';', amp))
        return false;
    if (lt == std::string::npos) break;
    const std::size_t gt = xml.find('>', lt);
    if (gt == std::string::npos) return false;
    std::string tag = xml.substr(lt + 1, gt - lt - 1);
    at = gt + 1;
    if (tag[0] == '?' || tag.back() == '/') continue;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return false;
      open.pop_back();
    } else {
      open.push_back(tag.substr(0, tag.find(' ')));
    }
  }
  return open.empty();
}

TEST(LogonTask, DefinitionIsWellFormedEscapedAndCarriesTheRunRules) {
  // Registered at 17:00 on 2026-03-09: right after the logon, in the schema's order.
  const std::string daily =
      "</LogonTrigger>\r\n    <CalendarTrigger>\r\n      <Enabled>true</Enabled>\r\n"
      "      <StartBoundary>2026-03-09T12:00:00</StartBoundary>\r\n      <RandomDelay>PT1H</"
      "RandomDelay>\r\n      <ScheduleByDay>\r\n        <DaysInterval>1</DaysInterval>\r\n"
      "      </ScheduleByDay>\r\n    </CalendarTrigger>\r\n  </Triggers>";
  struct Row {
    std::string program, command, folder;
    bool daily = false;
  } rows[] = {
      {"C:\\Program Files\\Orvane\\Horalux\\Horalux.exe",
       "C:\\Program Files\\Orvane\\Horalux\\Horalux.exe", "C:\\Program Files\\Orvane\\Horalux"},
      {"C:\\Program Files\\時計 & <\"ほら\">\\Horalux.exe",
       "C:\\Program Files\\時計 &amp; &lt;&quot;ほら&quot;&gt;\\Horalux.exe",
       "C:\\Program Files\\時計 &amp; &lt;&quot;ほら&quot;&gt;", true},
  };
  const std::string sid = "S-1-5-21-7-8-9-1001";
  for (const Row& row : rows) {
    const std::string xml =
        LogonTaskXml(sid, row.program,
                     row.daily ? std::optional(SystemTimeFields{2026, 3, 1, 9, 17}) : std::nullopt);
    SCOPED_TRACE(xml);
    EXPECT_TRUE(WellFormed(xml));
    EXPECT_EQ(xml.find(daily) != std::string::npos, row.daily);
    EXPECT_EQ(HasDailyTrigger(xml), row.daily);
    EXPECT_EQ(xml.find("<StartWhenAvailable>true<") != std::string::npos, row.daily);
    // Never wake a PC; waiting for a network would hold back the logon run too.
    EXPECT_EQ(xml.find("WakeToRun"), xml.find("RunOnlyIfNetworkAvailable"));
    for (const std::string& part : {
             "<Command>" + row.command + "</Command>",
             "<WorkingDirectory>" + row.folder + "</WorkingDirectory>",
             std::string("<Arguments>-R</Arguments>"),
             "<LogonTrigger>\r\n      <Enabled>true</Enabled>\r\n      <UserId>" + sid,
             "<UserId>" + sid + "</UserId>\r\n      <LogonType>InteractiveToken</LogonType>",
             std::string("<RunLevel>HighestAvailable</RunLevel>"),
             std::string("<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"),
             std::string("<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"),
             std::string("<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"),
             std::string("<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"),
             std::string("<Priority>4</Priority>"),
             std::string("<AllowStartOnDemand>false</AllowStartOnDemand>"),
             std::string("<SecurityDescriptor>") + kLogonTaskSddl + "</SecurityDescriptor>",
         })
      EXPECT_NE(xml.find(part), std::string::npos) << part;
  }
  // The scheduler would expand it into another path.
  EXPECT_EQ(LogonTaskXml(sid, "C:\\Program Files\\%USERPROFILE%\\Horalux.exe"), "");
  EXPECT_STREQ(kLogonTaskFolder, "\\Orvane\\HoraLux");
  EXPECT_NE(LogonTaskName(sid), LogonTaskName("S-1-5-21-7-8-9-1002"));
}

TEST(LogonTask, OnlyACopyInsideProgramFilesCounts) {
  const std::string inside[] = {"C:\\Program Files\\Orvane\\Horalux\\Horalux.exe",
                                "c:\\PROGRAM FILES\\Orvane\\Horalux.exe"};
  const std::string outside[] = {"C:\\Program Files (x86)\\Horalux.exe",
                                 "C:\\Program FilesX\\Horalux.exe",
                                 "C:\\Program Files\\..\\Users\\Horalux.exe",
                                 "C:\\Program Files\\.\\Horalux.exe",
                                 "C:\\Program Files\\a/../../Horalux.exe",
                                 "C:\\Users\\u\\Downloads\\Horalux.exe",
                                 "C:\\Program Files\\"};
  for (const std::string& path : inside)
    EXPECT_TRUE(IsUnderFolder(path, "C:\\Program Files")) << path;
  for (const std::string& path : outside)
    EXPECT_FALSE(IsUnderFolder(path, "C:\\Program Files")) << path;
  EXPECT_FALSE(IsUnderFolder(inside[0], ""));
}

}  // namespace
}  // namespace horalux
