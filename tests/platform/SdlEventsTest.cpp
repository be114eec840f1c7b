#include "platform/sdl/SdlEvents.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/KeyCodes.h"
using platform::Message;
using platform::MessageKind;
using platform::SdlEvents;

namespace {

// One queue for the whole suite: every SdlEvents takes from SDL's single
// event queue, so two alive at once would steal each other's events.
SdlEvents& Events() {
  static SdlEvents* events = [] {
    auto* e = new SdlEvents;
    Message m;
    while (e->Poll(m)) {
    }
    return e;
  }();
  return *events;
}

std::vector<Message> Drain() {
  std::vector<Message> out;
  Message m;
  while (Events().Poll(m)) out.push_back(m);
  return out;
}

// What the window system delivers with no input: nothing but window chatter.
std::vector<Message> DrainInput() {
  std::vector<Message> out;
  for (const Message& m : Drain())
    if (m.kind != MessageKind::Paint && m.kind != MessageKind::DisplayChange) out.push_back(m);
  return out;
}

void PushKey(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0, Uint32 window = 1) {
  SDL_Event e{};
  e.type = type;
  e.key.windowID = window;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  e.key.keysym.mod = mod;
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void PushButton(Uint32 type, Uint8 button, Uint8 clicks, int x, int y, Uint32 window = 2) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = window;
  e.button.button = button;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = clicks;
  e.button.x = x;
  e.button.y = y;
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void PushWindowEvent(Uint8 event, Uint32 window, int data1 = 0, int data2 = 0) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = window;
  e.window.event = event;
  e.window.data1 = data1;
  e.window.data2 = data2;
  ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

class SdlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Events();
    if (!Events().HasVideo()) GTEST_SKIP() << "no SDL video driver (run with SDL_VIDEODRIVER=offscreen)";
    Drain();
  }
};

}  // namespace

TEST(SdlEventsKeys, ClassicVirtualKeyCodes) {
  struct {
    SDL_Keycode sym;
    int32_t vk;
  } table[] = {
      {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_9, '9'}, {SDLK_F1, 112}, {SDLK_F10, 121},
      {SDLK_F12, 123}, {SDLK_F13, 124}, {SDLK_F24, 135}, {SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39},
      {SDLK_DOWN, 40}, {SDLK_ESCAPE, 27}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_SPACE, 32},
      {SDLK_TAB, 9}, {SDLK_BACKSPACE, 8}, {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16}, {SDLK_LCTRL, 17},
      {SDLK_RCTRL, 17}, {SDLK_LALT, 18}, {SDLK_RALT, 18}, {SDLK_PRINTSCREEN, 44}, {SDLK_PAUSE, 19},
      {SDLK_INSERT, 45}, {SDLK_DELETE, 46}, {SDLK_HOME, 36}, {SDLK_END, 35}, {SDLK_PAGEUP, 33},
      {SDLK_PAGEDOWN, 34}, {SDLK_KP_0, 96}, {SDLK_KP_1, 97}, {SDLK_KP_9, 105}, {SDLK_KP_MULTIPLY, 106},
      {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109}, {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111},
      {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145}, {SDLK_CAPSLOCK, 20}, {SDLK_LGUI, 91}, {SDLK_RGUI, 92},
      {SDLK_APPLICATION, 93}, {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187}, {SDLK_COMMA, 188}, {SDLK_MINUS, 189},
      {SDLK_PERIOD, 190}, {SDLK_SLASH, 191}, {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219},
      {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222}, {SDLK_UNKNOWN, 0},
      {SDLK_AUDIOPLAY, 0},
  };
  for (const auto& t : table) EXPECT_EQ(SdlEvents::VirtualKey(t.sym), t.vk) << SDL_GetKeyName(t.sym);
}

