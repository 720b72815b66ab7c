// The window tests' fixture.
#include "ui_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>

#include <filesystem>

#include "config/registry_settings.h"
#include "project/project_data.h"
#include "session/translator_environment.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"

namespace kst::test {

TWindowFixture::TWindowFixture(bool withDictionary) : location(TRegistryLocation::InDirectory(dir.File("cfg"))) {
  CopyDemo(dir.File("demo"));
  TSystemCodePages system{1252, 850, 10000};
  interaction = std::make_unique<ui::TQtInteraction>(system.ansi);
  interaction->SetAnswerer([this](const QString& text, TButtons buttons) {
    asked.push_back(text);
    if (buttons == TButtons::Ok) return TAnswer::Ok;
    if (answers.empty()) return TAnswer::Cancel;
    TAnswer a = answers.front();
    answers.pop_front();
    return a;
  });
  environment = std::make_unique<TTranslatorEnvironment>(location, *interaction, system);
  if (withDictionary) environment->SetUpDictionary(dir.File("dictionary"));
  window = std::make_unique<ui::TfrmLexibox>(*environment, *interaction);
}

TWindowFixture::~TWindowFixture() {
  window.reset();
  environment.reset();
}

void TWindowFixture::AddLanguages(const std::vector<int>& ids) {
  TTranslatorRegistry registry(location);
  TRecordingInteraction quiet;
  TProjectData project(registry, quiet, TSystemCodePages{1252, 850, 10000});
  project.Open(Demo());
  for (int id : ids) project.AddLanguage(id);
  project.Save();
}

void TWindowFixture::Screenshot(QWidget& widget, const std::string& name) {
  QDir().mkpath(QString::fromStdString(BinDir() + "/../ui-screenshots"));
  widget.grab().save(QString::fromStdString(BinDir() + "/../ui-screenshots/" + name + ".png"));
}

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  do QApplication::processEvents(QEventLoop::AllEvents, 20);
  while (timer.elapsed() < ms);
}

}  // namespace kst::test
