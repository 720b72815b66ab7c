// The busy-cursor stack.
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

}  // namespace kst
