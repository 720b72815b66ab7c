// The console's answers to the core's warnings and questions.
#include <ostream>

#include "cli.h"

namespace kst::cli {

void TConsoleInteraction::ShowWarning(const std::string& text) {
  err_ << "warning: " << CodePageToUtf8(text, system_.ansi) << "\n";
}

TAnswer TConsoleInteraction::Ask(const std::string& text, TButtons buttons) {
  TAnswer answer = TAnswer::Cancel;
  if (answerYes) {
    switch (buttons) {
      case TButtons::Ok: case TButtons::OkCancel: answer = TAnswer::Ok; break;
      case TButtons::YesNoCancelAll: answer = TAnswer::All; break;
      default: answer = TAnswer::Yes; break;
    }
  } else if (buttons == TButtons::Ok) {
    answer = TAnswer::Ok;
  } else if (buttons == TButtons::YesNo) {
    answer = TAnswer::No;
  }
  const char* said = answer == TAnswer::Ok ? "OK" : answer == TAnswer::Yes ? "Yes" : answer == TAnswer::All ? "All"
                   : answer == TAnswer::No ? "No" : "Cancel";
  err_ << "question: " << CodePageToUtf8(text, system_.ansi) << " -> " << said << "\n";
  return answer;
}

}  // namespace kst::cli
