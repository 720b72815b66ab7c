// Malformed .TRS and .TRD files: a valid file cut at every length and with
// every single byte corrupted must give EReadError or load, never crash or
// allocate what the file does not hold.
#include <gtest/gtest.h>

#include "support/scratch_project.h"
#include "storage/symbol_stream.h"
#include "storage/translation_files.h"

namespace kst {
namespace {

using test::WriteFile;

class MalformedFiles : public testing::Test {
protected:
  test::TScratchProject p;
  std::string trs, trd;
  void SetUp() override {
    p.Create();
    p.Open();
    p.String("Texts_SHello").TranslatedValue = "Hallo";
    p.String("Texts_SBye").TranslatedValue = std::string(400, 'y');
    p.Value("Button1.Caption").TranslatedValue = "Ja";
    p.Value("ListBox1.Items.Strings[0]").TranslatedValue = std::string(256, 'e');
    trs = BuildResourceStringFile(p.project.ResourceStrings, test::kGerman, nullptr);
    trd = BuildFormTranslationFile(p.MainRoot(), test::kGerman, nullptr);
  }
};

TEST_F(MalformedFiles, EveryCutIsAStreamReadError) {
  for (const std::string* file : {&trs, &trd}) {
    for (size_t n = 0; n < file->size(); ++n) {
      std::string cut = file->substr(0, n);
      try {
        if (file == &trs)
          ApplyResourceStringFile(p.project.ResourceStrings, cut);
        else
          ApplyFormTranslationFile(p.MainRoot(), cut);
        FAIL() << "cut at " << n << " was accepted";
      } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error") << "cut at " << n;
      }
    }
  }
}

TEST_F(MalformedFiles, EveryCorruptByteLoadsOrFailsCleanly) {
  for (const std::string* file : {&trs, &trd}) {
    for (size_t i = 0; i < file->size(); ++i) {
      for (int value : {0x00, 0x01, 0x06, 0x0C, 0x7F, 0xFF}) {
        std::string bad = *file;
        bad[i] = static_cast<char>(value);
        try {
          if (file == &trs)
            ApplyResourceStringFile(p.project.ResourceStrings, bad);
          else
            ApplyFormTranslationFile(p.MainRoot(), bad);
        } catch (const EReadError&) {
        }
      }
    }
  }
}

TEST_F(MalformedFiles, AHugeLengthIsRefusedBeforeAnythingIsAllocated) {
  std::string file = std::string("\x06\x06TRS301\x01\x0C\xF0\xFF\xFF\x7F", 13);
  ForceDirectories(p.Path("DEU"));
  WriteFile(p.Path("DEU/P.TRS"), file);
  try {
    LoadResourceStringTranslations(p.project, p.project.ResourceStrings, p.Path("DEU/P.TRS"), test::kGerman, nullptr);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

}  // namespace
}  // namespace kst
