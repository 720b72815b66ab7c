// Reading a built language module back and comparing it with the project: it
// must be the original forms with exactly the translated values changed,
// every resource string with its id, the language's version resource and
// the custom resources byte for byte; nothing more.
#pragma once

#include <string>
#include <vector>

namespace kst {

class TProjectData;

// One way the module is not what the project says. Texts are 8-bit in the
// language's code page (translations) or the project's (originals); `where`
// names the form and property path ("Main.dfm:btnOpen.Caption"), the string
// ("string 65535 (Texts_SReady)"), the version resource, or a resource by
// type, name and language.
struct TModuleDifference {
  std::string where;
  std::string what;
};

// Compares `moduleFile` with the project as it stands (which must hold the
// language's translations, as after selecting the language):
// - each form that has a tree: the form resource of its class name holds the
//   same components (names, classes, inherited flags, positions) and the
//   same properties with the translated text of every value (numbers
//   compared as numbers, sets without blanks, identifiers True/False/nil and
//   hex digits without regard to case); user-defined values only when
//   translated;
// - string tables: every resource string with an id from 0 to 65535 holds
//   its translated text (escapes resolved, in the language's code page), and
//   no other string is there;
// - the version resource (type 16, name 1) is there exactly when the project
//   links one, in the language, with the language's table key and every
//   non-empty translated value;
// - every resource of every linked custom resource file is there with the
//   same bytes;
// - no other resource is there.
// Raises the reader's errors when the module cannot be read at all.
std::vector<TModuleDifference> VerifyLanguageModule(TProjectData& project, int languageId,
                                                     const std::string& moduleFile);

}  // namespace kst
