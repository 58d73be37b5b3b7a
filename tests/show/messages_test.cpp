#include "show/messages.h"

#include <algorithm>
#include <string>

#include "tests/show/show_gl_test.h"

namespace {

// Each text is printText's format: printable ASCII, and no '%' that would read an argument.
TEST(MessageTexts, ArePrintableAndHoldNoFormatDirective) {
  for (const char* text : messages) {
    const std::string s = text;
    EXPECT_TRUE(!s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 32 && c <= 126 && c != '%'; }))
        << s;
  }
}

class MessagesTest : public ShowGlTest {
 protected:
  // Runs the schedule as a frame does; true when it rendered the card over a marker colour.
  bool scheduleAt(float t) {
    fill(TEX_CARD_RT, {1, 1, 1}, 256);
    sceneTime = t;
    resetMessageState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    runMessageSchedule();
    return readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr)[0] != 1;
  }
  // Text (dark) pixels of the card in columns [x0, x1) of the text band (baseline at row 179).
  static int textIn(int x0, int x1, int y0 = 170, int y1 = 215) {
    const auto card = readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr);
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) dark += card[(size_t(y) * 256 + size_t(x)) * 4] < 60;
    }
    return dark;
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

TEST_F(MessagesTest, CardShowsTheBubbleWithTheTextScrollingThroughIt) {
  // At the end of the fade-in the text starts at the card's centre; around it only the bubble.
  scheduleAt(16.0f);
  EXPECT_EQ(textIn(0, 124), 0);
  EXPECT_GT(textIn(128, 256), 200);
  EXPECT_EQ(textIn(0, 256, 0, 160) + textIn(0, 256, 220, 256), 0);
  const auto card = readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr);
  EXPECT_TRUE(near({card[0], card[1], card[2]}, SLOT_COLOURS[TEX_BUBBLE]));
  scheduleAt(14.5f);  // still right of the card
  EXPECT_EQ(textIn(0, 256, 0, 256), 0);
  scheduleAt(150.75f);  // 0.75 s into the hold: 112.5 px left of the centre
  EXPECT_EQ(textIn(0, 12), 0);
  EXPECT_GT(textIn(16, 60), 100);
}

TEST_F(MessagesTest, BubbleStandsUprightAtItsCentresSizedByTheFadeAndCutByItsMask) {
  std::vector<uint8_t> card;  // texture row 0, the card's bottom as rendered, green; the top red
  for (int i = 0; i < 32; ++i) card.insert(card.end(), {uint8_t(i < 16 ? 0 : 200), uint8_t(i < 16 ? 200 : 0), 0});
  fill(TEX_CARD_RT, 2, 16, card);
  const Rgb RED = {200, 0, 0}, GREEN = {0, 200, 0};
  for (auto [y, centre] : {std::pair{0.3f, 312}, {-0.5f, 120}}) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBubble(-0.5f, y, -1.0f);
    for (int dy : {40, 100}) {  // upright: the card's top above the centre
      EXPECT_TRUE(near(rgb(200, centre + dy), RED) && near(rgb(200, centre - dy), GREEN)) << centre;
    }
    EXPECT_EQ(lit(0, 0, 640, 480), lit(0, std::max(0, centre - 160), 420, 320));
  }
  // Height follows the fade: 240 rows at rest, and the wobble stretches it by up to a fifth.
  auto height = [](float scaleY) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBubble(-0.5f, 0.3f, scaleY);
    return lit(200, 0, 1, 480);
  };
  const int full = height(-1.0f);
  EXPECT_NEAR(full, 245, 50);
  EXPECT_NEAR(double(height(-0.5f)) / full, 0.5, 0.03);

  // A black mask cuts the scene out where the card is added; the rest of the scene stays.
  fill(TEX_BUBBLE_MASK, {0, 0, 0});
  clearTo({100, 100, 100});
  drawBubble(-0.5f, 0.3f, -1.0f);
  EXPECT_TRUE(near(rgb(200, 352), RED));
  EXPECT_TRUE(near(rgb(600, 312), {100, 100, 100}, 0));
}

}  // namespace
