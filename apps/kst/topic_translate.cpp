// kst translate: set, show and automatically translate the texts of one
// language of a project, storing them as the translation session does.

#include <iostream>
#include <memory>
#include <ostream>

#include "cli.h"
#include "cli_session.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/auto_translate.h"
#include "platform/file_utils.h"
#include "session/translation_session.h"

namespace kst::cli {

namespace {

// Originals are in the project's code page, translations in the language's.
std::string Term(TContext& ctx, const std::string& ansi, int codePage) {
  return ctx.ToTerminal(EncodeEscapes(ansi), codePage);
}

int RunShow(TContext& ctx, const std::vector<std::string>& args) {
  bool untranslated = false;
  std::vector<std::string> words;
  for (const std::string& a : args) {
    if (a == "--untranslated")
      untranslated = true;
    else
      words.push_back(a);
  }
  if (words.size() != 2) throw EUsageError("expected: show PROJECT LANG [--untranslated]");
  TProgressInteraction ui(ctx);
  TOpenedSession s(ctx, ui, words[0], words[1], false);
  int originalPage = s.session->OriginalCodePage(), translationPage = s.session->TranslationCodePage();
  s.session->ForEachEntry([&](const TSessionEntry& entry) {
    bool translated = entry.IsTranslated();
    if (untranslated && translated) return;
    ctx.out << ctx.ToTerminal(entry.key) << "\t" << (translated ? "translated" : "untranslated") << "\t"
            << Term(ctx, *entry.original, originalPage) << "\t" << Term(ctx, *entry.translation, translationPage)
            << "\n";
  });
  return 0;
}

int RunSet(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 4) throw EUsageError("expected: set PROJECT LANG PATH TEXT");
  TProgressInteraction ui(ctx);
  TOpenedSession s(ctx, ui, args[0], args[1], false);
  const std::string& path = args[2];
  if (path.empty() || (path[0] != '@' && path[0] != '#' && path.find(':') == std::string::npos))
    throw EUsageError("PATH is FORM.dfm:Component.Property, @ResourceString or #VersionKey");
  int page = s.session->TranslationCodePage();
  std::string text = ctx.FromTerminal(args[3], page, LanguagePageName(s.session->CurrentLanguage(), page));
  s.session->SetTranslation(ctx.FromTerminal(path), text);
  s.Save(ctx);
  return 0;
}

// The automatic-translation dialog on the terminal: Enter takes the first
// candidate, a number takes that candidate, "=" and a text takes the text,
// "s" skips, "q" (or the end of input) stops. Fuzzy candidates (translations
// of similar texts) are listed with their score and the similar text, and
// Enter skips then: one is taken only by its number. --yes takes the first
// exact candidate and never a fuzzy one.
class TTerminalAutoTranslate : public TAutoTranslateDialog {
public:
  TTerminalAutoTranslate(TContext& ctx, bool yes, TTranslationSession& session)
      : ctx_(ctx), yes_(yes), originalPage_(session.OriginalCodePage()), translationPage_(session.TranslationCodePage()),
        pageName_(LanguagePageName(session.CurrentLanguage(), translationPage_)) {}
  bool stopped = false;
  TAnswer Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                  std::string& translation) override {
    const bool fuzzy = candidates.front().fuzzy;
    if (yes_) {
      if (fuzzy) return TAnswer::Ignore;
      translation = candidates.front().text;
      return TAnswer::Yes;
    }
    ctx_.err << "original: " << Term(ctx_, original, originalPage_) << "\n";
    for (size_t i = 0; i < candidates.size(); ++i) {
      ctx_.err << "  " << i + 1 << ": ";
      if (fuzzy) ctx_.err << candidates[i].score << "% ";
      ctx_.err << Term(ctx_, candidates[i].text, translationPage_);
      if (fuzzy) ctx_.err << "  (for: " << Term(ctx_, candidates[i].sourceText, originalPage_) << ")";
      ctx_.err << "\n";
    }
    ctx_.err << (fuzzy ? "number, =TEXT, [Enter] or s skip, q stop: " : "[Enter] first, number, =TEXT, s skip, q stop: ")
             << std::flush;
    std::string line;
    if (!std::getline(std::cin, line) || line == "q") {
      stopped = true;
      return TAnswer::Cancel;
    }
    if (line == "s" || (fuzzy && line.empty())) return TAnswer::Ignore;
    if (!line.empty() && line[0] == '=') {
      try {
        translation = ctx_.FromTerminal(line.substr(1), translationPage_, pageName_);
      } catch (const ETerminalError& e) {
        ctx_.err << e.what() << "\n";
        return TAnswer::Ignore;
      }
      return TAnswer::Yes;
    }
    size_t pick = 1;
    if (!line.empty()) {
      try {
        pick = std::stoul(line);
      } catch (const std::exception&) {
        pick = 0;
      }
    }
    if (pick < 1 || pick > candidates.size()) return TAnswer::Ignore;
    translation = candidates[pick - 1].text;
    return TAnswer::Yes;
  }

private:
  TContext& ctx_;
  bool yes_;
  int originalPage_, translationPage_;
  std::string pageName_;
};

int RunAuto(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 2) throw EUsageError("expected: auto PROJECT LANG [--yes]");
  TProgressInteraction ui(ctx);
  TOpenedSession s(ctx, ui, args[0], args[1], true);
  TTerminalAutoTranslate dialog(ctx, ctx.interaction.answerYes, *s.session);
  int changed = s.session->AutoTranslateResourceStrings(dialog);
  for (TModuleEntry& entry : s.project.Modules) {
    if (dialog.stopped) break;
    s.session->SelectForm(entry.Module.get());
    changed += s.session->AutoTranslateForm(dialog);
  }
  s.Save(ctx);
  ctx.out << changed << " entries translated\n";
  return 0;
}

int RunTranslate(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action");
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "show") return RunShow(ctx, rest);
  if (args[0] == "set") return RunSet(ctx, rest);
  if (args[0] == "auto") return RunAuto(ctx, rest);
  throw EUsageError("unknown action \"" + args[0] + "\"");
}

}  // namespace

std::vector<TTopic> TranslateTopics() {
  return {
      {"translate", "show, set and automatically translate the texts of a project's language",
       "usage: kst translate show PROJECT LANG [--untranslated]\n"
       "       kst translate set PROJECT LANG PATH TEXT\n"
       "       kst translate auto PROJECT LANG [--yes]\n"
       "  PATH is FORM.dfm:Component.Property (a property path of the form),\n"
       "  @Name (a resource string) or #Key (a version key). LANG must be a\n"
       "  language of the project. show prints key, state, original and\n"
       "  translation, tab-separated, texts escaped. set and auto store the\n"
       "  language's translation files and the project settings, and add the\n"
       "  translations to the dictionary when it is set up. auto offers the\n"
       "  dictionary's translations of each untranslated entry, or when it knows\n"
       "  none, those of similar texts with their similarity (taken only by\n"
       "  number); --yes takes the first known translation each time and never\n"
       "  a similar text's.\n",
       RunTranslate},
  };
}

}  // namespace kst::cli
