// The script package check: a UGU or PSN script information file and its data directory "DAT".
// Looks only at the file system and keeps no state.
#pragma once

#include <cstdint>

#include "common/file_system.h"
#include "common/text.h"

namespace karuvel {

constexpr int16_t PackageOk = 0;
constexpr int16_t PackageNotFound = -1;   // the information file does not exist
constexpr int16_t PackageMalformed = -2;  // no kind, an unknown kind, or the data file missing
constexpr int16_t PackageRefused = -3;    // never produced here; the callers have a message for it

// The result code for the information file at `path`: PackageOk, PackageNotFound or
// PackageMalformed. The caller keeps using the path it passed in.
int16_t CheckScriptPackage(Text path, const FileSystem& fs);

// True when an ordinary file exists at the path, one trailing "\" removed first.
bool FileExists(TextView path, const FileSystem& fs);

// The path up to and including its last "\"; the whole path when it holds none.
Text GetDirectoryPart(TextView path);

// The upper-cased name before the first "." of the file name of a UGU or PSN file (the part after
// the last "\" or "/"); empty when there is no separator, no ".", another extension, or a name of
// fewer than 3 characters.
Text GetScriptBaseName(TextView path);

}  // namespace karuvel
