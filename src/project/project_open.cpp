// Opening a project: scanning a Delphi project source, or taking a compiled
// module apart into files the project then reads.
//
// Extracted form file (what the form reader reads):
//   u8 0xFF | u16 10 (RCDATA) | name (at most 63 bytes, a-z upper-cased), NUL |
//   u16 0x1030 | u32 0 | the resource data ("TPF0"...)
#include <filesystem>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_parser.h"
#include "formmodel/user_defined.h"
#include "peresources/exe_file.h"
#include "peresources/res_writer.h"
#include "peresources/resource_tree.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "project/project_data.h"
#include "resstrings/string_tables.h"

namespace kst {

namespace {

const char kMarkerFile[] = "KESTRIN.TXT";

std::string NotFoundMessage(const std::string& name) { return "File\r\r" + name + "\r\rnot found!"; }

// A resource name made safe as part of a file name: no separators, no
// parent references, nothing a hostile module could use to write elsewhere.
std::string SafeFileNamePart(std::string_view name) {
  std::string out;
  for (unsigned char c : name) out += (c < 32 || c == '/' || c == '\\' || c == ':' || c == 127) ? '_' : char(c);
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

std::string ExtractedFormFile(std::string_view resourceName, std::span<const uint8_t> data) {
  std::string name(resourceName.substr(0, 63));
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  TByteWriter out;
  out.U8(0xFF);
  out.U16(10);
  out.Bytes(name);
  out.U8(0);
  out.U16(0x1030);
  out.U32(0);
  out.Bytes(data);
  return out.Take();
}

bool StartsWithTpf0(std::span<const uint8_t> data) {
  return data.size() >= 5 && data[0] == 'T' && data[1] == 'P' && data[2] == 'F' && data[3] == '0';
}

template <typename F>
void ForEachLeaf(const TPEResourceDirectory& dir, F&& f) {
  for (int i = 0; i < dir.DataEntryCount(); ++i) f(dir.DataEntry(i));
  for (int i = 0; i < dir.SubdirectoryCount(); ++i) ForEachLeaf(dir.Subdirectory(i), f);
}

}  // namespace

std::string TProjectData::ExtractionDirectory(std::string_view moduleFileName) {
  return std::string(moduleFileName) + ".kst";
}

bool TProjectData::IsCompiledModule() const { return IsCompiledModuleName(FileName); }

bool TProjectData::IsCompiledModuleName(std::string_view fileName) {
  std::string ext = ExtractFileExt(fileName);
  return SameText(ext, ".EXE") || SameText(ext, ".DLL") || SameText(ext, ".DPL") || SameText(ext, ".BPL");
}

std::string TProjectData::DrcFileName() const {
  if (!drcFileName_.empty()) return drcFileName_;
  return ChangeFileExt(FileName, ".DRC");
}

void TProjectData::Open(const std::string& givenName) {
  Clear();
  const std::string fileName = AbsolutePath(givenName);
  directory_ = ExtractFileDir(fileName);
  SettingsFile.reset();
  OptionsFile.reset();
  // Files written on Windows may differ in letter case from what we derive.
  auto beside = [&](const char* ext) {
    std::string path = ChangeFileExt(fileName, ext);
    std::string found = ResolveFileNameCase(path);
    return FileExists(found) ? found : path;
  };
  SettingsFile = std::make_unique<TIniFile>(beside(".TRI"));
  OptionsFile = std::make_unique<TIniFile>(beside(".DOF"));
  ProjectOutputDir = OptionsFile->ReadString("Directories", "OutputDir", "");
  UnitOutputDir = OptionsFile->ReadString("Directories", "UnitOutputDir", "");

  std::string ext = ExtractFileExt(fileName);
  if (SameText(ext, ".DPR"))
    ScanProjectSource(fileName);
  else if (IsCompiledModuleName(fileName))
    try {
      ImportCompiledModule(fileName);
    } catch (const EPEResourceError& e) {
      // "Error opening <file>" names it already; the checks of the headers
      // and the resource tree do not.
      if (std::string_view(e.what()).find(fileName) != std::string_view::npos) throw;
      throw EPEResourceError(ExtractFileName(fileName) + ": " + e.what());
    }
  else
    throw EProjectError("Unknown Project Type!");

  OutputDirectory = SettingsFile->ReadString("Directories", "OutputDir", kTranslationDirectoryPlaceholder);
  // An empty value (written by hand, or by an older version's options
  // dialog) names no directory; the compiler would get an empty one.
  if (TrimBlanks(OutputDirectory).empty()) OutputDirectory = kTranslationDirectoryPlaceholder;

  std::string list = SettingsFile->ReadString("Kestrin.Translator.Languages", "LanguageList", "") + ";";
  for (;;) {
    size_t semi = list.find(';');
    std::string piece = TrimBlanks(list.substr(0, semi));
    list.erase(0, semi + 1);
    if (piece.empty()) break;
    int id = StrToInt(piece);
    try {
      AddLanguage(id);
    } catch (const EProjectError& e) {
      interaction_.ShowWarning(e.what());
    }
  }

  for (const std::string& key : SettingsFile->ReadSection("Kestrin.Translator.Modules")) {
    std::string value = SettingsFile->ReadString("Kestrin.Translator.Modules", key, "");
    if (value.empty()) continue;
    std::string form = ChangeFileExt(value, ".DFM");
    if (!FileExists(ExpandFileName(form)))
      interaction_.ShowWarning(NotFoundMessage(form));
    else
      AddModule(form, true);
  }

  for (TModuleEntry& m : Modules) LoadUserDefinedProperties(*m.Module, *SettingsFile, interaction_);

  for (const std::string& key : SettingsFile->ReadSection("Kestrin.Translator.CustomResources")) {
    std::string value = SettingsFile->ReadString("Kestrin.Translator.CustomResources", key, "");
    if (value.empty()) continue;
    if (!FileExists(ExpandFileName(value)))
      interaction_.ShowWarning(NotFoundMessage(value));
    else
      AddCustomResource(value);
  }
  FileName = fileName;
}

void TProjectData::LoadResourceStrings(const std::string& drcFileName) {
  drcFileName_ = drcFileName;
  std::string path = ExpandFileName(drcFileName);
  if (FileExists(path)) {
    try {
      DrcFileDate = ResourceStrings.ReadScript(path);
    } catch (const EConvertError& e) {
      throw EConvertError(ExtractFileName(path) + ": " + e.what());
    }
  } else {
    interaction_.ShowWarning(drcFileName +
                             " does not exist! Please recompile the project in Delphi with detailed map files enabled!");
    ResourceStrings.Clear();
    DrcFileDate = 0;
  }
}

void TProjectData::ReloadResourceStrings() {
  std::string path = ExpandFileName(DrcFileName());
  TResourceStringsHelper fresh;
  double stamp = FileExists(path) ? fresh.ReadScript(path) : 0;
  ResourceStrings = std::move(fresh);
  DrcFileDate = stamp;
}

void TProjectData::ScanProjectSource(const std::string& fileName) {
  SourceBuffer = ReadFileBytes(ExpandFileName(fileName));
  if (SourceBuffer.find("//TRN") != std::string::npos) {
    Clear();
    throw EProjectError("This is a generated language-module and can't be translated again!");
  }
  LoadResourceStrings(ChangeFileExt(fileName, ".DRC"));

  ReadVersionOptions(VersionInfo, *OptionsFile);

  // The scan keeps SourceBuffer as it was read; names in it resolve against
  // the project's directory, never the process's current one.
  TParser parser(SourceBuffer);
  int depth = 0;
  int commentLine = -1;
  bool done = false;
  const std::string projectDir = ExtractFileDir(fileName);
  while (!done && parser.Token() != toEOF) {
    char t = parser.Token();
    if (t == '{') {
      ++depth;
    } else if (t == '}') {
      --depth;
    } else if (t == '(') {
      if (parser.NextToken() == '*') ++depth;
    } else if (t == '*') {
      if (parser.NextToken() == ')') --depth;
    } else if (t == '/') {
      if (parser.NextToken() == '/') commentLine = parser.SourceLine();
    } else if (t == toSymbol && depth == 0 && parser.SourceLine() != commentLine) {
      if (parser.TokenSymbolIs("END")) {
        done = true;
      } else if (parser.TokenSymbolIs("USES")) {
        ScanUsesClause(parser, projectDir);
        done = true;
      }
    }
    if (!done) parser.NextToken();
  }
}

void TProjectData::ScanUsesClause(TParser& parser, const std::string& projectDir) {
  parser.NextToken();
  while (parser.Token() != ';' && parser.Token() != toEOF) {
    if (parser.Token() != toSymbol) return;
    parser.NextToken();
    if (parser.TokenSymbolIs("IN")) {
      if (parser.NextToken() != toString) return;
      std::string unit = ToInternalPath(parser.TokenString());
      std::string form = ChangeFileExt(unit, ".DFM");
      if (!IsAbsolutePath(unit)) form = projectDir.empty() ? form : projectDir + "/" + form;
      form = std::filesystem::path(form).lexically_normal().string();
      std::string onDisk = ExpandFileName(form);
      if (FileExists(onDisk)) AddModule(onDisk, false);
    }
    while (parser.Token() != ',' && parser.Token() != ';' && parser.Token() != toEOF) parser.NextToken();
    if (parser.Token() == ',') parser.NextToken();
  }
}

void TProjectData::ImportCompiledModule(const std::string& fileName) {
  TExefile module(ExpandFileName(fileName), system_.ansi);

  // Everything taken out of the module goes into a folder of its own beside
  // it, so that the project's own App.RES, App.DRC or forms are never
  // overwritten. The folder carries a marker; one without it is the user's.
  std::string dir = ExtractionDirectory(fileName);
  std::string marker = dir + "/" + kMarkerFile;
  if (DirectoryExists(dir) && !FileExists(marker))
    throw EProjectError("The folder " + dir + " exists but was not made by Kestrin Translator. Rename or move it to open " +
                        fileName + ".");
  ForceDirectories(dir);
  if (!FileExists(marker))
    AtomicWriteFile(marker, "These files were taken out of " + ExtractFileName(fileName) +
                                " by Kestrin Translator.\r\nThey are written again each time it is opened.\r\n");
  std::string base = dir + "/" + ExtractFileName(ChangeFileExt(fileName, ""));

  std::string drc = base + ".DRC";
  WriteStringTableScript(module, drc);
  LoadResourceStrings(drc);

  const TPEResourceDirectory& root = module.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t) {
    const TPEResourceDirectory& type = root.Subdirectory(t);
    if (type.TypeIsNamed() || type.TypeID() != 10) continue;
    ForEachLeaf(type, [&](const TPEResourceDataEntry& leaf) {
      if (!StartsWithTpf0(leaf.Data())) return;
      std::string form = dir + "/~" + SafeFileNamePart(leaf.Name()) + ".DFM";
      AtomicWriteFile(form, ExtractedFormFile(leaf.Name(), leaf.Data()));
      AddModule(form, false);
    });
  }

