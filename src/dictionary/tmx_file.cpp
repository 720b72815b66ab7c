// TMX 1.4b export and import of the dictionary (see tmx_file.h).
#include "dictionary/tmx_file.h"

#include <cctype>
#include <cstdio>
#include <set>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "config/version.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/translation_history.h"
#include "platform/language_tag.h"
#include "platform/same_text.h"
#include "platform/xml_document.h"

namespace kst {

namespace {

std::string VersionString() {
  std::string minor = std::to_string(kVersionMinor);
  if (minor.size() < 2) minor.insert(0, "0");
  return std::to_string(kVersionMajor) + "." + minor + "." + std::to_string(kVersionRelease) + "." +
         std::to_string(kVersionBuild);
}

bool IsResourceStringName(std::string_view source) {
  const std::string_view prefix = kResourceStringPrefix;
  // The dictionary finds sources without regard to case, so ".resourcestring."
  // would land on the same entries.
  return source.size() >= prefix.size() && SameText(source.substr(0, prefix.size()), prefix);
}

// The first characters of a UTF-8 text, cut between characters, for
// messages; control characters as "#7", so that a terminal shows them.
std::string Shown(std::string_view utf8) {
  constexpr size_t kMax = 40;
  size_t cut = utf8.size();
  if (cut > kMax) {
    cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
  }
  std::string shown = "\"";
  for (char c : utf8.substr(0, cut))
    shown += static_cast<unsigned char>(c) < 0x20 ? "#" + std::to_string(static_cast<unsigned char>(c)) : std::string(1, c);
  return shown + (cut < utf8.size() ? "...\"" : "\"");
}

// The first character of the text that the code page cannot hold, as
// "U+20AC (€)".
std::string FirstUnmappable(std::string_view utf8, int codePage) {
  std::u16string text = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < text.size(); ++i) {
    size_t n = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00) ? 2 : 1;
    std::u16string_view one(text.data() + i, n);
    bool lossless = true;
    Utf8ToCodePage(Utf16ToUtf8(one), codePage, lossless);
    if (!lossless) {
      char32_t cp = n == 2 ? 0x10000 + ((one[0] - 0xD800) << 10) + (one[1] - 0xDC00) : one[0];
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
      return std::string(hex) + " (" + Utf16ToUtf8(one) + ")";
    }
    i += n - 1;
  }
  return "a character";
}

std::string Hex(int languageId) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(languageId) & 0xFFFFu);
  return hex;
}

std::string CodePageName(int languageId, int codePage) {
  return "code page " + std::to_string(codePage) + " of " + LanguageTag(languageId);
}

}  // namespace

