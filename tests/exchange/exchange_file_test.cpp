// Exchange files: the layout as written, the field codec, the two passes of
// the reader with their questions and warnings, and round trips.
#include "exchange/exchange_file.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "config/text_helpers.h"
#include "support/scratch_project.h"

namespace kst {
namespace {

using test::WriteFile;

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

// Golden imports: tests/data/exchange/imports/README.
std::string ImportsDir() { return test::TestDataDir() + "/exchange/imports"; }

class ExchangeImport : public testing::TestWithParam<std::string> {};

TEST_P(ExchangeImport, AppliesAndAsks) {
  const std::string dir = ImportsDir() + "/" + GetParam();
  test::TScratchProject p;
  p.Create();
  p.Open();
  p.QueueAnswers(dir + "/answers");
  std::string out;
  try {
    out = "applied " + std::to_string(ApplyExchangeFile(p.project, ReadFileBytes(dir + "/import.trx"))) + "\n";
  } catch (const EExchangeError& e) {
    out = "error: " + std::string(e.what()) + "\n";
  }
  for (const std::string& q : p.ui.questions) out += "question: " + EncodeEscapes(q) + "\n";
  for (int i = 0; i < p.project.ResourceStrings.Count(); ++i)
    if (const TResourceStrListItem& s = p.project.ResourceStrings.Item(i); s.IsTranslated())
      out += s.Name + " = " + EncodeEscapes(s.TranslatedValue) + "\n";
  p.MainRoot().ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
    if (v.IsTranslated()) out += path + " = " + EncodeEscapes(v.TranslatedValue) + "\n";
  });
  test::ExpectGolden(dir + "/expected.txt", out);
}

INSTANTIATE_TEST_SUITE_P(Golden, ExchangeImport, testing::ValuesIn(test::GoldenCases(ImportsDir())), test::TCaseName());

}  // namespace
}  // namespace kst
