// Opening assets from a resource archive of about 2 MB: loading the archive
// once, and opening (inflating anew) every one of its entries. Then loading
// archives of 10 000 to 1 000 000 small entries, whose time should grow in
// proportion to the entries whether the directory lists them in name order
// (as the builder writes it) or in reverse.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <utility>

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

// An archive of many entries, written byte by byte (the builder would
// compress every entry on its own): each entry holds the same short text,
// so one compressed block serves them all.
struct ManyEntryArchive {
  std::string path;
  std::int64_t bytes = 0;

  ManyEntryArchive(int entries, bool reversed) {
    const std::string text = "#Object 1\r\nName Fish\r\n";
    std::vector<std::uint8_t> block =
        velmora::TArchiveBuilder::Compress(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 9);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(entries));
    char name[32];
    for (int i = 0; i < entries; ++i) {
      std::snprintf(name, sizeof name, "fish%07d.3dm", i);  // already in name order
      names.emplace_back(name);
    }
    if (reversed) std::reverse(names.begin(), names.end());
    velmora::TMemoryStream directory;
    directory.WriteUInt32(static_cast<std::uint32_t>(entries));
    for (const std::string& n : names) {
      directory.WriteUInt32(static_cast<std::uint32_t>(n.size()));
      directory.WriteBuffer(n.data(), n.size());
      directory.WriteUInt32(static_cast<std::uint32_t>(block.size()));
      directory.WriteUInt32(static_cast<std::uint32_t>(text.size()));
    }
    std::vector<std::uint8_t> packed = velmora::TArchiveBuilder::Compress(directory.Bytes(), 1);
    std::random_device unique;
    path = (std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(unique()) + ".rfa")).string();
    velmora::TFileStream out(path, velmora::TFileMode::fmCreate);
    out.WriteUInt32(static_cast<std::uint32_t>(directory.Size()));
    out.WriteBuffer(packed.data(), packed.size());
    std::vector<std::uint8_t> blocks;
    blocks.reserve(block.size() * 4096);
    for (int i = 0; i < entries; ++i) {
      blocks.insert(blocks.end(), block.begin(), block.end());
      if (blocks.size() >= block.size() * 4096 || i + 1 == entries) {
        out.WriteBuffer(blocks.data(), blocks.size());
        blocks.clear();
      }
    }
    out.Flush();
    bytes = out.Size();
  }
  ~ManyEntryArchive() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

// One archive per size and order, made on first use and removed at exit.
ManyEntryArchive& ManyEntries(int entries, bool reversed) {
  static std::map<std::pair<int, bool>, std::unique_ptr<ManyEntryArchive>> made;
  auto& archive = made[{entries, reversed}];
  if (!archive) archive = std::make_unique<ManyEntryArchive>(entries, reversed);
  return *archive;
}

void BM_LoadManyEntries(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  ManyEntryArchive& a = ManyEntries(entries, state.range(1) != 0);
  for (auto _ : state) {
    velmora::TResourceFileArchive archive;
    archive.LoadFromFile(a.path);
    if (archive.Count() != entries) state.SkipWithError("entries missing");
  }
  state.SetComplexityN(entries);
  state.SetLabel(state.range(1) ? "directory reversed" : "directory in name order");
  state.counters["archive_bytes"] = static_cast<double>(a.bytes);
  state.counters["ns_per_entry"] =
      benchmark::Counter(static_cast<double>(entries) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadManyEntries)
    ->ArgsProduct({{10000, 100000, 1000000}, {0}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadManyEntries)
    ->ArgsProduct({{10000, 100000, 1000000}, {1}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
