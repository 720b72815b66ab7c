// What the translate and exchange commands share: progress on the terminal,
// and a project opened through the translation session with one language
// selected and the dictionary attached when it is set up.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "cli.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"

namespace kst::cli {

// Passes everything to the console and, when stderr is a terminal, shows the
// status hint there as progress (at most ten times a second).
class TProgressInteraction : public TUserInteraction {
public:
  explicit TProgressInteraction(TContext& ctx);
  ~TProgressInteraction() override;
  std::string Hint() const override { return ctx_.interaction.Hint(); }
  void SetHint(const std::string& text) override;
  bool BusyCursor() const override { return ctx_.interaction.BusyCursor(); }
  void SetBusyCursor(bool busy) override { ctx_.interaction.SetBusyCursor(busy); }
  void ShowWarning(const std::string& text) override { ctx_.interaction.ShowWarning(text); }
  TAnswer Ask(const std::string& text, TButtons buttons) override { return ctx_.interaction.Ask(text, buttons); }

protected:
  // Clears the progress line before something else is written to stderr.
  void ClearProgress();
  TContext& ctx_;

private:
  bool tty_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_;
};

// The project with the language selected, and the dictionary when it is set
// up (required when `needDictionary`).
struct TOpenedSession {
  TTranslatorEnvironment environment;
  TProjectData& project;
  TTranslationSession* session;

  TOpenedSession(TContext& ctx, TUserInteraction& ui, const std::string& file, const std::string& language,
                 bool needDictionary);
  // Saves as the session does and says on stderr what did not reach the
  // dictionary.
  void Save(TContext& ctx);
};

}  // namespace kst::cli
