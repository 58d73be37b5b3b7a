#include "show/messages.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>
#include <sstream>
#include <string>
#include <vector>

#include "show/frame.h"
#include "tests/show/show_gl_test.h"
#include "timing/beat_timing.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

TEST(MessageTexts, HaveTheirLengthsAndOnlyPrintableCharacters) {
  const size_t lengths[MESSAGE_COUNT] = {89, 88, 131, 219, 63, 112, 15, 13};
  for (int i = 0; i < MESSAGE_COUNT; ++i) {
    ASSERT_NE(messages[i], nullptr);
    const std::string text = messages[i];
    EXPECT_EQ(text.size(), lengths[i]) << "message " << i;
    for (char c : text) {
      EXPECT_TRUE(c >= 32 && c <= 126) << "message " << i << " has code " << int(c);
      // The texts are handed to printText as its format.
      EXPECT_NE(c, '%') << "message " << i;
    }
  }
  EXPECT_STREQ(messages[6], "And remember...");
}

TEST(MessageTexts, FillTheirRoles) {
  EXPECT_NE(strcasestr(messages[0], "Kaikuranta"), nullptr);
  EXPECT_NE(strcasestr(messages[3], "sunglasses"), nullptr);
  EXPECT_NE(std::strstr(messages[4], ".example"), nullptr);

  // A label word, a colon, then 21 handles separated by commas without spaces.
  const std::string greetings = messages[5];
  const size_t colon = greetings.find(':');
  ASSERT_NE(colon, std::string::npos);
  const std::string label = greetings.substr(0, colon);
  EXPECT_FALSE(label.empty());
  EXPECT_TRUE(std::all_of(label.begin(), label.end(), [](char c) { return std::isalpha(c); }));
  const std::string list = greetings.substr(colon + 1);
  EXPECT_EQ(list.find(' '), std::string::npos);
  const std::vector<std::string> handles = split(list, ',');
  ASSERT_EQ(handles.size(), 21u);
  for (const std::string& handle : handles) EXPECT_FALSE(handle.empty());

  // A jibe in capitals at one of those groups.
  const std::string jibe = messages[7];
  EXPECT_EQ(jibe.back(), '!');
  for (char c : jibe) EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << jibe;
  const bool namesAGroup = std::any_of(handles.begin(), handles.end(), [&](std::string h) {
    std::transform(h.begin(), h.end(), h.begin(), [](char c) { return char(std::toupper(c)); });
    return jibe.find(h) != std::string::npos;
  });
  EXPECT_TRUE(namesAGroup) << jibe;
}

class MessagesTest : public ShowGlTest {
 protected:
  void SetUp() override {
    ShowGlTest::SetUp();
    markCard();
  }
  // Fills the card with a colour no rendering produces, to see whether it was rendered.
  static void markCard() {
    std::vector<uint8_t> marker(256 * 256 * 4);
    for (size_t i = 0; i < marker.size(); i += 4) {
      marker[i] = 1;
      marker[i + 1] = 2;
      marker[i + 2] = 3;
      marker[i + 3] = 255;
    }
    glBindTexture(GL_TEXTURE_2D, textures[TEX_CARD_RT]);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE, marker.data());
  }
  static bool cardRendered() {
    const auto card = readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr);
    return !(card[0] == 1 && card[1] == 2 && card[2] == 3);
  }
  // Runs the schedule as drawFrame does, on a freshly cleared buffer.
  void scheduleAt(float t) {
    sceneTime = t;
    resetMessageState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    runMessageSchedule();
  }
  // Columns [x0, x1) of the card's text band that hold text (dark) pixels.
  static int darkInCard(int x0, int x1, int y0, int y1) {
    const auto card = readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr);
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const size_t i = (size_t(y) * 256 + size_t(x)) * 4;
        if (card[i] < 60 && card[i + 1] < 60 && card[i + 2] < 60) ++dark;
      }
    }
    return dark;
  }
};

TEST_F(MessagesTest, WindowsExcludeTheirStartAndIncludeTheirEnd) {
  sceneTime = 14.0f;
  EXPECT_FALSE(inTimeWindow(14.0f, 16.0f));
  sceneTime = 16.0f;
  EXPECT_TRUE(inTimeWindow(14.0f, 16.0f));
  EXPECT_FALSE(inTimeWindow(16.0f, 28.0f));

  // A window that does not hold the time changes nothing.
  messageFade = 0.7f;
  currentMessage = messages[3];
  EXPECT_FALSE(fadeInWindow(20.0f, 22.0f, 0));
  EXPECT_FALSE(holdWindow(20.0f, 22.0f, 0));
  EXPECT_FALSE(fadeOutWindow(20.0f, 22.0f, 0));
  EXPECT_EQ(messageFade, 0.7f);
  EXPECT_EQ(currentMessage, messages[3]);

  EXPECT_TRUE(fadeOutWindow(15.0f, 17.0f, 2));
  EXPECT_EQ(messageFade, 0.5f);
  EXPECT_EQ(currentMessage, messages[2]);
}

