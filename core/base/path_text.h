#pragma once
#include <string>

#include "core/base/trim_blanks.h"

namespace horalux {

// Windows path texts: "\" separates, folder texts end with "\".

std::string WithTrailingBackslash(const std::string& folder);
// One trailing "\" removed, if there is one.
std::string WithoutTrailingBackslash(const std::string& folder);
// The part after the last "\", "/" or ":".
std::string FileNameOf(const std::string& path);
// The part up to and including the last "\", "/" or ":".
std::string FolderPartOf(const std::string& path);
// The extension (from the last "." of the file name) replaced; added when
// the name has none.
std::string WithExtension(const std::string& path, const std::string& extension);

}  // namespace horalux
