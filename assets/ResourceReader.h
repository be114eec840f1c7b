// The asset reader: every asset is opened by file name through the one
// process-wide ResourceReader() and read from its Stream() at once.
//
// Where the bytes come from is the reader's Source:
//   rsFiles            the plain file BasePath + name (the name alone when it
//                      has a folder part)
//   rsArchiveFile      the entry of the archive file ArchiveName on disk
//   rsResources        the program's resource named ResourceIdent(name)
//   rsArchiveResource  the entry of the archive carried as the resource
//                      ResourceIdent(ArchiveName) ("data.rfa": "DATA_RFA")
// Any value other than rsFiles and rsResources reads from the archive.
//
// Archive lookups use only the file name of the requested path (after its
// last "/", "\" or ":") and ignore case. Folders are written with "/"; a
// "\" in a name is read as "/" too, so names written for either convention
// open the same file.
//
//   if (ResourceReader().Open("ravavezaz.gsc"))
//     lines = ReadLines(*ResourceReader().Stream());   // never keep the stream
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/ResourceArchive.h"
#include "assets/Stream.h"

namespace velmora {

enum class TResourceSource : std::uint8_t { rsFiles = 0, rsArchiveFile = 1, rsResources = 2, rsArchiveResource = 3 };

// The text after the last "/", "\" or ":" of a path.
std::string ResourceFileName(std::string_view path);
// The resource name of a file: folder part removed, its first "." made "_".
std::string ResourceIdent(std::string_view fileName);

// A read-only stream over one of the program's resources. Raises
// "TResourceStream.Create error: Resource NAME not found".
class TResourceStream : public TCustomMemoryStream {
 public:
  explicit TResourceStream(const std::string& resourceName);
};

// Writes plain files under a base folder.
class TResourceFileWriter {
 public:
  virtual ~TResourceFileWriter() = default;

  const std::string& BasePath() const { return basePath_; }
  // Stored with a trailing "/" when not empty.
  void SetBasePath(const std::string& folder);

  // Closes the current stream, then creates BasePath + name (the name alone
  // when it has a folder part) for writing, replacing an existing file.
  // False when it cannot be created; no error passes out.
  virtual bool Open(const std::string& fileName);
  void Close();
  // The stream of the last successful Open, or nullptr.
  TStream* Stream() const { return stream_.get(); }

 protected:
  std::string PlainFilePath(const std::string& fileName) const;

  std::string basePath_;
  std::unique_ptr<TStream> stream_;
};

class TResourceFileReader : public TResourceFileWriter {
 public:
  std::string ArchiveName;
  TResourceSource Source = TResourceSource::rsFiles;
  // An archive on disk that stands in for the one named by Source and
  // ArchiveName whenever an archive source is used (the --data option);
  // empty: none.
  std::string ArchiveOverride;

  // True when a stream was opened: Stream() is then at position 0 and valid
  // until the next Open, Close or the reader's end. Missing plain files,
  // resources and archive entries give false; an archive that cannot be
  // loaded, and an entry whose block is damaged, raise.
  bool Open(const std::string& fileName) override;

  // (Re)builds the archive from its source. On failure the error passes out
  // and the reader holds no archive, so the next Open tries again.
  void LoadArchive();
  void FreeArchive() { archive_.reset(); }
  TResourceFileArchive* Archive() const { return archive_.get(); }

 private:
  std::unique_ptr<TResourceFileArchive> archive_;
};

// The process-wide reader: made on first use (empty BasePath and
// ArchiveName, rsFiles, no archive), freed at exit.
TResourceFileReader& ResourceReader();

// Chooses the scene data for the run. "--data FILE" or "--data=FILE" in
// args, else a non-empty environmentValue (VELMORA_DATA), names an archive
// on disk that ResourceReader() then reads in place of the one the program
// carries; it is loaded at once, so a missing or corrupt file raises here.
// The option is removed from args. Returns the archive chosen, empty when
// the carried archive stays in force. The two halves below, for a caller
// that tells a mistake in the command line from unreadable data.
std::string SelectDataSource(std::vector<std::string>& args, const char* environmentValue);
// The archive named by the option or the variable (removed from args),
// empty when none is; "ResourceReader.TakeDataOption error: option --data
// needs an archive file name" when the option lacks its file.
std::string TakeDataOption(std::vector<std::string>& args, const char* environmentValue);
// Points ResourceReader() at the archive file and loads it; when it cannot
// be read, raises "ResourceReader.UseDataArchive error: cannot read the
// scene archive "FILE": " followed by the reason, and the carried archive
// stays in force.
void UseDataArchive(const std::string& fileName);
// The same for main's arguments (argv[0] is kept; the option is removed and
// argc lowered), with the environment variable VELMORA_DATA.
std::string SelectDataSource(int& argc, char** argv);

}  // namespace velmora
