#pragma once
#include "core/install/startup_link.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_elevation.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_ui.h"

namespace horalux::fakes {

// One user's start-up registration over in-memory ports, with the shell's
// folders present.
struct StartupRig {
  MemoryFiles files;
  FakeShell shell{files};
  FakeBoxes boxes;
  TCheckBox cbStartup{"cbStartup"};
  TCheckBox cbMainichi{"cbMainichi"};
  FakeUserToken token;
  FakeTaskService tasks;
  FakeElevatedLauncher launcher;
  FakeFileSecurity security;
  FakeClock clock;
  StartupTask task{{token, tasks, launcher, security, clock}, shell, files};
  StartupLink link{shell, files, boxes, cbStartup, cbMainichi, task};
  StartupRig() {
    for (const auto& [id, folder] : shell.folders) files.add_folder(folder);
  }
};

}  // namespace horalux::fakes
