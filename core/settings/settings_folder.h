#pragma once
#include <functional>
#include <stdexcept>
#include <string>

#include "core/platform/boxes.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"
#include "core/platform/text_codec.h"

namespace horalux {

// Where this run keeps its settings file and access log, fixed once per run.
struct SettingsLocation {
  std::string programFolder;  // folder of the executable, ends with "\"
  std::string folder;         // the settings folder, ends with "\"
  std::string settingsFile;   // folder + the executable's name with ".ini"
  std::string logFile;        // folder + "Jikoku.txt"
  // Portable run from a CD-ROM without a settings file: nothing is written.
  bool readOnlyMedium = false;
  // [Set] First of the local-folder marker.
  bool offerSetupAtFirstShow = false;
  // "horka.exe" lies beside the executable.
  bool hideSetupMenu = false;
};

// A failed byte copy while moving old files into a new settings folder.
// Its text is shown to the user.
class EFileCopyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Moves folder + file_name into the safeguard generations beside it, keeping
// `generations` of them. The safeguard copies are the desktop side's; the
// caller passes them in.
using MoveToSafeGuardFn =
    std::function<void(const std::string& folder, const std::string& file_name, int generations)>;

inline constexpr const char* kLocalFolderMarker = "localfol.hlx";
inline constexpr const char* kFixedSettingsFileName = "HoraLux.ini";
inline constexpr const char* kAccessLogFileName = "Jikoku.txt";
inline constexpr const char* kSetupHelperFileName = "horka.exe";

// The per-machine shared folder: the Windows directory's drive (or "C:\")
// + "Program Files\Common Files\".
std::string CommonFilesFolder(Files& files);
// Where earlier versions kept the settings of every user of the PC.
std::string CommonSettingsFolder(Files& files);
// The settings folder of the user running the program: their local
// application-data folder + "Orvane\HoraLux\"; empty when the shell names
// no such folder.
std::string UserSettingsFolder(Shell& shell);

// Keeps or creates the user's settings folder; on creation the files an
// earlier version left are brought in (BringInEarlierFiles). When it cannot
// be created, `folder` becomes the program folder and the result is false.
// `localAppData` is the user's local application-data folder, where an
// earlier version's files may lie in the VirtualStore (virtual_store.h).
bool EnsureSettingsFolder(Files& files, Boxes& boxes, std::string& folder,
                          const std::string& programFolder, const std::string& localAppData,
                          bool announce, const MoveToSafeGuardFn& moveToSafeGuard);

// Into a settings folder just made: "HoraLux.ini", written under the name
// this run reads (the executable's name with ".ini"), and the access log of
// the common settings folder when it holds either (copied; it stays as it
// is for the PC's other users), otherwise those of the program folder
// (MoveProgramFolderFiles). Each file is taken from its VirtualStore copy
// when there is one. Throws EFileCopyError when a copy fails.
void BringInEarlierFiles(Files& files, Boxes& boxes, const std::string& folder,
                         const std::string& programFolder, const std::string& localAppData,
                         const MoveToSafeGuardFn& moveToSafeGuard);

// Copies "HoraLux.ini" (under the name this run reads) and the access log of
// the program folder (or of its VirtualStore copy) into `folder` (where it
// has none yet) and moves the
// originals of the program folder into safeguard generations. Throws
// EFileCopyError when a copy fails.
void MoveProgramFolderFiles(Files& files, Boxes& boxes, const std::string& folder,
                            const std::string& programFolder, const std::string& localAppData,
                            const MoveToSafeGuardFn& moveToSafeGuard);

// Decides the settings folder and the run flags; may show messages, may
// create the user's settings folder, and throws what BringInEarlierFiles
// throws, in which case `at` already holds the folder it chose.
void ResolveSettingsFolder(Files& files, TextCodec& codec, Boxes& boxes, Shell& shell,
                           SettingsLocation& at, const MoveToSafeGuardFn& moveToSafeGuard);

}  // namespace horalux
