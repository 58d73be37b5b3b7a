// The messages' texts; when and where each one shows is in the frames FrameIdentity compares.
#include "show/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

// Each text is printText's format: printable ASCII, and no '%' that would read an argument.
TEST(MessageTexts, ArePrintableAndHoldNoFormatDirective) {
  for (std::string_view s : messages) {
    EXPECT_TRUE(!s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 32 && c <= 126 && c != '%'; }))
        << s;
  }
}
