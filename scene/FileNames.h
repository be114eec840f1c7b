// File names of the scene: how the directory prefixes of scene
// descriptions ("Path=.\Scenes\") combine with file names, how such names
// are opened on this platform, and the reading of the files the scene needs
// besides its descriptions (images, file lists) from disk or the archive.
//
// Scene files write directories with "\" and end them with one; names are
// combined without adding a separator. On disk every "\" is read as "/"
// (DiskFileName), so descriptions written for either convention open the
// same files; archive lookups use only the part after the last separator
// (assets/ResourceReader.h), and so do disk reads while a data folder
// stands in for the archive. Every name given to DiskFileName is noted as
// used in a diagnostics sink in force.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assets/ResourceReader.h"

namespace velmora {

// fileName unchanged when it has a directory part of its own ("/", "\" or
// ":" anywhere), else path followed directly by fileName.
std::string CombinePath(std::string_view path, std::string_view fileName);
// The directory part, up to and including the last "/", "\" or ":"; empty
// when there is none.
std::string ExtractFileDir(std::string_view fileName);
// The name without directory and without extension ("ClockSkin01.txt" ->
// "ClockSkin01").
std::string BaseFileName(std::string_view fileName);
// The extension with its dot, as written (".JPG"); empty when none.
std::string ExtractFileExt(std::string_view fileName);
// The name as the platform opens it: every "\" becomes "/". While the
// asset reader has a DataFolder (the --data option naming a folder), the
// file of the same name (the part after the last separator) in that folder
// instead, whatever the directory part says.
std::string DiskFileName(std::string_view fileName);

// ResourceIdent (the name without directory, its first "." made "_") is the
// asset reader's, declared in assets/ResourceReader.h.

// The bytes of a file the scene needs: from disk (fromDisk; a file that
// cannot be opened raises "TFileStream.Create error: Cannot open file ...")
// or from the archive through the process-wide asset reader (a name the
// archive lacks gives no bytes and found false, and is reported to a
// diagnostics sink in force, core/Diagnostics.h, as a missing file).
std::vector<uint8_t> ReadSceneFile(const std::string& fileName, bool fromDisk, bool& found);
// Its lines, trimmed, blank lines left out (file lists).
std::vector<std::string> ReadSceneFileLines(const std::string& fileName, bool fromDisk);

}  // namespace velmora
