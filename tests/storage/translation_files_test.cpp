// The translation files of one language: the tagged value codec, the .TRS
// and form .TRD layouts byte for byte, round trips, the ini files, and what
// is fed to the dictionary.
#include "storage/translation_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/scratch_project.h"
#include "storage/symbol_stream.h"

namespace kst {
namespace {

using test::WriteFile;

using test::kFrench;
using test::kGerman;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

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
  try {
    ApplyResourceStringFile(strings, GetParam().bytes);
    FAIL() << GetParam().name;
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), GetParam().message) << GetParam().name;
  }
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
                    TBadCase{"text of another tag", Bytes({6, 0, 1, 6, 1, 'A', 3, 0}), "Invalid property value"}),
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
};

TEST_F(StorageTest, MissingFilesLeaveValuesResetAndAnEmptyLanguageGivesTenBytes) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.String("Texts_SBye").TranslatedValue = "Ade";
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  LoadResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, nullptr);
  EXPECT_FALSE(p.Value("Button1.Caption").IsTranslated());
  EXPECT_FALSE(p.String("Texts_SBye").IsTranslated());
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  EXPECT_EQ(ReadFileBytes(Trs()), Bytes({6, 6, 'T', 'R', 'S', '3', '0', '1', 1, 0}));
  SaveFormTranslations(p.project, p.MainRoot(), Trd(), kGerman, &feed);
  EXPECT_EQ(ReadFileBytes(Trd()), Bytes({6, 6, 'T', 'R', 'D', '3', '0', '1', 1, 0}));
  EXPECT_TRUE(feed.added.empty());
}

TEST_F(StorageTest, TrsHoldsTranslatedStringsWithAnIdentifierInSetOrder) {
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  p.String("Texts_SBye").TranslatedValue = std::string(300, 'b');
  p.String("Texts_SZero").TranslatedValue = "Null";  // identifier 0: never written
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  std::string expected = Bytes({6, 6, 'T', 'R', 'S', '3', '0', '1', 1});
  expected += Bytes({6, 10}) + "Texts_SBye" + Bytes({12, 0x2C, 1, 0, 0}) + std::string(300, 'b');
  expected += Bytes({6, 12}) + "Texts_SHello" + Bytes({6, 5}) + "Hallo" + Bytes({0});
  EXPECT_EQ(ReadFileBytes(Trs()), expected);
  ASSERT_EQ(feed.added.size(), 2u);
  EXPECT_EQ(feed.added[1], std::make_tuple(std::string("Hello"), std::string("Hallo"), kGerman));

  p.String("Texts_SHello").TranslatedValue = "Hello";  // set back: gone from the next file
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, nullptr);
  EXPECT_EQ(ReadFileBytes(Trs()).find("Texts_SHello"), std::string::npos);
}

TEST_F(StorageTest, FormTrdFollowsThePathOrderAndDropsValuesSetBack) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value(".Caption").TranslatedValue = "Hauptfenster";
  p.Value("ListBox1.Items.Strings[1]").TranslatedValue = "Zwei";
  SaveFormTranslations(p.project, p.MainRoot(), Trd(), kGerman, &feed);
  std::string first = ReadFileBytes(Trd());
  EXPECT_NE(first.find(Bytes({6, 13}) + "Form1.Caption" + Bytes({6, 12}) + "Hauptfenster"), std::string::npos);
  EXPECT_LT(first.find("Form1.Caption"), first.find("Button1.Caption"));
  EXPECT_EQ(feed.added.size(), 3u);

  p.Value("Button1.Caption").TranslatedValue = "OK";
  SaveFormTranslations(p.project, p.MainRoot(), Trd(), kGerman, nullptr);
  std::string second = ReadFileBytes(Trd());
  EXPECT_EQ(second.find("Button1.Caption"), std::string::npos);
  EXPECT_EQ(second.size(), first.size() - (2 + 15 + 2 + 2));
}

TEST_F(StorageTest, RoundTripsRestoreEveryTranslationAndOnlyThose) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value(".Hint").TranslatedValue = "Zeile eins\r\nZeile zwei";
  p.Value("Button1.Hint").TranslatedValue = "Dr\xFC" "cken Sie \"Ja\"";
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  SaveFormTranslations(p.project, p.MainRoot(), Trd(), kGerman, nullptr);
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, nullptr);

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

