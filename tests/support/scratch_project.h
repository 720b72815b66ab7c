// A scratch project for the storage, exchange and session tests: forms
// written from form text, a resource-string script and a project source,
// and a dictionary stand-in that records what it is fed.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "storage/translation_files.h"
#include "support/test_support.h"

namespace kst::test {

inline constexpr int kGerman = 0x0407;
inline constexpr int kFrench = 0x040C;

inline const char* kMainForm =
    "object Form1: TForm1\r\n"
    "  Caption = 'Main window'\r\n"
    "  Width = 300\r\n"
    "  Hint = 'Line one'#13#10'Line two'\r\n"
    "  object Button1: TButton\r\n"
    "    Caption = 'OK'\r\n"
    "    Hint = 'Press \"OK\"'\r\n"
    "  end\r\n"
    "  object ListBox1: TListBox\r\n"
    "    Items.Strings = (\r\n      'One'\r\n      'Two')\r\n"
    "    Align = alClient\r\n"
    "  end\r\n"
    "end\r\n";

class TFakeFeed : public TDictionaryFeed {
public:
  std::vector<std::tuple<std::string, std::string, int>> added;
  std::map<std::string, std::string> remembered;  // resource-string name -> text
  void AddTranslation(const std::string& s, const std::string& t, int lang) override { added.emplace_back(s, t, lang); }
  void SetResourceStringTranslation(const std::string& n, int, const std::string& t) override { remembered[n] = t; }
  bool HasResourceStringTranslation(const std::string& n, int) override { return remembered.count(n) > 0; }
  std::string GetResourceStringTranslation(const std::string& n, int) override { return remembered[n]; }
};

class TScratchProject {
public:
  TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path() + "/cfg");
  TTranslatorRegistry registry{location};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};

  std::string Path(const std::string& name) const { return dir.File(name); }
  void WriteForm(const std::string& name, const std::string& text) { WriteFile(Path(name), TextToResource(text)); }
  // P.dpr with the forms Main.dfm (and the extra ones), and three resource strings.
  void Create(const std::vector<std::string>& extraForms = {}) {
    WriteForm("Main.dfm", kMainForm);
    std::string uses = "  Forms,\r\n  Main in 'Main.pas' {Form1}";
    for (const std::string& f : extraForms) uses += ",\r\n  " + f + " in '" + f + ".pas' {" + f + "}";
    WriteFile(Path("P.dpr"), "program P;\r\n\r\nuses\r\n" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
    WriteFile(Path("P.DRC"),
              "#define Texts_SHello 65520\r\n#define Texts_SBye 65521\r\n#define Texts_SZero 0\r\n"
              "STRINGTABLE\r\nBEGIN\r\n\tTexts_SHello,\t\"Hello\"\r\n\tTexts_SBye,\t\"Bye\"\r\n"
              "\tTexts_SZero,\t\"Zero\"\r\nEND\r\n");
  }
  void Open() { project.Open(Path("P.dpr")); }
  // The answers a golden case gives, one word each (Ok, Cancel, Yes, No,
  // All) in the file, when it exists.
  void QueueAnswers(const std::string& file) {
    static const std::map<std::string, TAnswer> words = {
        {"Ok", TAnswer::Ok}, {"Cancel", TAnswer::Cancel}, {"Yes", TAnswer::Yes}, {"No", TAnswer::No}, {"All", TAnswer::All}};
    std::istringstream answers(FileExists(file) ? ReadFileBytes(file) : "");
    for (std::string word; answers >> word;) ui.answers.push_back(words.at(word));
  }
  TComponentHelper& MainRoot() { return *project.FindModule("Main.dfm")->Root; }
  TCHValue& Value(const std::string& path) { return *MainRoot().FindProperty(path); }
  TResourceStrListItem& String(const std::string& name) { return *project.ResourceStrings.Find(0, name); }
};

}  // namespace kst::test
