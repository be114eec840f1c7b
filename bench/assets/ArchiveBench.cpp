// Opening assets from a resource archive of about 2 MB: loading the archive
// once, and opening (inflating anew) every one of its entries.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "assets/ArchiveBuilder.h"
#include "assets/ResourceReader.h"

namespace {

// Scene-like content: text that deflate shrinks to roughly a third, so that
// the archive holds several megabytes of content in about 2 MB.
std::vector<std::uint8_t> Content(std::mt19937& random, std::size_t size) {
  static const char* words[] = {"Vertex", "[0.25,", "-1.5,", "3.75]", "(color", "32", "128", "Name", "Fish",
                                "\r\n", "#Object", "Frame", "Texture", "=", "MainScene"};
  std::vector<std::uint8_t> out;
  out.reserve(size);
  while (out.size() < size) {
    const char* w = words[random() % (sizeof words / sizeof *words)];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    if (random() % 4 == 0) {
      std::string n = std::to_string(random() % 100000);
      out.insert(out.end(), n.begin(), n.end());
    }
    out.push_back(' ');
  }
  out.resize(size);
  return out;
}

struct BenchArchive {
  std::string path;
  std::int64_t archiveBytes = 0;
  std::int64_t contentBytes = 0;
  std::vector<std::string> names;

  BenchArchive() {
    std::mt19937 random(1234);
    velmora::TArchiveBuilder builder(9);
    for (int i = 0; i < 35; ++i) {
      std::size_t size = 27000 + random() % 420000;
      std::string name = "entry" + std::to_string(i) + ".dat";
      builder.Add(name, Content(random, size));
      names.push_back(name);
      contentBytes += static_cast<std::int64_t>(size);
    }
    std::random_device unique;
    path = (std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(unique()) + ".rfa")).string();
    builder.SaveToFile(path);
    archiveBytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  }
  ~BenchArchive() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

BenchArchive& Archive() {
  static BenchArchive archive;
  return archive;
}

void BM_LoadArchive(benchmark::State& state) {
  BenchArchive& a = Archive();
  for (auto _ : state) {
    velmora::TResourceFileArchive archive;
    archive.LoadFromFile(a.path);
    benchmark::DoNotOptimize(archive.Count());
  }
  state.SetBytesProcessed(state.iterations() * a.archiveBytes);
  state.counters["archive_bytes"] = static_cast<double>(a.archiveBytes);
}
BENCHMARK(BM_LoadArchive)->Unit(benchmark::kMillisecond);

void BM_OpenEveryEntry(benchmark::State& state) {
  BenchArchive& a = Archive();
  velmora::TResourceFileReader reader;
  reader.Source = velmora::TResourceSource::rsArchiveFile;
  reader.ArchiveName = a.path;
  reader.LoadArchive();
  for (auto _ : state) {
    for (const std::string& name : a.names) {
      if (!reader.Open(name)) state.SkipWithError("entry missing");
      benchmark::DoNotOptimize(reader.Stream()->Size());
    }
  }
  state.SetBytesProcessed(state.iterations() * a.contentBytes);
  state.counters["archive_bytes"] = static_cast<double>(a.archiveBytes);
  state.counters["entries"] = static_cast<double>(a.names.size());
}
BENCHMARK(BM_OpenEveryEntry)->Unit(benchmark::kMillisecond);

}  // namespace