TTmxExport ExportTmx(TdatCommon& common, int languageId, const TSystemCodePages& system) {
  const std::string sourceTag = LanguageTag(system.locale);
  if (sourceTag.empty())
    throw EDictionaryError("The system locale " + Hex(system.locale) + " has no language tag.");
  TTmxExport result;
  TXmlWriter xml;
  xml.DocType("tmx", nullptr, "tmx14.dtd");
  xml.Start("tmx");
  xml.Attribute("version", "1.4");
  xml.Start("header");
  xml.Attribute("creationtool", "Kestrin Translator");
  xml.Attribute("creationtoolversion", VersionString());
  xml.Attribute("datatype", "plaintext");
  xml.Attribute("segtype", "sentence");
  xml.Attribute("adminlang", "en-US");
  xml.Attribute("srclang", sourceTag);
  xml.Attribute("o-tmf", "Kestrin Translator dictionary");
  xml.End();
  xml.Start("body");

  TDatabase& db = common.Database();
  const TSqlDialect sql = db.Dialect();
  TStatement q = db.Prepare("SELECT s.SourceString, t.LangId, t.Translation FROM StrIdx s JOIN TrnsHist t ON " +
                            sql.NoCase("t.SourceStrID") + " = " + sql.NoCase("s.StrID") +
                            " WHERE (t.LangId & 1023) = ?1 ORDER BY " + sql.NoCase("s.SourceString") +
                            ", s.rowid, t.LangId, t.Translation");
  q.Bind(1, PrimaryLanguage(languageId));
  while (q.Step()) {
    const std::string stored = q.Text(0);
    const int lang = static_cast<int>(q.Int(1));
    const std::string source = DecodeQuotedHex(stored, &common.Interaction());
    if (IsResourceStringName(source)) {
      ++result.resourceStrings;
      continue;
    }
    const std::string sourceText = CodePageToUtf8(source, system.ansi);
    const std::string translation =
        CodePageToUtf8(DecodeQuotedHex(q.Text(2), &common.Interaction()), LanguageAnsiCodePage(lang, system));
    const std::string tag = LanguageTag(lang);
    if (tag.empty()) {
      result.skipped.push_back({0, "The translation " + Shown(translation) + " of " + Shown(sourceText) +
                                       " is in language " + Hex(lang) +
                                       ", which has no language tag; left out."});
      continue;
    }
    // Checked before the unit starts, since the writer cannot take back a
    // half-written <tu>.
    try {
      CheckXmlText(sourceText);
      CheckXmlText(translation);
    } catch (const EXmlError& e) {
      result.skipped.push_back(
          {0, "The translation " + Shown(translation) + " of " + Shown(sourceText) + ": " + e.what() + " Left out."});
      continue;
    }
    xml.Start("tu");
    xml.Start("tuv");
    xml.Attribute("xml:lang", sourceTag);
    xml.Element("seg", sourceText);
    xml.End();
    xml.Start("tuv");
    xml.Attribute("xml:lang", tag);
    xml.Element("seg", translation);
    xml.End();
    xml.End();
    ++result.units;
  }
  result.document = xml.Finish();
  return result;
}

namespace {

std::string NormalTag(std::string tag) {
  for (char& c : tag) c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tag;
}

struct TSegment {
  bool ok = false;
  std::string text;  // UTF-8
};

// The segment's text, when the <tuv> has a plain one: inline codes (<bpt>,
// <ph>, <hi>, ...) stand for the native format's markup, which a dictionary
// text cannot carry.
TSegment PlainSegment(const xmlNode* tuv) {
  const xmlNode* seg = XmlChild(tuv, "seg");
  if (!seg || !XmlChildren(seg).empty()) return {};
  return {true, XmlText(seg)};
}

class TImporter {
public:
  TImporter(TdatCommon& common, TdatTranslationHistory& history, const TSystemCodePages& system)
      : db_(common.Database()), history_(history), system_(system) {
    TStatement q = db_.Prepare("SELECT LangId FROM LangList");
    while (q.Step()) languages_.insert(static_cast<int>(q.Int(0)));
  }

  void Unit(const xmlNode* tu, const std::string& headerSource) {
    const int line = XmlLine(tu);
    std::vector<const xmlNode*> tuvs = XmlChildren(tu, "tuv");
    bool present = false;
    std::string srclang = XmlAttribute(tu, "srclang", &present);
    if (!present) srclang = headerSource;
    size_t sourceIndex = 0;
    for (size_t i = 0; i < tuvs.size(); ++i)
      if (NormalTag(XmlAttribute(tuvs[i], "lang")) == NormalTag(srclang)) {
        sourceIndex = i;
        break;
      }
    const int pairs = tuvs.empty() ? 1 : static_cast<int>(tuvs.size()) - 1;
    if (tuvs.size() < 2) return Skip(result.incomplete, 1, line, "The unit has no translation; skipped.");
    TSegment source = PlainSegment(tuvs[sourceIndex]);
    if (!source.ok || source.text.empty())
      return Skip(result.incomplete, pairs, line,
                  "The unit's source has no plain text (empty, missing, or with inline markup); skipped.");
    if (IsResourceStringName(source.text))
      return Skip(result.resourceStrings, pairs, line,
                  "The source " + Shown(source.text) +
                      " names a resource string, which a translation memory does not carry; skipped.");
    bool lossless = true;
    const std::string ansiSource = Utf8ToCodePage(source.text, system_.ansi, lossless);
    if (!lossless)
      return Skip(result.unmappable, pairs, line,
                  "The source " + Shown(source.text) + " holds " + FirstUnmappable(source.text, system_.ansi) +
                      ", which the system's code page " + std::to_string(system_.ansi) + " cannot hold; skipped.");
    if (const size_t stored = EncodeQuotedHex(ansiSource).size(); stored > kMaxStoredText)
      return Skip(result.tooLong, pairs, line, TooLong("source", source.text, stored));

    for (size_t i = 0; i < tuvs.size(); ++i)
      if (i != sourceIndex) Translation(tuvs[i], source.text, ansiSource);
  }