  std::vector<TModuleResource> others;
  ForEachLeaf(root, [&](const TPEResourceDataEntry& leaf) {
    bool numbered = !leaf.TypeIsNamed();
    int64_t type = leaf.TypeID();
    if (numbered && type == 6) return;
    if (numbered && type == 16) {
      // A module whose version resource is broken still opens: it only
      // loses its version information, and the user is told which module.
      try {
        ReadVersionResource(VersionInfo, leaf.Data(), system_.ansi);
      } catch (const EVersionResourceError& e) {
        VersionInfo = TVersionInfo();
        interaction_.ShowWarning(ExtractFileName(fileName) + ": " + e.what() +
                                 " The module's version information is not taken over.");
      }
      return;
    }
    if (StartsWithTpf0(leaf.Data())) return;
    if (numbered && type == 10 && (SameText(leaf.Name(), "DVCLAL") || SameText(leaf.Name(), "PACKAGEINFO"))) return;
    others.push_back(TModuleResource{numbered ? "#" + std::to_string(type) : leaf.TypeName(), leaf.Name(),
                                     static_cast<uint16_t>(leaf.LanguageID()), leaf.Data()});
  });
  std::string res = base + ".RES";
  AtomicWriteFile(res, BuildCustomResourceFile(others));
  AddCustomResource(res);
}

}  // namespace kst
