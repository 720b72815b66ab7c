// How the core talks to a person without showing a window itself: warnings,
// questions and the status hint go through this interface, which the GUI, the
// command line and the tests each implement. Texts are 8-bit ANSI.
#pragma once

#include <string>
#include <vector>

namespace kst {

enum class TAnswer { Ok, Cancel, Yes, No, All, Ignore };

enum class TButtons {
  Ok,           // a warning: one OK button
  OkCancel,
  YesNo,
  YesNoCancel,
  YesNoCancelAll,
  YesIgnoreCancel,
};

// The application hint and the screen cursor, which long operations change.
class TStatusHint {
public:
  virtual ~TStatusHint() = default;
  virtual std::string Hint() const = 0;
  virtual void SetHint(const std::string& text) = 0;
  virtual bool BusyCursor() const = 0;
  virtual void SetBusyCursor(bool busy) = 0;
};

class TUserInteraction : public TStatusHint {
public:
  // A modal warning box with a single OK button.
  virtual void ShowWarning(const std::string& text) = 0;
  // A modal question; returns the button pressed (Cancel when the box is
  // closed any other way).
  virtual TAnswer Ask(const std::string& text, TButtons buttons) = 0;
};

// Answers nothing and remembers what it was told: for code paths where
// nobody is there to ask (and for tests, which script the answers).
class TRecordingInteraction : public TUserInteraction {
public:
  std::vector<std::string> warnings;
  std::vector<std::string> questions;
  std::vector<std::string> hints;
  std::vector<TAnswer> answers;  // consumed front to back; Cancel when exhausted

  std::string Hint() const override { return hint_; }
  void SetHint(const std::string& text) override {
    hint_ = text;
    hints.push_back(text);
  }
  bool BusyCursor() const override { return busy_; }
  void SetBusyCursor(bool busy) override { busy_ = busy; }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  TAnswer Ask(const std::string& text, TButtons) override {
    questions.push_back(text);
    if (next_ >= answers.size()) return TAnswer::Cancel;
    return answers[next_++];
  }

private:
  std::string hint_;
  bool busy_ = false;
  size_t next_ = 0;
};

// The busy-cursor stack: push shows the hourglass and a hint and remembers
// what was there; pop restores the last saved pair (with nothing saved, the
// normal cursor). At most 128 levels are remembered; deeper pushes still
// show their hint but their pops restore nothing of their own.
class TBusyCursorStack {
public:
  explicit TBusyCursorStack(TStatusHint& target) : target_(target) {}
  void Push(const std::string& hint);
  void Pop();
  size_t Depth() const { return depth_; }

  static constexpr size_t kMaxLevels = 128;

private:
  struct Saved {
    bool busy;
    std::string hint;
  };
  TStatusHint& target_;
  std::vector<Saved> saved_;
  size_t depth_ = 0;
};

// What a TStatusScope changes for its length.
enum class TShow { Hint, BusyCursor, HintAndBusyCursor };

// The one guard for the status hint and the busy cursor: sets what `show`
// names and puts back what was there on every way out of the scope, errors
// included, so an operation never leaves a stale hint or an hourglass.
class TStatusScope {
public:
  // A null target does nothing (code run where nobody watches). `hint` is
  // shown unless `show` is BusyCursor.
  TStatusScope(TStatusHint* target, TShow show, const std::string& hint = {});
  // Pushes `hint` on the busy-cursor stack and pops it at the end.
  TStatusScope(TBusyCursorStack& stack, const std::string& hint);
  ~TStatusScope();
  TStatusScope(const TStatusScope&) = delete;
  TStatusScope& operator=(const TStatusScope&) = delete;

private:
  TStatusHint* target_ = nullptr;
  TBusyCursorStack* stack_ = nullptr;
  bool restoreHint_ = false;
  bool restoreBusy_ = false;
  std::string savedHint_;
  bool savedBusy_ = false;
};

}  // namespace kst
