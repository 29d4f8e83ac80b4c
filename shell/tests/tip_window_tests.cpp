// The tip window on a real screen: where it goes and how big it is, its
// lines, its painting (kept as a screenshot), and the ways it goes away.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell_test_support.h"
#include "tip_window.h"
#include "win_handles.h"

namespace {

using shell_test::PumpUntil;

// Counts the tips alive, so that a leak or a double release shows.
int liveTips = 0;

class CountedTip : public TFXDataTip {
 public:
  CountedTip() { ++liveTips; }

 protected:
  ~CountedTip() override { --liveTips; }
};

// The size the tip's text block has in the tip's own font.
SIZE TextBlock(const std::wstring& text) {
  FontHandle font(CreateFontW(16, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0,
                              L"MS Sans Serif"));
  WindowDC screen(nullptr);
  SelectedObject selected(screen.Get(), font.Get());
  SIZE block{};
  for (const std::wstring& line : TipLines(text)) {
    SIZE extent{};
    GetTextExtentPoint32W(screen.Get(), line.c_str(), static_cast<int>(line.size()), &extent);
    block.cx = std::max(block.cx, extent.cx);
    block.cy += extent.cy;
  }
  return block;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

class TipWindow : public ::testing::Test {
 protected:
  void TearDown() override {
    if (CurrentTip) SendMessageW(CurrentTip->Handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(CurrentTip, nullptr);
    EXPECT_EQ(liveTips, 0);
  }

  static TFXDataTip* Show(POINT point, const std::wstring& text) {
    auto* tip = new CountedTip;
    EXPECT_TRUE(tip->CreateTip(nullptr));
    tip->ShowTip(point, text);
    return tip;
  }

  const std::wstring notice = L"Clipboard modified by Velloform\n4.00 x 3.00 inch (100%)";
};

TEST(TipLines, LeaveOutEmptyPieces) {
  EXPECT_EQ(TipLines(L"one\n\ntwo\n"), (std::vector<std::wstring>{L"one", L"two"}));
  EXPECT_EQ(TipLines(L"\nonly\n\n"), (std::vector<std::wstring>{L"only"}));
  EXPECT_TRUE(TipLines(L"").empty());
  EXPECT_TRUE(TipLines(L"\n\n").empty());
}

TEST_F(TipWindow, SitsBesideThePointSizedToItsLines) {
  TFXDataTip* tip = Show({200, 150}, notice);
  ASSERT_EQ(CurrentTip, tip);
  HWND window = tip->Handle();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_NE(GetForegroundWindow(), window);  // shown without being activated
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & (WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS),
            static_cast<DWORD>(WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS));
  wchar_t title[32] = L"";
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"Tooltip Window");

  // Widest line plus 4 pixels each side, line heights plus 2 pixels above
  // and below (the border inside that), moved 10 right and 5 down.
  const SIZE block = TextBlock(notice);
  ASSERT_GT(block.cx, 0);
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 200 + 10 - 4);
  EXPECT_EQ(rect.top, 150 + 5 - 2);
  EXPECT_EQ(rect.right - rect.left, block.cx + 8);
  EXPECT_EQ(rect.bottom - rect.top, block.cy + 4);
  EXPECT_EQ(block.cy, 2 * TextBlock(L"Clipboard modified by Velloform").cy);
}

TEST_F(TipWindow, EmptyLinesTakeNoRoom) {
  TFXDataTip* tip = Show({100, 100}, L"first\n\nsecond\n");
  const RECT rect = WindowRect(tip->Handle());
  EXPECT_EQ(rect.bottom - rect.top, TextBlock(L"first\nsecond").cy + 4);
  EXPECT_EQ(TextBlock(L"first\nsecond").cy, 2 * TextBlock(L"first").cy);
}