TEST_F(MessagesTest, NothingShowsBeforeTheFirstMessage) {
  for (float t : {0.0f, 5.0f, 13.99f, 14.0f}) {
    scheduleAt(t);
    EXPECT_EQ(messageFade, 0.0f) << t;
    EXPECT_TRUE(bubbleUpper) << t;
    EXPECT_EQ(currentMessage, nullptr) << t;
    EXPECT_FALSE(cardRendered()) << t;
  }
  // Past the last message every row is tried as well.
  scheduleAt(155.0f);
  EXPECT_EQ(messageFade, 0.0f);
  EXPECT_TRUE(bubbleUpper);
  EXPECT_FALSE(cardRendered());
}

TEST_F(MessagesTest, FirstMessageOpensHoldsAndCloses) {
  scheduleAt(15.0f);
  EXPECT_FLOAT_EQ(messageFade, 0.5f);
  EXPECT_EQ(currentMessage, messages[0]);
  EXPECT_TRUE(cardRendered());

  scheduleAt(16.0f);  // the end of the fade-in
  EXPECT_EQ(messageFade, 1.0f);
  scheduleAt(16.001f);
  EXPECT_EQ(messageFade, 1.0f);
  scheduleAt(29.0f);
  EXPECT_EQ(messageFade, 0.5f);
  EXPECT_TRUE(bubbleUpper);

  // The tail stops the schedule without a card or a bubble.
  currentMessage = nullptr;
  markCard();
  scheduleAt(30.5f);
  EXPECT_EQ(messageFade, 0.0f);
  EXPECT_EQ(currentMessage, nullptr);
  EXPECT_FALSE(cardRendered());
  EXPECT_TRUE(messageSlot(14.0f, 31.0f, 0, true));
  scheduleAt(31.0f);
  EXPECT_EQ(messageFade, 0.0f);
  EXPECT_FALSE(cardRendered());

  // In message 1's tail the lower position stays: the rows after it are not tried.
  scheduleAt(47.5f);
  EXPECT_FALSE(bubbleUpper);
  EXPECT_EQ(messageFade, 0.0f);
}

TEST_F(MessagesTest, EveryMessageHoldsInItsPosition) {
  struct Hold {
    float t;
    int index;
    bool upper;
    float start;
    float end;
  };
  const Hold holds[] = {
      {20.0f, 0, true, 14.0f, 31.0f},     {40.0f, 1, false, 31.0f, 48.0f},
      {60.0f, 2, true, 48.0f, 71.0f},     {90.0f, 3, false, 71.0f, 105.0f},
      {110.0f, 4, true, 105.0f, 119.0f},  {130.0f, 5, false, 119.0f, 141.0f},
      {144.0f, 6, true, 141.0f, 148.0f},  {150.75f, 7, true, 148.0f, 154.5f},
  };
  for (const Hold& h : holds) {
    scheduleAt(h.t);
    EXPECT_EQ(currentMessage, messages[h.index]) << h.t;
    EXPECT_EQ(messageFade, 1.0f) << h.t;
    EXPECT_EQ(bubbleUpper, h.upper) << h.t;
    // Half-way through the fade-in and the fade-out, and in the tail.
    scheduleAt(h.start + 1.0f);
    EXPECT_FLOAT_EQ(messageFade, 0.5f) << h.start;
    EXPECT_EQ(currentMessage, messages[h.index]);
    scheduleAt(h.end - 2.0f);
    EXPECT_FLOAT_EQ(messageFade, 0.5f) << h.end;
    EXPECT_EQ(bubbleUpper, h.upper) << h.end;
    scheduleAt(h.end - 0.5f);
    EXPECT_EQ(messageFade, 0.0f) << h.end;
    EXPECT_EQ(bubbleUpper, h.upper) << h.end;
  }
}

// The text's baseline lies at card row 179; the glyphs are about 26 rows tall.
constexpr int TEXT_ROWS_FROM = 170;
constexpr int TEXT_ROWS_TO = 215;

