// The window and shell utilities and the window plumbing, in this test process's own windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "program.hpp"
#include "ui/form.hpp"
#include "ui/window_utils.hpp"
#include "win32/message_loop.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using testing::IsTopmost;
using testing::PumpUntil;

constexpr UINT kProbe = WM_APP + 7;

// A plain top-level window that counts the kProbe messages it receives.
class ProbeWindow {
  public:
    ProbeWindow() {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = &ProbeWindow::Procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"KestruneProbe";
        RegisterClassW(&window_class);
        window_ = CreateWindowExW(0, L"KestruneProbe", L"probe", WS_OVERLAPPEDWINDOW, 40, 50, 300,
                                  200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~ProbeWindow() { DestroyWindow(window_); }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;
    HWND window() const { return window_; }
    static inline int probes = 0;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == kProbe) {
            ++probes;
            return 0;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }
    HWND window_;
};

TEST(Topmost, SetMarksWithoutShowingAndClearKeepsThePlace) {
    ProbeWindow probe;
    RECT before;
    GetWindowRect(probe.window(), &before);
    SetTopmost(probe.window());
    EXPECT_TRUE(IsTopmost(probe.window()));
    EXPECT_FALSE(IsWindowVisible(probe.window())) << "not shown by the call";

    ShowWindow(probe.window(), SW_SHOWNA);
    ClearTopmost(probe.window());
    EXPECT_FALSE(IsTopmost(probe.window()));
    RECT after;
    GetWindowRect(probe.window(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(DropShadow, GoesOnTheClassOnce) {
    ProbeWindow probe;
    ProbeWindow other;
    const ULONG_PTR original = GetClassLongPtrW(probe.window(), GCL_STYLE);
    AddDropShadow(probe.window());
    const ULONG_PTR once = GetClassLongPtrW(probe.window(), GCL_STYLE);
    AddDropShadow(probe.window());
    EXPECT_EQ(once, original | CS_DROPSHADOW);
    EXPECT_EQ(GetClassLongPtrW(probe.window(), GCL_STYLE), once);
    EXPECT_EQ(GetClassLongPtrW(other.window(), GCL_STYLE), once) << "every window of the class";
}

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

TEST(WaitSeconds, LastsTheTimeProcessesMessagesAndSleeps) {
    ProbeWindow probe;
    ProbeWindow::probes = 0;
    PostMessageW(probe.window(), kProbe, 0, 0);
    // A message that arrives in the middle of the pause is handled too.
    SetTimer(probe.window(), 1, 200, [](HWND window, UINT, UINT_PTR id, DWORD) {
        KillTimer(window, id);
        PostMessageW(window, kProbe, 0, 0);
    });
    const double cpu_before = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    WaitSeconds(0.6);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 600ms);
    EXPECT_LT(elapsed, 1500ms);
    EXPECT_EQ(ProbeWindow::probes, 2);
    EXPECT_LT(ThreadCpuSeconds() - cpu_before, 0.3) << "the pause sleeps between messages";
}

TEST(WaitSeconds, ZeroOrLessReturnsWithoutProcessingAnything) {
    ProbeWindow probe;
    ProbeWindow::probes = 0;
    PostMessageW(probe.window(), kProbe, 0, 0);
    WaitSeconds(0.0);
    WaitSeconds(-3.0);
    EXPECT_EQ(ProbeWindow::probes, 0);
    DoEvents();
    EXPECT_EQ(ProbeWindow::probes, 1);
}

TEST(DoEvents, LeavesTheQuitMessageForTheLoop) {
    ProbeWindow probe;
    ProbeWindow::probes = 0;
    PostMessageW(probe.window(), kProbe, 0, 0);
    PostQuitMessage(7);
    DoEvents();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(ShellOpen, StartsAProgramInTheProgramsFolderAndIgnoresMissingTargets) {
    const std::string folder = ProgramFolder();
    const std::wstring marker = Utf8ToWide(folder) + L"\\player-started.txt";
    DeleteFileW(marker.c_str());
    // The stand-in program writes its note into its working folder.
    ShellOpen(folder + "\\stand_in_player.exe");
    EXPECT_TRUE(PumpUntil(
        [&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s));
    DeleteFileW(marker.c_str());

    const auto start = std::chrono::steady_clock::now();
    ShellOpen(folder + "\\no such file.exe");
    ShellOpen("");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

// A form with one of each kind of control, recording the handlers it runs.
class TestForm final : public Form {
  public:
    enum : int { Frame1 = kFirstControlId, lblInside, cmdFirst, cmdSecond, lblTitle };
    static constexpr std::array kControls{
        ControlSpec{Frame1, ControlKind::kFrame, L"&Frame", 0, 90, 75, 3000, 900,
                    FontSpec{L"Tahoma", 825, true}},
        ControlSpec{lblInside, ControlKind::kLabel, L"inside", Frame1, 150, 285, 1500, 195},
        ControlSpec{cmdFirst, ControlKind::kButton, L"&First", 0, 300, 1100, 1200, 330},
        ControlSpec{cmdSecond, ControlKind::kButton, L"&Second", 0, 1650, 1100, 1200, 330},
        ControlSpec{lblTitle, ControlKind::kLabel, L"Title", 0, 0, 0, 3000, 240,
                    FontSpec{L"Tahoma", 975, true}},
    };
    static constexpr FormSpec kSpec{
        L"Test form", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 3300, 1545, kControls};

    TestForm() : Form(kSpec) {}
    ~TestForm() override {
        if (IsLoaded()) DestroyWindow(hwnd());
    }
    std::vector<std::string> events;

  private:
    void Form_Initialize() override {
        Form::Form_Initialize();
        events.push_back("Initialize");
    }
    void Form_Load() override { events.push_back("Load"); }
    void Form_Unload() override { events.push_back("Unload"); }
    void Control_Click(int id) override { events.push_back("Click " + std::to_string(id)); }
};

TEST(Form, LoadsItsLayoutScaledAndCentred) {
    TestForm form;
    form.Load();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.IsVisible()) << "loading does not show";
    EXPECT_EQ(form.events, (std::vector<std::string>{"Initialize", "Load"}));
    EXPECT_EQ(testing::ClassOf(form.hwnd()), kFormClassName);

    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, form.Px(3300));
    EXPECT_EQ(client.bottom, form.Px(1545));

    // A label in a frame lies at the frame's place plus its own.
    RECT label;
    GetWindowRect(form.Control(TestForm::lblInside), &label);
    MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(label.left, form.Px(90 + 150));
    EXPECT_EQ(label.top, form.Px(75 + 285));
    EXPECT_EQ(label.right - label.left, form.Px(1500));

    RECT window;
    GetWindowRect(form.hwnd(), &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(form.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    EXPECT_NEAR((window.left + window.right) / 2.0, (work.left + work.right) / 2.0, 1.0);
    EXPECT_NEAR((window.top + window.bottom) / 2.0, (work.top + work.bottom) / 2.0, 1.0);

    // Each control has its own font, sized for the window's dots per inch.
    struct Expected {
        int id, points100;
        LONG weight;
    };
    for (const Expected& expected :
         {Expected{TestForm::Frame1, 825, FW_BOLD}, Expected{TestForm::lblInside, 825, FW_NORMAL},
          Expected{TestForm::lblTitle, 975, FW_BOLD}}) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(form.Control(expected.id), WM_GETFONT, 0, 0));
        LOGFONTW log{};
        ASSERT_TRUE(GetObjectW(font, sizeof log, &log)) << expected.id;
        EXPECT_STREQ(log.lfFaceName, L"Tahoma");
        EXPECT_EQ(log.lfWeight, expected.weight) << expected.id;
        EXPECT_EQ(log.lfHeight, -MulDiv(expected.points100, form.Px(1440), 7200)) << expected.id;
    }

    // Tab goes through the buttons in table order; the frame and the label take no focus.
    const HWND first = GetNextDlgTabItem(form.hwnd(), nullptr, FALSE);
    EXPECT_EQ(first, form.Control(TestForm::cmdFirst));
    EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), first, FALSE), form.Control(TestForm::cmdSecond));
}

TEST(Form, RoutesClicksTextAndUnload) {
    TestForm form;
    form.Show();
    SendMessageW(form.Control(TestForm::cmdSecond), BM_CLICK, 0, 0);
    EXPECT_EQ(form.events.back(), "Click " + std::to_string(TestForm::cmdSecond));

    form.SetText(TestForm::lblInside, "Kestr\xc3\xbcne \xce\xbb & co");
    EXPECT_EQ(form.Text(TestForm::lblInside), "Kestr\xc3\xbcne \xce\xbb & co");
    // Bytes that are not UTF-8 (a hand-edited file) still show, as ANSI text.
    form.SetText(TestForm::lblInside, "caf\xe9");
    EXPECT_EQ(form.Text(TestForm::lblInside).substr(0, 3), "caf");
    EXPECT_EQ(form.Text(TestForm::lblInside).size(), 5u) << "one character after \"caf\"";

    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.events.back(), "Unload");
    EXPECT_FALSE(form.IsLoaded());
    form.Load();  // loaded afresh
    EXPECT_EQ(form.events.back(), "Load");
}

