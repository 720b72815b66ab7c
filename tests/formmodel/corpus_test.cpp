// The real forms of the shared corpus: binary forms through text and back, text forms converted
// and back, and every form against Free Pascal's conversion (../shared/tools/fpc-formconv).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string Relative(const test::TCorpusForms& f, const std::string& path) { return path.substr(f.root.size() + 1); }

TEST(Corpus, BinaryFormsReadAndRoundTrip) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.binary.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  int roundTripped = 0;
  for (const std::string& path : forms.binary) {
    const std::string bytes = ReadFileBytes(path), name = Relative(forms, path);
    try {
      const std::string text = ResourceToText(bytes);
      auto root = ReadFormText(text);
      std::vector<std::string> paths;
      root->EnumeratePropertyPaths(paths);
      for (const auto& p : paths) EXPECT_NE(root->FindProperty(p), nullptr) << name << ": " << p;
      std::string back = TextToBinary(text);
      std::string diff = test::CompareStreams(bytes.substr(ResourceStreamOffset(bytes)), back);
      EXPECT_EQ(diff, "") << name;
      EXPECT_EQ(BinaryToText(back), text) << name << ": the text comes back as it was";
      roundTripped += diff.empty();
    } catch (const std::exception& e) {
      ADD_FAILURE() << name << ": " << e.what();
    }
  }
  std::printf("corpus binary forms: %zu; read and round-tripped %d\n", forms.binary.size(), roundTripped);
}

TEST(Corpus, TextFormsConvertAndComeBack) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.text.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  int converted = 0;
  for (const std::string& path : forms.text) {
    const std::string text = ReadFileBytes(path), name = Relative(forms, path);
    try {
      const std::string stream = TextToBinary(text);
      std::string diff = test::CompareStreams(stream, TextToBinary(BinaryToText(stream)));
      EXPECT_EQ(diff, "") << name;
      ReadFormFile(text);
      converted += diff.empty();
    } catch (const std::exception& e) {
      ADD_FAILURE() << name << ": " << e.what();
    }
  }
  std::printf("corpus text forms: %zu; converted and back %d\n", forms.text.size(), converted);
}

TEST(Corpus, FreePascalReadsTheSameValuesAndWritesTheSameBytes) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.binary.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  if (!test::HaveProgram("fpc")) GTEST_SKIP() << "fpc is not installed (Debian: apt-get install fp-compiler fp-units-rtl)";
  // Built once into a directory of our own; nothing is written beside the tool's sources.
  const std::string formconv = std::filesystem::temp_directory_path().string() + "/kst-fpc-formconv-" +
                               std::to_string(getuid()) + "/formconv";
  if (!FileExists(formconv)) {
    ASSERT_EQ(test::Run("sh " + test::ShellQuote(*test::SharedDir() + "/tools/fpc-formconv/build.sh") + " " +
                        test::ShellQuote(ExtractFileDir(formconv))).exitCode, 0);
  }
  test::TScratchDir dir;
  auto run = [&](const std::string& action, const std::string& from, const std::string& to) {
    return test::Run(test::ShellQuote(formconv) + " " + action + " " + test::ShellQuote(from) + " " +
                     test::ShellQuote(to));
  };
  int compared = 0, bytesCompared = 0, fpcRefused = 0, outsideLimits = 0, widthsThroughText = 0;
  for (const std::string& path : forms.binary) {
    const std::string name = Relative(forms, path), ours = ResourceToText(ReadFileBytes(path));
    bool indexedItems = ours.find("item [") != std::string::npos;
    // Our text marks wide and UTF-8 strings by zeros before their codes.
    bool wide = std::regex_search(ours, std::regex("#0[0-9]"));
    // FPC misreads binary collection items that carry an index.
    test::TProgramRun toText = run("res2txt", path, dir.File("fpc.txt"));
    // formconv refuses single, currency and date values (types 15 to 17, its README) but reads
    // their text as ours writes it, storing them as Extended; it writes wide strings as UTF-8
    // text but reads their codes in ours. What it stores must be the form's values.
    if (wide || (toText.exitCode != 0 && std::regex_search(toText.err, std::regex("streamed property: 1[5-7] ")))) {
      test::WriteFile(dir.File("ours.txt"), ours);
      ASSERT_EQ(run("txt2bin", dir.File("ours.txt"), dir.File("fpc.bin")).exitCode, 0) << name;
      const std::string stream = ReadFileBytes(path).substr(ResourceStreamOffset(ReadFileBytes(path)));
      EXPECT_EQ(test::CompareStreams(stream, ReadFileBytes(dir.File("fpc.bin")), false), "") << name;
      ++widthsThroughText;
      continue;
    }
    if (toText.exitCode != 0) {
      EXPECT_TRUE(indexedItems) << name << ": formconv refused a form without indexed items";
      ++fpcRefused;
      continue;
    }
    std::string theirs = ReadFileBytes(dir.File("fpc.txt"));
    // FPC never cuts strings, so its lines may be longer than our window.
    EXPECT_EQ(test::CompareTrees(*ReadFormText(ours), *ReadFormText(theirs, theirs.size() + 16)), "") << name;
    ++compared;
    if (indexedItems || ours.find(" [0]\r\n") != std::string::npos) {
      ++outsideLimits;
      continue;
    }
    test::WriteFile(dir.File("ours.txt"), ours);
    ASSERT_EQ(run("txt2res", dir.File("ours.txt"), dir.File("fpc.res")).exitCode, 0) << name;
    EXPECT_EQ(test::ToHex(ReadFileBytes(dir.File("fpc.res"))), test::ToHex(TextToResource(ours))) << name;
    ++bytesCompared;
  }
  // Text forms (Delphi 5 to 7 save them so; frames and width letters come
  // from them): the stream FPC makes of each against ours, by value.
  int textCompared = 0;
  for (const std::string& path : forms.text) {
    std::string name = Relative(forms, path), ours;
    try {
      ours = TextToBinary(ReadFileBytes(path));
    } catch (const EParserError&) {
      continue;  // counted by the text walk above
    }
    ASSERT_EQ(run("txt2bin", path, dir.File("fpc.bin")).exitCode, 0) << name;
    // By characters: FPC makes a wide string of a string with a code of 128
    // or more (its README, T1).
    EXPECT_EQ(test::CompareStreams(ours, ReadFileBytes(dir.File("fpc.bin")), false), "") << name;
    ++textCompared;
  }
  std::printf("fpc comparison: %d forms compared on values, %d on resource bytes; %d with single, currency or "
              "date values or wide strings compared through our text; %d refused by formconv (indexed collection "
              "items), %d outside its byte-comparison limits; %d text forms compared on values\n",
              compared, bytesCompared, widthsThroughText, fpcRefused, outsideLimits, textCompared);
}

}  // namespace
}  // namespace kst