TEST_F(MessagesTest, CardHoldsTheBubbleWithTheTextScrollingThroughIt) {
  // At the end of the fade-in the text starts at the card's centre.
  scheduleAt(16.0f);
  EXPECT_EQ(darkInCard(0, 124, TEXT_ROWS_FROM, TEXT_ROWS_TO), 0);
  EXPECT_GT(darkInCard(128, 256, TEXT_ROWS_FROM, TEXT_ROWS_TO), 200);
  // Above and below the text band, only the bubble picture.
  EXPECT_EQ(darkInCard(0, 256, 0, 160), 0);
  EXPECT_EQ(darkInCard(0, 256, 220, 256), 0);
  const auto card = readTexture(textures[TEX_CARD_RT], 0, nullptr, nullptr);
  EXPECT_TRUE(near({card[0], card[1], card[2]}, slotColour(TEX_BUBBLE)));

  // Early in the fade-in the text is still right of the card.
  scheduleAt(14.5f);
  EXPECT_EQ(darkInCard(0, 256, 0, 256), 0);

  // 0.75 s into message 7's hold the text starts 112.5 pixels left of the centre.
  scheduleAt(150.75f);
  EXPECT_EQ(darkInCard(0, 12, TEXT_ROWS_FROM, TEXT_ROWS_TO), 0);
  EXPECT_GT(darkInCard(16, 60, TEXT_ROWS_FROM, TEXT_ROWS_TO), 100);
}

// A card whose lower half (as rendered) is green and upper half red.
class BubbleTest : public MessagesTest {
 protected:
  void SetUp() override {
    MessagesTest::SetUp();
    std::vector<uint8_t> rows;
    for (int row = 0; row < 16; ++row) {
      for (int x = 0; x < 2; ++x) rows.insert(rows.end(), {uint8_t(row < 8 ? 0 : 200), uint8_t(row < 8 ? 200 : 0), 0});
    }
    // Row 0 is t = 0: for a render target, the card's bottom row.
    fillSlot(TEX_CARD_RT, 2, 16, rows);
  }
};

const Rgb RED = {200, 0, 0};
const Rgb GREEN = {0, 200, 0};

TEST_F(BubbleTest, AppearsUprightAtItsUpperAndLowerCentres) {
  drawBubble(-0.5f, 0.3f, -1.0f);
  for (int dy : {40, 100}) {
    EXPECT_TRUE(near(rgb(200, 312 + dy), RED)) << dy;
    EXPECT_TRUE(near(rgb(200, 312 - dy), GREEN)) << dy;
  }
  EXPECT_EQ(countDiffering(0, 0, 640, 150, {0, 0, 0}, 0), 0);
  EXPECT_EQ(countDiffering(420, 0, 220, 480, {0, 0, 0}, 0), 0);

  glClear(GL_COLOR_BUFFER_BIT);
  drawBubble(-0.5f, -0.5f, -1.0f);
  for (int dy : {40, 100}) {
    EXPECT_TRUE(near(rgb(200, 120 + dy), RED)) << dy;
    EXPECT_TRUE(near(rgb(200, 120 - dy), GREEN)) << dy;
  }
  EXPECT_EQ(countDiffering(0, 300, 640, 180, {0, 0, 0}, 0), 0);
}

TEST_F(BubbleTest, OpensWithTheFadeAndIsAbsentWhenShut) {
  drawBubble(-0.5f, 0.3f, -0.0f);
  EXPECT_EQ(countDiffering(0, 0, 640, 480, {0, 0, 0}, 0), 0);

  auto height = [&](float scaleY) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBubble(-0.5f, 0.3f, scaleY);
    return countDiffering(200, 0, 1, 480, {0, 0, 0}, 0);
  };
  const int full = height(-1.0f);
  const int half = height(-0.5f);
  // 240 rows at rest; the wobble stretches the height by up to a fifth.
  EXPECT_GT(full, 190);
  EXPECT_LT(full, 300);
  EXPECT_NEAR(double(half) / full, 0.5, 0.03);
}

TEST_F(BubbleTest, MaskCutsTheBubbleOutOfTheScene) {
  fillSlot(TEX_BUBBLE_MASK, {0, 0, 0});
  clearTo({100, 100, 100});
  drawBubble(-0.5f, 0.3f, -1.0f);
  EXPECT_TRUE(near(rgb(200, 352), RED));
  EXPECT_TRUE(near(rgb(600, 312), {100, 100, 100}, 0));
}

TEST_F(BubbleTest, WobblesWithTimeAndTheBeat) {
  auto frame = [&](float t, float phase) {
    glClear(GL_COLOR_BUFFER_BIT);
    sceneTime = t;
    pulsePhase = phase;
    drawBubble(-0.5f, 0.3f, -1.0f);
    return readPixels(0, 0, 640, 480);
  };
  const auto still = frame(10.0f, 0.0f);
  EXPECT_EQ(frame(10.0f, 0.0f), still);
  EXPECT_NE(frame(10.5f, 0.0f), still);
  // pulsePhase counts a tenth as much as time.
  EXPECT_EQ(frame(10.5f, 0.0f), frame(10.0f, 5.0f));
}

}  // namespace
