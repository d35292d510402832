#include "tests/e2e/driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace horalux::e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// ---- small helpers ------------------------------------------------------

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string LastErrorText(std::string_view what) {
  return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

bool SameClass(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

DWORD PidOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

// The title as the window manager keeps it: never sends a message, so a busy
// or hung program cannot stall a search.
std::wstring StoredTitle(HWND hwnd) {
  std::wstring text(1024, L'\0');
  int n = InternalGetWindowText(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? n : 0);
  return text;
}

std::optional<LRESULT> SendWithTimeout(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                       Millis timeout) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           static_cast<UINT>(timeout.count()), &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::optional<std::wstring> SentText(HWND hwnd, Millis timeout) {
  auto length = SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, timeout);
  if (!length) return std::nullopt;
  std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
  auto copied = SendWithTimeout(hwnd, WM_GETTEXT, text.size(),
                                reinterpret_cast<LPARAM>(text.data()), timeout);
  if (!copied) return std::nullopt;
  text.resize(std::min(static_cast<size_t>(*copied), text.size() - 1));
  return text;
}

std::wstring TextOrStored(HWND hwnd, Millis timeout = kWait) {
  if (auto text = SentText(hwnd, timeout)) return *text;
  return StoredTitle(hwnd);
}

// Reads the texts of many controls for a search or a description. A program
// busy in a long handler answers no message; after the first unanswered one
// the rest come from the stored titles, so a search costs one short wait.
class TextReader {
 public:
  std::wstring operator()(HWND hwnd) {
    if (!busy_) {
      if (auto text = SentText(hwnd, Millis(1000))) return *text;
      busy_ = true;
    }
    return StoredTitle(hwnd);
  }

 private:
  bool busy_ = false;
};

std::string Quoted(std::string_view text, size_t limit = 80) {
  std::string out = "\"";
  size_t count = 0;
  for (char c : text) {
    if (++count > limit) {
      out += "...";
      break;
    }
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* KindName(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::Push:
      return "push button";
    case ButtonKind::CheckBox:
      return "check box";
    case ButtonKind::Radio:
      return "radio button";
    case ButtonKind::GroupBox:
      return "group box";
    case ButtonKind::Any:
      break;
  }
  return "";
}

ButtonKind KindOf(HWND hwnd) {
  if (!SameClass(ClassOf(hwnd), L"Button")) return ButtonKind::Any;
  switch (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_OWNERDRAW:
    case BS_SPLITBUTTON:
    case BS_DEFSPLITBUTTON:
    case BS_COMMANDLINK:
    case BS_DEFCOMMANDLINK:
      return ButtonKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ButtonKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return ButtonKind::Radio;
    case BS_GROUPBOX:
      return ButtonKind::GroupBox;
    default:
      return ButtonKind::Any;
  }
}

std::string DescribeQuery(const ControlQuery& q) {
  std::string out;
  if (q.kind != ButtonKind::Any) {
    out += KindName(q.kind);
  } else {
    out += q.cls ? *q.cls : "control";
  }
  if (q.text) out += " " + Quoted(*q.text);
  if (q.id) out += " #" + std::to_string(*q.id);
  if (q.visible_only) out += " (shown)";
  return out;
}

std::string DescribeQuery(const WindowQuery& q) {
  std::string out = "window";
  if (q.cls) out += " of class " + *q.cls;
  if (q.title) out += " titled " + Quoted(*q.title);
  if (q.visible_only) out += " (shown)";
  return out;
}

// Captions compare without their access-key marks: "はい(&Y)" is "はい", "&Yes" is "Yes".
std::wstring StripAccessKeys(std::wstring_view caption) {
  std::wstring out;
  for (size_t i = 0; i < caption.size(); ++i) {
    wchar_t c = caption[i];
    bool open = c == L'(' || c == L'（';
    if (open && i + 3 < caption.size() && caption[i + 1] == L'&' &&
        (caption[i + 3] == L')' || caption[i + 3] == L'）')) {
      i += 3;
      continue;
    }
    if (c == L'&') {
      // "&&" shows "&"; "&Y" shows "Y".
      if (i + 1 < caption.size()) out += caption[++i];
      continue;
    }
    out += c;
  }
  // A bracketed key at the end often follows a blank ("終了 (&X)").
  while (!out.empty() && out.back() == L' ') out.pop_back();
  return out;
}

bool SameCaption(std::wstring_view shown, std::wstring_view wanted) {
  return shown == wanted || StripAccessKeys(shown) == StripAccessKeys(wanted);
}

std::optional<wchar_t> AccessKey(std::wstring_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return caption[i + 1];
    ++i;
  }
  return std::nullopt;
}

std::string SanitizedTag(std::string_view tag) {
  std::string out;
  for (char c : tag) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    out += plain ? c : '_';
    if (out.size() >= 60) break;
  }
  return out.empty() ? "run" : out;
}

std::string RunningTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return "run";
  return std::string(info->test_suite_name()) + "." + info->name();
}

// Memory inside another process, for messages whose argument is a pointer the
// receiving control writes through (tab items).
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, size_t size) : size_(size) {
    process_.reset(OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, pid));
    if (!process_) throw DriverError(LastErrorText("OpenProcess"));
    address_ =
        VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) throw DriverError(LastErrorText("VirtualAllocEx"));
  }
  ~RemoteBuffer() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  uintptr_t address(size_t offset = 0) const {
    return reinterpret_cast<uintptr_t>(address_) + offset;
  }
  void Write(size_t offset, const void* data, size_t size) const {
    if (offset + size > size_ ||
        !WriteProcessMemory(process_.get(), reinterpret_cast<void*>(address(offset)), data, size,
                            nullptr)) {
      throw DriverError(LastErrorText("WriteProcessMemory"));
    }
  }
  void Read(uintptr_t at, void* data, size_t size) const {
    if (!ReadProcessMemory(process_.get(), reinterpret_cast<const void*>(at), data, size,
                           nullptr)) {
      throw DriverError(LastErrorText("ReadProcessMemory"));
    }
  }

 private:
  UniqueHandle process_;
  void* address_ = nullptr;
  size_t size_;
};

