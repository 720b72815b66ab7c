// Walks the real forms of the shared corpus: binary forms read and keep their
// values through text, or stop naming a later Delphi's value type; text forms
// convert and back, or stop with a located parse error. Prints the counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"

namespace kst {
namespace {

std::string Relative(const test::TCorpusForms& forms, const std::string& path) {
  return path.substr(forms.root.size() + 1);
}

bool IsValueTypeError(const std::string& message) {
  return message.rfind("Invalid property value: ", 0) == 0 && message.find("is not supported") != std::string::npos;
}

TEST(Corpus, BinaryFormsReadAndRoundTrip) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.binary.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  int read = 0, roundTripped = 0, components = 0, trailing = 0;
  std::map<std::string, int> stopped;
  for (const std::string& path : forms.binary) {
    std::string bytes = ReadFileBytes(path);
    std::string name = Relative(forms, path);
    std::string text;
    try {
      ResourceToText(bytes, text);
    } catch (const EReadError& e) {
      if (IsValueTypeError(e.what())) {
        ++stopped[e.what()];
        continue;
      }
      ADD_FAILURE() << name << ": " << e.what();
      continue;
    }
    try {
      auto root = ReadFormText(text);
      ++read;
      std::vector<std::string> paths;
      root->EnumeratePropertyPaths(paths);
      for (const auto& p : paths) EXPECT_NE(root->FindProperty(p), nullptr) << name << ": " << p;
      std::function<int(const TComponentHelper&)> count = [&](const TComponentHelper& c) {
        int n = 1;
        for (const auto& child : c.Children) n += count(*child);
        return n;
      };
      components += count(*root);
    } catch (const EFormError& e) {
      ADD_FAILURE() << name << ": reading the text: " << e.what();
      continue;
    }
    size_t offset = ResourceStreamOffset(bytes);
    std::string stream = bytes.substr(offset);
    // The header's size field against what follows it: more bytes means
    // data after the form, which reading ignores.
    uint32_t declared = 0;
    for (int i = 0; i < 4; ++i) declared |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset - 4 + i])) << (8 * i);
    if (stream.size() > declared) ++trailing;
    try {
      std::string back = TextToBinary(text);
      std::string diff = test::CompareStreams(stream, back);
      EXPECT_EQ(diff, "") << name;
      EXPECT_EQ(BinaryToText(back), text) << name << ": the text comes back as it was";
      if (diff.empty()) ++roundTripped;
    } catch (const std::exception& e) {
      ADD_FAILURE() << name << ": round trip: " << e.what();
    }
  }
  int stoppedTotal = 0;
  for (const auto& [message, n] : stopped) stoppedTotal += n;
  std::printf("corpus binary forms: %zu; read %d (%d components, %d with data after the form), "
              "round-tripped %d; stopped %d\n",
              forms.binary.size(), read, components, trailing, roundTripped, stoppedTotal);
  for (const auto& [message, n] : stopped) std::printf("  %3d  %s\n", n, message.c_str());
  EXPECT_EQ(read + stoppedTotal, static_cast<int>(forms.binary.size()));
}

TEST(Corpus, TextFormsConvertOrStopOnALine) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.text.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  int converted = 0;
  std::map<std::string, int> reasons;
  std::map<std::string, std::string> example;
  for (const std::string& path : forms.text) {
    std::string text = ReadFileBytes(path);
    std::string name = Relative(forms, path);
    std::string stream;
    try {
      stream = TextToBinary(text);
    } catch (const EParserError& e) {
      EXPECT_EQ(std::string(e.what()), e.Reason() + " on line " + std::to_string(e.Line()));
      if (++reasons[e.Reason()] == 1) example[e.Reason()] = name + ": " + e.what();
      continue;
    } catch (const std::exception& e) {
      ADD_FAILURE() << name << ": not a located parse error: " << e.what();
      continue;
    }
    try {
      std::string again = TextToBinary(BinaryToText(stream));
      std::string diff = test::CompareStreams(stream, again);
      EXPECT_EQ(diff, "") << name;
      ReadFormText(text);
      if (diff.empty()) ++converted;
    } catch (const std::exception& e) {
      ADD_FAILURE() << name << ": converted but not back: " << e.what();
    }
  }
  int stoppedTotal = 0;
  for (const auto& [reason, n] : reasons) stoppedTotal += n;
  std::printf("corpus text forms: %zu; converted and back %d; stopped %d\n", forms.text.size(), converted,
              stoppedTotal);
  for (const auto& [reason, n] : reasons)
    std::printf("  %3d  %s (first: %s)\n", n, reason.c_str(), example[reason].c_str());
}

}  // namespace
}  // namespace kst
