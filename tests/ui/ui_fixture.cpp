// The window tests' fixture.
#include "ui_fixture.h"

#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "ui/grid_page.h"
#include "ui/properties_page.h"

namespace kst::test {

TWindowFixture::TWindowFixture(std::vector<int> languages, bool withDictionary)
    : location(TRegistryLocation::InDirectory(dir.File("cfg"))) {
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
  if (languages.empty()) return;
  AddLanguages(languages);
  Show();
  Open(languages.front());
  answers.clear();
}

void TWindowFixture::AddLanguages(const TRegistryLocation& location, const std::string& dpr,
                                  const std::vector<int>& ids) {
  TTranslatorRegistry registry(location);
  TRecordingInteraction quiet;
  TProjectData project(registry, quiet, TSystemCodePages{1252, 850, 10000});
  project.Open(dpr);
  for (int id : ids) project.AddLanguage(id);
  project.Save();
}

void TWindowFixture::Show() {
  window->resize(1200, 800);
  window->show();
  // Activation arrives as an event of its own: on a busy machine after the first key.
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window.get(), 5000)) ADD_FAILURE() << "the window did not become active";
}

void TWindowFixture::Open(int language, const std::string& dpr) {
  answers = {TAnswer::No};
  window->OpenProject(QString::fromStdString(dpr.empty() ? Demo() : dpr));
  window->SelectLanguage(language);
  Pump();
}

void TWindowFixture::Screenshot(QWidget& widget, const std::string& name) {
  QDir().mkpath(QString::fromStdString(BinDir() + "/../ui-screenshots"));
  widget.grab().save(QString::fromStdString(BinDir() + "/../ui-screenshots/" + name + ".png"));
}

ui::TTranslationGrid& TWindowFixture::Grid(ui::TTab tab) {
  if (tab == ui::TTab::Forms) return *Views().Properties()->Grid();
  return *static_cast<ui::TGridPage*>(window->Page(tab))->Grid();
}

ui::TTranslationGrid& TWindowFixture::ShowForm(const QString& name) {
  window->ShowTab(ui::TTab::Forms);
  QComboBox* selector = Views().Properties()->Selector();
  // The selector lists the forms as the project names them (full paths).
  const int index = selector->findText(QLatin1Char('/') + name, Qt::MatchEndsWith);
  if (index < 0) ADD_FAILURE() << "no form " << name.toStdString();
  selector->setCurrentIndex(index);
  emit selector->activated(index);
  Pump();
  return Properties();
}

void TWindowFixture::Type(ui::TTranslationGrid& grid, int row, const QString& text) {
  grid.SelectRow(row);
  EXPECT_TRUE(TypeIntoCell(*grid.View(), grid.View()->currentIndex(), text)) << "F2 opens the editor";
  // The editor closes once the text is stored (not on a refusal), on a busy
  // machine after more than one round of events.
  static_cast<void>(QTest::qWaitFor([&] { return OpenEditor(*grid.View()) == nullptr; }, 1000));
}

QLineEdit* TWindowFixture::Editor(ui::TTranslationGrid& grid, int row) {
  grid.SelectRow(row, true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  if (!editor) throw std::runtime_error("no editor opened on row " + std::to_string(row));
  editor->selectAll();
  return editor;
}

void TWindowFixture::AddGreeting() {
  window->Session().AddCustomResource(dir.File("demo/project/Greeting.res"));
  window->AfterStructureChange();
}

testing::AssertionResult TWindowFixture::Asked(size_t count, const QString& part) const {
  if (asked.size() == count && (count == 0 || asked.back().contains(part))) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "expected " << count << " questions, the last with \"" << part.toStdString()
                                     << "\"; asked: " << QStringList(asked.begin(), asked.end()).join(" | ").toStdString();
}

std::string TWindowFixture::DictionaryBytes() {
  environment->Common().Database().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  // Read by another process: closing a descriptor of the file here would drop
  // this process's locks on it, and the log would be taken from under them.
  std::string file = environment->DictionaryDirectory() + "/" + kDatabaseFileName;
  TProgramRun cat = Run("cat " + ShellQuote(file));
  EXPECT_EQ(cat.exitCode, 0) << cat.err;
  return cat.out;
}

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  do QApplication::processEvents(QEventLoop::AllEvents, 20);
  while (timer.elapsed() < ms);
}

void Keys(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &key);
    }
  }
}

QStringList Column(ui::TTranslationGrid& grid, int column) {
  QStringList texts;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) texts << grid.Model()->index(row, column).data().toString();
  return texts;
}

void Focus(QWidget* to) {
  QApplication::setActiveWindow(to->window());
  EXPECT_TRUE(QTest::qWaitForWindowActive(to->window(), 5000));
  to->setFocus();
  EXPECT_TRUE(QTest::qWaitFor([to] { return to->hasFocus(); }, 2000));
}

void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  Focus(to);
  QTest::keyClick(to, key, modifiers);
  Pump();
}

QLineEdit* OpenEditor(QAbstractItemView& view) {
  for (QLineEdit* edit : view.viewport()->findChildren<QLineEdit*>())
    if (edit->isVisible()) return edit;
  return nullptr;
}

bool TypeIntoCell(QAbstractItemView& view, const QModelIndex& index, const QString& text) {
  view.setCurrentIndex(index);
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_F2);
  QLineEdit* editor = OpenEditor(view);
  if (!editor) return false;
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  Keys(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  Pump();
  return true;
}

QLineEdit* EditCell(QAbstractItemView& view, const QModelIndex& index, const QString& text) {
  view.setCurrentIndex(index);
  view.edit(index);
  QLineEdit* editor = OpenEditor(view);
  if (!editor) throw std::runtime_error("no editor opened");
  editor->setText(text);
  return editor;
}

void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

}  // namespace kst::test

// One QApplication for every test; offscreen unless a platform is chosen
// (the end-to-end run under xvfb-run chooses "xcb").
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