// Windows that mean a program's thread is inside a modal loop: message and
// question boxes, dialogs, open menus.
std::set<HWND> ModalWindows(DWORD pid) {
  std::set<HWND> found;
  for (const auto& w : TopWindows({.pid = pid})) {
    std::wstring cls = ClassOf(w.handle());
    if (SameClass(cls, L"#32770") || SameClass(cls, L"#32768")) found.insert(w.handle());
  }
  return found;
}

int OpenMenus(DWORD pid) {
  int count = 0;
  for (const auto& w : TopWindows({.pid = pid}))
    if (SameClass(ClassOf(w.handle()), L"#32768")) ++count;
  return count;
}

// Completion of a message sent with SendMessageCallback. The callback runs on
// this thread inside a later pump; a sender that stopped waiting leaves the
// record for the callback to free.
struct PendingSend {
  bool done = false;
  bool abandoned = false;
};

void CALLBACK SendFinished(HWND, UINT, ULONG_PTR data, LRESULT) {
  auto* pending = reinterpret_cast<PendingSend*>(data);
  if (pending->abandoned) {
    delete pending;
  } else {
    pending->done = true;
  }
}

void PumpOwnMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void BringForward(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  SetForegroundWindow(root ? root : hwnd);
}

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (auto it = arg.begin();; ++it) {
    size_t backslashes = 0;
    while (it != arg.end() && *it == L'\\') {
      ++it;
      ++backslashes;
    }
    if (it == arg.end()) {
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (*it == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    out += *it;
  }
  return out + L"\"";
}

struct NoCaseLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
  }
};

std::wstring EnvironmentBlock(const Process::Environment& changes) {
  std::map<std::wstring, std::wstring, NoCaseLess> vars;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
      std::wstring entry(p);
      // Names may begin with "=" (the per-drive current folders).
      size_t eq = entry.find(L'=', 1);
      if (eq == std::wstring::npos) continue;
      vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : changes) vars[Widen(name)] = Widen(value);
  std::wstring out;
  for (const auto& [name, value] : vars) {
    out += name + L"=" + value;
    out += L'\0';
  }
  out += L'\0';
  return out;
}

}  // namespace

// ---- Text ---------------------------------------------------------------

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty()) return {};
  int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(), n);
  return Narrow(wide);
}

std::string Utf8ToCp932(std::string_view utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

// ---- Waiting ------------------------------------------------------------

bool PollUntil(const std::function<bool()>& done, Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    PumpOwnMessages();
    if (done()) return true;
    auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    // Wakes early for this thread's messages, such as a finished send.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(left, kPoll).count()),
                              QS_ALLINPUT);
  }
}

void WaitUntil(const std::function<bool()>& done, std::string_view what, Millis timeout) {
  if (!PollUntil(done, timeout)) {
    throw DriverError("timed out after " + std::to_string(timeout.count()) + " ms waiting for " +
                      std::string(what));
  }
}

// ---- Folders and files --------------------------------------------------

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(Widen(utf8)).make_preferred();
}

std::string PathToUtf8(const fs::path& path) {
  return Narrow(path.wstring());
}

fs::path BuildDir() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw DriverError(LastErrorText("GetModuleFileNameW"));
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return fs::path(buffer).parent_path();
}

fs::path BuiltExe(std::string_view name) {
  fs::path exe = BuildDir() / PathFromUtf8(name);
  std::error_code ec;
  if (!fs::is_regular_file(exe, ec)) throw DriverError("not built: " + PathToUtf8(exe));
  return exe;
}

fs::path HoraluxExe() {
  return BuiltExe("Horalux.exe");
}

fs::path HoraluxSimExe() {
  return BuiltExe("HoraluxSim.exe");
}

std::optional<std::string> ReadFileBytes(const fs::path& file) {
  UniqueHandle h(CreateFileW(file.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(h.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

std::optional<FileStamp> StampOf(const fs::path& file) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{(std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                       data.ftLastWriteTime.dwLowDateTime,
                   (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

void WriteFileBytes(const fs::path& file, std::string_view bytes) {
  UniqueHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) {
    throw DriverError(LastErrorText("creating " + PathToUtf8(file)));
  }
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    throw DriverError(LastErrorText("writing " + PathToUtf8(file)));
  }
}

std::optional<std::string> ReadCp932File(const fs::path& file) {
  auto bytes = ReadFileBytes(file);
  if (!bytes) return std::nullopt;
  return Cp932ToUtf8(*bytes);
}

std::optional<std::string> ReadIni(const fs::path& file, std::string_view section,
                                   std::string_view key) {
  // A default no file can hold tells a missing key from an empty value.
  static const wchar_t kMissing[] = L"\x01missing\x02";
  std::wstring value(4096, L'\0');
  DWORD n =
      GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), kMissing, value.data(),
                               static_cast<DWORD>(value.size()), fs::absolute(file).c_str());
  value.resize(n);
  if (value == kMissing) return std::nullopt;
  return Narrow(value);
}

ScratchDir::ScratchDir(std::string_view tag) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempPathW(MAX_PATH + 1, temp)) throw DriverError(LastErrorText("GetTempPathW"));
  std::string name = "hlx-e2e-" + SanitizedTag(tag.empty() ? RunningTestName() : tag) + "-" +
                     std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  path_ = fs::path(temp) / PathFromUtf8(name);
  std::error_code ec;
  fs::remove_all(path_, ec);
  fs::create_directories(path_, ec);
  if (ec) throw DriverError("cannot create " + PathToUtf8(path_) + ": " + ec.message());
}

ScratchDir::~ScratchDir() {
  if (const char* keep = std::getenv("HORALUX_E2E_KEEP"); keep && *keep) return;
  // A program just ended may hold its files for a moment longer.
  PollUntil(
      [&] {
        std::error_code ec;
        fs::remove_all(path_, ec);
        return !fs::exists(path_, ec);
      },
      Millis(3000));
}

fs::path ScratchDir::operator/(std::string_view name) const {
  return path_ / PathFromUtf8(name);
}

fs::path ScratchDir::MakeFolder(std::string_view name) const {
  fs::path folder = *this / name;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw DriverError("cannot create " + PathToUtf8(folder) + ": " + ec.message());
  return folder;
}

fs::path CopyProgram(const fs::path& folder, std::string_view built, std::string_view as) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  fs::path target = folder / PathFromUtf8(as);
  fs::copy_file(BuiltExe(built), target, fs::copy_options::overwrite_existing, ec);
  if (ec) throw DriverError("cannot copy to " + PathToUtf8(target) + ": " + ec.message());
  return target;
}

