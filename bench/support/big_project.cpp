// The generated benchmark project.
#include "big_project.h"

#include <filesystem>
#include <map>

#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"

namespace kst::bench {

namespace {

namespace fs = std::filesystem;

std::string FormText(int form) {
  std::string text = "object Form" + std::to_string(form) + ": TForm" + std::to_string(form) +
                     "\r\n  Left = 10\r\n  Top = 20\r\n  Caption = 'Form number " + std::to_string(form) + "'\r\n";
  for (int c = 0; c < kComponents; ++c) {
    std::string n = std::to_string(c);
    text += "  object Label" + n + ": TLabel\r\n    Left = " + n + "\r\n    Top = 8\r\n    Caption = 'Caption of label " + n +
            "'\r\n    Hint = 'A hint that explains label " + n + "'\r\n    Font.Style = [fsBold]\r\n  end\r\n";
  }
  return text + "end\r\n";
}

}  // namespace

const TGenerated& BigProject(const std::string& name, bool textForms) {
  static std::map<std::string, TGenerated> made;
  if (auto it = made.find(name); it != made.end()) return it->second;
  return made[name] = [&] {
    TGenerated out;
    out.dir = fs::temp_directory_path().string() + "/" + name;
    fs::remove_all(out.dir);
    fs::create_directories(out.dir);
    std::string uses = "program Big;\r\n\r\nuses\r\n  Forms";
    for (int f = 0; f < kForms; ++f) {
      std::string unit = "Unit" + std::to_string(f);
      std::string dfm = out.dir + "/" + unit + ".dfm";
      std::string form = textForms ? FormText(f) : kst::TextToResource(FormText(f));
      kst::AtomicWriteFile(dfm, form);
      out.formBytes += form.size();
      out.files.push_back(dfm);
      uses += ",\r\n  " + unit + " in '" + unit + ".pas' {Form" + std::to_string(f) + "}";
    }
    uses += ";\r\n\r\nbegin\r\nend.\r\n";
    out.project = out.dir + "/Big.dpr";
    kst::AtomicWriteFile(out.project, uses);
    std::string drc;
    for (int s = 0; s < kStrings; ++s) drc += "#define Unit_S" + std::to_string(s) + " " + std::to_string(s) + "\r\n";
    drc += "STRINGTABLE\r\nBEGIN\r\n";
    for (int s = 0; s < kStrings; ++s)
      drc += "\tUnit_S" + std::to_string(s) + ",\t\"Resource string number " + std::to_string(s) + "\"\r\n";
    drc += "END\r\n";
    kst::AtomicWriteFile(out.dir + "/Big.DRC", drc);
    out.files.push_back(out.dir + "/Big.DRC");
    return out;
  }();
}

}  // namespace kst::bench
