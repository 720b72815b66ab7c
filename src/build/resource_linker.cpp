// The language-module linker: library source, linked resource files, output.
#include "build/resource_linker.h"

#include <unicode/uchar.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <tuple>

#include "config/text_helpers.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

namespace {

// ---- library source -------------------------------------------------------

class TSourceScanner {
public:
  TSourceScanner(std::string_view text, const std::string& fileName) : text_(text), file_(fileName) {}

  enum class TKind { Identifier, Symbol, Directive, End };
  struct TToken {
    TKind kind = TKind::End;
    std::string text;
    int line = 1;
  };

  TToken Next() {
    SkipBlanksAndComments();
    TToken t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    char c = text_[pos_];
    if (c == '{' && At(pos_ + 1) == '$') {
      t.kind = TKind::Directive;
      t.text = Until(pos_ + 2, "}", "Unterminated compiler directive");
    } else if (c == '(' && At(pos_ + 1) == '*' && At(pos_ + 2) == '$') {
      t.kind = TKind::Directive;
      t.text = Until(pos_ + 3, "*)", "Unterminated compiler directive");
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_;
      while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) ++pos_;
      t.kind = TKind::Identifier;
      t.text = std::string(text_.substr(start, pos_ - start));
    } else {
      t.kind = TKind::Symbol;
      t.text = std::string(1, c);
      ++pos_;
    }
    return t;
  }

  int Line() const { return line_; }
  int Lines() const {
    int lines = 1;
    for (char c : text_) lines += c == '\n';
    return text_.empty() ? 0 : lines - (text_.back() == '\n');
  }
  [[noreturn]] void Fail(int line, const std::string& message) const { throw ELinkError(file_, line, message); }

private:
  char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  // The text from `from` to the terminator, which is consumed; lines counted.
  std::string Until(size_t from, std::string_view terminator, const char* failure) {
    int startLine = line_;
    size_t end = text_.find(terminator, from);
    if (end == std::string_view::npos) Fail(startLine, failure);
    for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
    std::string inner(text_.substr(from, end - from));
    pos_ = end + terminator.size();
    return inner;
  }

  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c)) || c == '\x1A') {
        ++pos_;
      } else if (c == '/' && At(pos_ + 1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (c == '{' && At(pos_ + 1) != '$') {
        Until(pos_ + 1, "}", "Unterminated comment");
      } else if (c == '(' && At(pos_ + 1) == '*' && At(pos_ + 2) != '$') {
        Until(pos_ + 2, "*)", "Unterminated comment");
      } else {
        return;
      }
    }
  }

  std::string_view text_;
  const std::string& file_;
  size_t pos_ = 0;
  int line_ = 1;
};

// {$E ext}, {$R file} and {$RESOURCE file}; {$R+} and {$R-} switch range
// checking and link nothing.
void ApplyDirective(const std::string& text, int line, TLibrarySource& source, const TSourceScanner& scanner) {
  size_t n = 0;
  while (n < text.size() && std::isalpha(static_cast<unsigned char>(text[n]))) ++n;
  std::string name = UpperCaseAscii(text.substr(0, n));
  std::string rest = TrimBlanks(text.substr(n));
  if (n == 0 || rest.empty() || rest[0] == '+' || rest[0] == '-' || rest[0] == ',') return;
  auto argument = [&]() {
    if (rest[0] != '\'') return rest.substr(0, rest.find_first_of(" \t\r\n"));
    std::string value;
    for (size_t i = 1; i < rest.size(); ++i) {
      if (rest[i] != '\'') {
        value += rest[i];
      } else if (i + 1 < rest.size() && rest[i + 1] == '\'') {
        value += '\'';
        ++i;
      } else {
        return value;
      }
    }
    scanner.Fail(line, "Unterminated string");
  };
  if (name == "E") {
    source.extension = argument();
  } else if (name == "R" || name == "RESOURCE") {
    std::string file = argument();
    if (file.empty()) scanner.Fail(line, "File name expected");
    source.links.push_back({file, line});
  }
}

}  // namespace

TLibrarySource ParseLibrarySource(std::string_view text, const std::string& fileName) {
  TLibrarySource source;
  TSourceScanner scanner(text, fileName);
  source.lines = scanner.Lines();
  using K = TSourceScanner::TKind;
  // The next token that is not a directive; directives may stand anywhere.
  auto next = [&]() {
    for (;;) {
      TSourceScanner::TToken t = scanner.Next();
      if (t.kind != K::Directive) return t;
      ApplyDirective(t.text, t.line, source, scanner);
    }
  };
  auto isWord = [](const TSourceScanner::TToken& t, const char* word) {
    return t.kind == K::Identifier && SameText(t.text, word);
  };
  auto expectSymbol = [&](const char* symbol) {
    TSourceScanner::TToken t = next();
    if (t.kind != K::Symbol || t.text != symbol) scanner.Fail(t.line, std::string("'") + symbol + "' expected");
  };

  TSourceScanner::TToken t = next();
  if (!isWord(t, "library")) scanner.Fail(t.line, "'library' expected");
  t = next();
  if (t.kind != K::Identifier) scanner.Fail(t.line, "Identifier expected");
  source.name = t.text;
  expectSymbol(";");
  t = next();
  if (isWord(t, "begin")) t = next();
  if (t.kind == K::End) scanner.Fail(t.line, "Unexpected end of file");
  if (!isWord(t, "end")) {
    // A uses clause or code would need a real compiler.
    scanner.Fail(t.line, "'end' expected but '" + t.text + "' found; a language module holds resources only");
  }
  expectSymbol(".");
  return source;
}

