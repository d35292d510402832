#pragma once
#include <string>

#include "core/platform/files.h"

namespace horalux {

// Under UAC, Windows sends the writes of an older 32-bit program whose
// manifest names no execution level, run unelevated, from the per-machine
// folders into the user's VirtualStore: the local application-data folder +
// "VirtualStore\" + the path without its drive. This program names its level
// and gets no such redirection, so it never sees those files by itself.

// The VirtualStore counterpart of `path` in the local application-data
// folder `local_app_data`; empty when that folder is unknown or Windows
// redirects no writes to `path` (it lies below no "Program Files",
// "Program Files (x86)" or "Windows" folder of a drive root).
std::string VirtualStorePathOf(const std::string& path, const std::string& local_app_data);

// Where to read an earlier version's file at `path` from: its VirtualStore
// copy when there is one, as that is the copy the user's earlier runs
// changed; otherwise `path` itself.
std::string EarlierFileSource(Files& files, const std::string& path,
                              const std::string& local_app_data);

}  // namespace horalux
