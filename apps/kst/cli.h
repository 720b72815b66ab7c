// The command-line front end's plumbing: topics with their actions, usage
// errors (exit 2) against reported errors (exit 1), and the console's side of
// the interaction interface.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/interaction.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace kst::cli {

// A command line the program cannot make sense of; the message says why.
class EUsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A reported error whose message is already the terminal's UTF-8 (it quotes
// what the user typed); printed as it stands.
class ETerminalError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Warnings go to stderr; questions take the default of the command line
// (--yes answers Yes/OK/All, otherwise Cancel), since nobody may be there.
class TConsoleInteraction : public TUserInteraction {
public:
  explicit TConsoleInteraction(std::ostream& err, const TSystemCodePages& system) : err_(err), system_(system) {}
  bool answerYes = false;

  std::string Hint() const override { return hint_; }
  void SetHint(const std::string& text) override { hint_ = text; }
  bool BusyCursor() const override { return busy_; }
  void SetBusyCursor(bool busy) override { busy_ = busy; }
  void ShowWarning(const std::string& text) override;
  TAnswer Ask(const std::string& text, TButtons buttons) override;

private:
  std::ostream& err_;
  TSystemCodePages system_;
  std::string hint_;
  bool busy_ = false;
};

struct TContext {
  std::ostream& out;
  std::ostream& err;
  TRegistryLocation registry;
  TSystemCodePages system;
  TConsoleInteraction& interaction;
  // ANSI text of the core to the terminal's UTF-8: in the system's code page
  // (the project's originals, names, messages), or in another one (a
  // language's translations).
  std::string ToTerminal(const std::string& ansi) const { return CodePageToUtf8(ansi, system.ansi); }
  std::string ToTerminal(const std::string& ansi, int codePage) const { return CodePageToUtf8(ansi, codePage); }
  // What the user typed (UTF-8) in a code page. A character the page cannot
  // hold is refused with ETerminalError naming it and `page` (such as "code
  // page 1251 of Russian"), never stored as "?".
  std::string FromTerminal(const std::string& utf8, int codePage, const std::string& page) const;
  std::string FromTerminal(const std::string& utf8) const;
};

// A file named on the command line, which is relative to the current
// directory; the core takes relative names against the project's.
std::string AbsoluteArgument(const std::string& path);

// The dictionary's "not set up" error with what to do about it here.
std::runtime_error NotSetUp();

// "code page N of LANGUAGE" for a language's translations.
std::string LanguagePageName(int languageId, int codePage);

// A language ID as four upper-case hexadecimal digits ("0407").
std::string Hex4(int id);

struct TTopic {
  std::string name;
  std::string summary;  // one line for "kst --help"
  std::string usage;    // the lines of "kst <topic> --help"
  // Runs the topic with the words after its name.
  int (*run)(TContext& ctx, const std::vector<std::string>& args);
};

// Each topic file contributes its topics.
std::vector<TTopic> LanguageTopics();
std::vector<TTopic> FormTopics();
std::vector<TTopic> PeTopics();
std::vector<TTopic> StringsTopics();
std::vector<TTopic> DictTopics();
std::vector<TTopic> ProjectTopics();
std::vector<TTopic> BuildTopics();
std::vector<TTopic> TranslateTopics();
std::vector<TTopic> ExchangeTopics();
std::vector<TTopic> PseudoTopics();
std::vector<TTopic> CheckTopics();

}  // namespace kst::cli
