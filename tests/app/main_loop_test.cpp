// The order of one loop pass, run against steps that write down what happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "app/main_loop.h"

namespace {

std::vector<std::string> trail;
std::deque<Msg> queue;
int framesLeft = 0;                 // drawFrame reports the end of the show when this runs out
std::vector<uint32_t> keysOnFrame;  // keys pressed while the frame of the given pass is drawn
bool reopenWorks = true;

// The test's messages first, then the real queue (which holds a posted quit).
bool peek(Msg* m) {
  if (queue.empty()) return peekMessage(m);
  *m = queue.front();
  queue.pop_front();
  return true;
}
void dispatch(const Msg& m) {
  trail.push_back("dispatch " + std::to_string(m.message));
  windowProc(nullptr, m.message, m.wParam, 0);
}
bool draw() {
  trail.push_back("draw");
  size_t pass = size_t(std::count(trail.begin(), trail.end(), "draw"));
  if (pass <= keysOnFrame.size() && keysOnFrame[pass - 1] != 0) keys[keysOnFrame[pass - 1]] = true;
  return framesLeft-- > 0;
}
void update() { trail.push_back("update"); }
void swap() { trail.push_back("swap"); }
bool toggle() {
  trail.push_back("toggle");
  return reopenWorks;
}
void close() { trail.push_back("close"); }

const LoopSteps steps{peek, dispatch, draw, update, swap, toggle, close};

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trail.clear();
    queue.clear();
    keysOnFrame.clear();
    framesLeft = 1000;
    reopenWorks = true;
    active = true;
    std::fill(std::begin(keys), std::end(keys), false);
  }
};

TEST_F(MainLoopTest, MessagesDrainBeforeAPassAndAnEscapeFrameIsNeverPresented) {
  queue = {{WM_KEYUP, 65}, {WM_KEYUP, 66}};
  keysOnFrame = {0, VK_ESCAPE};
  EXPECT_EQ(runMainLoop(steps), 0);
  const std::vector<std::string> expected = {
      "dispatch 257", "dispatch 257", "draw", "update", "swap", "draw", "close"};
  EXPECT_EQ(trail, expected);
}

TEST_F(MainLoopTest, TheEndOfTheShowEndsTheLoopWithoutLookingAtEscape) {
  framesLeft = 2;
  EXPECT_EQ(runMainLoop(steps), 0);
  const std::vector<std::string> expected = {"draw", "update", "swap", "draw", "update", "swap",
                                             "draw", "close"};
  EXPECT_EQ(trail, expected);
}

TEST_F(MainLoopTest, F1AndEscapeInOnePassToggleFirstThenEnd) {
  keysOnFrame = {VK_F1};
  keys[VK_ESCAPE] = true;
  EXPECT_EQ(runMainLoop(steps), 0);
  const std::vector<std::string> expected = {"draw", "toggle", "close"};
  EXPECT_EQ(trail, expected);
  EXPECT_FALSE(keys[VK_F1]);
}

TEST_F(MainLoopTest, AFailedReopenEndsAtOnceWithoutAnotherClose) {
  keysOnFrame = {VK_F1};
  reopenWorks = false;
  EXPECT_EQ(runMainLoop(steps), 0);
  const std::vector<std::string> expected = {"draw", "update", "swap", "toggle"};
  EXPECT_EQ(trail, expected);
}

TEST_F(MainLoopTest, AMinimisedShowKeepsTimeAndSwapsButDrawsNothing) {
  queue = {{WM_ACTIVATE, 0x10000u}};
  // Two passes without drawing, then Escape ends it.
  LoopSteps counting = steps;
  counting.swapBuffers = [] {
    swap();
    if (std::count(trail.begin(), trail.end(), "swap") == 2) keys[VK_ESCAPE] = true;
  };
  EXPECT_EQ(runMainLoop(counting), 0);
  const std::vector<std::string> expected = {"dispatch 6", "update", "swap", "update", "swap", "close"};
  EXPECT_EQ(trail, expected);
}

TEST_F(MainLoopTest, AQuitLeavesAtOnceWithoutTheF1Test) {
  queue = {{WM_KEYDOWN, VK_F1}, {WM_CLOSE, 0}};
  EXPECT_EQ(runMainLoop(steps), 0);
  // The quit posted by the close is taken off the queue before any pass runs.
  const std::vector<std::string> expected = {"dispatch 256", "dispatch 16", "close"};
  EXPECT_EQ(trail, expected);
}

}  // namespace
