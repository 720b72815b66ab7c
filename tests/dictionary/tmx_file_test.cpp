// The dictionary as a TMX translation memory: language tags both ways, the
// round trip through a file xmllint accepts, and what an import refuses.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dictionary/tmx_file.h"
#include "dictionary_fixture.h"
#include "platform/file_utils.h"
#include "platform/language_tag.h"
#include "platform/xml_document.h"

namespace kst {
namespace {

using namespace test;

constexpr int kPoland = 0x0415, kRussia = 0x0419, kCanadaFrench = 0x0C0C;

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

class TmxTest : public testing::Test, public TDictionary {
protected:
  const TSystemCodePages system{};  // sources in 1252, tagged en-US
  TScratchDir dir;

  TTmxImport Import(TDictionary& into, const std::string& document) {
    return ImportTmx(*into.common, *into.history, document, "memory.tmx", system);
  }

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

TEST_F(TmxTest, ExportThenImportIntoAnEmptyDictionaryKnowsTheSameTranslations) {
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

  TDictionary fresh;
  for (int lang : {kGermany, kPoland, kRussia}) {
    TTmxExport tmx = ExportTmx(*common, lang, system);
    EXPECT_TRUE(tmx.skipped.empty()) << tmx.skipped.front().message;
    EXPECT_EQ(tmx.resourceStrings, lang == kGermany ? 1 : 0);
    ExpectXmllintAccepts(tmx.document);
    TTmxImport in = Import(fresh, tmx.document);
    EXPECT_EQ(in.added, tmx.units);
    EXPECT_EQ(in.known + in.Skipped(), 0) << (in.reports.empty() ? "" : in.reports.front().message);
    // What the fresh dictionary writes is the same file again.
    EXPECT_EQ(ExportTmx(*fresh.common, lang, system).document, tmx.document);
  }
  for (const TRow& r : rows)
    for (int lang : {kGermany, kAustria, kGerman, kPoland, kRussia})
      EXPECT_EQ(fresh.Known(r.source, lang), Known(r.source, lang)) << r.source << " " << lang;
  EXPECT_FALSE(fresh.history->HasResourceStringTranslation("SOpen", kGermany));
  EXPECT_EQ(fresh.Count("TrnsHist"), static_cast<long long>(rows.size()));
}

TEST_F(TmxTest, ExportNamesItselfAndLeavesOutWhatXmlCannotCarry) {
  history->AddTranslation("Bell\x07", "Glocke", kGermany);
  history->AddTranslation("Bell", "Glocke", kGermany);
  TTmxExport tmx = ExportTmx(*common, kGermany, system);
  EXPECT_EQ(tmx.units, 1);
  ASSERT_EQ(tmx.skipped.size(), 1u);
  EXPECT_NE(tmx.skipped[0].message.find("control character #7"), std::string::npos) << tmx.skipped[0].message;
  ExpectXmllintAccepts(tmx.document);

  TXmlDocument doc(tmx.document, "out.tmx");
  EXPECT_EQ(XmlAttribute(doc.Root(), "version"), "1.4");
  const xmlNode* header = XmlChild(doc.Root(), "header");
  EXPECT_EQ(XmlAttribute(header, "creationtool"), "Kestrin Translator");
  EXPECT_EQ(XmlAttribute(header, "srclang"), "en-US");
  TSystemCodePages russian{1251, 866, 10000, kRussia};
  TXmlDocument again(ExportTmx(*common, kGermany, russian).document, "out.tmx");
  EXPECT_EQ(XmlAttribute(XmlChild(again.Root(), "header"), "srclang"), "ru-RU");
}

TEST_F(TmxTest, ImportReportsAndSkipsWhatTheDictionaryCannotHoldAndAddsTheRest) {
  const std::string longText(300, 'L');
  const std::string file =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<tmx version=\"1.4\"><header srclang=\"EN_us\" creationtool=\"hand\" creationtoolversion=\"1\" "
      "datatype=\"plaintext\" segtype=\"sentence\" adminlang=\"en\" o-tmf=\"x\"/><body>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>Print</seg></tuv>\n"
      "<tuv xml:lang=\"xx-YY\"><seg>Imprimer</seg></tuv><tuv xml:lang=\"haw-US\"><seg>Pa'i</seg></tuv>\n"
      "<tuv xml:lang=\"fr-FR\"><seg>Imprimer</seg></tuv><tuv xml:lang=\"de_de\"><seg>Drucken</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>Cost</seg></tuv>\n"
      "<tuv xml:lang=\"pl-PL\"><seg>Koszt \xE2\x82\xA4 z\xC5\x82</seg></tuv>\n"  // ₤ has no place in 1250
      "<tuv xml:lang=\"ru-RU\"><seg>\xD0\xA6\xD0\xB5\xD0\xBD\xD0\xB0</seg></tuv></tu>\n"  // Цена
      "<tu><tuv xml:lang=\"en-US\"><seg>Long</seg></tuv>\n"
      "<tuv xml:lang=\"de-DE\"><seg>" + longText + "</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>" + longText + "</seg></tuv><tuv xml:lang=\"de-DE\"><seg>x</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>\xE2\x82\xAC\xE2\x82\xA4</seg></tuv><tuv xml:lang=\"de-DE\"><seg>x</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>.resourcestring.SOpen</seg></tuv><tuv xml:lang=\"de-DE\"><seg>x</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>Bold <bpt i=\"1\">&lt;b></bpt></seg></tuv><tuv xml:lang=\"de-DE\"><seg>x</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>Alone</seg></tuv></tu>\n"
      "<tu srclang=\"de-DE\"><tuv xml:lang=\"en-US\"><seg>Open</seg></tuv><tuv xml:lang=\"de-DE\"><seg>\xC3\x96"
      "ffnen</seg></tuv></tu>\n"
      "<tu><tuv xml:lang=\"en-US\"><seg>Print</seg></tuv><tuv xml:lang=\"fr-CA\"><seg>Imprimer</seg></tuv></tu>\n"
      "</body></tmx>\n";
  TTmxImport in = Import(*this, file);

  struct TReport {
    int line;
    const char* says;
  };
  const std::vector<TReport> expected = {
      {4, "\"xx-YY\" is not in the dictionary's language list"},
      {4, "\"haw-US\" is not in the dictionary's language list"},
      {7, "U+20A4 (\xE2\x82\xA4), which code page 1250 of pl-PL cannot hold"},
      {10, "translation \"LLLL"},
      {11, "source \"LLLL"},
      {12, "U+20A4 (\xE2\x82\xA4), which the system's code page 1252 cannot hold"},
      {13, "names a resource string"},
      {14, "no plain text"},
      {15, "no translation"},
  };
  ASSERT_EQ(in.reports.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(in.reports[i].line, expected[i].line) << in.reports[i].message;
    EXPECT_NE(in.reports[i].message.find(expected[i].says), std::string::npos) << in.reports[i].message;
  }
  EXPECT_EQ(in.unknownLanguage, 2);
  EXPECT_EQ(in.unmappable, 2);
  EXPECT_EQ(in.tooLong, 2);
  EXPECT_EQ(in.resourceStrings, 1);
  EXPECT_EQ(in.incomplete, 2);
  EXPECT_EQ(in.added, 4);
  EXPECT_EQ(in.known, 1);  // fr-CA's Imprimer is fr-FR's

  EXPECT_EQ(Known("Print", kFrance), std::vector<std::string>{"Imprimer"});
  EXPECT_EQ(Known("Print", kGermany), std::vector<std::string>{"Drucken"});
  EXPECT_EQ(Known("Cost", kRussia), std::vector<std::string>{"\xD6\xE5\xED\xE0"});
  EXPECT_EQ(Known("Cost", kPoland), std::vector<std::string>{});
  EXPECT_EQ(Known("Long", kGermany), std::vector<std::string>{});  // never stored cut
  EXPECT_EQ(Known("\326ffnen", 0x0409), std::vector<std::string>{"Open"});
  EXPECT_EQ(Count("TrnsHist WHERE LangId = " + std::to_string(kCanadaFrench)), 0);
  EXPECT_EQ(Count("StrIdx"), 3);
}

TEST_F(TmxTest, AFileThatIsNoTmxAddsNothing) {
  const std::string unit =
      "<tu><tuv xml:lang=\"en-US\"><seg>Print</seg></tuv><tuv xml:lang=\"de-DE\"><seg>Drucken</seg></tuv></tu>";
  EXPECT_EQ(Thrown<EXmlError>([&] { Import(*this, "<tmx version=\"1.4\"><body>" + unit); }).rfind("memory.tmx, line ", 0),
            0u);
  EXPECT_EQ(Thrown<EDictionaryError>([&] { Import(*this, "<xliff><body>" + unit + "</body></xliff>"); }),
            "memory.tmx is not a TMX file: its root element is <xliff>, not <tmx>.");
  EXPECT_EQ(Thrown<EDictionaryError>([&] { Import(*this, "<tmx version=\"1.4\">" + unit + "</tmx>"); }),
            "memory.tmx is not a TMX file: it has no <body>.");
  EXPECT_EQ(Count("TrnsHist"), 0);
}

}  // namespace
}  // namespace kst
