// kst form: form files to text and back, and the property paths of a form.
#include <ostream>

#include "cli.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"

namespace kst::cli {

namespace {

int RunForm(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action: text, binary or paths");
  const std::string& action = args[0];
  if (action == "text") {
    if (args.size() != 2) throw EUsageError("expected one form file");
    // The text goes out byte for byte; form text is ANSI, not the terminal's.
    std::string text = FormFileToText(ReadFileBytes(args[1]));
    ctx.out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
  }
  if (action == "binary") {
    if (args.size() != 3) throw EUsageError("expected a text file and an output file");
    AtomicWriteFile(args[2], TextToResource(ReadFileBytes(args[1])));
    return 0;
  }
  if (action == "paths") {
    if (args.size() != 2) throw EUsageError("expected one form file");
    auto root = ReadFormFile(ReadFileBytes(args[1]));
    std::string out;
    root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
      out += path + "\t" + PropertyTypeName(value.PropertyType) + "\t" + EncodeEscapes(value.OriginalValue) + "\n";
    });
    ctx.out.write(out.data(), static_cast<std::streamsize>(out.size()));
    return 0;
  }
  throw EUsageError("unknown action \"" + action + "\"");
}

}  // namespace

std::vector<TTopic> FormTopics() {
  return {
      {"form", "convert binary forms to text and back, list property paths",
       "usage: kst form text FILE\n"
       "       kst form binary TEXTFILE OUT\n"
       "       kst form paths FILE\n"
       "  text    writes the form text of a form file (.DFM, binary or text) to\n"
       "          stdout, as the binary form reads.\n"
       "  binary  converts form text into a binary form file OUT.\n"
       "  paths   lists every plain value of a form file: path, tab, type,\n"
       "          tab, the original text with backslash escapes.\n",
       RunForm},
  };
}

}  // namespace kst::cli
