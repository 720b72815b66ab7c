// kst dict: the translation dictionary from the command line: set it up (in
// a directory or on a PostgreSQL server), add and look up translations,
// import dictionary files, test highlighting, count what it holds, and copy
// it between databases.
#include <ostream>

#include "cli.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/dictionary_copy.h"
#include "dictionary/highlighting.h"
#include "dictionary/tmx_file.h"
#include "dictionary/translation_history.h"
#include "platform/file_utils.h"
#include "platform/postgres_db.h"
#include "session/translator_environment.h"

namespace kst::cli {

namespace {

// A language's translations are in its own code page; source texts in the
// project's (the system's).
int TranslationPage(const TContext& ctx, int language) { return LanguageAnsiCodePage(language, ctx.system); }

void Expect(const std::vector<std::string>& args, size_t count, const char* what) {
  if (args.size() != count + 1) throw EUsageError(what);
}

int RunInit(TContext& ctx, const std::vector<std::string>& args) {
  TTranslatorEnvironment environment(ctx.registry, ctx.interaction, ctx.system);
  if (args.size() >= 2 && args[1] == "--postgresql") {
    if (args.size() != 3) throw EUsageError("--postgresql takes one connection string");
    environment.SetUpServerDictionary(args[2]);
    ctx.out << ConnectionTextForDisplay(args[2]) << "\n";
    return 0;
  }
  if (args.size() > 2) throw EUsageError("expected at most one directory");
  ctx.out << environment.SetUpDictionary(args.size() == 2 ? args[1] : std::string(".")) << "\n";
  return 0;
}

int RunPath(TContext& ctx, const std::vector<std::string>& args) {
  Expect(args, 0, "takes no arguments");
  TTranslatorEnvironment environment(ctx.registry, ctx.interaction, ctx.system);
  const TDatabaseEngine& engine = environment.Engine();
  if (engine.GetAliasKind(kDictionaryAlias) == TDatabaseKind::PostgreSql) {
    std::string connection = engine.GetAliasConnection(kDictionaryAlias);
    if (connection.empty()) throw NotSetUp();
    ctx.out << ConnectionTextForDisplay(connection) << "\n";
    return 0;
  }
  std::string path = environment.DictionaryDirectory();
  if (path.empty()) throw NotSetUp();
  ctx.out << path << "\n";
  return 0;
}

int RunStats(TContext& ctx, TTranslatorEnvironment& environment) {
  TDictionaryStatistics statistics = environment.DictionaryStatistics();
  for (const auto& table : statistics.tables) ctx.out << table.fileName << "\t" << table.rows << "\n";
  ctx.out << "translations per language:\n";
  for (const auto& language : statistics.languages)
    ctx.out << Hex4(language.languageId) << "\t" << ctx.ToTerminal(language.abbreviation) << "\t"
            << language.translations << "\n";
  return 0;
}

// One end of a copy: a connection string (key=value words or a
// postgresql:// address) names a server, anything else a dictionary
// directory (what `kst dict path` prints).
std::unique_ptr<TDatabase> ConnectEnd(const TDatabaseEngine& engine, const std::string& end, bool source) {
  if (end.find('=') != std::string::npos || end.starts_with("postgresql://") || end.starts_with("postgres://"))
    return engine.ConnectServer(end);
  std::string dir = AbsoluteArgument(end);
  std::string file = JoinPath(dir, kDatabaseFileName);
  if (source && !FileExists(file))
    throw EDictionaryError("There is no dictionary in \"" + dir + "\" (no " + kDatabaseFileName + ")");
  ForceDirectories(dir);
  return engine.ConnectFile(file);
}

int RunCopy(TContext& ctx, const std::vector<std::string>& args) {
  Expect(args, 2, "expected the dictionary to copy and the one to copy it into");
  TTranslatorEnvironment environment(ctx.registry, ctx.interaction, ctx.system);
  const TDatabaseEngine& engine = environment.Engine();
  TdatCommon from(engine, ctx.interaction, ConnectEnd(engine, args[1], true));
  TdatCommon to(engine, ctx.interaction, ConnectEnd(engine, args[2], false));
  TDictionaryCopyReport report = CopyDictionary(from, to);
  ctx.out << "table\tfrom\tto\n";
  for (const auto& table : report.tables) ctx.out << table.fileName << "\t" << table.from << "\t" << table.to << "\n";
  size_t differing = 0;
  for (const auto& l : report.lookUps) {
    if (l.from == l.to) continue;
    ++differing;
    ctx.err << "differs: " << ctx.ToTerminal(EncodeEscapes(l.source)) << " " << Hex4(l.languageId) << "\n";
  }
  ctx.out << "look-ups compared " << report.lookUps.size() << ", differing " << differing << "\n";
  if (report.Same()) return 0;
  ctx.err << "error: the copy differs from its source\n";
  return 1;
}

// Reports quote the file's texts and are UTF-8 already.
void PrintTmxReports(TContext& ctx, const std::string& file, const std::vector<TTmxReport>& reports) {
  for (const TTmxReport& r : reports)
    ctx.err << "warning: " << file << (r.line ? ", line " + std::to_string(r.line) : std::string()) << ": "
            << r.message << "\n";
}

int RunExportTmx(TContext& ctx, TTranslatorEnvironment& environment, const std::vector<std::string>& args) {
  TTmxExport tmx = ExportTmx(environment.Common(), ParseLanguageArgument(args[1]), ctx.system);
  AtomicWriteFile(AbsoluteArgument(args[2]), tmx.document);
  PrintTmxReports(ctx, args[2], tmx.skipped);
  ctx.out << "written " << tmx.units << ", left out " << tmx.skipped.size() << ", resource-string entries not exported "
          << tmx.resourceStrings << "\n";
  return 0;
}

int RunImportTmx(TContext& ctx, TTranslatorEnvironment& environment, const std::vector<std::string>& args) {
  std::string file = AbsoluteArgument(args[1]);
  TTmxImport tmx = ImportTmx(environment.Common(), environment.History(), ReadFileBytes(file), file, ctx.system);
  PrintTmxReports(ctx, args[1], tmx.reports);
  ctx.out << "added " << tmx.added << ", already known " << tmx.known << ", skipped " << tmx.Skipped()
          << " (unknown language " << tmx.unknownLanguage << ", unmappable character " << tmx.unmappable
          << ", too long " << tmx.tooLong << ", resource string " << tmx.resourceStrings << ", incomplete "
          << tmx.incomplete << ")\n";
  return 0;
}

// fuzzy TEXT LANG [--min N] [--max N]: the words and the two bounds.
struct TFuzzyArguments {
  std::vector<std::string> words;
  int minScore = 70, maxResults = 5;
};

TFuzzyArguments ParseFuzzyArguments(const std::vector<std::string>& args) {
  TFuzzyArguments parsed;
  auto number = [&](size_t& i, int low, int high) {
    const std::string& option = args[i];
    if (++i >= args.size()) throw EUsageError(option + " needs a number");
    try {
      size_t used = 0;
      int value = std::stoi(args[i], &used);
      if (used == args[i].size() && value >= low && value <= high) return value;
    } catch (const std::exception&) {
    }
    throw EUsageError(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                      ", not \"" + args[i] + "\"");
  };
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--min")
      parsed.minScore = number(i, 0, 100);
    else if (args[i] == "--max")
      parsed.maxResults = number(i, 1, 1000);
    else
      parsed.words.push_back(args[i]);
  }
  if (parsed.words.size() != 2) throw EUsageError("expected a source text and a language");
  return parsed;
}

// One line per match: score, similar source and translation, tab-separated,
// texts escaped so that a tab or line break in them cannot split the line.
int RunFuzzy(TContext& ctx, TdatTranslationHistory& history, const TFuzzyArguments& a) {
  int language = ParseLanguageArgument(a.words[1]);
  for (const TFuzzyTranslation& m :
       history.GetFuzzyTranslations(ctx.FromTerminal(a.words[0]), language, a.minScore, a.maxResults))
    ctx.out << m.score << "\t" << ctx.ToTerminal(EncodeEscapes(m.sourceText)) << "\t"
            << ctx.ToTerminal(EncodeEscapes(m.translation), TranslationPage(ctx, language)) << "\n";
  return 0;
}

int RunDict(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty())
    throw EUsageError(
        "expected an action: init, path, add, lookup, fuzzy, import, export-tmx, import-tmx, highlighted, stats or "
        "copy");
  const std::string& action = args[0];
  if (action == "init") return RunInit(ctx, args);
  if (action == "path") return RunPath(ctx, args);
  if (action == "copy") return RunCopy(ctx, args);

