// Reading a form into the tree: the binary form file is converted to form
// text in memory and parsed with TParser.
#pragma once

#include <memory>
#include <string_view>

#include "formmodel/form_model.h"
#include "formmodel/form_parser.h"

namespace kst {

// Parses form text into a new root. Raises EParserError ("%s on line %d").
// Wide strings are held in `codePage` (see TCHValue::WideOriginal).
std::unique_ptr<TComponentHelper> ReadFormText(std::string_view text, size_t bufferSize = kParseBufSize,
                                               int codePage = 1252);

// Converts a binary form resource and parses it. Raises EReadError or
// EParserError.
std::unique_ptr<TComponentHelper> ReadFormResource(std::string_view resource);

// Reads a form file's bytes, a binary resource or form text, into a new
// root. Raises EReadError or EParserError.
std::unique_ptr<TComponentHelper> ReadFormFile(std::string_view bytes, int codePage = 1252);

// Reads the module's form file: expands its name, shows "Reading '%s'..."
// as the status hint meanwhile, takes its time stamp into FileDate and
// returns the new root. Nothing is written to disk. Raises EFileError,
// EReadError or EParserError, whose messages begin with the form's name
// ("Main.dfm: Invalid stream format"); the hint is restored in every case.
std::unique_ptr<TComponentHelper> ReadForm(TModuleHelper& module, const TFormEnvironment& environment);

}  // namespace kst