TEST_F(SdlEventsTest, KeysBecomeKeyAndSysKeyMessages) {
  PushKey(SDL_KEYDOWN, SDLK_a);
  PushKey(SDL_KEYDOWN, SDLK_a, KMOD_NONE, 1);
  PushKey(SDL_KEYUP, SDLK_a);
  PushKey(SDL_KEYDOWN, SDLK_PRINTSCREEN, KMOD_LCTRL);
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_RSHIFT, 0, 9);
  PushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
  PushKey(SDL_KEYUP, SDLK_LALT);
  PushKey(SDL_KEYDOWN, SDLK_F10);
  auto got = DrainInput();
  ASSERT_EQ(got.size(), 9u);
  EXPECT_EQ(got[0].kind, MessageKind::KeyDown);
  EXPECT_EQ(got[0].key, 'A');
  EXPECT_EQ(got[0].window, 1u);
  EXPECT_EQ(got[0].param, 0u);
  EXPECT_EQ(got[1].kind, MessageKind::KeyDown);
  EXPECT_EQ(got[1].param, 1u) << "auto-repeat";
  EXPECT_EQ(got[2].kind, MessageKind::KeyUp);
  EXPECT_EQ(got[3].kind, MessageKind::KeyDown);
  EXPECT_EQ(got[3].key, platform::vkSnapshot);
  EXPECT_TRUE(got[3].ctrl);
  EXPECT_FALSE(got[3].shift);
  EXPECT_EQ(got[4].key, platform::vkEscape);
  EXPECT_TRUE(got[4].shift);
  EXPECT_EQ(got[4].window, 9u);
  EXPECT_EQ(got[5].kind, MessageKind::SysKeyDown);
  EXPECT_EQ(got[5].key, platform::vkMenu);
  EXPECT_EQ(got[6].kind, MessageKind::SysKeyDown);
  EXPECT_EQ(got[6].key, platform::vkF1 + 3);
  EXPECT_TRUE(got[6].alt);
  EXPECT_EQ(got[7].kind, MessageKind::SysKeyUp);
  EXPECT_EQ(got[7].key, platform::vkMenu);
  EXPECT_EQ(got[8].kind, MessageKind::SysKeyDown);
  EXPECT_EQ(got[8].key, platform::vkF10);
}

TEST_F(SdlEventsTest, TextInputGivesOneCharPerCharacter) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = 4;
  std::strcpy(e.text.text, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x90\x9F");  // a, e-acute, euro, a fish
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  auto got = DrainInput();
  ASSERT_EQ(got.size(), 4u);
  int32_t expected[] = {'a', 0xE9, 0x20AC, 0x1F41F};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].kind, MessageKind::Char);
    EXPECT_EQ(got[i].key, expected[i]);
    EXPECT_EQ(got[i].window, 4u);
  }
}

TEST_F(SdlEventsTest, MouseMotionButtonsDoubleClicksAndWheel) {
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = 2;
  motion.motion.x = 120;
  motion.motion.y = 45;
  ASSERT_EQ(SDL_PushEvent(&motion), 1);
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 10, 20);
  PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 10, 20);
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 11, 21);
  PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2, 11, 21);
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 5, 6);
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, 7, 8);
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 7, 8);  // no message of its own
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = 2;
  wheel.wheel.y = -2;
  ASSERT_EQ(SDL_PushEvent(&wheel), 1);
  wheel.wheel.y = 3;
  wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  ASSERT_EQ(SDL_PushEvent(&wheel), 1);

  auto got = DrainInput();
  std::vector<MessageKind> kinds;
  for (const auto& m : got) kinds.push_back(m.kind);
  std::vector<MessageKind> expected = {
      MessageKind::MouseMove,   MessageKind::LButtonDown,   MessageKind::LButtonUp,   MessageKind::LButtonDown,
      MessageKind::LButtonDblClk, MessageKind::LButtonUp,   MessageKind::RButtonDown, MessageKind::MButtonDown,
      MessageKind::MButtonDblClk, MessageKind::MouseWheel,  MessageKind::MouseWheel,
  };
  ASSERT_EQ(kinds, expected);
  EXPECT_EQ(got[0].window, 2u);
  EXPECT_EQ(got[0].x, 120);
  EXPECT_EQ(got[0].y, 45);
  EXPECT_EQ(got[4].x, 11);
  EXPECT_EQ(got[4].y, 21);
  EXPECT_EQ(got[6].x, 5);
  EXPECT_EQ(int32_t(got[9].param), -2);
  EXPECT_EQ(int32_t(got[10].param), -3) << "a flipped wheel counts the other way";
}

