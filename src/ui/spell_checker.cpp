// Hunspell behind the grids' spelling marks.
#include "ui/spell_checker.h"

#include <hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "config/language_info.h"
#include "platform/codepage.h"
#include "platform/locale_table.h"

namespace kst::ui {

namespace {

// Hunspell's names of 8-bit encodings, as Windows code pages.
int EncodingCodePage(const std::string& encoding) {
  QString e = QString::fromLatin1(encoding.c_str()).toUpper().remove(QLatin1Char('-')).remove(QLatin1Char('_'));
  if (e == QLatin1String("UTF8")) return CP_UTF8;
  if (e.startsWith(QLatin1String("ISO8859"))) {
    bool ok = false;
    int part = e.mid(7).toInt(&ok);
    if (ok && part >= 1 && part <= 15) return 28590 + part;
  }
  if (e == QLatin1String("KOI8R")) return 20866;
  if (e == QLatin1String("KOI8U")) return 21866;
  if (e.startsWith(QLatin1String("MICROSOFTCP"))) return e.mid(11).toInt();
  if (e.startsWith(QLatin1String("CP"))) return e.mid(2).toInt();
  return 0;
}

QLocale::Language LanguageNamed(const QString& english) {
  for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l)
    if (QLocale::languageToString(static_cast<QLocale::Language>(l)).compare(english, Qt::CaseInsensitive) == 0)
      return static_cast<QLocale::Language>(l);
  return QLocale::AnyLanguage;
}

QLocale::Territory TerritoryNamed(const QString& english) {
  for (int t = QLocale::AnyTerritory + 1; t <= QLocale::LastTerritory; ++t)
    if (QLocale::territoryToString(static_cast<QLocale::Territory>(t)).compare(english, Qt::CaseInsensitive) == 0)
      return static_cast<QLocale::Territory>(t);
  return QLocale::AnyTerritory;
}

}  // namespace

TSpellChecker::TSpellChecker(QStringList directories) : directories_(std::move(directories)) {
  if (directories_.isEmpty())
    directories_ = {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts"),
                    QStringLiteral("/usr/share/myspell"), QStringLiteral("/usr/local/share/hunspell"),
                    QDir::homePath() + QStringLiteral("/.local/share/hunspell")};
}

TSpellChecker::~TSpellChecker() = default;

QString TSpellChecker::LocaleName(int languageId) {
  if (languageId <= 0) return QString();
  const TLocaleRow* row = FindLocaleRow(static_cast<uint16_t>(languageId & 0xFFFF));
  // A neutral language stands for its default sub-language.
  if (!row) row = FindLocaleRow(static_cast<uint16_t>(MakeLangId(PrimaryLanguage(languageId), 1)));
  if (!row) return QString();
  QString english = QString::fromUtf8(row->senglanguage.c_str());
  // "Norwegian (Bokmal)" and the like: the part before the bracket names the language.
  int bracket = english.indexOf(QLatin1Char('('));
  QLocale::Language language = LanguageNamed(english.trimmed());
  if (language == QLocale::AnyLanguage && bracket > 0) language = LanguageNamed(english.left(bracket).trimmed());
  if (language == QLocale::AnyLanguage) return QString();
  QLocale::Territory territory = TerritoryNamed(QString::fromUtf8(row->sengcountry.c_str()));
  QLocale locale = territory != QLocale::AnyTerritory ? QLocale(language, territory) : QLocale(language);
  if (locale.language() != language) return QString();
  return locale.name();
}

bool TSpellChecker::SetLanguage(int languageId) {
  if (languageId == language_ && (hunspell_ || languageId <= 0)) return Ready();
  language_ = languageId;
  hunspell_.reset();
  known_.clear();
  file_.clear();
  name_ = LocaleName(languageId);
  if (name_.isEmpty()) return false;
  // The locale's own dictionary, else any of the same language ("de_AT"
  // for Swiss German when de_CH is not installed).
  QString found;
  for (const QString& dir : directories_) {
    if (QFileInfo::exists(dir + QLatin1Char('/') + name_ + QStringLiteral(".dic")) &&
        QFileInfo::exists(dir + QLatin1Char('/') + name_ + QStringLiteral(".aff"))) {
      found = dir + QLatin1Char('/') + name_;
      break;
    }
  }
  if (found.isEmpty()) {
    QString prefix = name_.section(QLatin1Char('_'), 0, 0) + QLatin1Char('_');
    for (const QString& dir : directories_) {
      QStringList dics = QDir(dir).entryList({prefix + QStringLiteral("*.dic")}, QDir::Files, QDir::Name);
      for (const QString& dic : dics) {
        QString base = dir + QLatin1Char('/') + dic.chopped(4);
        if (QFileInfo::exists(base + QStringLiteral(".aff"))) {
          found = base;
          break;
        }
      }
      if (!found.isEmpty()) break;
    }
  }
  if (found.isEmpty()) return false;
  QByteArray aff = QFile::encodeName(found + QStringLiteral(".aff"));
  QByteArray dic = QFile::encodeName(found + QStringLiteral(".dic"));
  auto hunspell = std::make_unique<Hunspell>(aff.constData(), dic.constData());
  codePage_ = EncodingCodePage(hunspell->get_dict_encoding());
  if (codePage_ == 0 || !IsCodePageSupported(codePage_)) return false;
  hunspell_ = std::move(hunspell);
  name_ = QFileInfo(found).fileName();
  file_ = found + QStringLiteral(".dic");
  return true;
}

QString TSpellChecker::StatusText(const QString& languageName) const {
  if (language_ <= 0) return QString();
  if (Ready()) return QObject::tr("Spelling: %1").arg(name_);
  if (name_.isEmpty()) return QObject::tr("Spelling: no dictionary is known for %1").arg(languageName);
  return QObject::tr("Spelling: no Hunspell dictionary %1 installed for %2 (Debian: hunspell-%3)")
      .arg(name_, languageName, name_.section(QLatin1Char('_'), 0, 0));
}

std::string TSpellChecker::Encode(const QString& word) const {
  if (codePage_ == CP_UTF8) return word.toStdString();
  std::u16string units(reinterpret_cast<const char16_t*>(word.utf16()), static_cast<size_t>(word.size()));
  return Utf16ToCodePage(units, codePage_);
}

QString TSpellChecker::Decode(const std::string& word) const {
  if (codePage_ == CP_UTF8) return QString::fromStdString(word);
  std::u16string units = CodePageToUtf16(word, codePage_);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

bool TSpellChecker::IsCorrect(const QString& word) {
  if (!hunspell_) return true;
  auto it = known_.constFind(word);
  if (it != known_.constEnd()) return *it;
  bool correct = hunspell_->spell(Encode(word));
  // Remembered per word, so that painting a grid asks Hunspell once.
  if (known_.size() > 50000) known_.clear();
  known_.insert(word, correct);
  return correct;
}

QStringList TSpellChecker::Suggestions(const QString& word) {
  QStringList result;
  if (!hunspell_) return result;
  for (const std::string& s : hunspell_->suggest(Encode(word))) result << Decode(s);
  return result;
}

std::vector<TTextRange> TSpellChecker::Misspelled(const QString& shownText) {
  std::vector<TTextRange> wrong;
  if (!hunspell_) return wrong;
  for (const TTextRange& word : WordRanges(shownText))
    if (!IsCorrect(WordText(shownText, word))) wrong.push_back(word);
  return wrong;
}

}  // namespace kst::ui
