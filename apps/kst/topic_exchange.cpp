// kst exchange: write a project's texts of one language to an exchange file
// for an outside translator, and read the translations back and store them.

#include <iostream>
#include <ostream>

#include "cli.h"
#include "cli_session.h"
#include "config/language_info.h"
#include "exchange/exchange_file.h"
#include "exchange/exchange_format.h"
#include "session/pseudo_translation.h"
#include "session/translation_session.h"

namespace kst::cli {

namespace {

enum class TOnDifference { Ask, Accept, Reject };

// The import's questions answered as the command line says; a warning about
// an unknown item or form is printed and the import goes on.
class TExchangeInteraction : public TProgressInteraction {
public:
  TExchangeInteraction(TContext& ctx, TOnDifference mode) : TProgressInteraction(ctx), mode_(mode) {}
  TAnswer Ask(const std::string& text, TButtons buttons) override {
    ClearProgress();
    if (buttons == TButtons::OkCancel) {
      ctx_.interaction.ShowWarning(text);
      return TAnswer::Ok;
    }
    if (buttons != TButtons::YesNoCancelAll || (mode_ == TOnDifference::Ask && ctx_.interaction.answerYes))
      return ctx_.interaction.Ask(text, buttons);
    if (mode_ == TOnDifference::Accept) return TAnswer::All;
    if (mode_ == TOnDifference::Reject) return TAnswer::No;
    std::string shown = ctx_.ToTerminal(text);
    for (char& c : shown)
      if (c == '\r') c = '\n';
    ctx_.err << shown << " [y]es, [n]o, [c]ancel, [a]ll: " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return TAnswer::Cancel;
    if (line == "y") return TAnswer::Yes;
    if (line == "n") return TAnswer::No;
    if (line == "a") return TAnswer::All;
    return TAnswer::Cancel;
  }

private:
  TOnDifference mode_;
};

TExchangeFormat ParseFormat(const std::string& name) {
  std::optional<TExchangeFormat> format = ExchangeFormatFromName(name);
  if (!format) throw EUsageError("--format takes trx, xliff or po");
  return *format;
}

int RunWrite(TContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> words;
  TExchangeWriteOptions options;
  int& types = options.typeFilter;
  std::string output;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--no-original") {
      options.includeOriginal = false;
    } else if (args[i] == "--format" && i + 1 < args.size()) {
      options.format = ParseFormat(args[++i]);
    } else if ((args[i] == "--types" || args[i] == "-o") && i + 1 < args.size()) {
      if (args[i] == "-o") {
        output = args[++i];
      } else {
        try {
          types = std::stoi(args[++i]);
        } catch (const std::exception&) {
          types = -1;
        }
        if (types < 1 || types > 7) throw EUsageError("--types takes 1 to 7 (1 strings, 2 numbers, 4 others)");
      }
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.size() != 2)
    throw EUsageError("expected: write PROJECT LANG [--format trx|xliff|po] [--types N] [--no-original] [-o FILE]");
  TExchangeInteraction ui(ctx, TOnDifference::Ask);
  TOpenedSession s(ctx, ui, words[0], words[1], false);
  std::string file = output.empty() ? s.session->DefaultExchangeFileName(options.format) : AbsoluteArgument(output);
  options.highlighted = PseudoHighlightTest(s.environment);
  WriteExchange(s.project, file, s.session->CurrentLanguage(), options);
  ctx.out << ctx.ToTerminal(s.project.ExpandFileName(file)) << "\n";
  return 0;
}

int RunRead(TContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> words;
  TOnDifference mode = TOnDifference::Ask;
  std::optional<TExchangeFormat> format;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format" && i + 1 < args.size()) {
      format = ParseFormat(args[++i]);
    } else if (args[i] == "--on-difference" && i + 1 < args.size()) {
      const std::string& m = args[++i];
      if (m == "ask") mode = TOnDifference::Ask;
      else if (m == "accept") mode = TOnDifference::Accept;
      else if (m == "reject") mode = TOnDifference::Reject;
      else throw EUsageError("--on-difference takes ask, accept or reject");
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.size() != 3)
    throw EUsageError("expected: read PROJECT LANG FILE [--format trx|xliff|po] [--on-difference ask|accept|reject]");
  TExchangeInteraction ui(ctx, mode);
  TOpenedSession s(ctx, ui, words[0], words[1], false);
  int applied =
      s.session->ReadExchangeFile(AbsoluteArgument(words[2]), format ? *format : ExchangeFormatOfFile(words[2]));
  s.Save(ctx);
  ctx.out << applied << (applied == 1 ? " translation changed\n" : " translations changed\n");
  return 0;
}

int RunExchange(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action");
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "write") return RunWrite(ctx, rest);
  if (args[0] == "read") return RunRead(ctx, rest);
  throw EUsageError("unknown action \"" + args[0] + "\"");
}

}  // namespace

std::vector<TTopic> ExchangeTopics() {
  return {
      {"exchange", "write and read exchange files for outside translators",
       "usage: kst exchange write PROJECT LANG [--format trx|xliff|po] [--types N]\n"
       "                          [--no-original] [-o FILE]\n"
       "       kst exchange read PROJECT LANG FILE [--format trx|xliff|po]\n"
       "                         [--on-difference ask|accept|reject]\n"
       "  --format: our tab-separated exchange file (trx, the default), XLIFF 1.2\n"
       "  or gettext PO (both UTF-8, with the version keys too); read takes the\n"
       "  format from the extension (.xlf, .xliff, .po) when it is not given.\n"
       "  write: the texts of the language; --types is a sum of 1 (string\n"
       "  properties, the default), 2 (numeric) and 4 (others); resource strings\n"
       "  are always written; --no-original is for trx only. The default FILE is\n"
       "  LANGDIR/PROJECT.trx (.xlf, .po).\n"
       "  read: applies the translations, then stores the language's files and\n"
       "  the project settings. A different original asks (on the terminal), or\n"
       "  is accepted or rejected as --on-difference says; items the project does\n"
       "  not have are reported and skipped, and so is a translation with a\n"
       "  character the language's code page lacks.\n",
       RunExchange},
  };
}

}  // namespace kst::cli
