// Progress on the terminal and the opened translation session of the
// command line.
#include "cli_session.h"

#include <unistd.h>

#include <ostream>
#include <stdexcept>

#include "config/language_info.h"

namespace kst::cli {

TProgressInteraction::TProgressInteraction(TContext& ctx) : ctx_(ctx), tty_(isatty(2) == 1) {}

TProgressInteraction::~TProgressInteraction() { ClearProgress(); }

void TProgressInteraction::ClearProgress() {
  if (shown_) ctx_.err << "\r\033[K" << std::flush;
  shown_ = false;
}

void TProgressInteraction::SetHint(const std::string& text) {
  ctx_.interaction.SetHint(text);
  if (!tty_ || text.empty()) return;
  auto now = std::chrono::steady_clock::now();
  if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  shown_ = true;
  std::string line = ctx_.ToTerminal(text.substr(0, 76));
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  ctx_.err << "\r\033[K" << line << std::flush;
}

TOpenedSession::TOpenedSession(TContext& ctx, TUserInteraction& ui, const std::string& file,
                               const std::string& language, bool needDictionary)
    : environment(ctx.registry, ui, ctx.system), project(environment.Project()) {
  int id = ParseLanguageArgument(language);
  if (!environment.OpenDictionary() && needDictionary) throw NotSetUp();
  session = &environment.Session();
  environment.OpenProject(file, id);
}

void TOpenedSession::Save(TContext& ctx) {
  session->SaveProject();
  const TDictionaryFeedReport& report = session->LastFeedReport();
  if (!environment.DictionaryOpen())
    ctx.err << "note: the dictionary is not set up; translations were not added to it\n";
  else if (report.tooLong > 0)
    ctx.err << "note: " << report.tooLong << " translation(s) too long for the dictionary were not added to it\n";
}

}  // namespace kst::cli
