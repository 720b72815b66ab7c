// kst dict: the translation dictionary from the command line: set it up,
// add and look up translations, import dictionary files, test highlighting,
// and count what it holds.
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/highlighting.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"

namespace kst::cli {

namespace {

// A language's translations are in its own code page; source texts in the
// project's (the system's).
int TranslationPage(const TContext& ctx, int language) { return LanguageAnsiCodePage(language, ctx.system); }

void Expect(const std::vector<std::string>& args, size_t count, const char* what) {
  if (args.size() != count + 1) throw EUsageError(what);
}

int RunInit(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() > 2) throw EUsageError("expected at most one directory");
  // An absolute path, so that the dictionary does not move with the
  // directory the program is started in.
  std::string parent = std::filesystem::absolute(args.size() == 2 ? args[1] : std::string(".")).lexically_normal();
  std::string path = JoinPath(parent, kDictionaryDirectoryName);
  ForceDirectories(path);
  TDatabaseEngine engine(ctx.registry);
  engine.SetAliasPath(kDictionaryAlias, path);
  TdatCommon common(engine, ctx.interaction);
  ctx.out << path << "\n";
  return 0;
}

int RunPath(TContext& ctx, const std::vector<std::string>& args) {
  Expect(args, 0, "takes no arguments");
  std::string path = TDatabaseEngine(ctx.registry).GetAliasPath(kDictionaryAlias);
  if (path.empty()) throw std::runtime_error("The dictionary is not set up yet; run \"kst dict init DIR\"");
  ctx.out << path << "\n";
  return 0;
}

int RunStats(TContext& ctx, TdatCommon& common) {
  TSqliteDatabase& db = common.Database();
  for (const TTableDef* table : AllTables()) {
    TSqliteStatement count = db.Prepare("SELECT count(*) FROM " + QuoteName(table->Name()));
    count.Step();
    ctx.out << table->fileName << "\t" << count.Int(0) << "\n";
  }
  ctx.out << "translations per language:\n";
  TSqliteStatement q = db.Prepare(
      "SELECT t.LangId, coalesce(l.Abbr, ''), count(*) FROM TrnsHist t LEFT JOIN LangList l ON l.LangId = t.LangId "
      "GROUP BY t.LangId ORDER BY t.LangId");
  while (q.Step())
    ctx.out << Hex4(static_cast<int>(q.Int(0))) << "\t" << ctx.ToTerminal(q.Text(1)) << "\t" << q.Int(2) << "\n";
  return 0;
}

int RunDict(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action: init, path, add, lookup, import, highlighted or stats");
  const std::string& action = args[0];
  if (action == "init") return RunInit(ctx, args);
  if (action == "path") return RunPath(ctx, args);

  auto open = [&] {
    if (action == "add") Expect(args, 3, "expected a source text, a translation and a language");
    else if (action == "lookup") Expect(args, 2, "expected a source text and a language");
    else if (action == "import") Expect(args, 1, "expected one dictionary file");
    else if (action == "highlighted") Expect(args, 1, "expected one property path");
    else if (action == "stats") Expect(args, 0, "takes no arguments");
    else throw EUsageError("unknown action \"" + action + "\"");
  };
  open();
  TDatabaseEngine engine(ctx.registry);
  TdatCommon common(engine, ctx.interaction);
  TdatTranslationHistory history(common);

  if (action == "add") {
    int language = ParseLanguageArgument(args[3]);
    int page = TranslationPage(ctx, language);
    history.AddTranslation(ctx.FromTerminal(args[1]), ctx.FromTerminal(args[2], page, LanguagePageName(language, page)),
                           language);
    return 0;
  }
  if (action == "lookup") {
    int language = ParseLanguageArgument(args[2]);
    std::vector<std::string> candidates;
    history.GetKnownTranslations(ctx.FromTerminal(args[1]), language, candidates);
    for (const std::string& c : candidates) ctx.out << ctx.ToTerminal(c, TranslationPage(ctx, language)) << "\n";
    return 0;
  }
  if (action == "import") {
    ctx.out << Hex4(history.ImportDictionaryFile(args[1])) << "\n";
    return 0;
  }
  if (action == "highlighted") {
    TdatHighLighting highlighting(common);
    ctx.out << (highlighting.IsHighlighted(ctx.FromTerminal(args[1])) ? "yes" : "no") << "\n";
    return 0;
  }
  return RunStats(ctx, common);
}

}  // namespace

std::vector<TTopic> DictTopics() {
  return {
      {"dict", "the translation dictionary",
       "usage: kst dict init [DIR]\n"
       "  Points the dictionary at DIR/KSTrans.DB (DIR defaults to the current\n"
       "  directory), creates what is missing there and prints the path.\n"
       "usage: kst dict path\n"
       "  Prints the dictionary directory.\n"
       "usage: kst dict add SOURCE TRANSLATION LANG\n"
       "  Records the translation unless the language or a sibling knows it.\n"
       "usage: kst dict lookup SOURCE LANG\n"
       "  The known translations, one a line: the language's own first, then\n"
       "  those of its sibling sub-languages.\n"
       "usage: kst dict import FILE\n"
       "  Imports a dictionary file (its extension names the language) and\n"
       "  prints the language ID.\n"
       "usage: kst dict highlighted PATH\n"
       "  yes or no: whether a rule highlights the property path (Class.Property).\n"
       "usage: kst dict stats\n"
       "  Rows per table, then translations per language.\n",
       RunDict},
  };
}

}  // namespace kst::cli
