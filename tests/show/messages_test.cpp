#include "show/messages.h"

#include <algorithm>
#include <string>

#include "assets/textures.h"
#include "tests/support/gl_fixture.h"
#include "timing/demo_clock.h"

namespace {

// Each text is printText's format: printable ASCII, and no '%' that would read an argument.
TEST(MessageTexts, ArePrintableAndHoldNoFormatDirective) {
  for (const char* text : messages) {
    const std::string s = text;
    EXPECT_TRUE(!s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 32 && c <= 126 && c != '%'; }))
        << s;
  }
}

class MessagesTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    showProjection();
    currentMessage = nullptr;
  }
  void TearDown() override {
    glDeleteTextures(1, &textures[TEX_CARD_RT]);
    textures[TEX_CARD_RT] = 0;
  }
  // Runs the schedule as a frame does; true when it rendered the card over a marker colour.
  bool scheduleAt(float t) {
    glDeleteTextures(1, &textures[TEX_CARD_RT]);
    textures[TEX_CARD_RT] = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 1));
    sceneTime = t;
    resetMessageState();
    glClear(GL_COLOR_BUFFER_BIT);
    runMessageSchedule();
    return readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr)[0] != 1;
  }
};

TEST_F(MessagesTest, ScheduleOpensHoldsClosesAndPausesEachMessageInItsPlace) {
  // Up to 14.0 itself, and after the last message, every row is tried and none matches.
  for (float t : {0.0f, 13.99f, 14.0f, 155.0f})
    EXPECT_TRUE(!scheduleAt(t) && messageFade == 0.0f && bubbleUpper && !currentMessage) << t;
  EXPECT_TRUE(scheduleAt(16.0f) && messageFade == 1.0f && currentMessage == messages[0]);  // the fade-in's end

  const struct { float start, end, hold; bool upper; } rows[MESSAGE_COUNT] = {
      {14, 31, 20, true},    {31, 48, 40, false},   {48, 71, 60, true},     {71, 105, 90, false},
      {105, 119, 110, true}, {119, 141, 130, false}, {141, 148, 144, true}, {148, 154.5f, 150.75f, true}};
  for (int i = 0; i < MESSAGE_COUNT; ++i) {
    const auto& r = rows[i];
    EXPECT_TRUE(scheduleAt(r.hold) && currentMessage == messages[i] && messageFade == 1.0f && bubbleUpper == r.upper)
        << r.hold;
    scheduleAt(r.start + 1.0f);
    EXPECT_FLOAT_EQ(messageFade, 0.5f) << r.start + 1.0f;
    scheduleAt(r.end - 2.0f);  // 29.0 for the first
    EXPECT_FLOAT_EQ(messageFade, 0.5f) << r.end - 2.0f;
    // The last second: no card, the bubble shut, and the rows after it not tried.
    EXPECT_TRUE(!scheduleAt(r.end - 0.5f) && messageFade == 0.0f && bubbleUpper == r.upper) << r.end - 0.5f;
  }
}

}  // namespace