// ---- resource files -------------------------------------------------------

namespace {

const char kDamaged[] = "the file ends inside a resource entry";
// The linker reports every damage of a linked file alike, with the file's
// name, so a plain runtime error is all it needs.
using TResReader = TByteReader<std::runtime_error>;

std::u16string UpperName(std::u16string name) {
  for (char16_t& c : name)
    if (c < 0xD800 || c > 0xDFFF) c = static_cast<char16_t>(u_toupper(c));
  return name;
}

TResId ReadId16(TResReader& r, int ansiCodePage) {
  uint8_t first = r.U8();
  if (first == 0xFF) return TResId::Number(r.U16());
  std::string name;
  for (uint8_t c = first; c != 0; c = r.U8()) {
    // Names in these files are identifiers; anything else means the bytes
    // are not a 16-bit resource file at all.
    if (c < 0x20 || c > 0x7E) throw std::runtime_error("not a resource file");
    name += static_cast<char>(c);
  }
  if (name.empty()) throw std::runtime_error("not a resource file");
  return TResId::Named(UpperName(CodePageToUtf16(name, ansiCodePage)));
}

TResId ReadId32(TResReader& r) {
  uint16_t first = r.U16();
  if (first == 0xFFFF) return TResId::Number(r.U16());
  std::u16string name;
  for (uint16_t c = first; c != 0; c = r.U16()) name += static_cast<char16_t>(c);
  return TResId::Named(UpperName(std::move(name)));
}

std::vector<TLinkedResource> Read32(std::span<const uint8_t> bytes) {
  std::vector<TLinkedResource> out;
  TResReader r(bytes, kDamaged);
  while (r.Remaining() > 0) {
    uint64_t start = r.Position();
    uint32_t dataSize = r.U32();
    uint32_t headerSize = r.U32();
    TResId type = ReadId32(r);
    TResId name = ReadId32(r);
    r.Skip((4 - r.Position() % 4) % 4);
    r.Skip(6);  // data version, memory flags
    uint16_t language = r.U16();
    r.Skip(8);  // version, characteristics
    if (headerSize != r.Position() - start)
      throw std::runtime_error("header size " + std::to_string(headerSize) + " of the entry at offset " +
                               std::to_string(start) + " does not match its fields");
    auto data = r.Bytes(dataSize);
    // The last entry's padding may be missing; the data is complete.
    r.Skip(std::min<uint64_t>((4 - r.Position() % 4) % 4, r.Remaining()));
    bool empty = type.numeric && type.id == 0 && name.numeric && name.id == 0 && dataSize == 0;
    if (!empty)
      out.push_back({std::move(type), std::move(name), language, std::string(data.begin(), data.end())});
  }
  return out;
}

std::vector<TLinkedResource> Read16(std::span<const uint8_t> bytes, int ansiCodePage) {
  std::vector<TLinkedResource> out;
  TResReader r(bytes, kDamaged);
  while (r.Remaining() > 0) {
    TResId type = ReadId16(r, ansiCodePage);
    TResId name = ReadId16(r, ansiCodePage);
    r.Skip(2);  // memory flags
    uint32_t size = r.U32();
    auto data = r.Bytes(size);
    out.push_back({std::move(type), std::move(name), 0, std::string(data.begin(), data.end())});
  }
  return out;
}

}  // namespace

std::vector<TLinkedResource> ReadLinkedResources(std::span<const uint8_t> bytes, int ansiCodePage) {
  static const uint8_t kEmptyEntry[8] = {0, 0, 0, 0, 0x20, 0, 0, 0};
  if (bytes.empty()) throw std::runtime_error("the file is empty");
  if (bytes.size() >= 8 && std::equal(kEmptyEntry, kEmptyEntry + 8, bytes.begin())) return Read32(bytes);
  std::string_view head(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 16));
  std::string word = UpperCaseAscii(TrimBlanks(head).substr(0, 9));
  if (word.starts_with("OBJECT") || word.starts_with("INHERITED"))
    throw std::runtime_error("a form file in text format; a binary form file is needed");
  return Read16(bytes, ansiCodePage);
}

