// The version panel and grid.
#include "ui/version_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>

#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/main_window.h"
#include "ui/version_info_model.h"

namespace kst::ui {

namespace {

QLineEdit* ReadOnlyBox(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setReadOnly(true);
  box->setMaximumWidth(80);
  return box;
}

}  // namespace

TVersionPage::TVersionPage(TfrmLexibox& window, TSpellChecker* spell)
    : TGridPage(window, new TVersionInfoModel(window), spell,
                TGridPageSetup{"sheetVersionResource", "ctlVerInfGrid", {}, {2}, 3}) {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("pnlVersion"));
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  link_ = new QCheckBox(tr("Link Version Resource"), panel);
  link_->setObjectName(QStringLiteral("ctlIncludeVerInfo"));
  // Shown, not changed here: the project's own setting.
  link_->setAttribute(Qt::WA_TransparentForMouseEvents);
  link_->setFocusPolicy(Qt::NoFocus);
  column->addWidget(link_);

  auto* numbers = new QGroupBox(tr("Version Number"), panel);
  auto* form = new QFormLayout(numbers);
  const char* names[] = {"ctlMajorVer", "ctlMinorVer", "ctlRelease", "ctlBuild"};
  const QString labels[] = {tr("Major:"), tr("Minor:"), tr("Release:"), tr("Build:")};
  for (size_t i = 0; i < numbers_.size(); ++i) {
    numbers_[i] = ReadOnlyBox(numbers, names[i]);
    form->addRow(labels[i], numbers_[i]);
  }
  column->addWidget(numbers);

  auto* languageGroup = new QGroupBox(tr("Language"), panel);
  auto* languageRow = new QVBoxLayout(languageGroup);
  language_ = ReadOnlyBox(languageGroup, "ctlLanguage");
  languageRow->addWidget(language_);
  column->addWidget(languageGroup);

  auto* attributes = new QGroupBox(tr("Attributes"), panel);
  auto* boxes = new QVBoxLayout(attributes);
  const QString captions[] = {tr("Debug"), tr("Pre-Release"), tr("DLL"), tr("Special Build"), tr("Private Build")};
  for (size_t i = 0; i < attributes_.size(); ++i) {
    attributes_[i] = new QCheckBox(captions[i], attributes);
    attributes_[i]->setEnabled(false);
    boxes->addWidget(attributes_[i]);
  }
  column->addWidget(attributes);
  column->addStretch(1);
  Row()->insertWidget(0, panel);
}

void TVersionPage::Refill() {
  const TVersionInfo& info = window_.Project().VersionInfo;
  link_->setChecked(info.IncludeVerInfo);
  const uint16_t values[] = {info.MajorVer, info.MinorVer, info.Release, info.Build};
  for (size_t i = 0; i < numbers_.size(); ++i) numbers_[i]->setText(QString::number(values[i]));
  int language = window_.Session().CurrentLanguage();
  language_->setText(language > 0 ? QString::number(language) : QString());
  // The flags the version information holds; the project knows no DLL flag.
  const bool flags[] = {info.Debug, info.PreRelease, false, info.SpecialBuild, info.PrivateBuild};
  for (size_t i = 0; i < attributes_.size(); ++i) attributes_[i]->setChecked(flags[i]);
  TGridPage::Refill();
}

}  // namespace kst::ui
