// kst check: the quality checks of one language's translations, as text for
// a person or as JSON for a CI job. Exit 0 when nothing at or above the
// chosen severity was found, 1 otherwise (and for errors, as everywhere).
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

#ifdef KST_MEASURE_FONTS
#include <QGuiApplication>

#include "ui/qt_text_measure.h"
#endif

#include "checks/translation_check.h"
#include "cli.h"
#include "cli_session.h"

namespace kst::cli {

namespace {

const char* kUsage =
    "usage: kst check PROJECT LANG [--format text|json] [--min-severity info|warning|error]\n"
    "  Checks the translations of LANG before a module is generated: Format\n"
    "  specifiers, accelerators (and clashes between sibling controls), the\n"
    "  \"|\" of hints and file filters, blanks, line breaks and ending\n"
    "  punctuation, characters the language's code page cannot show, captions\n"
    "  too long for their controls (measured in the form's fonts where the\n"
    "  program has them), and the untranslated texts per form.\n"
    "  Prints the findings at or above --min-severity (default: warning) and\n"
    "  exits with 1 when there are any, 0 otherwise. Nothing is changed.\n"
    "  Text: one line per finding, KEY: SEVERITY: REASON [ID], then a count.\n"
    "  JSON (UTF-8): {project, language, code_page, min_severity, counts,\n"
    "  findings: [{id, severity, key, form, path, related_key, reason}]}; form is\n"
    "  the form file relative to the project's folder.\n";

struct TOptions {
  std::string project, language;
  bool json = false;
  TSeverity minimum = TSeverity::Warning;
};

TOptions ParseOptions(const std::vector<std::string>& args) {
  TOptions options;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--format" || a == "--min-severity") {
      if (i + 1 >= args.size()) throw EUsageError(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--format") {
        if (value != "text" && value != "json") throw EUsageError("--format is text or json, not \"" + value + "\"");
        options.json = value == "json";
      } else {
        std::optional<TSeverity> severity = ParseSeverity(value);
        if (!severity) throw EUsageError("--min-severity is info, warning or error, not \"" + value + "\"");
        options.minimum = *severity;
      }
    } else if (a.starts_with("--")) {
      throw EUsageError("unknown option \"" + a + "\"");
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 2) throw EUsageError("expected: PROJECT LANG");
  options.project = words[0];
  options.language = words[1];
  return options;
}

std::string Counts(const TCheckReport& report) {
  auto part = [&](TSeverity s, const char* one, const char* many) {
    int n = report.Count(s);
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  return part(TSeverity::Error, "error", "errors") + ", " + part(TSeverity::Warning, "warning", "warnings") + ", " +
         part(TSeverity::Info, "info", "infos");
}

std::string RelativeTo(const std::filesystem::path& dir, const std::string& file) {
  if (file.empty()) return file;
  std::filesystem::path relative = std::filesystem::path(file).lexically_relative(dir);
  return relative.empty() ? file : relative.generic_string();
}

#ifdef KST_MEASURE_FONTS
// Qt's fonts need an application object; the offscreen platform gives one
// without a display. Made only for the check, so that no other command
// depends on Qt starting. Qt's own notes about the session (no runtime
// directory and the like) are no business of the check's output.
class TFontApplication {
 public:
  TFontApplication() {
    if (QCoreApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
      if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }

 private:
  int argc_ = 1;
  char name_[4] = "kst";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};
#endif

int RunCheck(TContext& ctx, const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args);
  TProgressInteraction ui(ctx);
  TOpenedSession s(ctx, ui, options.project, options.language, false);
#ifdef KST_MEASURE_FONTS
  TFontApplication fonts;
  const TQtTextMeasure measure(s.session->TranslationCodePage());
  TCheckReport report = CheckTranslations(*s.session, &measure);
#else
  TCheckReport report = CheckTranslations(*s.session);
#endif
  const int page = report.translationCodePage;
  int shown = 0;
  if (options.json) {
    // Forms relative to the project, so that the output does not depend on
    // where the project was checked out.
    const std::filesystem::path projectDir = std::filesystem::path(s.session->Project().FileName).parent_path();
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const TFinding& f : report.findings) {
      if (f.severity < options.minimum) continue;
      ++shown;
      findings.push_back({{"id", f.id},
                          {"severity", SeverityName(f.severity)},
                          {"key", ctx.ToTerminal(f.key)},
                          {"form", ctx.ToTerminal(RelativeTo(projectDir, f.form))},
                          {"path", ctx.ToTerminal(f.path)},
                          {"related_key", ctx.ToTerminal(f.relatedKey)},
                          {"reason", ctx.ToTerminal(f.reason, page)}});
    }
    nlohmann::ordered_json out = {
        {"project", ctx.ToTerminal(options.project)},
        {"language", Hex4(report.languageId)},
        {"code_page", page},
        {"min_severity", SeverityName(options.minimum)},
        {"counts",
         {{"error", report.Count(TSeverity::Error)},
          {"warning", report.Count(TSeverity::Warning)},
          {"info", report.Count(TSeverity::Info)}}},
        {"findings", std::move(findings)},
    };
    ctx.out << out.dump(2) << "\n";
  } else {
    for (const TFinding& f : report.findings) {
      if (f.severity < options.minimum) continue;
      ++shown;
      ctx.out << ctx.ToTerminal(f.key) << ": " << SeverityName(f.severity) << ": " << ctx.ToTerminal(f.reason, page)
              << " [" << f.id << "]\n";
    }
    ctx.out << Counts(report) << " (shown: " << SeverityName(options.minimum) << " and above)\n";
  }
  return shown > 0 ? 1 : 0;
}

}  // namespace

std::vector<TTopic> CheckTopics() {
  return {{"check", "check a language's translations for faults a grid does not show", kUsage, RunCheck}};
}

}  // namespace kst::cli
