// Feeds arbitrary bytes to the archive reader as the archive the program
// carries, then opens every entry it finds the way the scene loader would.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "platform/fake/FakeResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::FakeResources resources;
  platform::ScopedService<platform::Resources> installed(&resources);
  resources.Add("DATA_RFA", std::vector<std::uint8_t>(data, data + size));
  velmora::TResourceFileReader reader;
  reader.ArchiveName = "data.rfa";
  reader.Source = velmora::TResourceSource::rsArchiveResource;
  try {
    reader.LoadArchive();
  } catch (const velmora::Error&) {
    return 0;
  }
  const velmora::TResourceFileArchive& archive = *reader.Archive();
  for (int i = 0; i < archive.Count(); ++i) {
    try {
      if (reader.Open("./Scenes/" + archive.Entries(i).Name)) {
        velmora::TStream& s = *reader.Stream();
        if (s.Size() != archive.Entries(i).UncompressedSize) __builtin_trap();
      }
    } catch (const velmora::Error&) {
    }
  }
  return 0;
}
