// kst: the command-line front end. "kst <topic> <action> ...", "kst --help",
// "kst <topic> --help". Exit codes: 0 success, 1 a reported error (one line
// on stderr), 2 a usage error.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

namespace kst::cli {

std::string Hex4(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", id & 0xFFFF);
  return text;
}

namespace {

std::vector<TTopic> AllTopics() {
  std::vector<TTopic> topics;
  for (auto* group : {LanguageTopics, FormTopics, PeTopics, StringsTopics, ProjectTopics, BuildTopics, TranslateTopics,
                      ExchangeTopics, CheckTopics, PseudoTopics, DictTopics})
    for (auto&& t : group()) topics.push_back(std::move(t));
  return topics;
}

void PrintHelp(std::ostream& out, const std::vector<TTopic>& topics) {
  out << "Kestrin Translator for Delphi 3 - command line\n\n"
         "usage: kst <topic> [<action>] [arguments...]\n"
         "       kst <topic> --help\n\n"
         "topics:\n";
  for (const TTopic& t : topics) {
    std::string name = t.name;
    name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
    out << "  " << name << t.summary << "\n";
  }
  out << "\nLanguages are given as hexadecimal identifiers (0407, $0407, 0x0407) or\n"
         "abbreviations (DEU). Settings live where KESTRIN_CONFIG_DIR points, or in\n"
         "the per-user configuration directory.\n";
}

// A line of the core's text may hold line breaks; a reported error is one line.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool yes = false;
  std::erase_if(args, [&](const std::string& a) {
    if (a == "--yes") yes = true;
    return a == "--yes";
  });
  TSystemCodePages system = TSystemCodePages::FromEnvironment();
  TConsoleInteraction interaction(std::cerr, system);
  interaction.answerYes = yes;
  TContext ctx{std::cout, std::cerr, TRegistryLocation::FromEnvironment(), system, interaction};
  std::vector<TTopic> topics = AllTopics();

  if (args.empty()) {
    PrintHelp(std::cerr, topics);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(std::cout, topics);
    return 0;
  }
  for (const TTopic& t : topics) {
    if (t.name != args[0]) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
      std::cout << t.usage;
      return 0;
    }
    try {
      return t.run(ctx, rest);
    } catch (const EUsageError& e) {
      std::cerr << "kst " << t.name << ": " << e.what() << "\n" << t.usage;
      return 2;
    } catch (const ETerminalError& e) {
      std::cout.flush();
      std::cerr << OneLine(e.what()) << "\n";
      return 1;
    } catch (const std::exception& e) {
      std::cout.flush();
      std::cerr << ctx.ToTerminal(OneLine(e.what())) << "\n";
      return 1;
    }
  }
  std::cerr << "kst: unknown topic \"" << args[0] << "\"; see kst --help\n";
  return 2;
}

}  // namespace

}  // namespace kst::cli

int main(int argc, char** argv) {
  try {
    return kst::cli::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
