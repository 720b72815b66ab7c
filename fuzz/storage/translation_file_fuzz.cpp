// Fuzzes the .TRS and form .TRD readers over any bytes: they apply pairs or
// raise EReadError, never crash; and a file written from the model reads
// back to the same model.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formmodel/form_errors.h"
#include "formmodel/form_model.h"
#include "resstrings/resource_strings.h"
#include "storage/translation_files.h"

namespace {

struct TModel {
  kst::TComponentHelper root;
  kst::TResourceStringsHelper strings;
  TModel() {
    root.Name = "Form1";
    root.ClassName = "TForm1";
    root.FindOrAddProperty("Caption", kst::ptString, false)->SetValue("Main", kst::ptString);
    kst::TComponentHelper* button = root.AddChild();
    button->Name = "Button1";
    button->ClassName = "TButton";
    button->FindOrAddProperty("Caption", kst::ptString, false)->SetValue("OK", kst::ptString);
    strings.Add(1, "SHello").OriginalValue = "Hello";
    strings.Add(2, "SBye").OriginalValue = "Bye";
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TModel model;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  model.root.ResetAllTranslations();
  for (int i = 0; i < model.strings.Count(); ++i) model.strings.Item(i).ResetTranslation();
  try {
    kst::ApplyFormTranslationFile(model.root, bytes);
  } catch (const kst::EReadError&) {
  }
  try {
    kst::ApplyResourceStringFile(model.strings, bytes);
  } catch (const kst::EReadError&) {
  }
  // Whatever was applied survives a write and a read.
  std::string trd = kst::BuildFormTranslationFile(model.root, 0x0407, nullptr);
  std::string caption = model.root.FindProperty("Form1.Caption")->TranslatedValue;
  model.root.ResetAllTranslations();
  kst::ApplyFormTranslationFile(model.root, trd);
  if (model.root.FindProperty("Form1.Caption")->TranslatedValue != caption) __builtin_trap();
  std::string trs = kst::BuildResourceStringFile(model.strings, 0x0407, nullptr);
  std::string hello = model.strings.Item(0).TranslatedValue;
  model.strings.Item(0).ResetTranslation();
  kst::ApplyResourceStringFile(model.strings, trs);
  if (model.strings.Item(0).TranslatedValue != hello) __builtin_trap();
  return 0;
}
