// The help window: contents and keyword search on the left, the page on the
// right. Pages are HTML files built into the program (help/*.html).
#include "ui/help_viewer.h"

#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages are compiled into this static library; a program that links it
// gets them only when something asks for their initializer by name.
static void InitHelpResources() { Q_INIT_RESOURCE(help); }

namespace kst::ui {

namespace {

void EnsureHelpResources() {
  static const bool done = (InitHelpResources(), true);
  (void)done;
}

struct TTopic {
  QString path;
  QString title;
  QString text;  // the page without markup, for the search
};

QList<TTopic> Topics() {
  EnsureHelpResources();
  QList<TTopic> topics;
  QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")});
  QStringList paths;
  while (it.hasNext()) paths << it.next();
  paths.sort();
  for (const QString& path : paths) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    QString html = QString::fromUtf8(file.readAll());
    QRegularExpressionMatch title = QRegularExpression(QStringLiteral("<title>(.*)</title>")).match(html);
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    topics.append({path, title.hasMatch() ? title.captured(1) : path, text});
  }
  return topics;
}

}  // namespace

THelpViewer::~THelpViewer() { delete window_.data(); }

QString THelpViewer::TopicPath(int context) {
  EnsureHelpResources();
  QString path = QStringLiteral(":/help/topic-%1.html").arg(context);
  return QFile::exists(path) ? path : QString();
}

void THelpViewer::Open() {
  if (!window_) window_ = new THelpWindow;
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void THelpViewer::ShowTopic(int context) {
  Open();
  QString path = TopicPath(context);
  window_->ShowPage(path.isEmpty() ? TopicPath(kHelpContents) : path);
}

void THelpViewer::SearchFor(const QString& key) {
  Open();
  window_->ShowSearch(key);
}

THelpWindow::THelpWindow() {
  setWindowTitle(tr("Kestrin Translator Help"));
  resize(820, 560);
  auto* splitter = new QSplitter(this);
  auto* left = new QWidget(splitter);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* contents = new QListWidget(left);
  for (const TTopic& topic : Topics()) {
    auto* item = new QListWidgetItem(topic.title, contents);
    item->setData(Qt::UserRole, topic.path);
  }
  connect(contents, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  connect(contents, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  leftLayout->addWidget(new QLabel(tr("Contents:"), left));
  leftLayout->addWidget(contents, 2);
  leftLayout->addWidget(new QLabel(tr("Search for:"), left));
  search_ = new QLineEdit(left);
  search_->setObjectName(QStringLiteral("helpSearch"));
  leftLayout->addWidget(search_);
  results_ = new QListWidget(left);
  results_->setObjectName(QStringLiteral("helpResults"));
  leftLayout->addWidget(results_, 1);
  connect(search_, &QLineEdit::textChanged, this, &THelpWindow::Search);
  connect(results_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  browser_ = new QTextBrowser(splitter);
  browser_->setOpenLinks(true);
  splitter->setStretchFactor(1, 3);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);
}

void THelpWindow::ShowPage(const QString& path) {
  current_ = path;
  browser_->setSource(QUrl(QStringLiteral("qrc") + path));
}

void THelpWindow::ShowSearch(const QString& key) {
  search_->setText(key);
  Search(key);
  search_->setFocus();
}

void THelpWindow::Search(const QString& key) {
  results_->clear();
  QString needle = key.trimmed();
  for (const TTopic& topic : Topics()) {
    if (!needle.isEmpty() && !topic.title.contains(needle, Qt::CaseInsensitive) &&
        !topic.text.contains(needle, Qt::CaseInsensitive))
      continue;
    auto* item = new QListWidgetItem(topic.title, results_);
    item->setData(Qt::UserRole, topic.path);
  }
}

}  // namespace kst::ui
