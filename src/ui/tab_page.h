// One tab of the main window over the session's data. The window tells its
// pages when the project, the language, the form or the display changed;
// the page that is shown answers the commands that act on its rows.
#pragma once

#include <QWidget>

namespace kst::ui {

class TfrmLexibox;

class TTabPage : public QWidget {
  Q_OBJECT

public:
  explicit TTabPage(TfrmLexibox& window);

  // Everything again from the session (after opening, switching the
  // language, reading an exchange file, ...).
  virtual void Refill() {}
  // The reset tool button, on this page's current row.
  virtual bool CanResetTranslation() const { return false; }
  virtual void ResetTranslation() {}
  // The remove tool button and the overview's pop-up (the overview only).
  virtual bool CanRemove() const { return false; }
  virtual void RemoveSelected() {}
  // Stores what an open cell editor holds, before the window stores,
  // switches or closes anything.
  virtual void CommitEdit() {}

protected:
  TfrmLexibox& window_;
};

}  // namespace kst::ui
