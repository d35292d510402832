// A program unpacked into Downloads runs beside whatever a web page saved
// there: no DLL of that folder may load into it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/e2e/driver.h"

namespace horalux::e2e {
namespace {

namespace fs = std::filesystem;

// The DLLs built to stand in for system ones; WINEDLLOVERRIDES=<name>=n,b
// makes Wine look for them as Windows looks for any DLL outside its known
// list: in the program's folder first.
constexpr const char* kPlanted[] = {"version", "comctl32"};

TEST(PlantedDll, NoneBesideTheProgramIsLoaded) {
  ProgramCopy copy;
  std::string overrides = std::getenv("WINEDLLOVERRIDES") ? std::getenv("WINEDLLOVERRIDES") : "";
  for (const char* name : kPlanted) {
    fs::copy_file(BuildDir() / "planted" / (std::string(name) + ".dll"),
                  copy.folder() / (std::string(name) + ".dll"));
    overrides += std::string(overrides.empty() ? "" : ";") + name + "=n,b";
  }
  // The stand-ins do leave their mark when something loads them.
  {
    const ScratchDir probe("planted-probe");
    fs::copy_file(BuildDir() / "planted" / "version.dll", probe.path() / "version.dll");
    HMODULE loaded = LoadLibraryW((probe.path() / "version.dll").c_str());
    ASSERT_NE(loaded, nullptr);
    FreeLibrary(loaded);
    ASSERT_TRUE(fs::exists(probe.path() / "planted-version.txt"));
  }

  Process app =
      Process::Start(copy.exe(), {}, copy.dir().path(), {{"WINEDLLOVERRIDES", overrides}});
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
  for (const char* name : kPlanted)
    EXPECT_FALSE(fs::exists(copy.folder() / ("planted-" + std::string(name) + ".txt"))) << name;
}

}  // namespace
}  // namespace horalux::e2e
