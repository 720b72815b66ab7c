// The dictionary as a TMX translation memory: language tags both ways and
// the round trip through a file xmllint accepts. What an import refuses and
// what an export leaves out is the dict-tmx CLI case.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dictionary/tmx_file.h"
#include "dictionary_fixture.h"
#include "platform/file_utils.h"
#include "platform/language_tag.h"

namespace kst {
namespace {

using namespace test;

constexpr int kPoland = 0x0415, kRussia = 0x0419;

TEST(LanguageTag, MapsWindowsIdsBothWaysAsIcuDoes) {
  struct TCase {
    int id;
    const char* tag;
  };
  for (const TCase& c : {TCase{0x0407, "de-DE"}, {0x0C07, "de-AT"}, {0x0007, "de"}, {0x081A, "sr-Latn-CS"},
                         {0x0C1A, "sr-Cyrl-CS"}, {0x0404, "zh-Hant-TW"}, {0x0415, "pl-PL"}, {0x0419, "ru-RU"}}) {
    EXPECT_EQ(LanguageTag(c.id), c.tag) << c.id;
    EXPECT_EQ(LanguageIdFromTag(c.tag), c.id) << c.tag;
  }
  for (int none : {0, 0x00FF, -1, 0x10000}) EXPECT_EQ(LanguageTag(none), "") << none;
  struct TRead {
    const char* tag;
    int id;
  };
  for (const TRead& c : {TRead{"DE-de", 0x0407}, {"de_AT", 0x0C07}, {"SR_latn_cs", 0x081A}, {"haw-US", 0x0475},
                         {"xx-YY", 0}, {"", 0}, {"*all*", 0}, {"de-DE-!", 0}, {"und", 0}})
    EXPECT_EQ(LanguageIdFromTag(c.tag), c.id) << c.tag;
}

class TmxTest : public testing::TestWithParam<TBackend>, public TDictionary {
protected:
  TmxTest() : TDictionary(GetParam()) {}
  const TSystemCodePages system{};  // sources in 1252, tagged en-US
  TScratchDir dir;

  // xmllint from libxml2-utils, when it is there: the file is well-formed.
  // (No TMX DTD ships with us, its licence being unclear, so not "valid".)
  void ExpectXmllintAccepts(const std::string& document) {
    if (!HaveProgram("xmllint")) {
      if (std::getenv("CI")) ADD_FAILURE() << "xmllint (Debian's libxml2-utils) is required in CI";
      std::cout << "xmllint is not installed (libxml2-utils): well-formedness not checked\n";
      return;
    }
    WriteFile(dir.File("out.tmx"), document);
    TProgramRun run = test::Run("xmllint --noout out.tmx", dir.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
  }
};

INSTANTIATE_TEST_SUITE_P(Backends, TmxTest, kBackends, BackendName);

TEST_P(TmxTest, ExportThenImportIntoAnEmptyDictionaryKnowsTheSameTranslations) {
  struct TRow {
    std::string source;  // code page 1252
    std::string translation;  // in the language's code page
    int lang;
  };
  const std::vector<TRow> rows = {
      {"File", "Datei", kGermany},
      {"File", "Ablage", kAustria},
      {"Gr\366\337e", "Gr\366\337e", kGermany},
      {"Gr\366\337e", "GR\326\337E", kGermany},  // differs only in case: a row of its own
      {"Gr\366\337e", "\xD0\xE0\xE7\xEC\xE5\xF0", kRussia},  // Размер
      {"Line\r\nbreak \"<&>\"\t'x'", "Zeile\r\numbrochen \"<&>\"\t'x'", kGermany},
      {"  padded ", " gepolstert  ", kGerman},
      {"Close", "Zamknij", kPoland},
      {"Yellow", "\xBF\xF3\xB3ty", kPoland},  // żółty
      {"Save", "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC", kRussia},  // Сохранить
  };
  for (const TRow& r : rows) history->AddTranslation(r.source, r.translation, r.lang);
  history->SetResourceStringTranslation("SOpen", kGermany, "\326ffnen");

  TDictionary fresh(GetParam());
  for (int lang : {kGermany, kPoland, kRussia}) {
    TTmxExport tmx = ExportTmx(*common, lang, system);
    EXPECT_TRUE(tmx.skipped.empty()) << tmx.skipped.front().message;
    EXPECT_EQ(tmx.resourceStrings, lang == kGermany ? 1 : 0);
    ExpectXmllintAccepts(tmx.document);
    TTmxImport in = ImportTmx(*fresh.common, *fresh.history, tmx.document, "memory.tmx", system);
    EXPECT_EQ(in.added, tmx.units);
    EXPECT_EQ(in.known + in.Skipped(), 0) << (in.reports.empty() ? "" : in.reports.front().message);
    TTmxImport again = ImportTmx(*fresh.common, *fresh.history, tmx.document, "memory.tmx", system);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.known, tmx.units);
    // What the fresh dictionary writes is the same file again.
    EXPECT_EQ(ExportTmx(*fresh.common, lang, system).document, tmx.document);
  }
  for (const TRow& r : rows)
    for (int lang : {kGermany, kAustria, kGerman, kPoland, kRussia})
      EXPECT_EQ(fresh.Known(r.source, lang), Known(r.source, lang)) << r.source << " " << lang;
  EXPECT_FALSE(fresh.history->HasResourceStringTranslation("SOpen", kGermany));
  EXPECT_EQ(fresh.Count("TrnsHist"), static_cast<long long>(rows.size()));
}

}  // namespace
}  // namespace kst
