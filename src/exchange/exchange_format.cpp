// The format choice: names, extensions, and the write and read that
// dispatch on it.
#include "exchange/exchange_format.h"

#include <ctime>

#include "config/interaction.h"
#include "exchange/exchange_file.h"
#include "exchange/po_file.h"
#include "exchange/xliff_file.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "project/project_data.h"

namespace kst {

namespace {

std::string UtcNow() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M+0000", &utc);
  return text;
}

}  // namespace

std::optional<TExchangeFormat> ExchangeFormatFromName(std::string_view name) {
  if (SameText(name, "trx")) return TExchangeFormat::Tab;
  if (SameText(name, "xliff") || SameText(name, "xlf")) return TExchangeFormat::Xliff;
  if (SameText(name, "po")) return TExchangeFormat::Po;
  return std::nullopt;
}

TExchangeFormat ExchangeFormatOfFile(std::string_view fileName) {
  std::string ext = ExtractFileExt(fileName);
  if (SameText(ext, ".xlf") || SameText(ext, ".xliff")) return TExchangeFormat::Xliff;
  if (SameText(ext, ".po")) return TExchangeFormat::Po;
  return TExchangeFormat::Tab;
}

const char* ExchangeExtension(TExchangeFormat format) {
  switch (format) {
    case TExchangeFormat::Xliff: return ".xlf";
    case TExchangeFormat::Po: return ".po";
    default: return ".trx";
  }
}

void WriteExchange(TProjectData& project, const std::string& fileName, int languageId,
                   const TExchangeWriteOptions& options) {
  if (options.format == TExchangeFormat::Tab) {
    WriteExchangeFile(project, fileName, options.includeOriginal, options.typeFilter);
    return;
  }
  TStatusScope busy(&project.Interaction(), TShow::HintAndBusyCursor, "...");
  TExchangeLanguages languages = ExchangeLanguages(project, languageId);
  std::string text = options.format == TExchangeFormat::Xliff
                         ? BuildXliffFile(project, languages, options.typeFilter, options.highlighted)
                         : BuildPoFile(project, languages, options.typeFilter, UtcNow(), options.highlighted);
  std::string name = project.ExpandFileName(fileName);
  std::string dir = ExtractFileDir(name);
  if (!dir.empty()) ForceDirectories(dir);
  AtomicWriteFile(name, text);
}

int ReadExchange(TProjectData& project, const std::string& fileName, int languageId, TExchangeFormat format) {
  TExchangeLanguages languages = ExchangeLanguages(project, languageId);
  if (format == TExchangeFormat::Tab) return ReadExchangeFile(project, fileName, languages.translationCodePage);
  std::string name = project.ExpandFileName(fileName);
  std::string bytes = ReadFileBytes(name);
  TExchangeContent content = format == TExchangeFormat::Xliff ? ParseXliffFile(bytes, name, languages)
                                                              : ParsePoFile(bytes, name, languages);
  CheckFileLanguage(name, content.targetLanguage, languageId);
  return ApplyExchangeEntries(project, content.entries, languages.translationCodePage);
}

}  // namespace kst
