// Real forms: the demo project's and every binary form of the shared
// corpus. Each must lay out without error, every component must be either
// placed or listed as non-visual, a control outside its parent's client
// area must say so, and every checked text's key must lead back to it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "fake_measure.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "preview/fit_check.h"
#include "support/test_support.h"

namespace kst {
namespace {

size_t CountComponents(const TComponentHelper& c) {
  size_t n = 1;
  for (const auto& child : c.Children) n += CountComponents(*child);
  return n;
}

// The problems of one form's layout, one a line; "" when there are none.
std::string LayoutProblems(TComponentHelper& root) {
  TFormLayout layout(root);
  std::string problems;
  if (layout.Controls.size() + layout.NonVisual.size() != CountComponents(root))
    problems += "components neither placed nor listed\n";
  for (size_t i = 1; i < layout.Controls.size(); ++i) {
    const TControlLayout& c = layout.Controls[i];
    const TControlLayout& parent = layout.Controls[c.Parent];
    if (c.Bounds.Width < 0 || c.Bounds.Height < 0) problems += c.Component->Name + ": negative size\n";
    if (!parent.ClientArea.Contains(c.Bounds) && c.Outside.empty())
      problems += c.Component->Name + ": outside its parent without a word why\n";
  }
  test::TFixedAdvanceMeasure measure;
  for (const TTextFit& fit : CheckFit(layout, measure, TFitText::Original)) {
    if (fit.Room < 0) problems += fit.Key + ": negative room\n";
    if (!root.FindProperty(fit.Key)) problems += fit.Key + ": a key the form model does not resolve\n";
  }
  return problems;
}

TEST(Forms, DemoFormsLayOut) {
  for (const char* form : {"Main.dfm", "About.dfm"}) {
    auto root = ReadFormFile(ReadFileBytes(test::DemoDir() + "/project/" + form));
    EXPECT_EQ(LayoutProblems(*root), "") << form;
  }
  auto root = ReadFormFile(ReadFileBytes(test::DemoDir() + "/project/Main.dfm"));
  TFormLayout layout(*root);
  std::string nonVisual;
  for (const TComponentHelper* c : layout.NonVisual) nonVisual += c->Name + " ";
  EXPECT_EQ(nonVisual, "mnuMain mnuFile mnuFileOpen mnuFileExit mnuHelp mnuHelpAbout dlgOpen ");
  EXPECT_EQ(layout.FindByName("btnOpen")->Bounds, (TRect{8, 152, 75, 25}));
}

TEST(Forms, CorpusBinaryFormsLayOut) {
  const test::TCorpusForms corpus = test::FindCorpusForms();
  if (corpus.root.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  int read = 0, laidOut = 0;
  for (const std::string& path : corpus.binary) {
    std::unique_ptr<TComponentHelper> root;
    try {
      root = ReadFormFile(ReadFileBytes(path));
    } catch (const std::exception&) {
      continue;  // the form model's own tests answer for forms it cannot read
    }
    ++read;
    const std::string problems = LayoutProblems(*root);
    EXPECT_EQ(problems, "") << path;
    laidOut += problems.empty();
  }
  std::printf("corpus binary forms read: %d; laid out cleanly %d\n", read, laidOut);
}

}  // namespace
}  // namespace kst
