// The form reader: the grammar of form text as the tree keeps it.
#include "formmodel/form_reader.h"

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_parser.h"
#include "platform/file_utils.h"

namespace kst {

namespace {

class TFormTextReader {
public:
  TFormTextReader(std::string_view text, size_t bufferSize, int codePage) : parser_(text, bufferSize) {
    parser_.SetCodePage(codePage);
  }

  std::unique_ptr<TComponentHelper> Read() {
    auto root = std::make_unique<TComponentHelper>();
    ReadObject(*root);
    return root;
  }

private:
  void Enter() {
    if (++depth_ > kMaxFormNesting) parser_.Error(kSNestingTooDeep);
  }
  void Leave() { --depth_; }

  bool AtObjectEnd() const {
    return parser_.TokenSymbolIs("END") || parser_.TokenSymbolIs("OBJECT") || parser_.TokenSymbolIs("INHERITED") ||
           parser_.TokenSymbolIs("INLINE");
  }

  void ReadObject(TComponentHelper& node) {
    Enter();
    node.IsInherited = parser_.TokenSymbolIs("INHERITED");
    node.IsInline = parser_.TokenSymbolIs("INLINE");
    if (!node.IsInherited && !node.IsInline) parser_.CheckTokenSymbol("OBJECT");
    parser_.NextToken();
    parser_.CheckToken(toSymbol);
    std::string first = parser_.TokenString();
    if (parser_.NextToken() == ':') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      node.Name = first;
      node.ClassName = parser_.TokenString();
      parser_.NextToken();
    } else {
      node.ClassName = first;
    }
    if (parser_.Token() == '[') {
      parser_.NextToken();
      parser_.CheckToken(toInteger);
      node.Position = parser_.TokenInt();
      parser_.NextToken();
      parser_.CheckToken(']');
      parser_.NextToken();
    }
    while (!AtObjectEnd()) ReadProperty(node);
    // Forms hold many components with a handful of properties each; the
    // vector's spare room would otherwise be a large part of the tree.
    node.Properties.shrink_to_fit();
    while (!parser_.TokenSymbolIs("END")) ReadObject(*node.AddChild());
    node.Children.shrink_to_fit();
    parser_.NextToken();
    Leave();
  }

  void ReadProperty(TComponentHelper& node) {
    std::string name = parser_.ReadPropertyName();
    parser_.CheckToken('=');
    parser_.NextToken();
    TCHPropertyItem* item = node.FindOrAddProperty(name, ptUnknown, false);
    // A repeated name reads into the same item; its earlier elements and
    // items go, or a list would hold both occurrences one after the other.
    item->ListValues.clear();
    item->CollectionItems.clear();
    ReadValue(*item);
  }

  void ReadValue(TCHValue& value) {
    // A repeated property reads into the same item, perhaps with another type.
    value.WideKind = 0;
    value.WideOriginal.reset();
    switch (parser_.Token()) {
      case toString: {
        TParser::TStringValue text = parser_.ReadStringValue();
        value.SetValue(text.ansi, ptString);
        value.WideKind = text.kind;
        if (text.kind) value.WideOriginal = std::make_unique<std::u16string>(std::move(text.wide));
        return;
      }
      case toSymbol: value.SetValue(parser_.TokenComponentIdent(), ptSymbol); break;
      case toInteger: value.SetValue(parser_.TokenString(), ptInteger); break;
      case toFloat: value.SetValue(parser_.TokenString(), ptFloat); break;
      case '[': {
        std::string text = "[";
        if (parser_.NextToken() != ']') {
          for (bool first = true;; first = false) {
            parser_.CheckToken(toSymbol);
            if (!first) text += ',';
            text += parser_.TokenString();
            if (parser_.NextToken() == ']') break;
            parser_.CheckToken(',');
            parser_.NextToken();
          }
        }
        text += ']';
        value.SetValue(text, ptSet);
        break;
      }
      case '{': {
        static const char kHex[] = "0123456789ABCDEF";
        std::string bytes;
        parser_.HexToBinary(bytes);
        std::string text;
        text.reserve(bytes.size() * 2);
        for (char c : bytes) {
          text += kHex[static_cast<uint8_t>(c) >> 4];
          text += kHex[static_cast<uint8_t>(c) & 15];
        }
        value.SetValue(text, ptBinary);
        break;
      }
      case '<':
        Enter();
        value.SetValue("", ptCollection);
        parser_.NextToken();
        while (parser_.Token() != '>') {
          parser_.CheckTokenSymbol("item");
          parser_.NextToken();
          int32_t index = -1;
          if (parser_.Token() == '[') {
            parser_.NextToken();
            parser_.CheckToken(toInteger);
            index = parser_.TokenInt();
            parser_.NextToken();
            parser_.CheckToken(']');
            parser_.NextToken();
          }
          TComponentHelper* item = value.AddCollectionItem();
          item->Index = index;
          while (!parser_.TokenSymbolIs("end")) ReadProperty(*item);
          parser_.NextToken();
        }
        Leave();
        break;
      case '(':
        Enter();
        value.SetValue("", ptList);
        parser_.NextToken();
        while (parser_.Token() != ')') ReadValue(*value.AddListValue());
        Leave();
        break;
      default: parser_.Error(kSInvalidProperty);
    }
    parser_.NextToken();
  }

  TParser parser_;
  int depth_ = 0;
};

}  // namespace

std::unique_ptr<TComponentHelper> ReadFormText(std::string_view text, size_t bufferSize, int codePage) {
  return TFormTextReader(text, bufferSize, codePage).Read();
}

std::unique_ptr<TComponentHelper> ReadFormResource(std::string_view resource) {
  return ReadFormText(ResourceToText(resource));
}

std::unique_ptr<TComponentHelper> ReadFormFile(std::string_view bytes, int codePage) {
  return ReadFormText(FormFileToText(bytes, codePage), kParseBufSize, codePage);
}

std::unique_ptr<TComponentHelper> ReadForm(TModuleHelper& module, const TFormEnvironment& environment) {
  std::string fileName = environment.ExpandFileName(module.FileName);
  TStatusScope hint(environment.hint, TShow::Hint, FormatText(kSReadingForm, fileName));
  module.FileDate = FileTimeStamp(fileName);
  const std::string bytes = ReadFileBytes(fileName);
  // A project has dozens of forms: an error names the one it came from, as
  // the project names it when the form lies in or below its directory.
  std::string shown = fileName;
  const std::string& base = environment.baseDirectory;
  if (!base.empty() && shown.size() > base.size() && shown.compare(0, base.size(), base) == 0 &&
      shown[base.size()] == '/')
    shown.erase(0, base.size() + 1);
  try {
    // Converted in memory: a temporary file beside the form would destroy
    // a user's file of that name and fail in read-only directories.
    return ReadFormFile(bytes, environment.codePage);
  } catch (const EParserError& e) {
    throw EParserError(e, shown);
  } catch (const EReadError& e) {
    throw EReadError(shown + ": " + e.what());
  }
}

}  // namespace kst
