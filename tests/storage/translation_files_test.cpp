// The translation files of one language: the tagged value codec, the layouts
// byte for byte, round trips, damaged files, the ini files, and the dictionary.
#include "storage/translation_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/scratch_project.h"
#include "storage/symbol_stream.h"

namespace kst {
namespace {

using test::kFrench;
using test::kGerman;
using test::WriteFile;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}
// A short tagged string: tag 6, the length and the text.
std::string S(const std::string& text) { return Bytes({6, static_cast<int>(text.size())}) + text; }

struct TCodecCase {
  size_t length;
  std::string header;  // tag and length bytes
};

class TaggedStringCodec : public testing::TestWithParam<TCodecCase> {};

TEST_P(TaggedStringCodec, WritesTheShortFormUpTo255AndReadsBack) {
  std::string text(GetParam().length, 'x');
  std::string out;
  TTaggedWriter(out).WriteString(text);
  EXPECT_EQ(out, GetParam().header + text);
  TTaggedReader reader(out);
  EXPECT_EQ(reader.ReadString(), text);
  EXPECT_EQ(reader.Position(), out.size());
  TTaggedReader cut(std::string_view(out).substr(0, out.size() - 1));
  EXPECT_THROW(cut.ReadString(), EReadError) << "a length that runs past the end";
}

INSTANTIATE_TEST_SUITE_P(Lengths, TaggedStringCodec,
                         testing::Values(TCodecCase{0, Bytes({6, 0})}, TCodecCase{1, Bytes({6, 1})},
                                         TCodecCase{255, Bytes({6, 255})}, TCodecCase{256, Bytes({12, 0, 1, 0, 0})},
                                         TCodecCase{300, Bytes({12, 0x2C, 1, 0, 0})},
                                         TCodecCase{70000, Bytes({12, 0x70, 0x11, 1, 0})}));

struct TBadCase {
  const char* name;
  std::string bytes;
  const char* message;
};

class TaggedReaderErrors : public testing::TestWithParam<TBadCase> {};

TEST_P(TaggedReaderErrors, RaiseTheSystemsMessage) {
  TResourceStringsHelper strings;
  EXPECT_EQ(test::Thrown<EReadError>([&] { ApplyResourceStringFile(strings, GetParam().bytes); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TaggedReaderErrors,
    testing::Values(TBadCase{"empty", "", "Stream read error"},
                    TBadCase{"long length past the end", Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), "Stream read error"},
                    TBadCase{"short length past the end", Bytes({6, 6, 'T', 'R', 'S'}), "Stream read error"},
                    TBadCase{"signature of another tag", Bytes({2, 1, 0}), "Invalid property value"},
                    TBadCase{"no list begin", Bytes({6, 0, 6, 0}), "Invalid property value"},
                    TBadCase{"no list end", Bytes({6, 0, 1}), "Stream read error"},
                    TBadCase{"name without text", Bytes({6, 0, 1, 6, 1, 'A'}), "Stream read error"},
                    TBadCase{"text of another tag", Bytes({6, 0, 1, 6, 1, 'A', 3, 0}), "Invalid property value"},
                    // A huge length is refused before anything is allocated.
                    TBadCase{"huge length", S("TRS301") + "\x01\x0C\xF0\xFF\xFF\x7F", "Stream read error"}),
    test::TCaseName());

class StorageTest : public testing::Test {
protected:
  test::TScratchProject p;
  test::TFakeFeed feed;
  void SetUp() override {
    p.Create();
    p.Open();
  }
  std::string Trs() { return p.Path("DEU/P.TRS"); }
  std::string Trd() { return p.Path("DEU/Main.TRD"); }
  void SaveStrings(TDictionaryFeed* f, const std::string& file = "") {
    SaveResourceStringTranslations(p.project, p.project.ResourceStrings, file.empty() ? Trs() : file, kGerman, f);
  }
  void LoadStrings(TDictionaryFeed* f, const std::string& file = "", int language = kGerman) {
    LoadResourceStringTranslations(p.project, p.project.ResourceStrings, file.empty() ? Trs() : file, language, f);
  }
  void SaveForm(TDictionaryFeed* f, const std::string& file = "") {
    SaveFormTranslations(p.project, p.MainRoot(), file.empty() ? Trd() : file, kGerman, f);
  }
};

TEST_F(StorageTest, MissingFilesLeaveValuesResetAndAnEmptyLanguageGivesTenBytes) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.String("Texts_SBye").TranslatedValue = "Ade";
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  LoadStrings(nullptr);
  EXPECT_FALSE(p.Value("Button1.Caption").IsTranslated());
  EXPECT_FALSE(p.String("Texts_SBye").IsTranslated());
  SaveStrings(&feed);
  EXPECT_EQ(ReadFileBytes(Trs()), S("TRS301") + Bytes({1, 0}));
  SaveForm(&feed);
  EXPECT_EQ(ReadFileBytes(Trd()), S("TRD301") + Bytes({1, 0}));
  EXPECT_TRUE(feed.added.empty());
  // A file that cannot be created stops the save and keeps the old one.
  WriteFile(p.Path("blocker"), "a file where a directory should be");
  EXPECT_THROW(SaveStrings(nullptr, p.Path("blocker/P.TRS")), EFileError);
  EXPECT_EQ(ReadFileBytes(Trs()).size(), 10u);
}

TEST_F(StorageTest, TrsHoldsTranslatedStringsWithAnIdentifierInSetOrder) {
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  p.String("Texts_SBye").TranslatedValue = std::string(300, 'b');
  p.String("Texts_SZero").TranslatedValue = "Null";  // identifier 0: never written
  SaveStrings(&feed);
  EXPECT_EQ(ReadFileBytes(Trs()), S("TRS301") + "\x01" + S("Texts_SBye") + Bytes({12, 0x2C, 1, 0, 0}) +
                                      std::string(300, 'b') + S("Texts_SHello") + S("Hallo") + Bytes({0}));
  ASSERT_EQ(feed.added.size(), 2u);
  EXPECT_EQ(feed.added[1], std::make_tuple(std::string("Hello"), std::string("Hallo"), kGerman));

  p.String("Texts_SHello").TranslatedValue = "Hello";  // set back: gone from the next file
  SaveStrings(nullptr);
  EXPECT_EQ(ReadFileBytes(Trs()).find("Texts_SHello"), std::string::npos);
}

TEST_F(StorageTest, FormTrdFollowsThePathOrderAndDropsValuesSetBack) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value(".Caption").TranslatedValue = "Hauptfenster";
  p.Value("ListBox1.Items.Strings[1]").TranslatedValue = "Zwei";
  SaveForm(&feed);
  std::string first = ReadFileBytes(Trd());
  EXPECT_NE(first.find(S("Form1.Caption") + S("Hauptfenster")), std::string::npos);
  EXPECT_LT(first.find("Form1.Caption"), first.find("Button1.Caption"));
  EXPECT_EQ(feed.added.size(), 3u);

  p.Value("Button1.Caption").TranslatedValue = "OK";
  SaveForm(nullptr);
  std::string second = ReadFileBytes(Trd());
  EXPECT_EQ(second.find("Button1.Caption"), std::string::npos);
  EXPECT_EQ(second.size(), first.size() - (2 + 15 + 2 + 2));
}

TEST_F(StorageTest, RoundTripsRestoreEveryTranslationAndOnlyThose) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value(".Hint").TranslatedValue = "Zeile eins\r\nZeile zwei";
  p.Value("Button1.Hint").TranslatedValue = "Dr\xFC" "cken Sie \"Ja\"";
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  SaveForm(nullptr);
  SaveStrings(nullptr);

