// A second opinion on the generic checks: the seeded demo written as a PO
// file (msgctxt the key, msgid the original, msgstr the translation, UTF-8)
// and checked by translate-toolkit's pofilter with the tests it shares with
// ours. Every entry pofilter finds must be one of our findings, except where
// pofilter reads Delphi's Format as C's printf (listed below, and required
// to stay found, so the list cannot go stale). What only we find is printed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "checks/translation_check.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "seeded_demo.h"
#include "support/demo_session.h"

namespace kst {
namespace {

std::string PoString(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// The translated string entries of the session's language.
std::string ExportPo(TTranslationSession& s) {
  std::string po = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  const int from = s.OriginalCodePage(), to = s.TranslationCodePage();
  s.ForEachEntry([&](const TSessionEntry& e) {
    if (e.type != ptString || !e.IsTranslated() || e.original->empty()) return;
    po += "\nmsgctxt " + PoString(CodePageToUtf8(e.key, from)) + "\nmsgid " +
          PoString(CodePageToUtf8(*e.original, from)) + "\nmsgstr " + PoString(CodePageToUtf8(*e.translation, to)) +
          "\n";
  });
  return po;
}

// Key -> pofilter's notes, from the units of its output.
std::map<std::string, std::string> PofilterFindings(const std::string& po) {
  std::map<std::string, std::string> found;
  std::istringstream lines(po);
  std::string notes;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("# (pofilter) ")) notes += (notes.empty() ? "" : "; ") + line.substr(13);
    if (line.starts_with("msgctxt \"") && !notes.empty()) {
      found[line.substr(9, line.size() - 10)] = notes;
      notes.clear();
    }
  }
  return found;
}

// Where pofilter is wrong about Delphi: it takes "%0:s" for a C conversion
// "%0" and so calls an indexed specifier a different variable.
const std::map<std::string, std::string> kPofilterOnly = {
    {"@Texts_SQuoted", "\"%0:s\" is Delphi's indexed form of the original's \"%s\""},
};

TEST(Pofilter, FindsNothingTheCheckMisses) {
  if (!test::HaveProgram("pofilter")) {
    if (std::getenv("CI")) FAIL() << "pofilter (Debian's translate-toolkit) is required in CI";
    GTEST_SKIP() << "pofilter is not installed (Debian's translate-toolkit)";
  }
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  d.project.AddLanguage(test::kSeededLanguage);
  s.SelectLanguage(test::kSeededLanguage);
  test::SeedFaults(s);
  std::map<std::string, std::vector<std::string>> ours;
  for (const TFinding& f : CheckTranslations(s).findings) ours[f.key].push_back(f.id);

  test::WriteFile(d.dir.File("seeded.po"), ExportPo(s));
  test::TProgramRun run = test::Run(
      "pofilter --kde --nofuzzy --test=printf --test=accelerators "
      "--test=endwhitespace --test=startwhitespace seeded.po found.po",
      d.dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::map<std::string, std::string> theirs = PofilterFindings(ReadFileBytes(d.dir.File("found.po")));
  EXPECT_FALSE(theirs.empty());
  for (const auto& [key, notes] : theirs) {
    if (!kPofilterOnly.count(key)) {
      EXPECT_TRUE(ours.count(key)) << key << ": pofilter says " << notes;
    }
  }
  for (const auto& [key, why] : kPofilterOnly) EXPECT_TRUE(theirs.count(key)) << key << " (" << why << ")";
}

}  // namespace
}  // namespace kst
