// The busy-cursor stack restores what it found, even past its depth limit;
// the status guard puts back exactly what it changed, however its scope ends.
#include "config/interaction.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kst {
namespace {

TEST(BusyCursorStack, RestoresHintAndCursorInOrderEvenPastItsDepthLimit) {
  TRecordingInteraction ui;
  ui.SetHint("Ready");
  TBusyCursorStack stack(ui);
  {
    TStatusScope outer(stack, "Reading Main.dfm...");
    EXPECT_TRUE(ui.BusyCursor());
    {
      TStatusScope inner(stack, "Adding to Dictionary");
      EXPECT_EQ(ui.Hint(), "Adding to Dictionary");
    }
    EXPECT_EQ(ui.Hint(), "Reading Main.dfm...");
    EXPECT_TRUE(ui.BusyCursor());
  }
  EXPECT_EQ(ui.Hint(), "Ready");
  EXPECT_FALSE(ui.BusyCursor());
  for (int i = 0; i < 200; ++i) stack.Push("level " + std::to_string(i));
  for (int i = 0; i < 200; ++i) stack.Pop();
  EXPECT_EQ(ui.Hint(), "Ready");
  EXPECT_FALSE(ui.BusyCursor());
  EXPECT_EQ(stack.Depth(), 0u);
  stack.Pop();  // nothing saved: the normal cursor
  EXPECT_FALSE(ui.BusyCursor());
}

struct TScopeCase {
  const char* name;
  TShow show;
  const char* hintInside;  // what the hint reads inside the scope
  bool busyInside;
};

class StatusScope : public testing::TestWithParam<TScopeCase> {};

TEST_P(StatusScope, ChangesOnlyWhatItShowsAndRestoresItOnAnError) {
  const TScopeCase& c = GetParam();
  for (bool busyBefore : {false, true}) {
    TRecordingInteraction ui;
    ui.SetHint("before");
    ui.SetBusyCursor(busyBefore);
    try {
      TStatusScope scope(&ui, c.show, "working");
      EXPECT_EQ(ui.Hint(), c.hintInside);
      EXPECT_EQ(ui.BusyCursor(), c.busyInside || busyBefore);
      throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ui.Hint(), "before");
    EXPECT_EQ(ui.BusyCursor(), busyBefore);
  }
  TStatusScope nobodyWatches(nullptr, c.show, "working");
}

INSTANTIATE_TEST_SUITE_P(Shows, StatusScope,
                         testing::Values(TScopeCase{"Hint", TShow::Hint, "working", false},
                                         TScopeCase{"BusyCursor", TShow::BusyCursor, "before", true},
                                         TScopeCase{"Both", TShow::HintAndBusyCursor, "working", true}),
                         [](const testing::TestParamInfo<TScopeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kst