void MakePortable(const fs::path& folder, bool offer_setup) {
  WriteFileBytes(folder / L"localfol.hlx",
                 std::string("[Set]\r\nFirst=") + (offer_setup ? "1" : "0") + "\r\n");
}

// ---- Windows ------------------------------------------------------------

std::vector<Window> TopWindows(const WindowQuery& query) {
  std::vector<HWND> all;
  EnumWindows(
      [](HWND hwnd, LPARAM out) {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  std::optional<std::wstring> cls, title;
  if (query.cls) cls = Widen(*query.cls);
  if (query.title) title = Widen(*query.title);
  std::vector<Window> found;
  for (HWND hwnd : all) {
    if (query.pid && PidOf(hwnd) != *query.pid) continue;
    if (query.visible_only && !IsWindowVisible(hwnd)) continue;
    if (cls && !SameClass(ClassOf(hwnd), *cls)) continue;
    if (title && StoredTitle(hwnd) != *title) continue;
    found.emplace_back(hwnd);
  }
  return found;
}

Window WaitTopWindow(const WindowQuery& query, Millis timeout) {
  Window found;
  WaitUntil(
      [&] {
        auto windows = TopWindows(query);
        if (windows.empty()) return false;
        found = windows.front();
        return true;
      },
      DescribeQuery(query), timeout);
  return found;
}

bool Window::Exists() const {
  return hwnd_ && IsWindow(hwnd_);
}

std::string Window::Text() const {
  if (!Exists()) throw DriverError("reading the text of a window that is gone");
  return Narrow(TextOrStored(hwnd_));
}

std::string Window::ClassName() const {
  return Narrow(ClassOf(hwnd_));
}

int Window::Id() const {
  return GetDlgCtrlID(hwnd_);
}

DWORD Window::ProcessId() const {
  return PidOf(hwnd_);
}

bool Window::Visible() const {
  return IsWindowVisible(hwnd_);
}

bool Window::Enabled() const {
  return IsWindowEnabled(hwnd_);
}

bool Window::Checked() const {
  return Send(BM_GETCHECK) == BST_CHECKED;
}

Size Window::ClientSize() const {
  RECT r{};
  if (!GetClientRect(hwnd_, &r)) throw DriverError(LastErrorText("GetClientRect"));
  return {r.right - r.left, r.bottom - r.top};
}

Rect Window::ScreenRect() const {
  RECT r{};
  if (!GetWindowRect(hwnd_, &r)) throw DriverError(LastErrorText("GetWindowRect"));
  return {r.left, r.top, r.right, r.bottom};
}

Point Window::ClientOrigin() const {
  POINT p{0, 0};
  if (!ClientToScreen(hwnd_, &p)) throw DriverError(LastErrorText("ClientToScreen"));
  return {p.x, p.y};
}

Window Window::Parent() const {
  HWND parent = GetAncestor(hwnd_, GA_PARENT);
  if (!parent || parent == GetDesktopWindow()) return Window();
  return Window(parent);
}

Window Window::NextSibling(std::optional<std::string_view> cls) const {
  std::optional<std::wstring> wanted;
  if (cls) wanted = Widen(*cls);
  for (HWND h = GetWindow(hwnd_, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!wanted || SameClass(ClassOf(h), *wanted)) return Window(h);
  }
  return Window();
}

std::vector<Window> Window::Controls(const ControlQuery& query) const {
  std::vector<HWND> all;
  EnumChildWindows(
      hwnd_,
      [](HWND hwnd, LPARAM out) {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  std::optional<std::wstring> cls, text;
  if (query.cls) cls = Widen(*query.cls);
  if (query.text) text = Widen(*query.text);
  TextReader read;
  std::vector<Window> found;
  for (HWND hwnd : all) {
    if (query.id && GetDlgCtrlID(hwnd) != *query.id) continue;
    if (query.visible_only && !IsWindowVisible(hwnd)) continue;
    if (cls && !SameClass(ClassOf(hwnd), *cls)) continue;
    if (query.kind != ButtonKind::Any && KindOf(hwnd) != query.kind) continue;
    if (text && read(hwnd) != *text) continue;
    found.emplace_back(hwnd);
  }
  return found;
}

std::optional<Window> Window::FindControl(const ControlQuery& query) const {
  auto found = Controls(query);
  if (found.empty()) return std::nullopt;
  if (found.size() > 1) {
    std::string list;
    for (const auto& w : found) list += "\n  " + w.Describe();
    throw DriverError(std::to_string(found.size()) + " controls match " + DescribeQuery(query) +
                      " under " + Describe() + ":" + list);
  }
  return found.front();
}

Window Window::Control(const ControlQuery& query, Millis timeout) const {
  std::optional<Window> found;
  bool gone = false;
  bool ok = PollUntil(
      [&] {
        if (!Exists()) return gone = true;
        found = FindControl(query);
        return found.has_value();
      },
      timeout);
  if (gone) throw DriverError("the window went away while looking for " + DescribeQuery(query));
  if (!ok) {
    throw DriverError("no " + DescribeQuery(query) + " after " + std::to_string(timeout.count()) +
                      " ms in:\n" + DescribeTree());
  }
  return *found;
}

Window Window::Control(std::string_view cls, std::string_view text, Millis timeout) const {
  return Control(ControlQuery{.cls = std::string(cls), .text = std::string(text)}, timeout);
}

Window Window::PushButton(std::string_view text, Millis timeout) const {
  return Control(ControlQuery{.text = std::string(text), .kind = ButtonKind::Push}, timeout);
}

Window Window::CheckBox(std::string_view text, Millis timeout) const {
  return Control(ControlQuery{.text = std::string(text), .kind = ButtonKind::CheckBox}, timeout);
}

Window Window::RadioButton(std::string_view text, Millis timeout) const {
  return Control(ControlQuery{.text = std::string(text), .kind = ButtonKind::Radio}, timeout);
}

int Window::EditLineCount() const {
  return static_cast<int>(Send(EM_GETLINECOUNT));
}

int Window::EditFirstVisibleLine() const {
  return static_cast<int>(Send(EM_GETFIRSTVISIBLELINE));
}

void Window::SetText(std::string_view utf8) const {
  std::wstring text = Widen(utf8);
  Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Window::TabCount() const {
  return static_cast<int>(Send(TCM_GETITEMCOUNT));
}

int Window::SelectedTab() const {
  return static_cast<int>(Send(TCM_GETCURSEL));
}

std::vector<std::string> Window::TabCaptions() const {
  constexpr size_t kChars = 512;
  const int count = TabCount();
  // The control writes the caption into memory of its own process.
  RemoteBuffer remote(ProcessId(), sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  const uintptr_t text_at = remote.address(sizeof(TCITEMW));
  std::vector<std::string> captions;
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(text_at);
    item.cchTextMax = kChars;
    wchar_t blank = L'\0';
    remote.Write(sizeof(TCITEMW), &blank, sizeof blank);
    remote.Write(0, &item, sizeof item);
    if (!Send(TCM_GETITEMW, i, static_cast<LPARAM>(remote.address()))) {
      throw DriverError("TCM_GETITEM refused tab " + std::to_string(i) + " of " + Describe());
    }
    remote.Read(remote.address(), &item, sizeof item);
    // A control may answer with a pointer to its own copy instead.
    std::wstring text(kChars, L'\0');
    remote.Read(reinterpret_cast<uintptr_t>(item.pszText), text.data(),
                (kChars - 1) * sizeof(wchar_t));
    text.resize(wcslen(text.c_str()));
    captions.push_back(Narrow(text));
  }
  return captions;
}

Settled Window::SelectTab(int index, Millis settle) const {
  if (index < 0 || index >= TabCount()) {
    throw DriverError("no tab " + std::to_string(index) + " in " + Describe());
  }
  return Deliver(TCM_SETCURFOCUS, index, 0, settle);
}

Settled Window::SelectTab(std::string_view caption, Millis settle) const {
  auto captions = TabCaptions();
  auto it = std::find(captions.begin(), captions.end(), caption);
  if (it == captions.end()) {
    std::string list;
    for (const auto& c : captions) list += " " + Quoted(c);
    throw DriverError("no tab " + Quoted(caption) + " in " + Describe() + "; tabs:" + list);
  }
  return SelectTab(static_cast<int>(it - captions.begin()), settle);
}

Settled Window::Click(Millis settle) const {
  if (!Exists()) throw DriverError("clicking a window that is gone");
  // A user can press only what is shown and enabled.
  if (!Visible()) throw DriverError("clicking a hidden control: " + Describe());
  if (!Enabled()) throw DriverError("clicking a disabled control: " + Describe());
  BringForward(hwnd_);
  return Deliver(BM_CLICK, 0, 0, settle);
}

Settled Window::ChooseMenu(const std::vector<std::string>& path, Millis settle) const {
  if (path.empty()) throw DriverError("empty menu path");
  HMENU bar = GetMenu(hwnd_);
  if (!bar) throw DriverError("no menu bar on " + Describe());
  std::string where = Describe();

  if (GetMenuItemCount(bar) >= 0) {
    HMENU menu = bar;
    for (size_t level = 0; level < path.size(); ++level) {
      const std::wstring wanted = Widen(path[level]);
      const int count = GetMenuItemCount(menu);
      int pos = -1;
      std::string seen;
      for (int i = 0; i < count && pos < 0; ++i) {
        wchar_t caption[256] = {};
        GetMenuStringW(menu, i, caption, 256, MF_BYPOSITION);
        if (SameCaption(caption, wanted)) pos = i;
        seen += " " + Quoted(Narrow(caption));
      }
      if (pos < 0) throw DriverError("no menu item " + Quoted(path[level]) + "; items:" + seen);
      if (level + 1 < path.size()) {
        menu = GetSubMenu(menu, pos);
        if (!menu) throw DriverError("menu item " + Quoted(path[level]) + " opens no submenu");
        continue;
      }
      if (GetMenuState(menu, pos, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) {
        throw DriverError("menu item " + Quoted(path[level]) + " is disabled");
      }
      const UINT id = GetMenuItemID(menu, pos);
      if (id == static_cast<UINT>(-1)) {
        throw DriverError("menu item " + Quoted(path[level]) + " opens a submenu");
      }
      BringForward(hwnd_);
      return Deliver(WM_COMMAND, MAKEWPARAM(id, 0), 0, settle);
    }
  }

  // Wine keeps menus inside their process: open the menu with its access key
  // and walk it with the keys, as a keyboard user does.
  std::vector<wchar_t> keys;
  for (const auto& caption : path) {
    auto key = AccessKey(Widen(caption));
    if (!key) throw DriverError("menu caption " + Quoted(caption) + " has no access key");
    keys.push_back(*key);
  }
  if (!Visible()) throw DriverError("opening the menu of a hidden window: " + where);
  const DWORD pid = ProcessId();
  const int base = OpenMenus(pid);
  BringForward(hwnd_);
  Post(WM_SYSCOMMAND, SC_KEYMENU, keys[0]);
  for (size_t level = 1; level < keys.size(); ++level) {
    if (!PollUntil([&] { return OpenMenus(pid) >= base + static_cast<int>(level); })) {
      for (size_t i = 0; i <= level; ++i) Post(WM_KEYDOWN, VK_ESCAPE, 0);
      throw DriverError("menu " + Quoted(path[level - 1]) + " did not open on " + where);
    }
    Post(WM_CHAR, keys[level], 1);
  }
  if (!PollUntil([&] { return OpenMenus(pid) <= base; })) {
    for (size_t i = 0; i < keys.size(); ++i) Post(WM_KEYDOWN, VK_ESCAPE, 0);
    throw DriverError("menu item " + Quoted(path.back()) + " did not run (disabled?) on " + where);
  }
  return Settled::Queued;
}

void Window::Post(UINT message, WPARAM wparam, LPARAM lparam) const {
  if (!PostMessageW(hwnd_, message, wparam, lparam)) {
    throw DriverError(LastErrorText("PostMessage to " + Describe()));
  }
}

LRESULT Window::Send(UINT message, WPARAM wparam, LPARAM lparam, Millis timeout) const {
  if (!Exists()) throw DriverError("sending to a window that is gone");
  auto result = SendWithTimeout(hwnd_, message, wparam, lparam, timeout);
  if (!result) {
    throw DriverError("message 0x" +
                      [&] {
                        std::ostringstream hex;
                        hex << std::hex << message;
                        return hex.str();
                      }() +
                      " to " + Describe() + " not answered within " +
                      std::to_string(timeout.count()) + " ms");
  }
  return *result;
}

Settled Window::Deliver(UINT message, WPARAM wparam, LPARAM lparam, Millis settle) const {
  const DWORD pid = ProcessId();
  const std::set<HWND> before = ModalWindows(pid);
  auto* pending = new PendingSend;
  if (!SendMessageCallbackW(hwnd_, message, wparam, lparam, SendFinished,
                            reinterpret_cast<ULONG_PTR>(pending))) {
    delete pending;
    throw DriverError(LastErrorText("SendMessageCallback to " + Describe()));
  }
  Settled result = Settled::Busy;
  PollUntil(
      [&] {
        if (pending->done || !IsWindow(hwnd_)) {
          result = Settled::Done;
          return true;
        }
        for (HWND h : ModalWindows(pid)) {
          if (!before.count(h)) {
            result = Settled::Blocked;
            return true;
          }
        }
        return false;
      },
      settle);
  if (pending->done) {
    delete pending;
  } else {
    pending->abandoned = true;
  }
  return result;
}

void Window::Close() const {
  Post(WM_CLOSE);
}

void Window::WaitGone(Millis timeout) const {
  WaitUntil([&] { return !IsWindow(hwnd_) || !IsWindowVisible(hwnd_); }, "to close: " + Describe(),
            timeout);
}

namespace {

std::string DescribeHwnd(HWND hwnd, TextReader& read) {
  if (!IsWindow(hwnd)) return "(window gone)";
  std::string out = Narrow(ClassOf(hwnd));
  if (KindOf(hwnd) != ButtonKind::Any) out += std::string(" (") + KindName(KindOf(hwnd)) + ")";
  out += " " + Quoted(Narrow(read(hwnd)));
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)
    out += " #" + std::to_string(GetDlgCtrlID(hwnd));
  if (!IsWindowVisible(hwnd)) out += " hidden";
  if (!IsWindowEnabled(hwnd)) out += " disabled";
  return out;
}

}  // namespace

std::string Window::Describe() const {
  TextReader read;
  return DescribeHwnd(hwnd_, read);
}

std::string Window::DescribeTree() const {
  TextReader read;
  std::string out = DescribeHwnd(hwnd_, read);
  if (!Exists()) return out;
  size_t shown = 0;
  for (const auto& c : Controls()) {
    if (++shown > 200) {
      out += "\n  ...";
      break;
    }
    std::string indent;
    for (Window p = c.Parent(); p && p != *this; p = p.Parent()) indent += "  ";
    out += "\n  " + indent + DescribeHwnd(c.handle(), read);
  }
  return out;
}

// ---- Keyboard -----------------------------------------------------------

void PressKeys(const std::vector<WORD>& chord) {
  std::vector<INPUT> in(chord.size() * 2);
  for (std::size_t i = 0; i < chord.size(); ++i) {
    in[i].type = in[in.size() - 1 - i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = in[in.size() - 1 - i].ki.wVk = chord[i];
    in[in.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  if (SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) != in.size())
    throw DriverError("SendInput refused the keys");
}

HWND FocusedControl(const Window& window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window.handle(), nullptr), &info);
  return info.hwndFocus;
}

// ---- Message boxes ------------------------------------------------------

std::string MessageBoxWindow::Title() const {
  return window_.Text();
}

std::string MessageBoxWindow::Text() const {
  // The message sits in the static with id 0xFFFF; other layouts get the
  // longest static text that is not the icon.
  if (auto text = window_.FindControl({.cls = "Static", .id = 0xFFFF})) return text->Text();
  std::string longest;
  for (const auto& s : window_.Controls({.cls = "Static"})) {
    if ((GetWindowLongPtrW(s.handle(), GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
    std::string text = s.Text();
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

std::vector<std::string> MessageBoxWindow::ButtonCaptions() const {
  std::vector<std::string> captions;
  for (const auto& b : window_.Controls({.cls = "Button", .visible_only = true}))
    captions.push_back(b.Text());
  return captions;
}

void MessageBoxWindow::Press(std::string_view caption, Millis timeout) const {
  const std::wstring wanted = Widen(caption);
  const auto buttons = window_.Controls({.cls = "Button", .visible_only = true});
  std::optional<Window> button;
  for (const auto& b : buttons) {
    if (SameCaption(TextOrStored(b.handle()), wanted)) {
      button = b;
      break;
    }
  }
  if (!button) {
    // The standard buttons keep their ids whatever the language of their captions.
    static const std::pair<const wchar_t*, int> kStandard[] = {
        {L"OK", IDOK}, {L"はい", IDYES},          {L"Yes", IDYES},      {L"いいえ", IDNO},
        {L"No", IDNO}, {L"キャンセル", IDCANCEL}, {L"Cancel", IDCANCEL}};
    const std::wstring bare = StripAccessKeys(wanted);
    for (const auto& [name, id] : kStandard) {
      if (!SameClass(bare, name)) continue;
      for (const auto& b : buttons) {
        if (b.Id() == id) button = b;
      }
    }
  }
  if (!button) {
    std::string list;
    for (const auto& c : ButtonCaptions()) list += " " + Quoted(c);
    throw DriverError("no button " + Quoted(caption) + " in box " + Quoted(Title()) +
                      "; buttons:" + list);
  }
  // The dialog's own command handler ends it; no focus or activation needed.
  window_.Post(WM_COMMAND, MAKEWPARAM(button->Id(), BN_CLICKED),
               reinterpret_cast<LPARAM>(button->handle()));
  window_.WaitGone(timeout);
}

std::vector<MessageBoxWindow> MessageBoxes(DWORD pid) {
  std::vector<MessageBoxWindow> boxes;
  for (const auto& w : TopWindows({.cls = kDialogClass, .pid = pid})) boxes.emplace_back(w);
  return boxes;
}

MessageBoxWindow WaitMessageBox(DWORD pid, Millis timeout) {
  return MessageBoxWindow(WaitTopWindow({.cls = kDialogClass, .pid = pid}, timeout));
}

// ---- Processes ----------------------------------------------------------

Process Process::Start(const fs::path& exe, const std::vector<std::string>& args,
                       const fs::path& work_dir, const Environment& env) {
  Process p = StartOnce(exe, args, work_dir, env);
  // Now and then Wine ends a new process at once with exit code 1, before it
  // runs a line of its own: the server takes it for dead. No run these tests
  // make ends so by itself (a refused task change would, and none is made),
  // so such a start says nothing about the program and is made once more.
  bool ended = false;
  PollUntil(
      [&] { return !p.TopWindows({.visible_only = false}).empty() || (ended = !p.Running()); },
      Millis(5000));
  if (ended && p.ExitCode() == 1u) {
    std::fprintf(stderr,
                 "%s ended with exit code 1 before it made a window; starting it once more\n",
                 PathToUtf8(exe).c_str());
    p = StartOnce(exe, args, work_dir, env);
  }
  return p;
}

Process Process::StartOnce(const fs::path& exe, const std::vector<std::string>& args,
                           const fs::path& work_dir, const Environment& env) {
  std::wstring command = QuoteArgument(exe.wstring());
  for (const auto& a : args) command += L" " + QuoteArgument(Widen(a));
  std::wstring block;
  if (!env.empty()) block = EnvironmentBlock(env);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                      block.empty() ? nullptr : block.data(),
                      work_dir.empty() ? nullptr : work_dir.c_str(), &si, &pi)) {
    throw DriverError(LastErrorText("starting " + PathToUtf8(exe)));
  }
  Process p;
  p.process_ = pi.hProcess;
  p.pid_ = pi.dwProcessId;
  // A job takes along whatever the program starts (an installed copy, say),
  // so no instance outlives its test to trip the next one's single-instance rule.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job &&
      SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
      AssignProcessToJobObject(job, pi.hProcess)) {
    p.job_ = job;
  } else if (job) {
    CloseHandle(job);
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  return p;
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      job_(std::exchange(other.job_, nullptr)),
      pid_(std::exchange(other.pid_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    process_ = std::exchange(other.process_, nullptr);
    job_ = std::exchange(other.job_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
  }
  return *this;
}

Process::~Process() {
  Release();
}

void Process::Release() {
  if (process_ && Running()) Kill();
  // Closing the job ends whatever the program left running.
  if (job_) CloseHandle(job_);
  if (process_) CloseHandle(process_);
  process_ = job_ = nullptr;
  pid_ = 0;
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitExit(Millis timeout) const {
  if (!process_) return std::nullopt;
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  return ExitCode();
}

std::optional<DWORD> Process::ExitCode() const {
  if (Running() || !process_) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void Process::Kill() {
  if (!process_) return;
  if (!job_ || !TerminateJobObject(job_, 1)) TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 5000);
}

std::vector<Window> Process::TopWindows(WindowQuery query) const {
  query.pid = pid_;
  return e2e::TopWindows(query);
}

Window Process::WaitWindow(WindowQuery query, Millis timeout) const {
  query.pid = pid_;
  Window found;
  bool ended = false;
  bool ok = PollUntil(
      [&] {
        auto windows = e2e::TopWindows(query);
        if (!windows.empty()) {
          found = windows.front();
          return true;
        }
        return ended = !Running();
      },
      timeout);
  if (ended) {
    auto code = ExitCode();
    throw DriverError("the program ended (exit code " + (code ? std::to_string(*code) : "?") +
                      ") before showing a " + DescribeQuery(query));
  }
  if (!ok) {
    throw DriverError("no " + DescribeQuery(query) + " after " + std::to_string(timeout.count()) +
                      " ms; the program's windows:\n" + DescribeWindows());
  }
  return found;
}

std::vector<MessageBoxWindow> Process::MessageBoxes() const {
  return e2e::MessageBoxes(pid_);
}

MessageBoxWindow Process::WaitMessageBox(Millis timeout) const {
  return MessageBoxWindow(WaitWindow({.cls = kDialogClass}, timeout));
}

std::string Process::DescribeWindows() const {
  std::string out;
  for (const auto& w : TopWindows({.visible_only = false})) out += w.DescribeTree() + "\n";
  return out.empty() ? "(none)" : out;
}

Process StartHoralux(const std::vector<std::string>& args, const fs::path& work_dir,
                     const fs::path& exe) {
  return Process::Start(exe, args, work_dir);
}

// ---- Running copies -----------------------------------------------------

std::optional<Window> RunningCopy() {
  // The same look-up as the program's own: any window of the class with the title.
  HWND found = FindWindowW(Widen(kApplicationClass).c_str(), Widen(kProgramTitle).c_str());
  if (!found) return std::nullopt;
  return Window(found);
}

void WaitNoRunningCopy(Millis timeout) {
  if (PollUntil([] { return !RunningCopy().has_value(); }, timeout)) return;
  auto copy = RunningCopy();
  throw DriverError("a copy of the program still runs after " + std::to_string(timeout.count()) +
                    " ms (process " + (copy ? std::to_string(copy->ProcessId()) : "?") + ")");
}

void AllowSecondCopy(const fs::path& work_dir) {
  WriteFileBytes(work_dir / L"Clock2Ju.$$$", "");
}

ProgramCopy::ProgramCopy(std::string_view ini, const CopyOptions& options)
    : folder_(dir_.MakeFolder("prog")), exe_(CopyProgram(folder_, options.built, options.as)) {
  // The settings file takes the program's name: "HoraLux.exe" reads "HoraLux.ini".
  ini_ = exe_;
  ini_.replace_extension(L".ini");
  if (options.portable) MakePortable(folder_, options.offer_setup);
  if (!ini.empty()) WriteFileBytes(ini_, ini);
  if (options.allow_second) AllowSecondCopy(dir_.path());
}

Process ProgramCopy::Start(const std::vector<std::string>& args) const {
  return StartHoralux(args, dir_.path(), exe_);
}

Window ProgramCopy::StartWindow(Process& app) const {
  app = Start();
  return app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
}

fs::path ProgramCopy::operator/(std::string_view name) const {
  return folder_ / PathFromUtf8(name);
}

std::optional<std::string> ProgramCopy::Log() const {
  return ReadCp932File(folder_ / L"Jikoku.txt");
}

std::optional<std::string> ProgramCopy::Settings() const {
  return ReadFileBytes(ini_);
}

// ---- Shell ----------------------------------------------------------------

fs::path ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    throw DriverError("no shell folder " + std::to_string(csidl));
  return fs::path(path);
}

std::string LnkInfo(const fs::path& link) {
  std::string unix_path = PathToUtf8(link);
  if (!unix_path.starts_with("Z:\\") && !unix_path.starts_with("z:\\"))
    throw DriverError("not on the Linux root drive: " + unix_path);
  unix_path = unix_path.substr(2);
  std::replace(unix_path.begin(), unix_path.end(), '\\', '/');
  ScratchDir dir("lnkinfo");
  const fs::path out_file = dir / "out.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(out_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) throw DriverError("cannot write " + PathToUtf8(out_file));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = out;
  std::wstring command = L"Z:\\usr\\bin\\lnkinfo \"" + Widen(unix_path) + L"\"";
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &si, &pi);
  CloseHandle(out);
  if (!started) throw DriverError("lnkinfo does not start");
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  // Wine gives no process to wait for: the output is whole once its fields are there.
  std::string text;
  PollUntil([&] {
    text = ReadFileBytes(out_file).value_or("");
    return text.find("Working directory") != std::string::npos ||
           text.find("Unable") != std::string::npos;
  });
  Sleep(200);
  return ReadFileBytes(out_file).value_or(text);
}

// Starts "sh -c `command`" on the Linux side, "{}" naming each path there.
void Linux(std::string command, const std::vector<fs::path>& paths) {
  static const auto to_unix =
      reinterpret_cast<char*(CDECL*)(const wchar_t*)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  for (const fs::path& path : paths)
    command.replace(command.find("{}"), 2, "'" + std::string(to_unix(path.c_str())) + "'");
  std::wstring line = L"sh -c \"" + Widen(command) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

std::string LnkField(const std::string& info, const std::string& label) {
  std::smatch value;
  if (std::regex_search(info, value,
                        std::regex("^\\s*" + label + "[ \\t]*:[ \\t]*([^\\r\\n]*?)[ \\t\\r]*$",
                                   std::regex::multiline)))
    return value[1];
  return "(no " + label + ")";
}

fs::path ImagePath(DWORD pid) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (process) QueryFullProcessImageNameW(process.get(), 0, path, &size);
  return fs::path(path);
}

// ---- Notification area --------------------------------------------------

std::vector<std::string> ShownTrayTips() {
  std::vector<std::string> tips;
  auto trays = TopWindows({.title = kWineSystemTrayTitle});
  if (trays.empty()) return tips;
  const Window tray = trays.front();
  std::vector<HWND> icons;
  for (HWND h = GetWindow(tray.handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsWindowVisible(h)) icons.push_back(h);
  }
  // Each tooltip names the icon window it belongs to and holds its text.
  std::map<HWND, std::string> tip_of;
  constexpr size_t kChars = 1024;
  for (const auto& tooltip :
       TopWindows({.cls = TOOLTIPS_CLASSA, .pid = tray.ProcessId(), .visible_only = false})) {
    const auto count = SendWithTimeout(tooltip.handle(), TTM_GETTOOLCOUNT, 0, 0, kSettle);
    if (!count || *count <= 0) continue;
    RemoteBuffer remote(tray.ProcessId(), sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t));
    for (LRESULT i = 0; i < *count; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = reinterpret_cast<LPWSTR>(remote.address(sizeof info));
      wchar_t blank = L'\0';
      remote.Write(sizeof info, &blank, sizeof blank);
      remote.Write(0, &info, sizeof info);
      auto ok = SendWithTimeout(tooltip.handle(), TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                                static_cast<LPARAM>(remote.address()), kSettle);
      if (!ok || !*ok) continue;
      remote.Read(remote.address(), &info, sizeof info);
      std::wstring text(kChars, L'\0');
      remote.Read(remote.address(sizeof info), text.data(), (kChars - 1) * sizeof(wchar_t));
      text.resize(wcslen(text.c_str()));
      tip_of[info.hwnd] = Narrow(text);
    }
  }
  for (HWND icon : icons) {
    auto it = tip_of.find(icon);
    tips.push_back(it == tip_of.end() ? std::string() : it->second);
  }
  return tips;
}

// ---- Screenshots --------------------------------------------------------

fs::path ArtifactsDir() {
  fs::path folder = BuildDir() / L"e2e-artifacts";
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw DriverError("cannot create " + PathToUtf8(folder) + ": " + ec.message());
  return folder;
}

namespace {

struct DcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct BitmapDeleter {
  void operator()(HBITMAP bmp) const { DeleteObject(bmp); }
};

Size CaptureScreenRect(const fs::path& file, RECT area) {
  // Only what lies on the screen can be captured.
  RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT r{};
  if (!IntersectRect(&r, &area, &screen)) throw DriverError("nothing of it lies on the screen");
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;

  std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser> screen_dc(GetDC(nullptr));
  if (!screen_dc) throw DriverError(LastErrorText("GetDC"));
  std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> memory(
      CreateCompatibleDC(screen_dc.get()));
  std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter> bitmap(
      CreateCompatibleBitmap(screen_dc.get(), width, height));
  if (!memory || !bitmap) throw DriverError(LastErrorText("CreateCompatibleBitmap"));
  HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen_dc.get(), r.left, r.top,
                       SRCCOPY | CAPTUREBLT);
  SelectObject(memory.get(), old);
  if (!copied) throw DriverError(LastErrorText("BitBlt"));

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as .bmp files keep them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::string pixels(stride * height, '\0');
  if (GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != height) {
    throw DriverError(LastErrorText("GetDIBits"));
  }
  info.biSizeImage = static_cast<DWORD>(pixels.size());

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes += pixels;
  WriteFileBytes(file, bytes);
  return {width, height};
}

}  // namespace

Size SaveScreenshot(const fs::path& bmp) {
  RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  all.right = all.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  all.bottom = all.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return CaptureScreenRect(bmp, all);
}

void MoveToScreenOfDpi(const Window& window, int dpi) {
  const Rect outer = window.ScreenRect();
  // The suggested rectangle travels by address, as the system sends it; it
  // must live in the program's own memory.
  RECT suggested{0, 0, MulDiv(outer.width(), dpi, 96), MulDiv(outer.height(), dpi, 96)};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, window.ProcessId());
  if (!process) throw DriverError("cannot reach the memory of " + window.Describe());
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  const bool written =
      remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr);
  if (written) window.Send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!written) throw DriverError("cannot write into the memory of " + window.Describe());
}

void SavePicture(const Window& w, const std::string& name) {
  RedrawWindow(w.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  w.Send(WM_NULL);
  // Wine's display driver may show the painted pixels a moment later.
  PollUntil([] { return false; }, Millis(300));
  SaveScreenshot(ArtifactsDir() / PathFromUtf8(name + ".bmp"), w);
}

COLORREF ShownColorAt(const Window& window, Point client) {
  POINT at{client.x, client.y};
  ClientToScreen(window.handle(), &at);
  std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser> screen(GetDC(nullptr));
  return GetPixel(screen.get(), at.x, at.y);
}

Size SaveScreenshot(const fs::path& bmp, const Window& window) {
  Rect r = window.ScreenRect();
  return CaptureScreenRect(bmp, RECT{r.left, r.top, r.right, r.bottom});
}

}  // namespace horalux::e2e
