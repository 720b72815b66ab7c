// Fuzzes ReadExchangeFile's passes over any text, against a small project
// with one form and two resource strings, with answers that cycle through
// every button: the import ends or raises EExchangeError, never crashes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "exchange/exchange_file.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"

namespace {

class TCyclingInteraction : public kst::TUserInteraction {
public:
  std::string Hint() const override { return hint_; }
  void SetHint(const std::string& text) override { hint_ = text; }
  bool BusyCursor() const override { return false; }
  void SetBusyCursor(bool) override {}
  void ShowWarning(const std::string&) override {}
  kst::TAnswer Ask(const std::string&, kst::TButtons) override {
    static const kst::TAnswer cycle[] = {kst::TAnswer::Yes, kst::TAnswer::No, kst::TAnswer::All, kst::TAnswer::Ok,
                                         kst::TAnswer::Yes, kst::TAnswer::Cancel};
    return cycle[next_++ % 6];
  }

private:
  std::string hint_;
  size_t next_ = 0;
};

struct TPlace {
  std::string dir;
  kst::TRegistryLocation location;
  kst::TTranslatorRegistry registry;
  TCyclingInteraction ui;
  kst::TProjectData project;
  TPlace()
      : dir((std::filesystem::temp_directory_path() / "kst-fuzz-exchange").string()),
        location(kst::TRegistryLocation::InDirectory(dir + "/cfg")),
        registry(location),
        project(registry, ui, kst::TSystemCodePages{1252, 850, 10000}) {
    kst::ForceDirectories(dir);
    kst::AtomicWriteFile(dir + "/Main.dfm",
                         kst::TextToResource("object Form1: TForm1\r\n  Caption = 'Main'\r\n  object Button1: TButton\r\n"
                                             "    Caption = 'OK'\r\n  end\r\nend\r\n"));
    project.AddModule(dir + "/Main.dfm", true);
    project.ResourceStrings.Add(1, "SHello").OriginalValue = "Hello";
    project.ResourceStrings.Add(2, "SBye").OriginalValue = "Bye";
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TPlace place;
  try {
    kst::ApplyExchangeFile(place.project, std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const kst::EExchangeError&) {
  }
  // A field written from any text reads back as that text.
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (kst::DecodeExchangeField(kst::EncodeExchangeField(text)) != text) __builtin_trap();
  return 0;
}