// The right and bottom edges are moved back onto the screen; the left and
// top edges are not.
TEST_F(TipWindow, KeepsItsRightAndBottomEdgesOnTheScreen) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const SIZE block = TextBlock(notice);
  const LONG width = block.cx + 8, height = block.cy + 4;
  struct Case {
    POINT point;
    RECT expected;
  };
  const Case cases[] = {
      {{screenWidth - 5, 100}, {screenWidth - width, 103, screenWidth, 103 + height}},
      {{100, screenHeight - 5}, {106, screenHeight - height, 106 + width, screenHeight}},
      {{screenWidth, screenHeight}, {screenWidth - width, screenHeight - height, screenWidth, screenHeight}},
      {{-300, -200}, {-294, -197, -294 + width, -197 + height}},
  };
  for (const Case& c : cases) {
    TFXDataTip* tip = Show(c.point, notice);
    const RECT rect = WindowRect(tip->Handle());
    EXPECT_EQ(rect.left, c.expected.left) << c.point.x << "," << c.point.y;
    EXPECT_EQ(rect.top, c.expected.top) << c.point.x << "," << c.point.y;
    EXPECT_EQ(rect.right, c.expected.right) << c.point.x << "," << c.point.y;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << c.point.x << "," << c.point.y;
  }
}

TEST_F(TipWindow, ASecondTipReplacesTheFirstAtOnce) {
  TFXDataTip* first = Show({100, 100}, L"first");
  HWND firstWindow = first->Handle();
  TFXDataTip* second = Show({300, 300}, L"second");
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_EQ(liveTips, 1);
  EXPECT_EQ(CurrentTip, second);
  EXPECT_TRUE(IsWindowVisible(second->Handle()));
}

TEST_F(TipWindow, GoesAwayByItselfAfterItsDisplayTime) {
  TFXDataTip* tip = Show({100, 100}, notice);
  HWND window = tip->Handle();
  shell_test::PumpPending();
  EXPECT_TRUE(IsWindowVisible(window));  // still there right after showing
  EXPECT_TRUE(PumpUntil([] { return CurrentTip == nullptr; }));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TipWindow, AClickClosesIt) {
  TFXDataTip* tip = Show({400, 300}, notice);
  HWND window = tip->Handle();
  const RECT rect = WindowRect(window);
  shell_test::PumpPending();
  // Without its display time running out, only the click can close it.
  KillTimer(window, TFXDataTip::TipTimerId);

  // A real click in the middle of the tip.
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);
  EXPECT_TRUE(PumpUntil([] { return CurrentTip == nullptr; })) << "the click did not close it within 20 s";
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TipWindow, ATipWithoutAWindowIsReleasedNotShown) {
  auto* neverCreated = new CountedTip;
  neverCreated->ShowTip({10, 10}, L"never created");
  EXPECT_EQ(CurrentTip, nullptr);
  EXPECT_EQ(liveTips, 0);
}

TEST_F(TipWindow, GoesWithItsOwner) {
  shell_test::TestFrame owner;
  ASSERT_TRUE(owner.Create());
  auto* tip = new CountedTip;
  ASSERT_TRUE(tip->CreateTip(&owner));
  tip->ShowTip({100, 100}, notice);
  owner.DestroyWindow();
  EXPECT_EQ(CurrentTip, nullptr);
  EXPECT_EQ(liveTips, 0);
}

TEST_F(TipWindow, PaintsItsTextOnTheInfoColour) {
  TFXDataTip* tip = Show({100, 100}, notice);
  HWND window = tip->Handle();
  UpdateWindow(window);
  shell_test::PumpPending();
  GdiFlush();

  const RECT rect = WindowRect(window);
  const shell_test::ScreenCopy screen = shell_test::CaptureScreen(rect);
  ASSERT_FALSE(screen.pixels.empty());
  EXPECT_TRUE(screen.SaveBitmap(std::wstring(L"" CLIPMEND_TEST_ARTIFACT_DIR) + L"\\tip_window.bmp"));

  // Inside the border: the background colour near a corner, and text in the
  // middle of the first line.
  const COLORREF background = GetSysColor(COLOR_INFOBK);
  const int width = rect.right - rect.left;
  EXPECT_EQ(screen.Pixel(2, screen.height - 3), background);
  const SIZE line = TextBlock(L"Clipboard modified by Velloform");
  int inked = 0;
  for (int x = (width - line.cx) / 2; x < (width + line.cx) / 2; ++x) {
    for (int y = 2; y < 1 + line.cy; ++y) {
      if (screen.Pixel(x, y) != background) ++inked;
    }
  }
  EXPECT_GT(inked, 20);
}

}  // namespace
