// libxml2 behind the small interface the exchange formats need.
#include "platform/xml_document.h"

#include <libxml/parser.h>
#include <libxml/xmlwriter.h>

#include <cstring>

namespace kst {

namespace {

void Check(int rc, const char* what) {
  if (rc < 0) throw EXmlError(std::string("The XML document could not be written (") + what + ").");
}

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

// The first byte that makes the text unfit for XML 1.0, or npos.
size_t FindUnfit(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return i;
  }
  if (xmlCheckUTF8(X(std::string(text).c_str())) == 0) return 0;
  return std::string_view::npos;
}

}  // namespace

void CheckXmlText(std::string_view text) {
  size_t bad = FindUnfit(text);
  if (bad == std::string_view::npos) return;
  unsigned char c = static_cast<unsigned char>(text[bad]);
  if (c < 0x20)
    throw EXmlError("The text holds the control character #" + std::to_string(c) + ", which XML cannot carry.");
  throw EXmlError("The text is not valid UTF-8.");
}

struct TXmlWriter::TImpl {
  xmlBufferPtr buffer = nullptr;
  xmlTextWriterPtr writer = nullptr;
  bool finished = false;
};

TXmlWriter::TXmlWriter() : impl_(new TImpl) {
  impl_->buffer = xmlBufferCreate();
  impl_->writer = impl_->buffer ? xmlNewTextWriterMemory(impl_->buffer, 0) : nullptr;
  if (!impl_->writer) {
    if (impl_->buffer) xmlBufferFree(impl_->buffer);
    delete impl_;
    throw EXmlError("The XML writer could not be created.");
  }
  xmlTextWriterSetIndent(impl_->writer, 1);
  xmlTextWriterSetIndentString(impl_->writer, X("  "));
  Check(xmlTextWriterStartDocument(impl_->writer, "1.0", "UTF-8", nullptr), "declaration");
}

TXmlWriter::~TXmlWriter() {
  xmlFreeTextWriter(impl_->writer);
  xmlBufferFree(impl_->buffer);
  delete impl_;
}

void TXmlWriter::DocType(const char* name, const char* publicId, const char* systemId) {
  Check(xmlTextWriterWriteDTD(impl_->writer, X(name), X(publicId), X(systemId), nullptr), name);
}

void TXmlWriter::Start(const char* name) { Check(xmlTextWriterStartElement(impl_->writer, X(name)), name); }

void TXmlWriter::Attribute(const char* name, std::string_view value) {
  CheckXmlText(value);
  std::string v(value);
  Check(xmlTextWriterWriteAttribute(impl_->writer, X(name), X(v.c_str())), name);
}

void TXmlWriter::Text(std::string_view text) {
  CheckXmlText(text);
  std::string v(text);
  Check(xmlTextWriterWriteString(impl_->writer, X(v.c_str())), "text");
}

void TXmlWriter::Comment(std::string_view text) {
  CheckXmlText(text);
  // "--" may not stand inside a comment.
  std::string v(text);
  for (size_t p = v.find("--"); p != std::string::npos; p = v.find("--", p)) v.replace(p, 2, "- -");
  if (!v.empty() && v.back() == '-') v += ' ';
  Check(xmlTextWriterWriteComment(impl_->writer, X(v.c_str())), "comment");
}

void TXmlWriter::End() { Check(xmlTextWriterEndElement(impl_->writer), "end"); }

void TXmlWriter::Element(const char* name, std::string_view text) {
  Start(name);
  Text(text);
  End();
}

std::string TXmlWriter::Finish() {
  if (!impl_->finished) {
    Check(xmlTextWriterEndDocument(impl_->writer), "end of document");
    xmlTextWriterFlush(impl_->writer);
    impl_->finished = true;
  }
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(impl_->buffer)),
                     static_cast<size_t>(xmlBufferLength(impl_->buffer)));
}

TXmlDocument::TXmlDocument(std::string_view bytes, const std::string& fileName) : fileName_(fileName) {
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) throw EXmlError(fileName + ": the XML parser could not be created.");
  // No XML_PARSE_NOENT (entities stay unexpanded), no DTD loading, no
  // network; huge documents stay within libxml2's default limits.
  int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  doc_ = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), fileName.c_str(), nullptr, options);
  if (!doc_ || !xmlDocGetRootElement(doc_)) {
    std::string message = fileName;
    const xmlError* error = xmlCtxtGetLastError(ctxt);
    if (error && error->message) {
      std::string what = error->message;
      while (!what.empty() && (what.back() == '\n' || what.back() == ' ')) what.pop_back();
      message += ", line " + std::to_string(error->line) + ": " + what;
    } else {
      message += ": the file holds no XML document";
    }
    if (doc_) xmlFreeDoc(doc_);
    xmlFreeParserCtxt(ctxt);
    throw EXmlError(message + ".");
  }
  xmlFreeParserCtxt(ctxt);
}

TXmlDocument::~TXmlDocument() { xmlFreeDoc(doc_); }

const xmlNode* TXmlDocument::Root() const { return xmlDocGetRootElement(doc_); }

std::string_view XmlName(const xmlNode* node) {
  return node && node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : std::string_view();
}

std::vector<const xmlNode*> XmlChildren(const xmlNode* node, std::string_view name) {
  std::vector<const xmlNode*> out;
  for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && (name.empty() || XmlName(c) == name)) out.push_back(c);
  return out;
}

const xmlNode* XmlChild(const xmlNode* node, std::string_view name) {
  for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && XmlName(c) == name) return c;
  return nullptr;
}

std::string XmlAttribute(const xmlNode* node, const char* name, bool* present) {
  if (present) *present = false;
  for (const xmlAttr* a = node ? node->properties : nullptr; a; a = a->next) {
    if (std::strcmp(reinterpret_cast<const char*>(a->name), name) != 0) continue;
    if (present) *present = true;
    xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
    std::string out = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return out;
  }
  return {};
}

std::string XmlText(const xmlNode* node) {
  if (!node) return {};
  xmlChar* content = xmlNodeGetContent(node);
  std::string out = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return out;
}

int XmlLine(const xmlNode* node) { return node ? static_cast<int>(xmlGetLineNo(node)) : 0; }

}  // namespace kst
