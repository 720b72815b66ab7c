// gettext PO files, written and read by a small reader and writer of our
// own: gettext's libgettextpo reads only named files and wants an error
// handler that never returns from a fatal error, which would mean unwinding
// through its C frames.
#include "exchange/po_file.h"

#include <cctype>
#include <cstdio>

#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "project/project_data.h"

namespace kst {

namespace {

constexpr size_t kWidth = 79;  // gettext's page width

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\a': out += "\\a"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\v': out += "\\v"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char octal[8];
          std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += octal;
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string GroupKey(const TExchangeGroup& group, const std::string& key) {
  TExchangeEntry e;
  e.section = group.section;
  e.form = group.name;
  e.key = key;
  return ExchangeEntryName(e);
}

class TPoReader {
public:
  TPoReader(std::string_view text, const std::string& fileName) : text_(text), file_(ExtractFileName(fileName)) {}

  struct TMessage {
    bool fuzzy = false;
    bool hasContext = false;
    std::string context, id, str;
    bool hasStr = false;
    int line = 0;
  };

  template <class Visit>
  void Read(Visit&& visit) {
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
    TMessage m;
    bool started = false, pendingFuzzy = false;
    std::string* last = nullptr;  // the string continuation lines extend
    auto flush = [&] {
      if (started) {
        if (!m.hasStr) Fail(m.line, "the entry has no msgstr");
        visit(m);
      }
      m = TMessage();
      started = false;
      last = nullptr;
    };
    size_t pos = 0;
    while (pos < text_.size()) {
      size_t end = text_.find('\n', pos);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(pos, end - pos);
      pos = end + 1;
      ++lineNo_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      std::string_view trimmed = TrimLeft(line);
      if (trimmed.empty()) {
        flush();
        continue;
      }
      if (trimmed.front() == '#') {
        if (started && m.hasStr) flush();
        last = nullptr;
        if (trimmed.starts_with("#,") && HasFlag(trimmed.substr(2), "fuzzy")) pendingFuzzy = true;
        continue;  // "#~" obsolete entries are comments as a whole
      }
      if (trimmed.front() == '"') {
        if (!last) Fail(lineNo_, "a string continues nothing");
        *last += ParseString(trimmed);
        continue;
      }
      size_t space = trimmed.find_first_of(" \t\"");
      std::string_view keyword = trimmed.substr(0, space);
      std::string_view rest = space == std::string_view::npos ? std::string_view() : TrimLeft(trimmed.substr(space));
      if (keyword == "msgctxt" || keyword == "msgid") {
        if (started && (m.hasStr || keyword == "msgctxt" || !m.hasContext)) flush();
        if (!started) {
          started = true;
          m.line = lineNo_;
          m.fuzzy = pendingFuzzy;
          pendingFuzzy = false;
        }
        if (keyword == "msgctxt") {
          m.hasContext = true;
          m.context = ParseString(rest);
          last = &m.context;
        } else {
          m.id = ParseString(rest);
          last = &m.id;
        }
      } else if (keyword == "msgid_plural") {
        if (!started) Fail(lineNo_, "msgid_plural without msgid");
        plural_ = ParseString(rest);
        last = &plural_;
      } else if (keyword == "msgstr" || keyword.starts_with("msgstr[")) {
        if (!started) Fail(lineNo_, "msgstr without msgid");
        // Plural forms are not ours; the first form stands for the text.
        if (keyword == "msgstr" || keyword == "msgstr[0]") {
          m.hasStr = true;
          m.str = ParseString(rest);
          last = &m.str;
        } else {
          plural_ = ParseString(rest);
          last = &plural_;
        }
      } else {
        Fail(lineNo_, "\"" + std::string(keyword) + "\" is not a PO keyword");
      }
    }
    flush();
  }

private:
  static std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
  }

  static bool HasFlag(std::string_view flags, std::string_view flag) {
    size_t pos = 0;
    while (pos <= flags.size()) {
      size_t comma = flags.find(',', pos);
      if (comma == std::string_view::npos) comma = flags.size();
      std::string_view word = TrimLeft(flags.substr(pos, comma - pos));
      while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.remove_suffix(1);
      if (word == flag) return true;
      pos = comma + 1;
    }
    return false;
  }

  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw EExchangeError(file_ + ", line " + std::to_string(line) + ": " + what + ".");
  }

  std::string ParseString(std::string_view s) const {
    if (s.empty() || s.front() != '"') Fail(lineNo_, "a quoted string is expected");
    std::string out;
    size_t i = 1;
    for (;; ++i) {
      if (i >= s.size()) Fail(lineNo_, "the string has no closing quote");
      char c = s[i];
      if (c == '"') break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i >= s.size()) Fail(lineNo_, "the string has no closing quote");
      char e = s[i];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\': case '"': case '\'': case '?': out += e; break;
        case 'x': {
          unsigned value = 0;
          size_t digits = 0;
          while (i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) && digits < 2) {
            char h = s[++i];
            value = value * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            ++digits;
          }
          if (digits == 0) Fail(lineNo_, "\\x without hexadecimal digits");
          out += static_cast<char>(value);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            unsigned value = e - '0';
            for (int n = 1; n < 3 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; ++n)
              value = value * 8 + (s[++i] - '0');
            if (value > 0xFF) Fail(lineNo_, "an octal escape beyond \\377");
            out += static_cast<char>(value);
          } else {
            Fail(lineNo_, std::string("invalid escape \\") + e);
          }
      }
    }
    for (++i; i < s.size(); ++i)
      if (s[i] != ' ' && s[i] != '\t') Fail(lineNo_, "text after the closing quote");
    return out;
  }

  std::string_view text_;
  std::string file_;
  int lineNo_ = 0;
  std::string plural_;
};

