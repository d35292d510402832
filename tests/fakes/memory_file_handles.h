#pragma once
#include <map>
#include <set>
#include <string>

#include "core/platform/file_handles.h"
#include "tests/fakes/memory_files.h"

namespace horalux::fakes {

// Handles on MemoryFiles; `facts` gives what the system tells of a path
// where a link makes it tell other than the path itself.
struct MemoryFileHandles : FileHandles {
  explicit MemoryFileHandles(MemoryFiles& f) : files(f) {}
  MemoryFiles& files;
  std::map<std::string, FileFacts> facts;
  // Folders where only administrators may add anything.
  std::set<std::string> closed_to_user;

  struct File : OpenedFile {
    File(MemoryFileHandles& h, std::string p, FileFacts t)
        : handles(h), files(h.files), path(p), told(std::move(t)) {}
    FileFacts facts() override { return told; }
    std::optional<std::string> read_all() override { return files.read(path); }
    bool write_all(const std::string& b) override { return files.write(path, b); }
    bool set_attributes(std::uint32_t a) override { return files.set_attributes(path, a); }
    bool rename_to(const std::string& to, bool replace) override {
      return replace ? files.replace(path, to) : files.rename(path, to);
    }
    bool remove() override { return files.remove(path); }
    std::unique_ptr<OpenedFile> make_folder(const std::string& name) override {
      const std::string made = path + "\\" + name;
      if (files.exists(made) || !files.make_folder(made)) return nullptr;
      return handles.Open(made, file_attribute::kDirectory);
    }
    bool unelevated_may_add(bool) override { return !handles.closed_to_user.count(path); }
    MemoryFileHandles& handles;
    MemoryFiles& files;
    std::string path;
    FileFacts told;
  };
  std::unique_ptr<OpenedFile> Open(const std::string& path, std::uint32_t attributes) {
    auto it = facts.find(path);
    FileFacts told = it != facts.end() ? it->second : FileFacts{"\\\\?\\" + path, 1, attributes};
    return std::make_unique<File>(*this, path, told);
  }

  std::unique_ptr<OpenedFile> hold_folder(const std::string& path) override {
    return files.folder_exists(path) ? Open(path, file_attribute::kDirectory) : nullptr;
  }
  std::unique_ptr<OpenedFile> open_file(const std::string& path, bool) override {
    return files.has_file(path) ? Open(path, files.attributes(path).value_or(0)) : nullptr;
  }
  // The file shows once written, so MemoryFiles counts the writes it would.
  std::unique_ptr<OpenedFile> create_file(const std::string& path) override {
    return files.exists(path) ? nullptr : Open(path, 0);
  }
  std::string long_path(const std::string& path) override { return path; }
};

}  // namespace horalux::fakes
