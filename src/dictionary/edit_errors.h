// The refusals of the dialogs that edit the dictionary (the dictionary
// editor, the options dialog's rules and module groups): a row the user
// typed that cannot be stored, and changes another workstation made to the
// rows a dialog was editing. Both leave the dialog's pending changes as they
// were and write nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/database.h"

namespace kst {

// A row cannot be stored as typed: a required field is empty, or it would
// duplicate another row. The message says which and why.
class EInvalidEntry : public EDatabaseError {
public:
  using EDatabaseError::EDatabaseError;
};

// Another workstation changed or deleted rows that the dialog changed too,
// after the dialog had read them. Nothing was written; Entries() names each
// row, and what() lists them for a person.
class EEditConflict : public EDatabaseError {
public:
  explicit EEditConflict(std::vector<std::string> entries);
  const std::vector<std::string>& Entries() const { return entries_; }

private:
  std::vector<std::string> entries_;
};

}  // namespace kst
