// The form text writer: Emit pads a line to the indentation before its first
// text, NewLine ends it and sets the indentation of the next.
#include "formmodel/form_writer.h"

#include <type_traits>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/value_check.h"
#include "formmodel/form_parser.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"

namespace kst {

namespace {

class TFormTextWriter {
public:
  TFormTextWriter(const TComponentHelper& root, bool useTranslated, int codePage)
      : root_(root), useTranslated_(useTranslated), codePage_(codePage) {}

  std::string Take() { return std::move(out_); }

  void WriteObject(const TComponentHelper& node) {
    int indent = indent_;
    Emit(node.IsInherited ? "inherited " : node.IsInline ? "inline " : "object ");
    if (!node.Name.empty()) {
      Emit(node.Name);
      Emit(": ");
    }
    Emit(node.ClassName);
    if (node.Position != -1) Emit(" [" + std::to_string(node.Position) + "]");
    NewLine(indent_ + 2);
    for (const auto& item : node.Properties) WriteProperty(*item);
    for (const auto& child : node.Children) WriteObject(*child);
    indent_ = indent;
    Emit("END");
    NewLine(indent_);
  }

private:
  void Emit(std::string_view text) {
    while (column_ < indent_) {
      out_ += ' ';
      ++column_;
    }
    out_ += text;
    column_ += static_cast<int>(text.size());
  }
  void NewLine(int indent) {
    Emit("\r\n");
    indent_ = indent;
    column_ = 0;
  }

  static bool Skipped(const TCHValue& value) { return value.UserDefined && !value.IsTranslated(); }

  void WriteProperty(const TCHPropertyItem& item) {
    if (Skipped(item)) return;
    if (!item.Name.empty()) {
      Emit(item.Name);
      Emit(" = ");
    }
    WriteValue(item);
    NewLine(indent_);
  }

  // A string as pieces of at most 64 characters of text, each on a line of
  // its own joined by " + ": quoted runs of the characters `quoted(i)`
  // allows, "#" codes (with `mark` before the number) for the others.
  template <typename Char, typename Quoted>
  void WriteRuns(std::basic_string_view<Char> t, Quoted quoted, const char* mark) {
    int indent = indent_;
    if (static_cast<int>(t.size()) + column_ > 64) NewLine(indent_ + 2);
    size_t at = 0;
    do {
      std::string piece;
      bool inside = false;
      while (at < t.size() && piece.size() < 64) {
        bool q = quoted(at);
        if (inside != q) {
          piece += '\'';
          inside = q;
        }
        if (inside) piece += static_cast<char>(t[at]);
        else piece += "#" + (mark + std::to_string(static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(t[at]))));
        ++at;
      }
      if (inside) piece += '\'';
      if (piece.empty()) piece = "''";
      Emit(piece);
      if (at < t.size()) {
        Emit(" + ");
        NewLine(indent_);
      }
    } while (at < t.size());
    indent_ = indent;
  }

  void WriteString(std::string_view t) {
    WriteRuns(t, [t](size_t i) { return static_cast<unsigned char>(t[i]) >= 32 && t[i] != '\''; }, "");
  }

  // A wide or UTF-8 string, each code marked with its type's zeros and the
  // first character a code when no other is (see form_conversion.h).
  void WriteWideString(std::u16string_view t, uint8_t kind) {
    auto printable = [](char16_t c) { return c >= 32 && c <= 126 && c != '\''; };
    bool anyCode = false;
    for (char16_t c : t) anyCode = anyCode || !printable(c);
    WriteRuns(t, [&](size_t i) { return printable(t[i]) && (anyCode || i > 0); }, kind == kWideString ? "0" : "00");
  }

  // The characters a wide string is written with: its original ones while it
  // is untranslated, else the translation read in the language's code page
  // (never with "?" where the original has a character that page lacks).
  std::u16string WideText(const TCHValue& value) {
    if (!useTranslated_ || !value.IsTranslated()) return *value.WideOriginal;
    if (char16_t lost = WideTranslationLoss(*value.WideOriginal, value.TranslatedValue, codePage_))
      throw EFormModelError(WideCharRefusedMessage(PathOf(value), lost, codePage_));
    return CodePageToUtf16(value.TranslatedValue, codePage_);
  }