TEST_F(StorageTest, LoadingResetsFirstAndSkipsStalePathsAndUnknownNames) {
  std::string trd = Bytes({6, 6}) + "TRD301" + Bytes({1});
  for (auto [path, text] : {std::pair{"Gone1.Caption", "Weg"}, {"BUTTON1.caption", "Ja"}, {"ListBox1.Items.Strings[9]", "x"}})
    trd += Bytes({6, static_cast<int>(strlen(path))}) + path + Bytes({6, static_cast<int>(strlen(text))}) + text;
  trd += Bytes({0});
  ForceDirectories(p.Path("DEU"));
  WriteFile(Trd(), trd);
  p.Value(".Caption").TranslatedValue = "left over from another language";
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
  EXPECT_FALSE(p.Value(".Caption").IsTranslated());

  WriteFile(Trs(), Bytes({6, 0, 1, 6, 5}) + "Nope!" + Bytes({6, 1}) + "x" + Bytes({6, 12}) + "texts_shello" +
                       Bytes({6, 4}) + "Hoi!" + Bytes({0}));
  LoadResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, nullptr);
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "Hoi!");
}

TEST_F(StorageTest, WhatAFileAppliedBeforeAnErrorStaysApplied) {
  std::string trd = Bytes({6, 6}) + "TRD301" + Bytes({1, 6, 15}) + "Button1.Caption" + Bytes({6, 2}) + "Ja" +
                    Bytes({6, 8}) + ".Caption" + Bytes({12, 0, 0, 0, 1});
  try {
    ApplyFormTranslationFile(p.MainRoot(), trd);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
}

TEST_F(StorageTest, DictionaryFillsResourceStringsAndTheFileOverrides) {
  feed.remembered["Texts_SHello"] = "Servus";
  feed.remembered["Texts_SBye"] = "Tschau";
  ForceDirectories(p.Path("DEU"));
  WriteFile(Trs(), Bytes({6, 0, 1, 6, 10}) + "Texts_SBye" + Bytes({6, 3}) + "Ade" + Bytes({0}));
  LoadResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "Servus");
  EXPECT_EQ(p.String("Texts_SBye").TranslatedValue, "Ade");
  EXPECT_TRUE(p.String("Texts_SHello").FromDictionary);

  p.String("Texts_SHello").TranslatedValue = "Gr\xFC\xDF Gott";
  feed.remembered.clear();
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  EXPECT_EQ(feed.remembered["Texts_SHello"], "Gr\xFC\xDF Gott") << "the remembered translation follows the edit";

  feed.remembered.clear();
  LoadResourceStringTranslations(p.project, p.project.ResourceStrings, p.Path("FRA/P.TRS"), kFrench, &feed);
  EXPECT_FALSE(p.String("Texts_SHello").FromDictionary) << "no mark survives into another language";
}

TEST_F(StorageTest, AResetResourceStringIsNoLongerStoredAsTheDictionarysTranslation) {
  feed.remembered["Texts_SHello"] = "Servus";
  LoadResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  ASSERT_TRUE(p.String("Texts_SHello").FromDictionary);
  p.String("Texts_SHello").ResetTranslation();
  EXPECT_FALSE(p.String("Texts_SHello").FromDictionary);
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, &feed);
  EXPECT_EQ(feed.remembered["Texts_SHello"], "Servus") << "the original was not written over the dictionary's entry";
}

TEST_F(StorageTest, AFileThatCannotBeCreatedStopsTheSaveAndKeepsTheOldOne) {
  SaveResourceStringTranslations(p.project, p.project.ResourceStrings, Trs(), kGerman, nullptr);
  WriteFile(p.Path("blocker"), "a file where a directory should be");
  EXPECT_THROW(SaveResourceStringTranslations(p.project, p.project.ResourceStrings, p.Path("blocker/P.TRS"), kGerman, nullptr),
               EFileError);
  EXPECT_EQ(ReadFileBytes(Trs()).size(), 10u);
}

// Names stored in the settings file may be relative; they mean the files
// in the project's directory, whatever the current directory is, and are
// found whatever the case of their letters.
TEST_F(StorageTest, ANameIsTakenInTheProjectsDirectoryWhateverItsCase) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  SaveFormTranslations(p.project, p.MainRoot(), "deu/main.trd", kGerman, nullptr);
  LoadFormTranslations(p.project, p.MainRoot(), Trd());
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
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