// Keys as the message loop hands them to the dialog manager.
void Type(HWND focus, UINT message, WPARAM key) {
    MSG msg{focus, message, key, 0, 0, {}};
    DispatchWindowMessage(msg);
}

TEST(Form, EnterEscapeAndAccessKeysWorkAsInADialogBox) {
    TestForm form;
    form.Show();
    const HWND second = form.Control(TestForm::cmdSecond);
    SetFocus(second);
    form.events.clear();

    Type(second, WM_KEYDOWN, VK_ESCAPE);
    Type(second, WM_KEYUP, VK_ESCAPE);
    EXPECT_TRUE(form.events.empty()) << "Escape presses nothing";

    Type(second, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(form.events, std::vector<std::string>{"Click " + std::to_string(TestForm::cmdSecond)})
        << "Enter presses the focused button";

    // The frame's access key moves the focus to the next control that takes it.
    Type(second, WM_SYSCHAR, L'f');
    EXPECT_EQ(GetFocus(), form.Control(TestForm::cmdFirst));
    Type(GetFocus(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(form.events.back(), "Click " + std::to_string(TestForm::cmdFirst));
}

TEST(Form, ShowModalDisablesTheOtherWindowsUntilItCloses) {
    TestForm owner;
    owner.Show();
    TestForm dialog;
    bool owner_disabled_while_modal = false;
    // While the dialog is up, look at the owner and then close the dialog with its close box.
    struct Context {
        TestForm* owner;
        TestForm* dialog;
        bool* seen;
    } context{&owner, &dialog, &owner_disabled_while_modal};
    static Context* current = nullptr;
    current = &context;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        *current->seen =
            !IsWindowEnabled(current->owner->hwnd()) && IsWindowEnabled(current->dialog->hwnd());
        PostMessageW(current->dialog->hwnd(), WM_CLOSE, 0, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    dialog.ShowModal();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(owner_disabled_while_modal);
    EXPECT_FALSE(dialog.IsLoaded()) << "returned because the dialog was unloaded";
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd())) << "the owner is enabled again";
}

TEST(Form, CountLoadedFormsCountsOnlyTheProgramsWindows) {
    ProbeWindow probe;
    const int before = CountLoadedForms();
    TestForm form;
    form.Load();
    EXPECT_EQ(CountLoadedForms(), before + 1);
    form.Unload();
    EXPECT_EQ(CountLoadedForms(), before);
}

}  // namespace
}  // namespace kestrune