  test::TScratchProject q;  // the same files, opened afresh
  for (const char* f : {"Main.dfm", "P.dpr", "P.DRC"}) WriteFile(q.Path(f), ReadFileBytes(p.Path(f)));
  q.Open();
  LoadFormTranslations(q.project, q.MainRoot(), Trd());
  LoadResourceStringTranslations(q.project, q.project.ResourceStrings, Trs(), kGerman, nullptr);
  EXPECT_EQ(q.Value("Button1.Caption").TranslatedValue, "Ja");
  EXPECT_EQ(q.Value(".Hint").TranslatedValue, "Zeile eins\r\nZeile zwei");
  EXPECT_EQ(q.Value("Button1.Hint").TranslatedValue, "Dr\xFC" "cken Sie \"Ja\"");
  EXPECT_FALSE(q.Value(".Caption").IsTranslated());
  EXPECT_EQ(q.String("Texts_SHello").TranslatedValue, "Hallo");
  EXPECT_FALSE(q.String("Texts_SBye").IsTranslated());
  EXPECT_NE(std::find(q.ui.hints.begin(), q.ui.hints.end(), "Reading Translation File Main.TRD..."), q.ui.hints.end());
  EXPECT_EQ(q.ui.Hint(), "") << "the previous hint comes back";
}

