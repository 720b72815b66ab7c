// Exchange files: the layout as written, the field codec, the two passes of
// the reader with their questions and warnings, and round trips.
#include "exchange/exchange_file.h"

#include <gtest/gtest.h>

#include "support/scratch_project.h"

namespace kst {
namespace {

using test::WriteFile;

constexpr const char* kHead = "[EXCHANGE-FILE-HEADER]\r\nVersion=3.10BETA\r\n";

struct TFieldCase {
  const char* text;
  const char* field;
};

class ExchangeFieldCodec : public testing::TestWithParam<TFieldCase> {};

TEST_P(ExchangeFieldCodec, EncodesAndDecodes) {
  EXPECT_EQ(EncodeExchangeField(GetParam().text), GetParam().field);
  EXPECT_EQ(DecodeExchangeField(GetParam().field), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExchangeFieldCodec,
    testing::Values(TFieldCase{"", "\"\""}, TFieldCase{"OK", "\"OK\""}, TFieldCase{"Say \"hi\"", "\"Say \"hi\"\""},
                    TFieldCase{"C:\\dir\\n", "\"C:\\dir\\n\""},  // no tab or break: as it stands
                    TFieldCase{"a\tb", "\\\"a\\tb\""}, TFieldCase{"One\r\nTwo", "\\\"One\\r\\nTwo\""},
                    TFieldCase{"C:\\x\n", "\\\"C:\\\\x\\n\""}, TFieldCase{"\"q\"\n", "\\\"\"q\"\\n\""}));

// Fields written by hand or by other tools: quotes missing at either end,
// backslashes that escape nothing.
TEST(ExchangeFieldDecode, ForeignFields) {
  const std::pair<const char*, const char*> cases[] = {
      {"Ja", "Ja"},         {"\"Ja", "Ja"}, {"Ja\"", "Ja"},           {"\"", ""},
      {"\"\"\"\"", "\"\""}, {"\\\"", "\\"}, {"\\\"a\\qb\"", "a\\qb"}, {"\\\"a\\\"", "a\\"}};
  for (auto [field, text] : cases) EXPECT_EQ(DecodeExchangeField(field), text) << field;
}

class ExchangeTest : public testing::Test {
protected:
  test::TScratchProject p;
  void SetUp() override {
    p.Create();
    p.Open();
  }
  int Read(const std::string& body) { return ApplyExchangeFile(p.project, kHead + body); }
};

TEST_F(ExchangeTest, WritesTheLayoutWithTheTypeFilter) {
  p.String("Texts_SHello").TranslatedValue = "Hallo";
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  // Only the translatable strings (the type filter), with their originals.
  test::ExpectGolden(test::TestDataDir() + "/exchange/strings-only.trx",
                     BuildExchangeFile(p.project, true, kFilterStrings));
  std::string all = BuildExchangeFile(p.project, false, kFilterStrings | kFilterNumbers | kFilterOthers);
  EXPECT_NE(all.find("Form1.Width\tN/A\t\"300\"\r\n"), std::string::npos);
  EXPECT_NE(all.find("ListBox1.Align\tN/A\t\"alClient\"\r\n"), std::string::npos);
  std::string numbers = BuildExchangeFile(p.project, true, kFilterNumbers);
  EXPECT_NE(numbers.find("Form1.Width"), std::string::npos);
  EXPECT_EQ(numbers.find("Caption"), std::string::npos);
  EXPECT_NE(numbers.find("Texts_SZero"), std::string::npos) << "resource strings are always written";
}

TEST_F(ExchangeTest, RoundTripChangesExactlyTheChangedEntries) {
  p.Value("Button1.Caption").TranslatedValue = "Ja";
  p.Value("Form1.Hint").TranslatedValue = "Zeile\teins\r\nZeile zwei";
  std::string file = p.Path("DEU/P.trx");
  WriteExchangeFile(p.project, file, true, kFilterStrings | kFilterNumbers | kFilterOthers);
  std::string text = ReadFileBytes(file);
  auto replace = [&](const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("Texts_SBye\t\"Bye\"\t\"Bye\"", "Texts_SBye\t\"Bye\"\t\"Tsch\xFC\xDF\"");
  replace("ListBox1.Items.Strings[1]\t\"Two\"\t\"Two\"", "ListBox1.Items.Strings[1]\t\"Two\"\t\"Zwei \"2\"\"");
  WriteFile(file, text);

  test::TScratchProject q;
  for (const char* f : {"Main.dfm", "P.dpr", "P.DRC"}) WriteFile(q.Path(f), ReadFileBytes(p.Path(f)));
  q.Open();
  q.Value("Form1.Caption").TranslatedValue = "kept";
  EXPECT_EQ(ReadExchangeFile(q.project, file), 5);
  EXPECT_TRUE(q.ui.questions.empty());
  EXPECT_EQ(q.String("Texts_SBye").TranslatedValue, "Tsch\xFC\xDF");
  EXPECT_EQ(q.Value("ListBox1.Items.Strings[1]").TranslatedValue, "Zwei \"2\"");
  EXPECT_EQ(q.Value("Button1.Caption").TranslatedValue, "Ja");
  EXPECT_EQ(q.Value("Form1.Hint").TranslatedValue, "Zeile\teins\r\nZeile zwei");
  EXPECT_EQ(q.Value("Form1.Caption").TranslatedValue, "Main window") << "the file's text replaces it";
  EXPECT_FALSE(q.String("Texts_SHello").IsTranslated());
  EXPECT_FALSE(q.Value("Form1.Width").IsTranslated());
}

TEST_F(ExchangeTest, HeaderAndVersionKeyAreRequired) {
  for (const char* bad : {"", "Version=3.10BETA\r\n[EXCHANGE-FILE-HEADER]\r\n", "[EXCHANGE-FILE-HEADER]\r\nVersion\r\n",
                          "[RESOURCE-STRINGS]\r\nTexts_SBye\t\"Bye\"\t\"Ade\"\r\n"}) {
    try {
      ApplyExchangeFile(p.project, bad);
      FAIL() << bad;
    } catch (const EExchangeError& e) {
      EXPECT_STREQ(e.what(), "Invalid Exchange File. Missing Missing header and/or version marker!");
    }
  }
  EXPECT_FALSE(p.String("Texts_SBye").IsTranslated());
  EXPECT_EQ(ApplyExchangeFile(p.project, "  [exchange-file-header]  \n version=2.00\n[RESOURCE-STRINGS]\nTexts_SBye\tN/A\t\"Ade\"\n"), 1)
      << "only the key is checked";
  EXPECT_EQ(p.String("Texts_SBye").TranslatedValue, "Ade");
}

TEST_F(ExchangeTest, DifferentOriginalsAskAndCaseDoesNotCount) {
  p.ui.answers = {TAnswer::No};
  EXPECT_EQ(Read("[Main.DFM]\r\nButton1.Caption\t\"ok\"\t\"Ja\"\r\nButton1.Caption\t\"Okay\"\t\"Jawohl\"\r\n"), 1);
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
  ASSERT_EQ(p.ui.questions.size(), 1u);
  EXPECT_EQ(p.ui.questions[0], "Different original Value\r\rProject: OK\r\rExchange File: Okay\r\rAccept Translation?");
}

TEST_F(ExchangeTest, AllStopsTheQuestionsAndCancelStopsTheImport) {
  p.ui.answers = {TAnswer::Yes, TAnswer::All};
  Read("[RESOURCE-STRINGS]\r\nTexts_SHello\t\"x\"\t\"1\"\r\nTexts_SBye\t\"x\"\t\"2\"\r\nTexts_SZero\t\"x\"\t\"3\"\r\n"
       "[Main.dfm]\r\nButton1.Caption\t\"x\"\t\"4\"\r\n");
  EXPECT_EQ(p.ui.questions.size(), 2u);
  EXPECT_EQ(p.String("Texts_SZero").TranslatedValue, "3");
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "4");

  test::TScratchProject r;
  r.Create();
  r.Open();
  r.ui.answers = {TAnswer::No, TAnswer::Cancel};
  ApplyExchangeFile(r.project, std::string(kHead) +
                                   "[RESOURCE-STRINGS]\r\nTexts_SHello\t\"x\"\t\"1\"\r\nTexts_SBye\t\"x\"\t\"2\"\r\n"
                                   "Texts_SZero\t\"x\"\t\"3\"\r\n");
  EXPECT_EQ(r.ui.questions.size(), 2u);
  EXPECT_FALSE(r.String("Texts_SHello").IsTranslated());
  EXPECT_FALSE(r.String("Texts_SBye").IsTranslated());
  EXPECT_FALSE(r.String("Texts_SZero").IsTranslated()) << "nothing after Cancel";
}

TEST_F(ExchangeTest, NotAvailableOriginalsImportWithoutQuestions) {
  EXPECT_EQ(Read("[RESOURCE-STRINGS]\r\nTexts_SHello\tN/A\t\"Hallo\"\r\n[Main.dfm]\r\nButton1.Caption\tN/A\t\"Ja\"\r\n"), 2);
  EXPECT_TRUE(p.ui.questions.empty());
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "Hallo");
}

TEST_F(ExchangeTest, UnknownItemsAndModulesWarnAndCancelStops) {
  p.ui.answers = {TAnswer::Ok, TAnswer::Ok, TAnswer::Cancel};
  Read("[RESOURCE-STRINGS]\r\nTexts_SNope\tN/A\t\"x\"\r\n[Other.dfm]\r\nA.Caption\tN/A\t\"x\"\r\n"
       "[Main.dfm]\r\nGone.Caption\tN/A\t\"x\"\r\nButton1.Caption\tN/A\t\"Ja\"\r\n");
  ASSERT_EQ(p.ui.questions.size(), 3u);
  EXPECT_EQ(p.ui.questions[0], "Item \"Texts_SNope\" not found in current project");
  EXPECT_EQ(p.ui.questions[1], "Module \"Other.dfm\" not found in current project!");
  EXPECT_EQ(p.ui.questions[2], "Item \"Gone.Caption\" not found in current project");
  EXPECT_FALSE(p.Value("Button1.Caption").IsTranslated());
}

// A number from the file would go into the form as it stands: one that is
// not a single number is refused with a warning, the rest is imported.
TEST_F(ExchangeTest, ValuesThatAreNotOneValueOfTheirTypeAreRefused) {
  p.ui.answers = {TAnswer::Ok};
  EXPECT_EQ(Read("[Main.dfm]\r\nForm1.Width\tN/A\t\"8 Visible = False\"\r\nButton1.Caption\tN/A\t\"Ja\"\r\n"), 1);
  ASSERT_EQ(p.ui.questions.size(), 1u);
  EXPECT_EQ(p.ui.questions[0],
            "The translation of Main.dfm:Form1.Width must be a whole number such as 8, -12 or $FF; "
            "\"8 Visible = False\" is not one. The translation is not taken.");
  EXPECT_FALSE(p.Value("Form1.Width").IsTranslated());
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "Ja");
}

TEST_F(ExchangeTest, FilesWithoutEscapesReadAsTheyAlwaysDid) {
  // Extra tabs run into the translation; fields without quotes stand as they are.
  Read("[RESOURCE-STRINGS]\r\nTexts_SHello\tN/A\t\"a\tb\"\r\nTexts_SBye\tN/A\tAde\r\n"
       "[main.DFM]\r\nButton1.Caption\tN/A\t\"C:\\new\\table\"\r\n");
  EXPECT_EQ(p.String("Texts_SHello").TranslatedValue, "a\tb");
  EXPECT_EQ(p.String("Texts_SBye").TranslatedValue, "Ade");
  EXPECT_EQ(p.Value("Button1.Caption").TranslatedValue, "C:\\new\\table");
}

}  // namespace
}  // namespace kst
