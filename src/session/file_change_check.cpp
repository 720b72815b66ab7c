// The file-change check: comparing time stamps, asking, storing what is
// loaded and reading the changed files again.
#include "session/file_change_check.h"

#include <exception>

#include "formmodel/form_errors.h"
#include "platform/file_utils.h"
#include "session/translation_session.h"

namespace kst {

namespace {

constexpr const char* kChangedQuestion = "The file %s has been changed. Do you want to load the new version?";

std::string ChangedQuestion(const std::string& name) {
  const std::string_view pattern = kChangedQuestion;
  const size_t at = pattern.find("%s");
  return std::string(pattern.substr(0, at)) + name + std::string(pattern.substr(at + 2));
}

std::string NotReadAgain(const std::string& name, const char* reason) {
  return "The new version of " + name + " could not be read; the previous one stays loaded.\r\r" + reason;
}

bool Changed(double stamp, double known) { return stamp != 0 && known != 0 && stamp != known; }

}  // namespace

bool TFileChangeCheck::AnyFileChanged() const {
  if (!session_.IsProjectOpen()) return false;
  TProjectData& project = session_.Project();
  for (const TModuleEntry& entry : project.Modules)
    if (entry.Module && Changed(FileTimeStamp(project.ExpandFileName(entry.Module->FileName)), entry.Module->FileDate))
      return true;
  return Changed(FileTimeStamp(project.ExpandFileName(project.DrcFileName())), project.DrcFileDate);
}

bool TFileChangeCheck::CheckForChangedFiles() {
  if (session_.CommandRunning() || !session_.IsProjectOpen()) return false;
  TBusyGuard running(session_);
  TProjectData& project = session_.Project();
  TUserInteraction& ui = session_.Interaction();
  const int language = session_.CurrentLanguage();
  TModuleHelper* const form = session_.CurrentForm();
  bool reloaded = false;
  std::exception_ptr error;
  try {
    for (size_t i = 0; i < project.Modules.size(); ++i) {
      TModuleEntry& entry = project.Modules[i];
      TModuleHelper& module = *entry.Module;
      double stamp = FileTimeStamp(project.ExpandFileName(module.FileName));
      if (stamp == 0 || module.FileDate == 0 || stamp == module.FileDate) continue;
      if (ui.Ask(ChangedQuestion(entry.Name), TButtons::YesNo) != TAnswer::Yes) {
        module.FileDate = stamp;
        continue;
      }
      reloaded = true;
      session_.SelectLanguage(-1);
      try {
        project.ReloadModule(module);
      } catch (const EFormError& e) {
        ui.ShowWarning(NotReadAgain(entry.Name, e.what()));
        module.FileDate = stamp;
      } catch (const EFileError& e) {
        ui.ShowWarning(NotReadAgain(entry.Name, e.what()));
        module.FileDate = stamp;
      }
    }
    // The script the project was opened with: beside a project source, or
    // the one taken out of a compiled module.
    const std::string script = project.DrcFileName();
    double stamp = FileTimeStamp(project.ExpandFileName(script));
    if (stamp != 0 && project.DrcFileDate != 0 && stamp != project.DrcFileDate) {
      if (ui.Ask(ChangedQuestion(script), TButtons::YesNo) != TAnswer::Yes) {
        project.DrcFileDate = stamp;
      } else {
        reloaded = true;
        session_.SelectLanguage(-1);
        try {
          project.ReloadResourceStrings();
        } catch (const EConvertError& e) {
          ui.ShowWarning(NotReadAgain(script, e.what()));
          project.DrcFileDate = stamp;
        } catch (const EFileError& e) {
          ui.ShowWarning(NotReadAgain(script, e.what()));
          project.DrcFileDate = stamp;
        }
      }
    }
  } catch (...) {
    error = std::current_exception();
  }
  if (reloaded) {
    // Each separately: a language whose files cannot be read still leaves
    // the form selected again.
    try {
      session_.SelectLanguage(language);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
    try {
      session_.SelectForm(form);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  if (error) std::rethrow_exception(error);
  return reloaded;
}

}  // namespace kst
