#include "platform/xml_document.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(XmlDocument, TextsAndAttributesComeBackByteForByte) {
  const std::string text = "a < b & \"c\" 'd'\r\nline\tend ]]> \xc3\xa4";
  TXmlWriter w;
  w.Start("root");
  w.Attribute("key", text);
  w.Element("item", text);
  w.Comment("two -- dashes-");
  w.End();
  std::string bytes = w.Finish();
  TXmlDocument doc(bytes, "t.xml");
  EXPECT_EQ(XmlAttribute(doc.Root(), "key"), text);
  EXPECT_EQ(XmlText(XmlChild(doc.Root(), "item")), text);
  bool present = true;
  EXPECT_EQ(XmlAttribute(doc.Root(), "missing", &present), "");
  EXPECT_FALSE(present);
}

TEST(XmlDocument, RefusesWhatXmlCannotCarryAndNamesTheLineOfABrokenFile) {
  TXmlWriter w;
  w.Start("root");
  EXPECT_THROW(w.Text("bell\x07"), EXmlError);
  EXPECT_THROW(w.Text("\xff\xfe"), EXmlError);
  try {
    TXmlDocument doc("<a>\n<b></a>", "broken.xlf");
    FAIL();
  } catch (const EXmlError& e) {
    EXPECT_NE(std::string(e.what()).find("broken.xlf, line 2"), std::string::npos) << e.what();
  }
}

TEST(XmlDocument, ExpandsNoEntityAndFetchesNothing) {
  const char* laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">"
      "<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r><t>&b;</t><u>&x;</u></r>";
  TXmlDocument doc(laughs, "e.xml");
  // Internal entities are the document's own text; an external one is never
  // loaded.
  EXPECT_EQ(XmlText(XmlChild(doc.Root(), "u")).find("root:"), std::string::npos);
}

}  // namespace
}  // namespace kst
