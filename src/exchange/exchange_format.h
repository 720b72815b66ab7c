// The three exchange formats behind one choice: our tab-separated exchange
// file, XLIFF 1.2 and gettext PO. Both front ends write and read through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "exchange/exchange_entries.h"

namespace kst {

enum class TExchangeFormat { Tab, Xliff, Po };

// "trx", "xliff" (or "xlf"), "po", without regard to case; nullopt otherwise.
std::optional<TExchangeFormat> ExchangeFormatFromName(std::string_view name);
// The format a file name's extension says: .xlf and .xliff XLIFF, .po PO,
// anything else the exchange file.
TExchangeFormat ExchangeFormatOfFile(std::string_view fileName);
// ".trx", ".xlf", ".po".
const char* ExchangeExtension(TExchangeFormat format);

struct TExchangeWriteOptions {
  TExchangeFormat format = TExchangeFormat::Tab;
  int typeFilter = kFilterStrings;
  // The exchange file may leave the originals out; XLIFF and PO always
  // carry them (a PO entry is keyed by its original).
  bool includeOriginal = true;
  TExchangeHighlight highlighted;  // XLIFF and PO mark what it marks; none when empty
};

// Writes the current language's texts (atomically, creating the directory;
// path macros expanded). `languageId` is the current language.
void WriteExchange(TProjectData& project, const std::string& fileName, int languageId,
                   const TExchangeWriteOptions& options);

// Applies a file of the format to the current language (`languageId`)
// through ApplyExchangeEntries. An XLIFF or PO file whose language is
// another one raises EExchangeError before anything is applied. Returns the
// number of translations changed.
int ReadExchange(TProjectData& project, const std::string& fileName, int languageId, TExchangeFormat format);

}  // namespace kst
