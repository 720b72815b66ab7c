// TfrmInfo: the program's name and version.
#pragma once

#include "ui/abstract_dialog.h"

namespace kst::ui {

// "3.10 (Build 1)": major, minor with two digits, a letter for a release
// other than 0 ("3.10b (Build 7)" for 3.10.1.7), and the build.
QString VersionText(int major, int minor, int release, int build);

class TfrmInfo : public TfrmAbstractDialog {
  Q_OBJECT

public:
  TfrmInfo(QWidget* parent, THelpViewer* help);
};

}  // namespace kst::ui
