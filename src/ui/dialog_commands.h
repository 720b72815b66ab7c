// The main window's commands that open a dialog of their own: new language,
// user-defined properties, write exchange file, project options, automatic
// translation, the dictionary editor and the options dialog.
#pragma once

namespace kst::ui {

class TfrmLexibox;

// Gives those commands their handlers (the window's constructor calls it).
void InstallDialogCommands(TfrmLexibox& window);

}  // namespace kst::ui
