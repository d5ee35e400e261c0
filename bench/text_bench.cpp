// The element index against pugixml's default parse of the same document, and the text
// decoder against a plain read of the same file.
#include <benchmark/benchmark.h>

#include <fstream>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "text/text_file.h"
#include "text/xml_document.h"

namespace {

// About 10 MB of XML as a language or profile file would look, scaled up: nested elements with
// attributes, text with a little non-ASCII, comments, an empty element now and then.
const std::string& GeneratedXml() {
  static const std::string xml = [] {
    std::mt19937 random(7);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings version=\"1\">\n";
    const char* words[] = {"Profile", "keyboard", "lighting", "macro", "Écran", "mode", "Taste"};
    int id = 0;
    while (out.size() < 10'000'000) {
      out += "  <Language id=\"l" + std::to_string(id) + "\" name=\"Language " +
             std::to_string(id) + "\">\n";
      out += "    <!-- strings of language " + std::to_string(id) + " -->\n";
      for (int group = 0; group < 20; ++group) {
        out += "    <Group name=\"g" + std::to_string(group) + "\">\n";
        for (int s = 0; s < 8; ++s) {
          out += "      <String id=\"s" + std::to_string(++id) + "\" kind=\"label\">";
          for (int w = 0; w < 4; ++w)
            out += std::string(words[random() % 7]) + " ";
          out += "%d</String>\n";
        }
        out += "      <Separator/>\n    </Group>\n";
      }
      out += "  </Language>\n";
    }
    out += "</Strings>\n";
    return out;
  }();
  return xml;
}

void BM_IndexDocument(benchmark::State& state) {
  const std::string& xml = GeneratedXml();
  kx::text::XmlDocument doc;
  doc.Text = kx::FromUtf8(xml);
  for (auto _ : state) {
    doc.Result.clear();
    bool wellFormed = doc.IndexDocument();
    benchmark::DoNotOptimize(wellFormed);
  }
  if (!doc.IndexDocument()) state.SkipWithError("generated document is not well-formed");
  state.counters["elements"] = doc.NextFree() - 1;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_IndexDocument)->Unit(benchmark::kMillisecond);

void BM_PugixmlParse(benchmark::State& state) {
  const std::string& xml = GeneratedXml();
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_buffer(xml.data(), xml.size());
    benchmark::DoNotOptimize(result.status);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_PugixmlParse)->Unit(benchmark::kMillisecond);

// A simulated desktop with the generated document as a UTF-8 file in the program folder.
struct FileFixture {
  kx::sim::TempFolder temp{"kestrix-bench"};
  kx::sim::Desktop desktop{{temp.Path()}};
  std::u16string path = std::u16string(kx::sim::Desktop::kProgramFolder) + u"\\Strings.xml";
  FileFixture() {
    std::ofstream(desktop.HostProgramFolder() / "Strings.xml", std::ios::binary) << GeneratedXml();
  }
};

void BM_LoadTextFile(benchmark::State& state) {
  FileFixture fixture;
  std::u16string text, result;
  for (auto _ : state) {
    bool ok = kx::text::LoadTextFile(fixture.path, text, &result);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * GeneratedXml().size()));
}
BENCHMARK(BM_LoadTextFile)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state) {
  FileFixture fixture;
  std::vector<char> buffer;
  for (auto _ : state) {
    auto stream = kx::os::Files().OpenRead(fixture.path);
    buffer.resize(static_cast<std::size_t>(stream->Size()));
    std::size_t n = stream->Read(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * GeneratedXml().size()));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
