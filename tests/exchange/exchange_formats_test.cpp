// XLIFF and PO: PO strings as gettext wraps them, golden imports through the
// shared applier, and the demo in German, Polish and Russian written, read
// by translate-toolkit, checked by xmllint and msgfmt, edited by a
// translate-toolkit script and read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "config/text_helpers.h"
#include "exchange/exchange_format.h"
#include "exchange/po_file.h"
#include "exchange/xliff_file.h"
#include "platform/codepage.h"
#include "support/demo_session.h"

namespace kst {
namespace {

struct TQuoteCase {
  const char* name;
  const char* text;
  const char* quoted;
};

class PoStrings : public testing::TestWithParam<TQuoteCase> {};

TEST_P(PoStrings, WrapAndEscapeAsGettextAndReadBack) {
  EXPECT_EQ(PoQuote("msgid", GetParam().text), GetParam().quoted);
  std::string po = "msgctxt \"k\"\n" + PoQuote("msgid", GetParam().text) + "msgstr \"x\"\n";
  TExchangeContent read = ParsePoFile(po, "t.po", TExchangeLanguages{0x0409, 0x0407, 1252, 1252});
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].original, std::optional<std::string>(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PoStrings,
    testing::Values(
        TQuoteCase{"empty", "", "msgid \"\"\n"},
        TQuoteCase{"escapes", "Say \"hi\"\t\\ \a\x01", "msgid \"Say \\\"hi\\\"\\t\\\\ \\a\\001\"\n"},
        TQuoteCase{"final_break_stays_on_one_line", "Line\n", "msgid \"Line\\n\"\n"},
        TQuoteCase{"breaks_start_new_lines", "One\r\nTwo\nThree",
                   "msgid \"\"\n\"One\\r\\n\"\n\"Two\\n\"\n\"Three\"\n"},
        TQuoteCase{"long_text_cut_after_blanks",
                   "A text long enough that it cannot stand on the line of its keyword, so it is cut after a blank",
                   "msgid \"\"\n\"A text long enough that it cannot stand on the line of its keyword, so it is \"\n"
                   "\"cut after a blank\"\n"},
        TQuoteCase{"long_word_is_not_cut",
                   "Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                   "msgid \"\"\n\"Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"\n"}),
    test::TCaseName());

// Golden imports of XLIFF and PO files into the scratch project as Polish
// (code page 1250): tests/data/exchange/foreign/README.
std::string ForeignDir() { return test::TestDataDir() + "/exchange/foreign"; }

class ForeignImport : public testing::TestWithParam<std::string> {};

TEST_P(ForeignImport, AppliesAsksAndReports) {
  const std::string dir = ForeignDir() + "/" + GetParam();
  test::TScratchProject p;
  p.Create();
  p.Open();
  p.QueueAnswers(dir + "/answers");
  const TExchangeLanguages polish{0x0409, 0x0415, 1252, 1250};
  std::string file = dir + (FileExists(dir + "/import.po") ? "/import.po" : "/import.xlf");
  std::string out;
  try {
    std::string bytes = ReadFileBytes(file);
    TExchangeContent content = ExchangeFormatOfFile(file) == TExchangeFormat::Po ? ParsePoFile(bytes, file, polish)
                                                                                  : ParseXliffFile(bytes, file, polish);
    CheckFileLanguage(file, content.targetLanguage, polish.target);
    out = "applied " + std::to_string(ApplyExchangeEntries(p.project, content.entries, 1250)) + "\n";
  } catch (const EExchangeError& e) {
    out = "error: " + std::string(e.what()) + "\n";
  }
  for (const std::string& q : p.ui.questions) out += "question: " + EncodeEscapes(q) + "\n";
  for (int i = 0; i < p.project.ResourceStrings.Count(); ++i)
    if (const TResourceStrListItem& s = p.project.ResourceStrings.Item(i); s.IsTranslated())
      out += s.Name + " = " + CodePageToUtf8(EncodeEscapes(s.TranslatedValue), 1250) + "\n";
  p.MainRoot().ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
    if (v.IsTranslated()) out += path + " = " + CodePageToUtf8(EncodeEscapes(v.TranslatedValue), 1250) + "\n";
  });
  test::ExpectGolden(dir + "/expected.txt", out);
}

INSTANTIATE_TEST_SUITE_P(Golden, ForeignImport, testing::ValuesIn(test::GoldenCases(ForeignDir())), test::TCaseName());

// A file cut anywhere, or with any byte made a quote or a line break, is
// read or refused with EExchangeError; nothing else escapes the readers.
TEST(ForeignFiles, CutOrCorruptedGiveEntriesOrAnError) {
  test::TScratchProject p;
  p.Create();
  p.Open();
  p.Value("Form1.Hint").TranslatedValue = "Zeile eins\r\nZeile \"zwei\"";
  const TExchangeLanguages german{0x0409, 0x0407, 1252, 1252};
  for (TExchangeFormat format : {TExchangeFormat::Xliff, TExchangeFormat::Po}) {
    auto parse = [&](const std::string& text) {
      try {
        if (format == TExchangeFormat::Po) ParsePoFile(text, "t.po", german);
        else ParseXliffFile(text, "t.xlf", german);
      } catch (const EExchangeError&) {
      }
    };
    const std::string whole = format == TExchangeFormat::Po ? BuildPoFile(p.project, german, 7, "2026-01-01 00:00+0000")
                                                            : BuildXliffFile(p.project, german, 7);
    for (size_t n = 0; n < whole.size(); ++n) parse(whole.substr(0, n));
    for (size_t at = 0; at < whole.size(); at += 3)
      for (char c : {'"', '\n', '<', '\\'}) {
        std::string corrupt = whole;
        corrupt[at] = c;
        parse(corrupt);
      }
  }
}

// The Python with translate-toolkit (Debian's python3-translate), or "".
std::string TranslateToolkitPython() {
  for (const char* python : {"python3", "/usr/bin/python3"})
    if (test::Run(std::string(python) + " -c 'import translate.storage.factory' 2>/dev/null").exitCode == 0)
      return python;
  return {};
}

struct TDemoLanguage {
  const char* name;
  int id;
  // UTF-8: a translation already made, the two a translator makes in the
  // file, and one with a character the language's code page lacks.
  const char* made;
  const char* edited1;
  const char* edited2;
  const char* unmappable;
};

const TDemoLanguage kDemoLanguages[] = {
    {"German", 0x0407, "Gr\xC3\xBC\xC3\x9F" "e", "Bereit", "&Datei \xC3\xB6" "ffnen...", "\xD0\x96"},
    {"Polish", 0x0415, "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", "Gotowe", "&Otw\xC3\xB3rz...", "\xD0\x96"},
    {"Russian", 0x0419, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xD0\x93\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2\xD0\xBE",
     "&\xD0\x9E\xD1\x82\xD0\xBA\xD1\x80\xD1\x8B\xD1\x82\xD1\x8C...", "\xC5\x82"},
};

std::string DumpEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

class DemoExchange : public testing::TestWithParam<std::tuple<TDemoLanguage, TExchangeFormat>> {};

TEST_P(DemoExchange, OtherToolsReadItAndExactlyTheirEditsComeBack) {
  const auto& [language, format] = GetParam();
  std::string python = TranslateToolkitPython();
  const char* checker = format == TExchangeFormat::Xliff ? "xmllint" : "msgfmt";
  if (python.empty() || !test::HaveProgram(checker)) {
    if (std::getenv("CI")) FAIL() << "translate-toolkit and " << checker << " are required in CI";
    GTEST_SKIP() << "translate-toolkit (python3-translate) or " << checker << " is not installed";
  }
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  d.project.AddLanguage(language.id);
  s.SelectLanguage(language.id);
  const int page = s.TranslationCodePage();
  s.SetTranslation("#FileDescription", Utf8ToCodePage(language.made, page));
  s.SetTranslation("Main.dfm:lblItems.Caption", Utf8ToCodePage(language.made, page));

  const std::string file = d.dir.File(std::string("out") + ExchangeExtension(format));
  TExchangeWriteOptions options;
  options.format = format;
  WriteExchange(d.project, file, language.id, options);

  test::TProgramRun check = test::Run(format == TExchangeFormat::Xliff ? "xmllint --noout " + test::ShellQuote(file)
                                                                       : "msgfmt --check -o /dev/null " + test::ShellQuote(file));
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.err, "") << "no warnings either";

