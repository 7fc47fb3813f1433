#include <gtest/gtest.h>

#include "app/message_box.h"

namespace {

TEST(MessageBoxType, DecodesButtonsIconAndDefault) {
  struct Case {
    unsigned type;
    MessageBoxStyle expected;
  };
  const Case cases[] = {
      {kMessageBoxStop, {false, true, false}},              // 16: OK with the stop icon
      {kMessageBoxQuestionDefaultNo, {true, false, true}},  // 260: Yes/No, No the default
      {0, {false, false, false}},                           // plain OK
      {4, {true, false, false}},                            // Yes/No, Yes the default
      {4 | 16 | 256, {true, true, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(decodeMessageBoxType(c.type), c.expected) << c.type;
}

}  // namespace