  TTmxImport result;

private:
  void Skip(int& counter, int pairs, int line, std::string message) {
    counter += pairs;
    result.reports.push_back({line, std::move(message)});
  }

  static std::string TooLong(const char* what, const std::string& text, size_t stored) {
    return std::string("The ") + what + " " + Shown(text) + " is too long for the dictionary: its stored form has " +
           std::to_string(stored) + " characters, at most " + std::to_string(kMaxStoredText) + " fit; skipped.";
  }

  void Translation(const xmlNode* tuv, const std::string& sourceUtf8, const std::string& ansiSource) {
    const int line = XmlLine(tuv);
    const std::string tag = XmlAttribute(tuv, "lang");
    const int lang = LanguageIdFromTag(tag);
    if (lang == 0 || !languages_.count(lang))
      return Skip(result.unknownLanguage, 1, line,
                  "The language \"" + tag + "\" is not in the dictionary's language list; the translation of " +
                      Shown(sourceUtf8) + " is skipped.");
    TSegment segment = PlainSegment(tuv);
    if (!segment.ok)
      return Skip(result.incomplete, 1, line,
                  "The translation of " + Shown(sourceUtf8) + " has no plain text (missing, or with inline markup); skipped.");
    const int page = LanguageAnsiCodePage(lang, system_);
    bool lossless = true;
    const std::string ansi = Utf8ToCodePage(segment.text, page, lossless);
    if (!lossless)
      return Skip(result.unmappable, 1, line,
                  "The translation " + Shown(segment.text) + " holds " + FirstUnmappable(segment.text, page) + ", which " +
                      CodePageName(lang, page) + " cannot hold; skipped.");
    if (const size_t stored = EncodeQuotedHex(ansi).size(); stored > kMaxStoredText)
      return Skip(result.tooLong, 1, line, TooLong("translation", segment.text, stored));
    // The add says nothing about whether it stored a row; the connection's
    // change count does (a known translation changes nothing).
    const long long before = db_.TotalChanges();
    try {
      history_.AddTranslation(ansiSource, ansi, lang);
    } catch (const ETextTooLong&) {
      return Skip(result.tooLong, 1, line, TooLong("translation", segment.text, EncodeQuotedHex(ansi).size()));
    }
    ++(db_.TotalChanges() != before ? result.added : result.known);
  }

  TDatabase& db_;
  TdatTranslationHistory& history_;
  TSystemCodePages system_;
  std::set<int> languages_;
};

}  // namespace

TTmxImport ImportTmx(TdatCommon& common, TdatTranslationHistory& history, std::string_view bytes,
                     const std::string& fileName, const TSystemCodePages& system) {
  TXmlDocument document(bytes, fileName);
  const xmlNode* root = document.Root();
  if (!root || XmlName(root) != "tmx")
    throw EDictionaryError(fileName + " is not a TMX file: its root element is <" +
                           (root ? std::string(XmlName(root)) : std::string()) + ">, not <tmx>.");
  const xmlNode* body = XmlChild(root, "body");
  if (!body) throw EDictionaryError(fileName + " is not a TMX file: it has no <body>.");
  const xmlNode* header = XmlChild(root, "header");
  const std::string headerSource = header ? XmlAttribute(header, "srclang") : std::string();

  TImporter importer(common, history, system);
  TWriteTransaction transaction(common.Database());
  for (const xmlNode* tu : XmlChildren(body, "tu")) importer.Unit(tu, headerSource);
  transaction.Commit();
  return std::move(importer.result);
}

}  // namespace kst