// Names stored in the settings file may be relative; they mean the files in
// the project's directory, and are found whatever the case of their letters.
TEST_F(StorageTest, ANameIsTakenInTheProjectsDirectoryWhateverItsCase) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  SaveForm(nullptr, "deu/main.trd");
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
}

TEST_F(StorageTest, LoadingResetsFirstAndSkipsStalePathsAndUnknownNames) {
  ForceDirectories(p.Path("DEU"));
  WriteFile(Trd(), S("TRD301") + "\x01" + S("Gone1.Caption") + S("Weg") + S("BUTTON1.caption") + S("Ja") +
                       S("ListBox1.Items.Strings[9]") + S("x") + Bytes({0}));
  p.Value(".Caption").TranslatedValue = "left over from another language";
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
  EXPECT_FALSE(p.Value(".Caption").IsTranslated());

  WriteFile(Trs(), Bytes({6, 0, 1}) + S("Nope!") + S("x") + S("texts_shello") + S("Hoi!") + Bytes({0}));
  LoadStrings(nullptr);
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "Hoi!");
}

TEST_F(StorageTest, WhatAFileAppliedBeforeAnErrorStaysApplied) {
  std::string trd = S("TRD301") + "\x01" + S("Button1.Caption") + S("Ja") + S(".Caption") + Bytes({12, 0, 0, 0, 1});
  EXPECT_EQ(test::Thrown<EReadError>([&] { ApplyFormTranslationFile(p.MainRoot(), trd); }), "Stream read error");
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
}

TEST_F(StorageTest, EveryCutIsAStreamReadErrorAndEveryCorruptByteLoadsOrFailsCleanly) {
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  p.String("Texts_SBye").TranslatedValue = std::string(400, 'y');
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value("ListBox1.Items.Strings[0]").TranslatedValue = std::string(256, 'e');
  const std::string trs = BuildResourceStringFile(p.project.ResourceStrings, kGerman, nullptr);
  const std::string trd = BuildFormTranslationFile(p.MainRoot(), kGerman, nullptr);
  for (const std::string* file : {&trs, &trd}) {
    auto apply = [&](const std::string& bytes) {
      file == &trs ? ApplyResourceStringFile(p.project.ResourceStrings, bytes)
                   : ApplyFormTranslationFile(p.MainRoot(), bytes);
    };
    for (size_t n = 0; n < file->size(); ++n)
      EXPECT_EQ(test::Thrown<EReadError>([&] { apply(file->substr(0, n)); }), "Stream read error") << "cut at " << n;
    for (size_t i = 0; i < file->size(); ++i)
      for (int value : {0x00, 0x01, 0x06, 0x0C, 0x7F, 0xFF}) {
        std::string bad = *file;
        bad[i] = static_cast<char>(value);
        test::Thrown<EReadError>([&] { apply(bad); });
      }
  }
}