// The value of a header field ("Language: de_DE\n"), or "".
std::string HeaderField(const std::string& header, std::string_view name) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t end = header.find('\n', pos);
    if (end == std::string::npos) end = header.size();
    std::string_view line(header.data() + pos, end - pos);
    if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
      std::string_view value = line.substr(name.size() + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.remove_suffix(1);
      return std::string(value);
    }
    pos = end + 1;
  }
  return {};
}

bool IsUtf8Name(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "utf-8" || name == "utf8";
}

}  // namespace

std::string PoQuote(std::string_view keyword, std::string_view utf8) {
  std::string escaped = Escape(utf8);
  size_t inner = escaped.find("\\n");
  bool breaks = inner != std::string::npos && inner + 2 < escaped.size();
  if (!breaks && keyword.size() + escaped.size() + 3 <= kWidth)
    return std::string(keyword) + " \"" + escaped + "\"\n";
  std::string out = std::string(keyword) + " \"\"\n";
  size_t pos = 0;
  while (pos < escaped.size()) {
    // A piece runs to the next line break, then is cut after blanks so that
    // each line with its quotes fits the width.
    size_t pieceEnd = escaped.find("\\n", pos);
    pieceEnd = pieceEnd == std::string::npos ? escaped.size() : pieceEnd + 2;
    while (pos < pieceEnd) {
      size_t cut = pieceEnd;
      if (pieceEnd - pos + 2 > kWidth) {
        size_t blank = escaped.rfind(' ', pos + kWidth - 3);
        if (blank != std::string::npos && blank >= pos) cut = blank + 1;
      }
      out += "\"" + escaped.substr(pos, cut - pos) + "\"\n";
      pos = cut;
    }
  }
  return out;
}

std::string BuildPoFile(TProjectData& project, const TExchangeLanguages& languages, int typeFilter,
                        const std::string& revisionDate, const TExchangeHighlight& highlighted) {
  const int from = languages.originalCodePage, to = languages.translationCodePage;
  std::string projectName = CodePageToUtf8(ExtractFileName(ToInternalPath(project.FileName)), from);
  std::string out = "# " + projectName + ": translations into " + LanguageTag(languages.target) + ".\n";
  out += "# msgctxt is the entry's key: \"@Name\" a resource string, \"#Key\" a version key,\n";
  out += "# \"FILE:PATH\" a value of the form FILE. An empty msgstr is an untranslated text.\n";
  out += "msgid \"\"\nmsgstr \"\"\n";
  for (const std::string& field :
       {"Project-Id-Version: " + CodePageToUtf8(ChangeFileExt(ExtractFileName(ToInternalPath(project.FileName)), ""), from),
        "PO-Revision-Date: " + revisionDate, std::string("Last-Translator: "), std::string("Language-Team: "),
        "Language: " + LanguageLocaleName(languages.target), std::string("MIME-Version: 1.0"),
        std::string("Content-Type: text/plain; charset=UTF-8"), std::string("Content-Transfer-Encoding: 8bit"),
        "X-Generator: " + ExchangeToolName()})
    out += "\"" + Escape(field) + "\\n\"\n";
  for (const TExchangeGroup& group : CollectExchangeGroups(project, typeFilter, highlighted)) {
    std::string reference = CodePageToUtf8(group.file, from);
    for (const TExchangeItem& item : group.items) {
      out += "\n#. " + ExchangeItemComment(item) + "\n";
      if (!reference.empty()) out += "#: " + reference + "\n";
      out += PoQuote("msgctxt", CodePageToUtf8(GroupKey(group, item.key), from));
      out += PoQuote("msgid", item.wideOriginal ? Utf16ToUtf8(*item.wideOriginal) : CodePageToUtf8(*item.original, from));
      out += PoQuote("msgstr", item.translated ? CodePageToUtf8(*item.translation, to) : std::string());
    }
  }
  return out;
}

TExchangeContent ParsePoFile(std::string_view text, const std::string& fileName, const TExchangeLanguages& languages) {
  const int from = languages.originalCodePage, to = languages.translationCodePage;
  TExchangeContent content;
  TPoReader reader(text, fileName);
  reader.Read([&](const TPoReader::TMessage& m) {
    if (!m.hasContext && m.id.empty()) {
      std::string type = HeaderField(m.str, "Content-Type");
      size_t at = type.find("charset=");
      if (at != std::string::npos) {
        std::string charset = type.substr(at + 8, type.find_first_of("; ", at + 8) - (at + 8));
        if (!IsUtf8Name(charset))
          throw EExchangeError(ExtractFileName(fileName) + " is written in " + charset +
                               "; only UTF-8 PO files are read (msgconv --to-code=UTF-8 converts it).");
      }
      content.targetLanguage = HeaderField(m.str, "Language");
      return;
    }
    if (m.fuzzy || m.str.empty()) return;
    TExchangeEntry entry;
    std::string key = Utf8ToCodePage(m.hasContext ? m.context : m.id, from);
    size_t colon = key.find(':');
    if (!m.hasContext) {
      entry.section = TExchangeSection::Unknown;
      entry.key = key;
    } else if (key.starts_with("@")) {
      entry.section = TExchangeSection::ResourceStrings;
      entry.key = key.substr(1);
    } else if (key.starts_with("#")) {
      entry.section = TExchangeSection::VersionInfo;
      entry.key = key.substr(1);
    } else if (colon != std::string::npos) {
      entry.form = key.substr(0, colon);
      entry.key = key.substr(colon + 1);
    } else {
      entry.section = TExchangeSection::Unknown;
      entry.key = key;
    }
    entry.original = Utf8ToCodePage(m.id, from);
    TakeTranslation(entry, m.str, to, fileName);
    content.entries.push_back(std::move(entry));
  });
  return content;
}

}  // namespace kst
