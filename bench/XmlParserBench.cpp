// Parse speed of the XML parser on settings-like documents.

#include <benchmark/benchmark.h>

#include <string>

#include "support/xml/XmlParser.h"

namespace {

// SENSOR elements nested in groups, with attributes, text and comments, up to
// about targetBytes of text.
std::string SettingsLikeDocument(std::size_t targetBytes) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n";
    for (int group = 0; text.size() < targetBytes; ++group) {
        text += "  <Group name=\"g" + std::to_string(group) + "\">\n";
        for (int sensor = 0; sensor < 8; ++sensor) {
            text += "    <SENSOR id=\"" + std::to_string(group * 8 + sensor) +
                    "\" sensitivity=\"5\" threshold=\"40\" capture_timeout=\"600\">\n"
                    "      <!-- calibration -->\n"
                    "      <Offsets dark=\"120\" line=\"3\">column noise &amp; rows</Offsets>\n"
                    "      <Defects><Pixel x=\"12\" y=\"400\"/><Row y=\"77\"/></Defects>\n"
                    "    </SENSOR>\n";
        }
        text += "  </Group>\n";
    }
    return text + "</Settings>\n";
}

std::string DeeplyNestedDocument(std::size_t targetBytes) {
    std::string unit;
    for (int i = 0; i < CKXMLCodexParser::kMaxNesting - 1; ++i)
        unit += "<e a=\"1\">";
    for (int i = 0; i < CKXMLCodexParser::kMaxNesting - 1; ++i)
        unit += "</e>";
    std::string text = "<r>";
    while (text.size() < targetBytes)
        text += unit;
    return text + "</r>";
}

void Parse(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        CKXMLCodexParser parser;
        CKXMLCodexDocument document;
        bool parsed = parser.Parse(text.c_str(), &document, false);
        benchmark::DoNotOptimize(parsed);
        if (!parsed)
            state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void ParseSettings1MiB(benchmark::State& state) {
    static const std::string text = SettingsLikeDocument(1 << 20);
    Parse(state, text);
}

void ParseSettings4MiB(benchmark::State& state) {
    static const std::string text = SettingsLikeDocument(4 << 20);
    Parse(state, text);
}

void ParseDeeplyNested1MiB(benchmark::State& state) {
    static const std::string text = DeeplyNestedDocument(1 << 20);
    Parse(state, text);
}

} // namespace

BENCHMARK(ParseSettings1MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseSettings4MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseDeeplyNested1MiB)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
