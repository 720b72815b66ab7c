// Shows a status hint for the length of a scope and puts the previous one
// back on every way out, errors included.
#pragma once

#include <string>

#include "config/interaction.h"

namespace kst {

class THintScope {
public:
  THintScope(TStatusHint* hint, const std::string& text) : hint_(hint) {
    if (hint_) {
      saved_ = hint_->Hint();
      hint_->SetHint(text);
    }
  }
  ~THintScope() {
    if (hint_) hint_->SetHint(saved_);
  }
  THintScope(const THintScope&) = delete;
  THintScope& operator=(const THintScope&) = delete;

private:
  TStatusHint* hint_;
  std::string saved_;
};

}  // namespace kst
