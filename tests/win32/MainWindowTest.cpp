// The Windows window from its real templates, driven by its own messages, with the engine on a
// simulated radio in virtual time. Needs a display (scripts/test-windows runs Wine under Xvfb).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "UpdateDialog.h"
#include "Version.h"
#include "engine/ControlIds.h"
#include "platform/Clock.h"
#include "support/FolderFirmware.h"
#include "ui/common/WindowDescription.h"

namespace p25 {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
  explicit MainWindowTest(SimulatedRadio::Options options = {}) : radio_(options) {
    auto line = std::make_unique<SimulatedLine>(radio_, clock_);
    line_ = line.get();
    dialog_ = std::make_unique<UpdateDialog>(GetModuleHandleA(nullptr), std::move(line), clock_,
                                             testing::GeneratedFirmware());
    folder_ = std::filesystem::temp_directory_path() / ("p25window-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_);
    dialog_->Engine().SetRecoveryDirectory(folder_.string());
  }
  ~MainWindowTest() override {
    dialog_.reset();
    // The window's end posted the quit message; the next test's modal windows must not see it.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  void SetUp() override { ASSERT_TRUE(dialog_->Create()); }

  HWND Window() const { return dialog_->Window(); }
  HWND Item(int id) const { return GetDlgItem(Window(), id); }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  static std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  std::string Text(int id) const { return TextOf(Item(id)); }
  int Selection(int id) const { return static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
  std::vector<std::string> Rows(int id) const {
    std::vector<std::string> rows;
    const auto count = static_cast<int>(SendMessageA(Item(id), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[64] = {};
      SendMessageA(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      rows.push_back(text);
    }
    return rows;
  }
  void Press(int id) { SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id))); }
  // Delivers UpdateTimer expiries, one period of virtual time apart, until the engine rests; the
  // window's own timer never fires here, since nothing pumps messages.
  bool RunUntilFinished(int maxTicks = 20000) {
    for (int i = 0; i < maxTicks; ++i) {
      if (dialog_->Engine().CurrentState() == UpdateState::Finished) return true;
      clock_.SleepMs(kUpdateTimerPeriodMs);
      SendMessageA(Window(), WM_TIMER, kUpdateTimer, 0);
      sawPleaseWait_ = sawPleaseWait_ || dialog_->IsPleaseWaitOpen();
    }
    return false;
  }

  VirtualClock clock_;
  SimulatedRadio radio_;
  SimulatedLine* line_ = nullptr;
  std::unique_ptr<UpdateDialog> dialog_;
  std::filesystem::path folder_;
  bool sawPleaseWait_ = false;
};

// Every control sits where the description puts it, with its text unless start-up writes another.
TEST_F(MainWindowTest, ControlsSitWhereTheDescriptionPutsThem) {
  const std::set<int> rewritten = {kIdActivityLine,      kIdErrorLine,         kIdTimeValue,     kIdBytesValue,
                                   kIdVersion503Control, kIdVersion503Dsp,     kIdVersion501Control,
                                   kIdVersion501Dsp,     kIdVersionFlash,      kIdCaption503Control,
                                   kIdCaption501Control};
  for (const ui::ControlTemplate& c : ui::kMainWindow.controls) {
    if (c.id == ui::kNoId) continue;
    SCOPED_TRACE(c.id);
    HWND control = Item(c.id);
    ASSERT_NE(control, nullptr);
    // Each of x, y, width and height is converted on its own, as the dialog manager does.
    RECT expected{c.place.x, c.place.y, c.place.width, c.place.height};
    MapDialogRect(Window(), &expected);
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    // The lists and the picture size themselves; their corners are still the template's.
    if (c.kind != ui::ControlKind::Picture) {
      EXPECT_EQ(actual.right - actual.left, expected.right);
    }
    if (c.kind != ui::ControlKind::Picture && c.kind != ui::ControlKind::DropList) {
      EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
    }
    const bool textual = c.kind != ui::ControlKind::DropList && c.kind != ui::ControlKind::Picture &&
                         c.kind != ui::ControlKind::ProgressBar;
    if (textual && rewritten.count(c.id) == 0) {
      EXPECT_EQ(TextOf(control), c.text);
    }
  }

  RECT client;
  GetClientRect(Window(), &client);
  RECT size{0, 0, ui::kMainWindow.width, ui::kMainWindow.height};
  MapDialogRect(Window(), &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  EXPECT_EQ(GetWindowLongA(Item(1001), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_TRUE(GetWindowLongA(Item(1005), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_TRUE(GetWindowLongA(Item(1005), GWL_STYLE) & SS_SUNKEN);
  EXPECT_TRUE(GetWindowLongA(Item(1002), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  // The dialog manager may draw a control's border as a client edge.
  EXPECT_TRUE((GetWindowLongA(Item(1021), GWL_STYLE) & WS_BORDER) ||
              (GetWindowLongA(Item(1021), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

  // Tab stops: Update, Exit, the port list, the baud list, and round again.
  std::vector<int> order;
  HWND at = GetNextDlgTabItem(Window(), nullptr, FALSE);
  for (int i = 0; i < 5; ++i, at = GetNextDlgTabItem(Window(), at, FALSE)) order.push_back(GetDlgCtrlID(at));
  EXPECT_EQ(order, (std::vector<int>{1001, 1000, 1003, 1014, 1001}));
}

TEST_F(MainWindowTest, StartsIdleWithTheCarriedVersionsAndDefaultSelections) {
  EXPECT_EQ(TextOf(Window()), "Ovrane 25 Firmware Update");
  EXPECT_EQ(Rows(kIdPortList), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                                          "COM8", "COM9", "COM10"}));
  EXPECT_EQ(Rows(kIdBaudList), (std::vector<std::string>{"9600", "19200", "38400"}));
  EXPECT_EQ(Selection(kIdPortList), 0);
  EXPECT_EQ(Selection(kIdBaudList), 2);
  EXPECT_EQ(Text(kIdUpdateButton), "&Update");
  for (int id : {kIdActivityLine, kIdErrorLine, kIdOverallProgress, kIdStepProgress, kIdTimeCaption, kIdTimeValue,
                 kIdBytesCaption, kIdBytesValue})
    EXPECT_FALSE(Visible(id)) << id;
  EXPECT_TRUE(Visible(kIdPicture));
  EXPECT_TRUE(Enabled(kIdPortList));

  // One line per family, no DSP rows, no path fields, none of the older captions.
  EXPECT_EQ(Text(1071), "S/W Version");
  EXPECT_EQ(Text(1007), "8.3");
  EXPECT_EQ(Text(1031), "S/W Version");
  EXPECT_EQ(Text(1022), "5.13");
  for (int id : {1071, 1007, 1031, 1022, 1067, 1068}) EXPECT_TRUE(Visible(id)) << id;
  for (int id : {1072, 1008, 1073, 1024, 1069, 1028, 1029, 1026, 1023, 1027, 1060, 1063, 1061, 1025, 1074, 1059, 1062})
    EXPECT_FALSE(Visible(id)) << id;

  HMENU system = GetSystemMenu(Window(), FALSE);
  const int count = GetMenuItemCount(system);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(system, count - 1), static_cast<UINT>(P25_IDM_ABOUT_BOX));
  char entry[64] = {};
  GetMenuStringA(system, static_cast<UINT>(count - 1), entry, sizeof entry, MF_BYPOSITION);
  EXPECT_STREQ(entry, "&About Update...");
  MENUITEMINFOA separator{};
  separator.cbSize = sizeof separator;
  separator.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(system, static_cast<UINT>(count - 2), TRUE, &separator);
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

  const auto bigIcon = SendMessageA(Window(), WM_GETICON, ICON_BIG, 0);
  EXPECT_NE(bigIcon, 0);
  EXPECT_EQ(SendMessageA(Window(), WM_GETICON, ICON_SMALL, 0), bigIcon);
  EXPECT_EQ(SendMessageA(Window(), WM_QUERYDRAGICON, 0, 0), bigIcon);
}

TEST_F(MainWindowTest, TheButtonStartsAndCancelsAnUpdate) {
  Press(kIdUpdateButton);
  EXPECT_EQ(Text(kIdUpdateButton), "&Cancel");
  EXPECT_FALSE(Enabled(kIdPortList));
  EXPECT_FALSE(Enabled(kIdBaudList));
  EXPECT_FALSE(Visible(kIdPicture));
  SendMessageA(Window(), WM_TIMER, kUpdateTimer, 0);
  EXPECT_TRUE(Visible(kIdActivityLine));  // the first state's text is a single blank

  Press(kIdUpdateButton);
  EXPECT_EQ(Text(kIdUpdateButton), "&Update");
  EXPECT_TRUE(Enabled(kIdPortList));
  EXPECT_TRUE(Enabled(kIdBaudList));
  EXPECT_TRUE(Visible(kIdPicture));
  EXPECT_FALSE(Visible(kIdActivityLine));
  EXPECT_FALSE(Visible(kIdErrorLine));
}

TEST_F(MainWindowTest, UpdatesTheRadioOnTheTenthPort) {
  SendMessageA(Item(kIdPortList), CB_SETCURSEL, 9, 0);
  Press(kIdUpdateButton);
  ASSERT_TRUE(RunUntilFinished()) << UpdateStateName(dialog_->Engine().CurrentState()) << ": " << Text(kIdActivityLine)
                                  << " / " << Text(kIdErrorLine);

  EXPECT_EQ(line_->DeviceName(), "\\\\.\\COM10");
  EXPECT_EQ(Text(kIdActivityLine), "Update Completed Succesfully");
  EXPECT_FALSE(Visible(kIdErrorLine));
  EXPECT_EQ(Text(kIdUpdateButton), "&OK");
  EXPECT_FALSE(Enabled(kIdPortList));
  EXPECT_EQ(SendMessageA(Item(kIdOverallProgress), PBM_GETPOS, 0, 0), 100);
  EXPECT_TRUE(Visible(kIdOverallProgress));
  EXPECT_FALSE(Visible(kIdStepProgress));
  EXPECT_TRUE(Visible(kIdBytesValue));
  EXPECT_EQ(Text(kIdBytesValue), "0");
  EXPECT_TRUE(sawPleaseWait_);
  EXPECT_FALSE(dialog_->IsPleaseWaitOpen());
  EXPECT_TRUE(radio_.FirmwareValid());
  EXPECT_FALSE(radio_.Regions().empty());
  EXPECT_EQ(radio_.SerialNumber(), 12345u);

  Press(kIdUpdateButton);
  EXPECT_EQ(Text(kIdUpdateButton), "&Update");
  EXPECT_TRUE(Visible(kIdPicture));
  EXPECT_FALSE(Visible(kIdOverallProgress));
  EXPECT_FALSE(Visible(kIdActivityLine));
}

TEST_F(MainWindowTest, APortThatWillNotOpenEndsOnTheErrorLine) {
  line_->SetOpenFails(true);
  Press(kIdUpdateButton);
  ASSERT_TRUE(RunUntilFinished());

  EXPECT_TRUE(Visible(kIdErrorLine));
  EXPECT_EQ(Text(kIdErrorLine), "Error: Failed to open communications port");
  EXPECT_EQ(Text(kIdUpdateButton), "&Cancel");
  // It failed before the radio was put into boot mode: no bars, no readouts, no picture.
  for (int id : {kIdOverallProgress, kIdStepProgress, kIdTimeValue, kIdBytesValue, kIdPicture})
    EXPECT_FALSE(Visible(id)) << id;

  Press(kIdUpdateButton);
  EXPECT_FALSE(Visible(kIdErrorLine));
  EXPECT_FALSE(Visible(kIdActivityLine));
  EXPECT_TRUE(Visible(kIdPicture));
}

TEST_F(MainWindowTest, HelpControlsOpensOneHelpWindowThatOkCloses) {
  SendMessageA(Window(), WM_COMMAND, P25_ID_HELP_CONTROLS, 0);
  HWND help = dialog_->Help().Window();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(IsWindowVisible(help));
  EXPECT_EQ(TextOf(help), "Update Control Help");
  EXPECT_EQ(GetWindow(help, GW_OWNER), Window());
  const std::string text = TextOf(GetDlgItem(help, P25_IDC_HELP_TEXT));
  EXPECT_EQ(text, ui::HelpText());
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(help, P25_IDC_HELP_TEXT), GWL_STYLE) & SS_CENTER);

  SendMessageA(Window(), WM_COMMAND, P25_ID_HELP_CONTROLS, 0);
  EXPECT_EQ(dialog_->Help().Window(), help);

  SendMessageA(help, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(help));
  EXPECT_EQ(dialog_->Help().Window(), nullptr);
  SendMessageA(Window(), WM_COMMAND, P25_ID_HELP_CONTROLS, 0);
  ASSERT_NE(dialog_->Help().Window(), nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(dialog_->Help().Window(), P25_IDC_HELP_TEXT)), text);
}

// What the About window showed, collected while it runs modally and then closed with OK.
struct AboutSeen {
  static inline std::string title;
  static inline std::vector<std::string> texts;
  static void CALLBACK Inspect(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowA(nullptr, "About Update");
    if (about == nullptr) return;
    KillTimer(nullptr, timer);
    title = TextOf(about);
    texts.clear();
    EnumChildWindows(
        about, [](HWND child, LPARAM) -> BOOL { texts.push_back(TextOf(child)); return TRUE; }, 0);
    SendMessageA(about, WM_COMMAND, IDOK, 0);
  }
  static std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
};

TEST_F(MainWindowTest, HelpAboutAndTheSystemMenuEntryOpenTheSameAboutWindow) {
  for (auto open : {+[](HWND w) { SendMessageA(w, WM_COMMAND, P25_ID_HELP_ABOUT, 0); },
                    +[](HWND w) { SendMessageA(w, WM_SYSCOMMAND, P25_IDM_ABOUT_BOX, 0); }}) {
    AboutSeen::title.clear();
    SetTimer(nullptr, 0, 50, AboutSeen::Inspect);
    open(Window());
    EXPECT_EQ(AboutSeen::title, "About Update");
    EXPECT_NE(std::find(AboutSeen::texts.begin(), AboutSeen::texts.end(), P25_ABOUT_VERSION_TEXT), AboutSeen::texts.end());
    EXPECT_TRUE(IsWindowEnabled(Window()));
  }
}

TEST_F(MainWindowTest, PleaseWaitOpensOverTheWindowAndItsCloseBoxClosesIt) {
  ASSERT_TRUE(dialog_->OpenPleaseWait());
  HWND wait = dialog_->PleaseWait().Window();
  EXPECT_EQ(TextOf(wait), "Please Wait");
  EXPECT_EQ(GetWindow(wait, GW_OWNER), Window());
  EXPECT_EQ(TextOf(GetDlgItem(wait, P25_IDC_WAIT_TITLE)), "Please Wait.");
  EXPECT_EQ(TextOf(GetDlgItem(wait, P25_IDC_WAIT_NOTICE)), "Do not disconnect the radio while the orange LED is lit.");
  SendMessageA(wait, WM_COMMAND, IDCANCEL, 0);  // Escape leaves it up
  EXPECT_TRUE(dialog_->IsPleaseWaitOpen());
  SendMessageA(wait, WM_CLOSE, 0, 0);
  EXPECT_FALSE(dialog_->IsPleaseWaitOpen());
  EXPECT_FALSE(IsWindow(wait));
  dialog_->ClosePleaseWait();  // the engine closing it later finds nothing to do
  EXPECT_FALSE(dialog_->IsPleaseWaitOpen());
}

TEST_F(MainWindowTest, TheCloseBoxEndsTheProgramEvenDuringAnUpdate) {
  Press(kIdUpdateButton);
  SendMessageA(Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog_->Window(), nullptr);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

// On real time: the first tick enters Start and pauses 3 s. Meanwhile another thread finds the window
// answering its messages and repainting what was invalidated, as the desktop's hung-window check
// expects; a press posted meanwhile waits for the tick to end.
TEST(MainWindowWaits, TheWindowAnswersAndRepaintsDuringThePauseAndTakesAPressAfterIt) {
  SimulatedRadio radio({});
  VirtualClock lineTime;
  auto dialog = std::make_unique<UpdateDialog>(GetModuleHandleA(nullptr),
                                               std::make_unique<SimulatedLine>(radio, lineTime), SystemClock());
  ASSERT_TRUE(dialog->Create());
  HWND window = dialog->Window();
  HWND button = GetDlgItem(window, kIdUpdateButton);
  const LPARAM click = reinterpret_cast<LPARAM>(button);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(kIdUpdateButton, BN_CLICKED), click);
  std::atomic<bool> busy = false, answered = false, repainted = false;
  std::atomic<DWORD> replyMs = 0;
  std::thread probe([&] {
    Sleep(1000);
    busy = dialog->EngineBusy();
    InvalidateRect(window, nullptr, TRUE);
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
    replyMs = GetTickCount() - start;
    for (int i = 0; i < 50 && !repainted; ++i, Sleep(10)) repainted = !GetUpdateRect(window, nullptr, FALSE);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(kIdUpdateButton, BN_CLICKED), click);
    busy = busy && dialog->EngineBusy();
  });
  SendMessageA(window, WM_TIMER, kUpdateTimer, 0);
  probe.join();
  const auto text = [](HWND control) {
    char buffer[64] = {};
    GetWindowTextA(control, buffer, sizeof buffer);
    return std::string(buffer);
  };
  EXPECT_TRUE(busy);
  EXPECT_TRUE(answered);
  EXPECT_LT(replyMs, 500u);
  EXPECT_TRUE(repainted);
  EXPECT_EQ(text(button), "&Cancel");
  MSG message;
  while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(text(button), "&Update");
  dialog.reset();
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace p25