// ---- command line and link ------------------------------------------------

namespace {

std::string Unquote(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

std::string TypeText(const TResId& id) {
  return id.numeric ? std::to_string(id.id) : "\"" + Utf16ToUtf8(id.name) + "\"";
}

}  // namespace

TLinkerOptions ParseLinkerArguments(const std::vector<std::string>& args) {
  TLinkerOptions options;
  for (const std::string& arg : args) {
    // Only "-" starts a switch: "/" starts the paths of this system.
    if (arg.size() >= 2 && arg[0] == '-') {
      char sw = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[1])));
      if (sw == 'E') options.exeOutputDir = Unquote(arg.substr(2));
      else if (sw == 'N') options.unitOutputDir = Unquote(arg.substr(2));
      // Every other switch of the compiler concerns code, which is not built.
    } else if (options.source.empty()) {
      options.source = Unquote(arg);
    } else {
      throw std::invalid_argument("only one library source may be given");
    }
  }
  if (options.source.empty()) throw std::invalid_argument("usage: ktlink [-eOUTDIR] [-nUNITDIR] LIBRARY.dpr");
  return options;
}

TLinkSummary LinkLanguageModule(const TLinkerOptions& options, int ansiCodePage,
                                const std::function<void(const std::string&)>& print) {
  std::string sourceName = ToInternalPath(options.source);
  if (ExtractFileExt(sourceName).empty()) sourceName += ".dpr";
  std::string sourcePath = ResolveFileNameCase(sourceName);
  if (!FileExists(sourcePath)) throw ELinkError(options.source, 0, "File not found: '" + sourceName + "'");
  std::string text = ReadFileBytes(sourcePath);
  TLibrarySource source = ParseLibrarySource(text, options.source);
  std::string sourceDir = ExtractFileDir(sourcePath);

  std::vector<TLinkedResource> all;
  std::map<std::tuple<std::string, std::string, uint16_t>, std::string> seen;  // type, name, language -> file
  auto keyOf = [](const TLinkedResource& r) {
    return std::make_tuple(TypeText(r.type), TypeText(r.name), r.language);
  };
  for (const TLibraryLink& link : source.links) {
    std::string file = ToInternalPath(link.file);
    // "*" stands for the source's own name, as in {$R *.RES}.
    if (size_t star = file.find('*'); star != std::string::npos)
      file.replace(star, 1, ChangeFileExt(ExtractFileName(sourcePath), ""));
    if (!file.starts_with("/") && !sourceDir.empty()) file = sourceDir + "/" + file;
    std::string path = ResolveFileNameCase(file);
    if (!FileExists(path)) throw ELinkError(options.source, link.line, "File not found: '" + link.file + "'");
    std::string bytes = ReadFileBytes(path);
    std::vector<TLinkedResource> resources;
    try {
      resources = ReadLinkedResources({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, ansiCodePage);
    } catch (const std::exception& e) {
      throw ELinkError(options.source, link.line, "Invalid resource file '" + link.file + "': " + e.what());
    }
    size_t kept = 0;
    for (TLinkedResource& r : resources) {
      auto [it, inserted] = seen.emplace(keyOf(r), link.file);
      if (!inserted) {
        char lang[8];
        std::snprintf(lang, sizeof lang, "%04X", r.language);
        print(options.source + "(" + std::to_string(link.line) + ") Warning: Duplicate resource: type " +
              TypeText(r.type) + ", name " + TypeText(r.name) + ", language " + lang + "; '" + it->second +
              "' kept, '" + link.file + "' discarded");
        continue;
      }
      all.push_back(std::move(r));
      ++kept;
    }
    print(options.source + "(" + std::to_string(link.line) + ") " + link.file + ": " + std::to_string(kept) +
          (kept == 1 ? " resource" : " resources"));
  }

  std::string outDir = options.exeOutputDir.empty() ? sourceDir : ResolveFileNameCase(options.exeOutputDir);
  // Named after the source file, as the compiler does: the library's
  // identifier cannot hold every character a file name can.
  std::string output = (outDir.empty() ? std::string() : outDir + "/") +
                       ChangeFileExt(ExtractFileName(sourcePath), "") + "." + source.extension;
  TLinkSummary summary{output, source.lines, all.size(), 0};
  try {
    std::string image = BuildResourceOnlyDll(std::move(all));
    if (!outDir.empty()) ForceDirectories(outDir);
    AtomicWriteFile(output, image);
    summary.bytes = image.size();
  } catch (const std::exception& e) {
    throw ELinkError(options.source, source.lines, "Could not create output file '" + output + "': " + e.what());
  }
  print(std::to_string(summary.lines) + " lines, " + std::to_string(summary.resources) + " resources, " +
        std::to_string(summary.bytes) + " bytes: " + output);
  return summary;
}

}  // namespace kst
