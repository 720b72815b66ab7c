// The information window.
#include "ui/info_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "config/version.h"
#include "ui/help_viewer.h"

namespace kst::ui {

QString VersionText(int major, int minor, int release, int build) {
  QString text = QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
  if (release != 0) text += QChar(97 + release);
  return text + QStringLiteral(" (Build %1)").arg(build);
}

TfrmInfo::TfrmInfo(QWidget* parent, THelpViewer* help)
    : TfrmAbstractDialog(parent, help, kHelpInformation, tr("Info"), QSize(347, 242)) {
  CancelButton()->hide();
  auto* layout = new QGridLayout(Body());
  auto* icon = new QLabel(Body());
  icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  auto* name = new QLabel(tr("Kestrin Translator for Delphi 3"), Body());
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  auto* version = new QLabel(tr("Version: %1").arg(VersionText(kVersionMajor, kVersionMinor, kVersionRelease, kVersionBuild)),
                             Body());
  version->setObjectName(QStringLiteral("lblVersion"));
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(version, 1, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 1);
}

}  // namespace kst::ui