TEST_F(SdlEventsTest, WindowAndQuitEvents) {
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE, 3);
  PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 3, 640, 480);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, 3);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, 3);
  PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED, 3);
  PushWindowEvent(SDL_WINDOWEVENT_RESTORED, 3);
  PushWindowEvent(SDL_WINDOWEVENT_MOVED, 3, 1, 1);  // no message
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);

  auto got = DrainInput();
  std::vector<MessageKind> kinds;
  for (const auto& m : got) kinds.push_back(m.kind);
  std::vector<MessageKind> expected = {MessageKind::Close,    MessageKind::Resize,   MessageKind::Activate,
                                       MessageKind::Deactivate, MessageKind::Minimize, MessageKind::Restore,
                                       MessageKind::Quit};
  ASSERT_EQ(kinds, expected);
  EXPECT_EQ(got[0].window, 3u);
  EXPECT_EQ(got[1].x, 640);
  EXPECT_EQ(got[1].y, 480);
  EXPECT_EQ(got[6].window, 0u);
}

TEST_F(SdlEventsTest, PostedMessagesRoundTripInOrderWithInput) {
  Message a;
  a.kind = MessageKind::PowerBroadcast;
  a.window = 7;
  a.param = 4;
  a.key = -3;
  a.x = 1;
  a.y = 2;
  a.ctrl = true;
  a.result = 99;
  Events().Post(a);
  PushKey(SDL_KEYDOWN, SDLK_b);
  Message b;
  b.kind = MessageKind::User;
  b.param = 0xDEADBEEF;
  Events().Post(b);

  auto got = DrainInput();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].kind, MessageKind::PowerBroadcast);
  EXPECT_EQ(got[0].window, 7u);
  EXPECT_EQ(got[0].param, 4u);
  EXPECT_EQ(got[0].key, -3);
  EXPECT_EQ(got[0].x, 1);
  EXPECT_EQ(got[0].y, 2);
  EXPECT_TRUE(got[0].ctrl);
  EXPECT_EQ(got[0].result, 99);
  EXPECT_EQ(got[1].key, 'B');
  EXPECT_EQ(got[2].kind, MessageKind::User);
  EXPECT_EQ(got[2].param, 0xDEADBEEFu);
  Message none;
  EXPECT_FALSE(Events().Poll(none));
}

TEST_F(SdlEventsTest, PostFromAnotherThreadWakesAWait) {
  using Clock = std::chrono::steady_clock;
  std::thread poster([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Message m;
    m.kind = MessageKind::Quit;
    Events().Post(m);
  });
  auto start = Clock::now();
  Events().Wait(60000);
  auto waited = Clock::now() - start;
  poster.join();
  // Woken by the message, not by the one-minute timeout.
  EXPECT_LT(waited, std::chrono::seconds(30));
  Message m;
  bool quit = false;
  while (Events().Poll(m)) quit = quit || m.kind == MessageKind::Quit;
  EXPECT_TRUE(quit);
}

TEST_F(SdlEventsTest, ManyPostsFromThreadsAllArriveOnce) {
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) {
        Message m;
        m.kind = MessageKind::User;
        m.param = uint32_t(t * kEach + i);
        Events().Post(m);
      }
    });
  std::vector<int> seen(kThreads * kEach, 0);
  std::vector<int> last(kThreads, -1);
  bool ordered = true;
  int received = 0;
  // A lost message must fail the test, not hang it: wait a generous while
  // for all of them, then report how many came.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (received < kThreads * kEach && std::chrono::steady_clock::now() < deadline) {
    Message m;
    if (Events().Poll(m)) {
      if (m.kind == MessageKind::User && m.param < seen.size()) {
        ++seen[m.param];
        ++received;
        int thread = int(m.param) / kEach, index = int(m.param) % kEach;
        ordered = ordered && index > last[thread];
        last[thread] = index;
      }
    } else {
      Events().Wait(100);
    }
  }
  for (auto& t : threads) t.join();
  ASSERT_EQ(received, kThreads * kEach) << "only " << received << " of " << kThreads * kEach
                                        << " posted messages arrived within 60 s";
  for (int count : seen) ASSERT_EQ(count, 1);
  EXPECT_TRUE(ordered) << "the messages of one thread came out of order";
  Message extra;
  while (Events().Poll(extra)) EXPECT_NE(extra.kind, MessageKind::User);
}