  if (action == "add") Expect(args, 3, "expected a source text, a translation and a language");
  else if (action == "lookup") Expect(args, 2, "expected a source text and a language");
  else if (action == "import") Expect(args, 1, "expected one dictionary file");
  else if (action == "export-tmx") Expect(args, 2, "expected a language and a TMX file");
  else if (action == "import-tmx") Expect(args, 1, "expected one TMX file");
  else if (action == "highlighted") Expect(args, 1, "expected one property path");
  else if (action == "stats") Expect(args, 0, "takes no arguments");
  else if (action == "fuzzy") ParseFuzzyArguments(args);
  else throw EUsageError("unknown action \"" + action + "\"");
  TTranslatorEnvironment environment(ctx.registry, ctx.interaction, ctx.system);
  if (!environment.OpenDictionary()) throw NotSetUp();
  TdatTranslationHistory& history = environment.History();

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
  if (action == "fuzzy") return RunFuzzy(ctx, history, ParseFuzzyArguments(args));
  if (action == "import") {
    ctx.out << Hex4(history.ImportDictionaryFile(AbsoluteArgument(args[1]))) << "\n";
    return 0;
  }
  if (action == "export-tmx") return RunExportTmx(ctx, environment, args);
  if (action == "import-tmx") return RunImportTmx(ctx, environment, args);
  if (action == "highlighted") {
    ctx.out << (environment.HighLighting().IsHighlighted(ctx.FromTerminal(args[1])) ? "yes" : "no") << "\n";
    return 0;
  }
  return RunStats(ctx, environment);
}

}  // namespace

