// The busy-cursor stack restores what it found, even past its depth limit.
#include "config/interaction.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(BusyCursorStack, RestoresHintAndCursorInOrder) {
  TRecordingInteraction ui;
  ui.SetHint("Ready");
  TBusyCursorStack stack(ui);
  {
    TBusyScope outer(stack, "Reading Main.dfm...");
    EXPECT_TRUE(ui.BusyCursor());
    {
      TBusyScope inner(stack, "Adding to Dictionary");
      EXPECT_EQ(ui.Hint(), "Adding to Dictionary");
    }
    EXPECT_EQ(ui.Hint(), "Reading Main.dfm...");
    EXPECT_TRUE(ui.BusyCursor());
  }
  EXPECT_EQ(ui.Hint(), "Ready");
  EXPECT_FALSE(ui.BusyCursor());
  stack.Pop();  // nothing saved: the normal cursor
  EXPECT_FALSE(ui.BusyCursor());
}

TEST(BusyCursorStack, DeeperThanTheLimitStillUnwinds) {
  TRecordingInteraction ui;
  ui.SetHint("idle");
  TBusyCursorStack stack(ui);
  for (int i = 0; i < 200; ++i) stack.Push("level " + std::to_string(i));
  for (int i = 0; i < 200; ++i) stack.Pop();
  EXPECT_EQ(ui.Hint(), "idle");
  EXPECT_FALSE(ui.BusyCursor());
  EXPECT_EQ(stack.Depth(), 0u);
}

}  // namespace
}  // namespace kst
