// Fuzzes reading a form file (binary or text) into the tree and the tree operations on it:
// every enumerated path resolves to its value, and the written text reads.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<kst::TComponentHelper> root;
  try {
    root = kst::ReadFormFile(input);
  } catch (const kst::EFormError&) {
    return 0;
  }
  root->ForEachPropertyPath([&](const std::string& path, kst::TCHValue& value) {
    kst::TCHValue* found = nullptr;
    try {
      found = root->FindProperty(path);
    } catch (const kst::EFormModelError&) {
    }
    // Duplicate names make a path ambiguous; it must still find a value.
    if (!found) std::abort();
  });
  std::string text = kst::FormToText(*root, false);
  try {
    kst::ReadFormText(text);
  } catch (const kst::EParserError& e) {
    if (e.Reason() != kst::kSLineTooLong) std::abort();
  }
  return 0;
}
