// A program unpacked into Downloads runs beside whatever a web page saved
// there: no DLL of that folder may load into it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/http_rig.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

// The DLLs built to stand in for system ones. WINEDLLOVERRIDES=<name>=n,b
// makes Wine look for them as Windows looks for any DLL outside its known
// list: in the program's folder first.
constexpr const char* kPlanted[] = {"version", "comctl32"};

std::string Overrides() {
  std::string overrides = "mscoree,mshtml=;winemenubuilder.exe=d";
  for (const char* name : kPlanted) overrides += std::string(";") + name + "=n,b";
  return overrides;
}

// Wine reads the overrides once, from the Linux environment a program
// starts with: the program starts from a shell.
void StartWithOverrides(const fs::path& exe) {
  RunShell("cd " + Quoted(UnixPath(exe.parent_path())) + " && WINEDLLOVERRIDES=" +
           Quoted(Overrides()) + " exec /usr/lib/wine/wine64 " + Quoted(PathToUtf8(exe)));
}

fs::path Mark(const fs::path& folder, const char* name, const char* suffix = "") {
  return folder / ("planted-" + std::string(name) + suffix + ".txt");
}

TEST(PlantedDll, TheProgramTakesNothingFromItsFolder) {
  // A program that imports version.dll does load the stand-in.
  const ScratchDir probe("planted-probe");
  for (const char* file : {"version.dll", "planted_probe.exe"})
    fs::copy_file(BuildDir() / "planted" / file, probe.path() / file);
  StartWithOverrides(probe.path() / "planted_probe.exe");
  WaitUntil([&] { return fs::exists(Mark(probe.path(), "version", "-used")); }, "the probe's mark");

  WaitNoRunningCopy();
  ProgramCopy copy;
  for (const char* name : kPlanted)
    fs::copy_file(BuildDir() / "planted" / (std::string(name) + ".dll"),
                  copy.folder() / (std::string(name) + ".dll"));
  StartWithOverrides(copy.exe());
  Window main = WaitTopWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  main.Close();
  WaitNoRunningCopy();
  // Wine's own user32.dll imports and calls version.dll (Windows' does not),
  // so under Wine the stand-in is loaded into every window program: what
  // shows that Horalux takes nothing from it is that its own code never calls
  // it, though the program asks the shell for its version at start-up.
  EXPECT_FALSE(fs::exists(Mark(copy.folder(), "version", "-used")));
  EXPECT_FALSE(fs::exists(Mark(copy.folder(), "comctl32")));
}

}  // namespace
}  // namespace horalux::e2e