std::vector<TTopic> DictTopics() {
  return {
      {"dict", "the translation dictionary",
       "usage: kst dict init [DIR]\n"
       "  Points the dictionary at DIR/KSTrans.DB (DIR defaults to the current\n"
       "  directory), creates what is missing there and prints the path.\n"
       "usage: kst dict init --postgresql CONNECTION\n"
       "  Points the dictionary at a PostgreSQL database (a libpq connection\n"
       "  string such as \"host=db.example dbname=kestrin sslmode=require\"; the\n"
       "  database made with ENCODING 'SQL_ASCII'), creates what is missing\n"
       "  there and prints the connection. Passwords are not taken here: give\n"
       "  them through ~/.pgpass, PGPASSWORD or a service file.\n"
       "usage: kst dict path\n"
       "  Prints the dictionary directory (or server connection).\n"
       "usage: kst dict copy FROM TO\n"
       "  Copies every row of dictionary FROM into the empty dictionary TO;\n"
       "  each is a dictionary directory or a PostgreSQL connection string.\n"
       "  Prints the rows per table at both ends and how many look-ups of\n"
       "  sample source strings were compared and differ (exit code 1 if any).\n"
       "usage: kst dict add SOURCE TRANSLATION LANG\n"
       "  Records the translation unless the language or a sibling knows it.\n"
       "usage: kst dict lookup SOURCE LANG\n"
       "  The known translations, one a line: the language's own first, then\n"
       "  those of its sibling sub-languages.\n"
       "usage: kst dict fuzzy TEXT LANG [--min 70] [--max 5]\n"
       "  Translations of similar source texts, best first, one a line: the\n"
       "  similarity (0-100, 100 for the same text), the source text and the\n"
       "  translation, tab-separated, texts escaped; at most --max lines, none\n"
       "  below --min.\n"
       "usage: kst dict import FILE\n"
       "  Imports a dictionary file (its extension names the language) and\n"
       "  prints the language ID.\n"
       "usage: kst dict export-tmx LANG FILE\n"
       "  Writes the translations of LANG and its sibling sub-languages as a TMX\n"
       "  1.4b translation memory (UTF-8; sources tagged with the system locale).\n"
       "usage: kst dict import-tmx FILE\n"
       "  Adds the translations of a TMX file; units in languages the dictionary\n"
       "  lacks, with characters the code page cannot hold, or too long are\n"
       "  reported and skipped.\n"
       "usage: kst dict highlighted PATH\n"
       "  yes or no: whether a rule highlights the property path (Class.Property).\n"
       "usage: kst dict stats\n"
       "  Rows per table, then translations per language.\n",
       RunDict},
  };
}

}  // namespace kst::cli