  // translate-toolkit sees our units with our texts.
  std::string ours;
  TExchangeLanguages languages = ExchangeLanguages(d.project, language.id);
  for (const TExchangeGroup& group : CollectExchangeGroups(d.project, kFilterStrings)) {
    for (const TExchangeItem& item : group.items) {
      TExchangeEntry named;
      named.section = group.section;
      named.form = group.name;
      named.key = item.key;
      ours += DumpEscape(CodePageToUtf8(ExchangeEntryName(named), languages.originalCodePage)) + "\t" +
              DumpEscape(CodePageToUtf8(*item.original, languages.originalCodePage)) + "\t" +
              DumpEscape(item.translated ? CodePageToUtf8(*item.translation, page) : "") + "\n";
    }
  }
  const std::string script = test::ShellQuote(test::TestDataDir() + "/../exchange/ttk_units.py");
  test::TProgramRun dump = test::Run(python + " " + script + " dump " + test::ShellQuote(file));
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out, ours);

  // A translator edits two texts and types one the code page cannot hold.
  std::map<std::string, std::string> before;
  s.ForEachEntry([&](const TSessionEntry& e) { before[e.key] = *e.translation; });
  const std::string edited = d.dir.File(std::string("edited") + ExchangeExtension(format));
  test::TProgramRun edit = test::Run(python + " " + script + " edit " + test::ShellQuote(file) + " " +
                                     test::ShellQuote(edited) + " @Texts_SReady " + test::ShellQuote(language.edited1) +
                                     " Main.dfm:btnOpen.Caption " + test::ShellQuote(language.edited2) +
                                     " Main.dfm:mnuFile.Caption " + test::ShellQuote(language.unmappable));
  ASSERT_EQ(edit.exitCode, 0) << edit.err;
  d.ui.answers = {TAnswer::Ok};
  EXPECT_EQ(s.ReadExchangeFile(edited, format), 2);
  ASSERT_EQ(d.ui.questions.size(), 1u);
  EXPECT_NE(d.ui.questions[0].find("Main.dfm:mnuFile.Caption"), std::string::npos) << d.ui.questions[0];
  EXPECT_NE(d.ui.questions[0].find(language.id == 0x0419 ? "U+0142" : "U+0416"), std::string::npos);
  std::map<std::string, std::string> after;
  s.ForEachEntry([&](const TSessionEntry& e) { after[e.key] = *e.translation; });
  before["@Texts_SReady"] = Utf8ToCodePage(language.edited1, page);
  before["Main.dfm:btnOpen.Caption"] = Utf8ToCodePage(language.edited2, page);
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Languages, DemoExchange,
                         testing::Combine(testing::ValuesIn(kDemoLanguages),
                                          testing::Values(TExchangeFormat::Xliff, TExchangeFormat::Po)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == TExchangeFormat::Xliff ? "Xliff" : "Po");
                         });

}  // namespace
}  // namespace kst
