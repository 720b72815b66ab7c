// The busy-cursor stack and the status guard.
#include "config/interaction.h"

namespace kst {

void TBusyCursorStack::Push(const std::string& hint) {
  if (saved_.size() < kMaxLevels) saved_.push_back(Saved{target_.BusyCursor(), target_.Hint()});
  ++depth_;
  target_.SetBusyCursor(true);
  target_.SetHint(hint);
}

void TBusyCursorStack::Pop() {
  if (depth_ == 0) {
    target_.SetBusyCursor(false);
    return;
  }
  // Pops of levels beyond what was saved restore nothing of their own.
  if (depth_ <= saved_.size()) {
    Saved last = saved_.back();
    saved_.pop_back();
    target_.SetBusyCursor(last.busy);
    target_.SetHint(last.hint);
  }
  --depth_;
}

TStatusScope::TStatusScope(TStatusHint* target, TShow show, const std::string& hint) : target_(target) {
  if (!target_) return;
  restoreHint_ = show != TShow::BusyCursor;
  restoreBusy_ = show != TShow::Hint;
  if (restoreBusy_) {
    savedBusy_ = target_->BusyCursor();
    target_->SetBusyCursor(true);
  }
  if (restoreHint_) {
    savedHint_ = target_->Hint();
    target_->SetHint(hint);
  }
}

TStatusScope::TStatusScope(TBusyCursorStack& stack, const std::string& hint) : stack_(&stack) { stack_->Push(hint); }

TStatusScope::~TStatusScope() {
  if (stack_) {
    stack_->Pop();
    return;
  }
  if (restoreBusy_) target_->SetBusyCursor(savedBusy_);
  if (restoreHint_) target_->SetHint(savedHint_);
}

}  // namespace kst
