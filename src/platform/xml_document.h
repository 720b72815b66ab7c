// XML through libxml2, for the exchange formats of other translation tools
// (XLIFF, TMX): a writer that builds a UTF-8 document in memory, and a parsed
// document with a few read helpers. Every text here is UTF-8; converting from
// and to the languages' code pages is the caller's business.
#pragma once

#include <libxml/tree.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

// A document that cannot be read or a text that XML cannot carry; the
// message is for a person (file name and line where known).
class EXmlError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Builds one document, indented, with the XML declaration (UTF-8). Texts and
// attribute values are escaped by libxml2, CR included, so they read back
// byte for byte. A text holding a control character that XML 1.0 cannot
// carry (anything below 0x20 but tab, CR and LF) or invalid UTF-8 raises
// EXmlError and writes nothing of it.
class TXmlWriter {
public:
  TXmlWriter();
  ~TXmlWriter();
  TXmlWriter(const TXmlWriter&) = delete;
  TXmlWriter& operator=(const TXmlWriter&) = delete;

  // Only for the root element: a DOCTYPE before it (public and system ids).
  void DocType(const char* name, const char* publicId, const char* systemId);
  void Start(const char* name);
  void Attribute(const char* name, std::string_view value);
  void Text(std::string_view text);
  void Comment(std::string_view text);
  void End();
  // Start, Text, End.
  void Element(const char* name, std::string_view text);
  // Closes what is open and returns the document's bytes.
  std::string Finish();

private:
  struct TImpl;
  TImpl* impl_;
};

// Raises EXmlError when `text` cannot stand in an XML 1.0 document as it is.
void CheckXmlText(std::string_view text);

// A parsed document. The parser neither fetches anything from the network
// nor loads external DTDs or entities, and expands no entity it was not
// given, so a hostile file can neither reach out nor blow up memory.
class TXmlDocument {
public:
  // Raises EXmlError "<fileName>, line N: <what libxml2 says>" for a
  // document that is not well-formed.
  TXmlDocument(std::string_view bytes, const std::string& fileName);
  ~TXmlDocument();
  TXmlDocument(const TXmlDocument&) = delete;
  TXmlDocument& operator=(const TXmlDocument&) = delete;

  const xmlNode* Root() const;
  const std::string& FileName() const { return fileName_; }

private:
  xmlDoc* doc_ = nullptr;
  std::string fileName_;
};

// The element's local name (without a prefix).
std::string_view XmlName(const xmlNode* node);
// The element children, in document order; with a name, only those.
std::vector<const xmlNode*> XmlChildren(const xmlNode* node, std::string_view name = {});
// The first element child of that name, or nullptr.
const xmlNode* XmlChild(const xmlNode* node, std::string_view name);
// The attribute's value; `present` (when given) tells an empty value from
// a missing one. A namespaced attribute is found by its local name too
// (xml:lang by "lang").
std::string XmlAttribute(const xmlNode* node, const char* name, bool* present = nullptr);
// All text below the node, CDATA included, in document order.
std::string XmlText(const xmlNode* node);
// The line the node starts on (0 when unknown).
int XmlLine(const xmlNode* node);

}  // namespace kst