TEST_F(StorageTest, DictionaryFillsResourceStringsAndTheFileOverrides) {
  feed.remembered["Texts_SHello"] = "Servus";
  feed.remembered["Texts_SBye"] = "Tschau";
  ForceDirectories(p.Path("DEU"));
  WriteFile(Trs(), Bytes({6, 0, 1}) + S("Texts_SBye") + S("Ade") + Bytes({0}));
  LoadStrings(&feed);
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "Servus");
  EXPECT_EQ(p.String("Texts_SBye").TranslatedValue, "Ade");
  EXPECT_TRUE(p.String("Texts_SHello").FromDictionary);

  p.String("Texts_SHello").TranslatedValue = "Gr\xFC\xDF Gott";
  feed.remembered.clear();
  SaveStrings(&feed);
  EXPECT_EQ(feed.remembered["Texts_SHello"], "Gr\xFC\xDF Gott") << "the remembered translation follows the edit";

  feed.remembered.clear();
  LoadStrings(&feed, p.Path("FRA/P.TRS"), kFrench);
  EXPECT_FALSE(p.String("Texts_SHello").FromDictionary) << "no mark survives into another language";
}

TEST_F(StorageTest, AResetResourceStringIsNoLongerStoredAsTheDictionarysTranslation) {
  feed.remembered["Texts_SHello"] = "Servus";
  LoadStrings(&feed);
  ASSERT_TRUE(p.String("Texts_SHello").FromDictionary);
  p.String("Texts_SHello").ResetTranslation();
  EXPECT_FALSE(p.String("Texts_SHello").FromDictionary);
  SaveStrings(&feed);
  EXPECT_EQ(feed.remembered["Texts_SHello"], "Servus") << "the original was not written over the dictionary's entry";
}

TEST_F(StorageTest, VersionInformationIniFile) {
  p.project.VersionInfo.Add("CompanyName", "Example");
  p.project.VersionInfo.Add("ProductName", "Demo");
  p.project.VersionInfo.Add("Comments", "C:\\xyz");
  p.project.VersionInfo.Find("CompanyName")->Translation = "Beispiel \"GmbH\"";
  p.project.VersionInfo.Find("ProductName")->Translation = "DEMO";  // letter case only: not a translation
  ForceDirectories(p.Path("DEU"));
  SaveVersionInfoTranslations(p.project, p.project.VersionInfo, kGerman);
  EXPECT_EQ(ReadFileBytes(p.Path("DEU/P.TRD")), "[VersionInfo.DEU]\r\nCompanyName=Beispiel \\\"GmbH\\\"\r\n");

  LoadVersionInfoTranslations(p.project, p.project.VersionInfo, kGerman);
  EXPECT_EQ(p.project.VersionInfo.Find("CompanyName")->Translation, "Beispiel \"GmbH\"");
  EXPECT_EQ(p.project.VersionInfo.Find("ProductName")->Translation, "Demo");
  EXPECT_EQ(p.project.VersionInfo.Find("Comments")->Translation, "C:\\xyz") << "an absent key keeps the original";

  p.project.VersionInfo.Find("CompanyName")->Translation = "Example";
  SaveVersionInfoTranslations(p.project, p.project.VersionInfo, kGerman);
  EXPECT_EQ(ReadFileBytes(p.Path("DEU/P.TRD")), "[VersionInfo.DEU]\r\n");
}

TEST_F(StorageTest, CustomResourceReferenceFiles) {
  TCustomResource& res = p.project.CustomResources.Add(p.Path("Pics.res"));
  res.TranslatedFile = p.Path("DEU/Pics.res");
  SaveCustomResourceTranslations(p.project, p.project.CustomResources, kGerman);
  res.TranslatedFile = p.Path("PICS.RES");  // letter case only: the same file
  SaveCustomResourceTranslations(p.project, p.project.CustomResources, kFrench);
  EXPECT_EQ(ReadFileBytes(p.Path("Pics.TRR")), "[Language.DEU]\r\nTranslatedFile=" + p.Path("DEU/Pics.res") + "\r\n");

  LoadCustomResourceTranslations(p.project, p.project.CustomResources, kGerman);
  EXPECT_EQ(res.TranslatedFile, p.Path("DEU/Pics.res"));
  LoadCustomResourceTranslations(p.project, p.project.CustomResources, kFrench);
  EXPECT_EQ(res.TranslatedFile, p.Path("Pics.res"));
  EXPECT_NE(std::find(p.ui.hints.begin(), p.ui.hints.end(), "Reading Translation File ..."), p.ui.hints.end());
}

}  // namespace
}  // namespace kst
