// The Windows window from its real templates, driven by its own messages, with the engine on a
// simulated radio in virtual time. Needs a display (scripts/test-windows runs Wine under Xvfb).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "UpdateDialog.h"
#include "Version.h"
#include "platform/Clock.h"
#include "support/FolderFirmware.h"

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

struct Placement {
  int id;
  RECT units;  // x, y, width, height as in the template
  const char* text;
};

// Where the template puts the controls, in dialog units, with their texts as the template has them.
TEST_F(MainWindowTest, ControlsSitWhereTheTemplatePutsThem) {
  const Placement placements[] = {
      {1001, {34, 156, 50, 14}, "&Update"},
      {1000, {111, 156, 50, 14}, "&Exit"},
      {1006, {7, 133, 36, 9}, "Comm Port"},
      {1005, {7, 176, 184, 18}, nullptr},
      {1002, {7, 199, 184, 20}, nullptr},
      {1004, {7, 254, 184, 11}, nullptr},
      {1018, {99, 133, 36, 9}, "Baud Rate"},
      {1015, {7, 218, 86, 12}, "Estimated time remaining :"},
      {1016, {105, 217, 86, 12}, nullptr},
      {1017, {7, 197, 184, 11}, nullptr},
      {1019, {7, 239, 86, 12}, "Bytes remaining :"},
      {1020, {105, 239, 86, 12}, nullptr},
      {1067, {7, 27, 162, 50}, "503+"},
      {1068, {7, 77, 162, 36}, "501"},
      {1072, {9, 49, 62, 8}, "DSP S/W Version:"},
      {1073, {9, 100, 61, 8}, "DSP S/W Version:"},
      {1071, {9, 35, 68, 8}, nullptr},
      {1031, {9, 87, 67, 8}, nullptr},
      {1007, {80, 35, 28, 8}, nullptr},
      {1008, {80, 49, 28, 8}, nullptr},
      {1022, {80, 87, 28, 8}, nullptr},
      {1024, {80, 100, 28, 8}, nullptr},
      {1069, {7, 11, 51, 8}, "Flash S/W:"},
      {1028, {74, 11, 28, 8}, nullptr},
      {1029, {64, 7, 93, 12}, ""},
      {1026, {64, 34, 93, 12}, ""},
      {1023, {64, 47, 93, 12}, ""},
      {1027, {64, 60, 93, 12}, ""},
      {1060, {64, 83, 93, 12}, ""},
      {1063, {64, 96, 93, 12}, ""},
      {1061, {9, 35, 48, 8}, "Control S/W 1:"},
      {1025, {9, 49, 49, 8}, "Control S/W 2:"},
      {1074, {9, 63, 51, 8}, "DSP S/W:"},
      {1059, {9, 87, 45, 8}, "Control S/W:"},
      {1062, {9, 100, 62, 8}, "DSP S/W:"},
  };
  for (const Placement& p : placements) {
    SCOPED_TRACE(p.id);
    HWND control = Item(p.id);
    ASSERT_NE(control, nullptr);
    // Each of x, y, width and height is converted on its own, as the dialog manager does.
    RECT expected = p.units;
    MapDialogRect(Window(), &expected);
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right - actual.left, expected.right);
    EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
    if (p.text != nullptr) {
      EXPECT_EQ(TextOf(control), p.text);
    }
  }
  // The lists and the picture size themselves; their corners are still the template's.
  for (const Placement& p : {Placement{1003, {47, 132, 48, 0}, nullptr}, Placement{1014, {143, 132, 48, 0}, nullptr},
                             Placement{1021, {16, 197, 0, 0}, nullptr}}) {
    SCOPED_TRACE(p.id);
    RECT expected = p.units;
    MapDialogRect(Window(), &expected);
    RECT actual;
    GetWindowRect(Item(p.id), &actual);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    if (p.units.right != 0) {
      EXPECT_EQ(actual.right - actual.left, expected.right);
    }
  }

  RECT client;
  GetClientRect(Window(), &client);
  RECT size{0, 0, 198, 274};
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
  const size_t blank = text.find("\n\n");
  ASSERT_NE(blank, std::string::npos);
  EXPECT_EQ(text.find('\n'), blank);
  EXPECT_EQ(text.substr(blank + 2),
            "Update will check the hardware version of the attached radio (7305812-501 or 7305812-503 or later) "
            "and automatically select the correct software version.");
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

}  // namespace
}  // namespace p25
