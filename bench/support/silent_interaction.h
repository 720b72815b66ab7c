// The interaction a benchmark runs with: no screen, the status hint kept.
// A run that must not meet a warning (a project that should open cleanly)
// fails on one; questions get one fixed answer.
#pragma once

#include <stdexcept>
#include <string>

#include "config/interaction.h"

namespace kst::bench {

class TSilentInteraction : public TUserInteraction {
public:
  explicit TSilentInteraction(TAnswer answer = TAnswer::Cancel, bool warningsFail = false)
      : answer_(answer), warningsFail_(warningsFail) {}
  std::string Hint() const override { return hint_; }
  void SetHint(const std::string& text) override { hint_ = text; }
  bool BusyCursor() const override { return false; }
  void SetBusyCursor(bool) override {}
  void ShowWarning(const std::string& w) override {
    if (warningsFail_) throw std::runtime_error("unexpected warning: " + w);
  }
  TAnswer Ask(const std::string&, TButtons) override { return answer_; }

private:
  std::string hint_;
  TAnswer answer_;
  bool warningsFail_;
};

}  // namespace kst::bench
