// The editing dialogs' refusals.
#include "dictionary/edit_errors.h"

namespace kst {

namespace {

std::string ConflictMessage(const std::vector<std::string>& entries) {
  std::string text = "Another workstation changed these entries of the dictionary while you were editing them here:";
  for (const std::string& entry : entries) text += "\n  " + entry;
  return text + "\nNothing has been saved, so that neither change is lost.";
}

}  // namespace

EEditConflict::EEditConflict(std::vector<std::string> entries)
    : EDatabaseError(ConflictMessage(entries)), entries_(std::move(entries)) {}

}  // namespace kst
