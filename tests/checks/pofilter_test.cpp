// A second opinion on the generic checks: the seeded demo exported as PO
// (msgctxt the key) and checked by translate-toolkit's pofilter with the
// tests it shares with ours. Every entry pofilter finds must be one of our
// findings, except where pofilter reads Delphi's Format as C's printf
// (listed below, and required to stay found, so the list cannot go stale).
// What only we find is printed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "checks/translation_check.h"
#include "exchange/exchange_format.h"
#include "exchange/po_file.h"
#include "platform/file_utils.h"
#include "seeded_demo.h"
#include "support/demo_session.h"

namespace kst {
namespace {

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

  test::WriteFile(d.dir.File("seeded.po"),
                  BuildPoFile(d.project, ExchangeLanguages(d.project, test::kSeededLanguage), kFilterStrings,
                              "2026-12-07 00:00+0000"));
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
