// XLIFF 1.2 through the platform's XML writer and parsed document.
#include "exchange/xliff_file.h"

#include <memory>

#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "platform/xml_document.h"

namespace kst {

namespace {

constexpr const char* kNamespace = "urn:oasis:names:tc:xliff:document:1.2";
constexpr const char* kToolId = "kestrin-translator";

const char* Category(TExchangeSection section) {
  switch (section) {
    case TExchangeSection::ResourceStrings: return "resource-strings";
    case TExchangeSection::VersionInfo: return "version-info";
    default: return "form";
  }
}

std::string ItemName(const TExchangeGroup& group, const TExchangeItem& item) {
  TExchangeEntry e;
  e.section = group.section;
  e.form = group.name;
  e.key = item.key;
  return ExchangeEntryName(e);
}

// Units may sit in nested <group>s, which other tools add. Each level is a
// C++ frame; 64 is far beyond any real file and keeps a hostile one from
// exhausting the stack.
constexpr int kMaxGroupDepth = 64;

template <class Visit>
void ForEachUnit(const xmlNode* node, const std::string& fileName, int depth, Visit&& visit) {
  if (depth > kMaxGroupDepth)
    throw EExchangeError(fileName + ", line " + std::to_string(XmlLine(node)) + ": groups nested too deeply.");
  for (const xmlNode* child : XmlChildren(node)) {
    if (XmlName(child) == "trans-unit") visit(child);
    else if (XmlName(child) == "group") ForEachUnit(child, fileName, depth + 1, visit);
  }
}

// Where a tool dropped the category: what the file the texts came from says.
TExchangeSection SectionOfFileName(const std::string& original) {
  std::string ext = ExtractFileExt(original);
  if (SameText(ext, ".drc")) return TExchangeSection::ResourceStrings;
  for (const char* project : {".dpr", ".exe", ".dll", ".dpl", ".bpl"})
    if (SameText(ext, project)) return TExchangeSection::VersionInfo;
  return TExchangeSection::Form;
}

// A language ICU has no tag for is written as BCP-47's "undetermined".
std::string TagOrUndetermined(int languageId) {
  std::string tag = LanguageTag(languageId);
  return tag.empty() ? "und" : tag;
}

bool SaysTranslated(const std::string& state) {
  return state == "translated" || state == "signed-off" || state == "final";
}

}  // namespace

std::string BuildXliffFile(TProjectData& project, const TExchangeLanguages& languages, int typeFilter,
                           const TExchangeHighlight& highlighted) {
  const int from = languages.originalCodePage, to = languages.translationCodePage;
  TXmlWriter w;
  w.Start("xliff");
  w.Attribute("version", "1.2");
  w.Attribute("xmlns", kNamespace);
  for (const TExchangeGroup& group : CollectExchangeGroups(project, typeFilter, highlighted)) {
    w.Start("file");
    w.Attribute("original", CodePageToUtf8(group.file, from));
    w.Attribute("source-language", TagOrUndetermined(languages.source));
    w.Attribute("target-language", TagOrUndetermined(languages.target));
    w.Attribute("datatype", "plaintext");
    w.Attribute("category", Category(group.section));
    w.Attribute("tool-id", kToolId);
    w.Start("header");
    w.Start("tool");
    w.Attribute("tool-id", kToolId);
    w.Attribute("tool-name", ExchangeToolName());
    w.End();
    w.End();
    w.Start("body");
    for (const TExchangeItem& item : group.items) {
      try {
        std::string key = CodePageToUtf8(item.key, from);
        w.Start("trans-unit");
        w.Attribute("id", key);
        w.Attribute("resname", key);
        w.Attribute("xml:space", "preserve");
        w.Element("source", item.wideOriginal ? Utf16ToUtf8(*item.wideOriginal) : CodePageToUtf8(*item.original, from));
        w.Start("target");
        w.Attribute("state", item.translated ? "translated" : "new");
        w.Text(item.translated ? CodePageToUtf8(*item.translation, to) : std::string());
        w.End();
        w.Element("note", ExchangeItemComment(item));
        w.End();
      } catch (const EXmlError& e) {
        throw EExchangeError(ItemName(group, item) + ": " + e.what() + " The file was not written.");
      }
    }
    w.End();
    w.End();
  }
  return w.Finish();
}

TExchangeContent ParseXliffFile(std::string_view bytes, const std::string& fileName,
                                const TExchangeLanguages& languages) {
  const std::string shown = ExtractFileName(fileName);
  std::unique_ptr<TXmlDocument> doc;
  try {
    doc = std::make_unique<TXmlDocument>(bytes, shown);
  } catch (const EXmlError& e) {
    throw EExchangeError(e.what());
  }
  const xmlNode* root = doc->Root();
  if (XmlName(root) != "xliff")
    throw EExchangeError(shown + " is not an XLIFF file: its root element is <" + std::string(XmlName(root)) + ">.");
  std::string version = XmlAttribute(root, "version");
  if (!version.starts_with("1."))
    throw EExchangeError(shown + " is XLIFF " + version + "; only XLIFF 1.2 (and 1.0, 1.1) files are read.");

  const int from = languages.originalCodePage, to = languages.translationCodePage;
  TExchangeContent content;
  for (const xmlNode* file : XmlChildren(root, "file")) {
    if (content.targetLanguage.empty()) content.targetLanguage = XmlAttribute(file, "target-language");
    std::string original = Utf8ToCodePage(XmlAttribute(file, "original"), from);
    std::string category = XmlAttribute(file, "category");
    TExchangeSection section = TExchangeSection::Form;
    if (category == "resource-strings") section = TExchangeSection::ResourceStrings;
    else if (category == "version-info") section = TExchangeSection::VersionInfo;
    else if (category.empty()) section = SectionOfFileName(original);
    ForEachUnit(XmlChild(file, "body"), shown, 0, [&](const xmlNode* unit) {
      const xmlNode* target = XmlChild(unit, "target");
      if (!target) return;
      std::string text = XmlText(target);
      if (text.empty() && !SaysTranslated(XmlAttribute(target, "state"))) return;
      bool named = false;
      std::string key = XmlAttribute(unit, "resname", &named);
      if (!named) key = XmlAttribute(unit, "id");
      TExchangeEntry entry;
      entry.section = section;
      if (section == TExchangeSection::Form) entry.form = ExtractFileName(ToInternalPath(original));
      entry.key = Utf8ToCodePage(key, from);
      if (const xmlNode* source = XmlChild(unit, "source")) entry.original = Utf8ToCodePage(XmlText(source), from);
      TakeTranslation(entry, text, to, fileName);
      content.entries.push_back(std::move(entry));
    });
  }
  return content;
}

}  // namespace kst
