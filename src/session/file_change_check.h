// The check the window runs every ten seconds: has a form file or the
// resource-string script changed on disk (the developer recompiled the
// project in Delphi)? Each changed file is offered for loading again.
#pragma once

namespace kst {

class TTranslationSession;

class TFileChangeCheck {
public:
  // The session must outlive the check.
  explicit TFileChangeCheck(TTranslationSession& session) : session_(session) {}

  // Asks "The file %s has been changed. Do you want to load the new
  // version?" for each form file, then the resource-string script, whose
  // time stamp differs from the one taken when it was read (both known).
  // Yes stores every translation (no language is selected), then reads the
  // file again; a file that no longer reads is reported as a warning and
  // the old contents stay. No keeps the old contents and takes the new
  // stamp, so the same change is not asked about again. When anything was
  // read again, the language and the form are selected again, also when an
  // error ends the check (the error is raised after that).
  // Returns at once (false) while a check or another command is running
  // (TBusyGuard) and when no project is open; true when a file was read
  // again.
  bool CheckForChangedFiles();
  // Whether the check would ask anything now: a form file or the script
  // whose time stamp differs from the known one (both known). Reads the
  // stamps only, so a window can call it on every tick and disturb nothing
  // (an open cell editor, the scroll position) when nothing changed.
  bool AnyFileChanged() const;

private:
  TTranslationSession& session_;
};

}  // namespace kst
