// kst pseudo: fill a language with pseudo-translations before any translator
// starts, or take them out again.

#include <ostream>
#include <string>

#include "cli.h"
#include "cli_session.h"
#include "session/pseudo_translation.h"
#include "session/translation_session.h"

namespace kst::cli {

namespace {

constexpr int kDefaultExpand = 30;
constexpr int kMostExpand = 1000;

int ParseExpand(const std::string& text) {
  size_t used = 0;
  int value = -1;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 0 || value > kMostExpand)
    throw EUsageError("--expand takes a percentage from 0 to " + std::to_string(kMostExpand));
  return value;
}

int RunPseudo(TContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> words;
  int expand = kDefaultExpand;
  bool clear = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--clear") {
      clear = true;
    } else if (args[i] == "--expand") {
      if (++i == args.size()) throw EUsageError("--expand needs a percentage");
      expand = ParseExpand(args[i]);
    } else if (args[i].starts_with("--expand=")) {
      expand = ParseExpand(args[i].substr(9));
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.size() != 2) throw EUsageError("expected: PROJECT LANG [--expand PERCENT] [--clear]");
  TProgressInteraction ui(ctx);
  TOpenedSession s(ctx, ui, words[0], words[1], false);
  if (clear) {
    int cleared = ClearPseudoTranslations(*s.session);
    s.Save(ctx);
    ctx.out << cleared << (cleared == 1 ? " pseudo-translation removed\n" : " pseudo-translations removed\n");
    return 0;
  }
  TPseudoReport report = PseudoTranslateLanguage(*s.session, PseudoHighlightTest(s.environment), expand);
  s.Save(ctx);
  for (const std::string& why : report.refused) ctx.err << "warning: " << ctx.ToTerminal(why) << "\n";
  ctx.out << report.changed << (report.changed == 1 ? " text pseudo-translated\n" : " texts pseudo-translated\n");
  return 0;
}

}  // namespace

std::vector<TTopic> PseudoTopics() {
  return {
      {"pseudo", "fill a language with pseudo-translations, or remove them",
       "usage: kst pseudo PROJECT LANG [--expand PERCENT]\n"
       "       kst pseudo PROJECT LANG --clear\n"
       "  Gives every untranslated resource string and every untranslated\n"
       "  property the highlighting rules mark as text (never a font's name,\n"
       "  data field or SQL) a pseudo-translation: look-alike letters of the\n"
       "  language's code page, in brackets, padded by PERCENT (default 30) of\n"
       "  the text's length. Format specifiers, accelerators, \"|\" fields,\n"
       "  blanks and line breaks stay; the ending punctuation follows the\n"
       "  closing bracket (\"[Šàvé çhàñgéš tö %s···]?\"). A module compiled\n"
       "  then shows hard-coded texts unchanged and cut-off ones without their\n"
       "  closing bracket. Real translations are never overwritten, and\n"
       "  pseudo-translations never reach the dictionary. --clear removes the\n"
       "  pseudo-translations (whatever PERCENT made them) and keeps the rest.\n",
       RunPseudo},
  };
}

}  // namespace kst::cli
