// The window procedure's message table, and the order of one loop pass run against steps that
// write down what happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_loop.h"

namespace {

TEST(WindowProcedure, KeysActivationAndQuitRequests) {
  // ASan watches that no key message writes outside the flags.
  const Msg keyMessages[] = {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_F1}, {WM_KEYUP, VK_ESCAPE},
                             {WM_KEYDOWN, platform::KEY_COUNT}, {WM_KEYUP, 0xFFFFFFFFu}};
  for (const Msg& m : keyMessages) windowProc(nullptr, m.message, m.wParam, 0);
  EXPECT_EQ(std::make_pair(keys[VK_ESCAPE], keys[VK_F1]), std::make_pair(false, true));

  // Only a minimised window is inactive; losing focus alone keeps drawing.
  const platform::Event minimised{platform::EventKind::Deactivated, platform::Key::None, true};
  const platform::Event unfocused{platform::EventKind::Deactivated, platform::Key::None, false};
  const platform::Event restored{platform::EventKind::Activated, platform::Key::None, false};
  for (const platform::Event& e : {minimised, unfocused, minimised, restored}) {
    const Msg m = translateEvent(e);
    windowProc(nullptr, m.message, m.wParam, 0);
    EXPECT_EQ(active, !e.minimised);
  }
  // Closing and every system command post a quit with code 0, which the queue hands out first.
  for (uint32_t message : {WM_CLOSE, WM_SYSCOMMAND}) {
    windowProc(nullptr, message, 0xF030u, 0);
    Msg msg;
    EXPECT_TRUE(peekMessage(&msg) && msg.message == WM_QUIT && msg.wParam == 0) << msg.message << " " << msg.wParam;
  }
}

// What the loop is given: the messages of each pass (the first batch queued before the first
// pass, each other one arriving during a pass, handed out after its swap), the frames the show
// has, the swap after which Escape goes down (0: none) and whether an F1 reopen works.
struct Script {
  std::vector<std::vector<Msg>> passes;
  int framesLeft = 99;  // drawFrame ends the show when it runs out
  int escapeAfterSwap = 0;
  bool reopenWorks = true;
} script;
std::string trail;
int swaps;

// The loop drains the messages before every pass, so the batch of the pass under way is all there
// is before the real queue, which holds a posted quit.
bool peek(Msg* m) {
  if (size_t(swaps) >= script.passes.size() || script.passes[swaps].empty()) return peekMessage(m);
  *m = script.passes[swaps].front();
  script.passes[swaps].erase(script.passes[swaps].begin());
  return true;
}
void dispatch(const Msg& m) {
  trail += "msg" + std::to_string(m.message) + " ";
  windowProc(nullptr, m.message, m.wParam, 0);
}
bool draw() {
  trail += "draw ";
  return script.framesLeft-- > 0;
}
void swap() {
  trail += "swap ";
  if (++swaps == script.escapeAfterSwap) keys[VK_ESCAPE] = true;
}
bool toggle() {
  trail += "toggle ";
  return script.reopenWorks;
}

// One run of the loop from a clean state: what happened, in order.
std::string run(const Script& given) {
  script = given;
  trail.clear();
  swaps = 0;
  active = true;
  std::fill(std::begin(keys), std::end(keys), false);
  std::fill(std::begin(keyPresses), std::end(keyPresses), 0);
  EXPECT_EQ(runMainLoop({peek, dispatch, draw, [] { trail += "update "; }, swap, toggle, [] { trail += "close"; }}), 0);
  return trail;
}

const Msg escDown{WM_KEYDOWN, VK_ESCAPE}, escUp{WM_KEYUP, VK_ESCAPE};
const Msg f1Down{WM_KEYDOWN, VK_F1}, f1Up{WM_KEYUP, VK_F1};

// Every pass's order, and every Escape or F1 press acting once however short.
TEST(MainLoop, PassOrder) {
  const std::pair<Script, const char*> runs[] = {
      // Messages drain before a pass; F1 toggles once; the frame of the Escape pass is not shown.
      {{{{{WM_KEYUP, 0}, f1Down}}, 99, 2}, "msg3 msg2 draw update swap toggle draw update swap draw close"},
      // The end of the show: its last frame is not shown either.
      {{{}, 2}, "draw update swap draw update swap draw close"},
      // F1 and Escape in one pass: the toggle, then the end.
      {{{{f1Down, escDown}}}, "msg2 msg2 draw toggle close"},
      // A failed reopen ends at once; there is no window left to close.
      {{{{f1Down}}, 99, 0, false}, "msg2 draw update swap toggle "},
      // Minimised: no drawing, but time and swaps go on.
      {{{{{WM_ACTIVATE, 1}}}, 99, 2}, "msg1 update swap update swap close"},
      // A quit leaves at once, before any pass and without the F1 test.
      {{{{f1Down, {WM_CLOSE, 0}}}}, "msg2 msg4 close"},
      // A tap can go down and up before the loop looks at its keys (a slow frame, start-up): it
      // acts all the same, and only once; a held F1 toggles again on the auto-repeats of later
      // passes.
      {{{{escDown, escUp}}}, "msg2 msg3 draw close"},
      {{{{f1Down, f1Up}, {}, {f1Down, f1Up}, {escDown, escUp}}},
       "msg2 msg3 draw update swap toggle draw update swap "
       "msg2 msg3 draw update swap toggle msg2 msg3 draw close"},
      // Two taps during one slow pass: two toggles, one per pass.
      {{{{f1Down, f1Up, f1Down, f1Up}, {}, {escDown, escUp}}},
       "msg2 msg3 msg2 msg3 draw update swap toggle draw update swap toggle msg2 msg3 draw close"},
      // Held: the press and each pass's first auto-repeat toggle, however many repeats came.
      {{{{f1Down, f1Down, f1Down}, {}, {f1Down, f1Down}, {f1Up, escDown}}},
       "msg2 msg2 msg2 draw update swap toggle draw update swap "
       "msg2 msg2 draw update swap toggle msg3 msg2 draw close"},
      // Minimised: no frame, and still the tap ends the show.
      {{{{{WM_ACTIVATE, 1}, escDown, escUp}}}, "msg1 msg2 msg3 close"},
  };
  for (const auto& [script, expected] : runs) EXPECT_EQ(run(script), expected);
}

}  // namespace