  std::string PathOf(const TCHValue& value) const {
    std::string key = "a value";
    const_cast<TComponentHelper&>(root_).ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
      if (&v == &value) key = path;
    });
    return key;
  }

  void WriteBinary(std::string_view t) {
    int indent = indent_;
    if (static_cast<int>(t.size()) + column_ > 64) NewLine(indent_ + 2);
    Emit("{");
    size_t at = 0;
    do {
      Emit(t.substr(at, 64));
      at += 64;
      if (at < t.size()) NewLine(indent_);
    } while (at < t.size());
    Emit("}");
    indent_ = indent;
  }

  // Numbers, identifiers, sets and binary data go into the text as they
  // stand, so a text that is not one value of its type would change the
  // form around it. An original was read from a form and reads back as it
  // did; the path is looked for only when a translation does not.
  void Check(const TCHValue& value, const std::string& text) {
    if (&text == &value.OriginalValue || !value.IsTranslated()) return;
    if (ValueTextProblem(value.PropertyType, text, value.OriginalValue).empty()) return;
    CheckValueText(PathOf(value), value.PropertyType, text, value.OriginalValue);
  }

  void WriteValue(const TCHValue& value) {
    if (Skipped(value)) return;
    const std::string& t = useTranslated_ ? value.TranslatedValue : value.OriginalValue;
    switch (value.PropertyType) {
      case ptInteger:
      case ptFloat:
      case ptSymbol:
      case ptSet:
        Check(value, t);
        Emit(t);
        break;
      case ptString:
        if (value.WideKind != 0 && value.WideOriginal) WriteWideString(WideText(value), value.WideKind);
        else WriteString(t);
        break;
      case ptBinary:
        Check(value, t);
        WriteBinary(t);
        break;
      case ptCollection: {
        int indent = indent_;
        Emit("<");
        NewLine(indent_ + 2);
        for (size_t i = 0; i < value.CollectionItems.size(); ++i) {
          const TComponentHelper& item = *value.CollectionItems[i];
          Emit("item");
          if (item.Index != -1) Emit("[" + std::to_string(item.Index) + "]");
          NewLine(indent_ + 2);
          for (const auto& property : item.Properties) WriteProperty(*property);
          indent_ -= 2;
          Emit("end");
          if (i + 1 < value.CollectionItems.size()) NewLine(indent_);
        }
        Emit(">");
        indent_ = indent;
        break;
      }
      case ptList: {
        int indent = indent_;
        Emit("(");
        NewLine(indent_ + 2);
        for (size_t i = 0; i < value.ListValues.size(); ++i) {
          WriteValue(*value.ListValues[i]);
          if (i + 1 < value.ListValues.size()) NewLine(indent_);
        }
        Emit(")");
        indent_ = indent;
        break;
      }
      default: throw EFormModelError(kSUnknownPropertyType);
    }
  }

  const TComponentHelper& root_;
  bool useTranslated_;
  int codePage_;
  std::string out_;
  int indent_ = 0;
  int column_ = 0;
};

}  // namespace

std::string FormToText(const TComponentHelper& root, bool useTranslated, int codePage) {
  TFormTextWriter writer(root, useTranslated, codePage);
  writer.WriteObject(root);
  return writer.Take();
}

void WriteForm(const TComponentHelper& root, std::string_view fileName, bool useTranslated,
               const TFormEnvironment& environment) {
  TStatusScope hint(environment.hint, TShow::Hint, FormatText(kSWritingForm, fileName));
  std::string target = environment.ExpandFileName(fileName);
  // Text and resource are made in memory and the target replaced in one
  // step: no temporary file beside the form, no half-written form on error.
  std::string resource = TextToResource(FormToText(root, useTranslated, environment.codePage));
  AtomicWriteFile(target, resource);
}

}  // namespace kst
