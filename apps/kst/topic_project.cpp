// kst project, kst version: open a project or a compiled module, show what it
// holds, change its languages, forms and custom resources, and write the
// version resource of a language.
#include <map>
#include <ostream>

#include "cli.h"
#include "config/language_info.h"
#include "project/project_data.h"
#include "session/translator_environment.h"

namespace kst::cli {

namespace {

const char* TypeGroup(TPropertyType type) {
  switch (type) {
    case ptString: return "Str";
    case ptInteger: case ptFloat: return "Num";
    case ptSymbol: case ptSet: case ptClass: return "Sym";
    default: return "Other";
  }
}

struct TOpened {
  TTranslatorEnvironment environment;
  TProjectData& project;
  TOpened(TContext& ctx, const std::string& file)
      : environment(ctx.registry, ctx.interaction, ctx.system), project(environment.Project()) {
    project.Open(file);
  }
};

void PrintSummary(TContext& ctx, TProjectData& p) {
  auto term = [&](const std::string& s) { return ctx.ToTerminal(s); };
  ctx.out << "project: " << term(p.FileName) << "\n";
  for (TModuleEntry& m : p.Modules) {
    std::map<std::string, int> counts{{"Str", 0}, {"Num", 0}, {"Sym", 0}, {"Other", 0}};
    if (m.Module->Root)
      m.Module->Root->ForEachPropertyPath([&](const std::string&, TCHValue& v) { ++counts[TypeGroup(v.PropertyType)]; });
    ctx.out << "form: " << term(m.Name);
    if (m.Module->Root) ctx.out << " (" << term(m.Module->Root->Name) << ": " << term(m.Module->Root->ClassName) << ")";
    for (const char* group : {"Str", "Num", "Sym", "Other"})
      if (counts[group] > 0 || group != std::string("Other")) ctx.out << " " << group << "=" << counts[group];
    ctx.out << (m.Module->ManuallyAdded ? " added-by-hand" : "") << "\n";
  }
  for (TLanguageEntry& lang : p.Languages)
    ctx.out << "language: " << Hex4(lang.Item->LanguageId) << " " << LanguageAbbreviation(lang.Item->LanguageId) << " "
            << term(lang.Name) << "\n";
  ctx.out << "resource strings: " << p.ResourceStrings.Count() << "\n";
  const TVersionInfo& v = p.VersionInfo;
  ctx.out << "version: " << v.MajorVer << "." << v.MinorVer << "." << v.Release << "." << v.Build
          << " include=" << (v.IncludeVerInfo ? "yes" : "no") << " debug=" << (v.Debug ? "yes" : "no")
          << " prerelease=" << (v.PreRelease ? "yes" : "no") << " special=" << (v.SpecialBuild ? "yes" : "no")
          << " private=" << (v.PrivateBuild ? "yes" : "no") << "\n";
  for (const auto& label : v.Items) ctx.out << "version key: " << term(label->Key) << " = " << term(label->Value) << "\n";
  for (const auto& r : p.CustomResources.Items) ctx.out << "custom resource: " << term(r->FileName) << "\n";
  ctx.out << "output directory: " << term(p.GetOutputDirectory(true, 0)) << "\n";
}

int RunProject(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action");
  const std::string& action = args[0];
  auto need = [&](size_t n) {
    if (args.size() != n) throw EUsageError("wrong number of arguments for \"" + action + "\"");
  };
  if (action == "show") {
    need(2);
    TOpened opened(ctx, args[1]);
    PrintSummary(ctx, opened.project);
    return 0;
  }
  if (action == "add-language" || action == "remove-language") {
    need(3);
    int id = ParseLanguageArgument(args[2]);
    TOpened opened(ctx, args[1]);
    if (action == "add-language")
      opened.project.AddLanguage(id);
    else
      opened.project.RemoveLanguage(id);
    opened.project.Save();
    return 0;
  }
  if (action == "add-form") {
    need(3);
    TOpened opened(ctx, args[1]);
    opened.project.AddModule(AbsoluteArgument(args[2]), true);
    opened.project.Save();
    return 0;
  }
  if (action == "add-resource") {
    need(3);
    TOpened opened(ctx, args[1]);
    opened.project.AddCustomResource(AbsoluteArgument(args[2]));
    opened.project.Save();
    return 0;
  }
  throw EUsageError("unknown action \"" + action + "\"");
}

int RunVersion(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 4 || args[0] != "resource") throw EUsageError("expected: resource FILE LANG OUT.RES");
  int id = ParseLanguageArgument(args[2]);
  TOpened opened(ctx, args[1]);
  WriteVersionResource(opened.project.VersionInfo, args[3], id);
  return 0;
}

}  // namespace

std::vector<TTopic> ProjectTopics() {
  return {
      {"project", "open a Delphi project or a compiled module; change its languages, forms, resources",
       "usage: kst project show FILE\n"
       "       kst project add-language FILE ID\n"
       "       kst project remove-language FILE ID\n"
       "       kst project add-form FILE DFM\n"
       "       kst project add-resource FILE RES\n"
       "  FILE is a .DPR, .EXE, .DLL, .DPL or .BPL. Changes are saved to the project's\n"
       "  settings file (.TRI). A compiled module is taken apart into the folder\n"
       "  FILE.kst beside it. Warnings of the open go to stderr.\n",
       RunProject},
      {"version", "write the version resource of a project for a language",
       "usage: kst version resource FILE LANG OUT.RES\n", RunVersion},
  };
}

}  // namespace kst::cli
