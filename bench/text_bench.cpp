// Reading the texts at start: the built-in English into its table; a file of 500 texts, about
// as many as the program will have, likewise; and a language of 500 texts laid over it.
#include "text/texts.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kTexts = 500;

// Keys grouped as a window's are, texts of about forty characters with an escape and a
// placeholder.
std::string FileOfTexts(const char* words) {
    std::string file = "# a comment\nplural = one-for-1\n";
    for (int i = 0; i < kTexts; ++i) {
        file += "window" + std::to_string(i / 25) + ".control_" + std::to_string(i) + " = " +
                words + " {value}\\tnumber " + std::to_string(i) + "\n";
    }
    return file;
}

void BM_BuiltInEnglish(benchmark::State& state) {
    for (auto _ : state) {
        const TTextTable table(ParseTextFile(BuiltInEnglish()));
        benchmark::DoNotOptimize(table.Size());
    }
}
BENCHMARK(BM_BuiltInEnglish)->Unit(benchmark::kMicrosecond);

void BM_FiveHundredTexts(benchmark::State& state) {
    const std::string file = FileOfTexts("Some text of a window's control");
    for (auto _ : state) {
        const TTextTable table(ParseTextFile(file));
        benchmark::DoNotOptimize(table.Size());
    }
}
BENCHMARK(BM_FiveHundredTexts)->Unit(benchmark::kMicrosecond);

void BM_LanguageOverFiveHundred(benchmark::State& state) {
    const TTextTable english(ParseTextFile(FileOfTexts("Some text of a window's control")));
    const std::string language = FileOfTexts("Ein Text eines Steuerelements");
    for (auto _ : state) {
        TTextTable table = english;
        benchmark::DoNotOptimize(table.Translate(ParseTextFile(language)).size());
    }
}
BENCHMARK(BM_LanguageOverFiveHundred)->Unit(benchmark::kMicrosecond);

} // namespace
