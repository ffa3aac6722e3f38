// Morvane.exe started under the test's display and used as a person would:
// its window found by title, page buttons pressed, minimised and restored,
// closed by its close button. Screenshots go to the harness.
#include <gtest/gtest.h>

#include <memory>

#include "template_reader.h"
#include "window_driver.h"

namespace {

constexpr int kPageButtons[] = {1000, 1001, 1002, 1003};
constexpr int kPageTemplates[] = {163, 162, 161, 157};
constexpr const char* kPageShots[] = {"page-scan", "page-clean", "page-net", "page-power"};

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

// A child of parent whose window text is text.
HWND ChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child) == text) return child;
    return nullptr;
}

class MainWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        process = std::make_unique<MorvaneProcess>();
        started = process->Start(MorvanePath());
        if (!started) return;
        window = process->MainWindow();
        // Each page told apart by a control only it has.
        const struct {
            int id;
            const wchar_t* text;
        } marks[] = {{1033, nullptr},
                     {1032, nullptr},
                     {-1, L"查看当前网络连接状态，并显示远程访问IP所处方位"},
                     {-1, L"获取主机近期内开机、关机时间记录信息"}};
        for (HWND child = ::GetWindow(window, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            for (int i = 0; i < 4; ++i) {
                const bool marked = marks[i].text ? ChildWithText(child, marks[i].text) != nullptr
                                                  : ::GetDlgItem(child, marks[i].id) != nullptr;
                if (marked) pages[i] = child;
            }
        }
        module = ::LoadLibraryExW(MorvanePath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        process.reset();
        if (module) ::FreeLibrary(module);
    }
    void SetUp() override { ASSERT_TRUE(started) << "Morvane.exe did not show its window"; }

    static HWND Button(int id) { return ::GetDlgItem(window, id); }
    static bool Checked(int id) {
        return ::SendMessageW(Button(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Exactly page index visible and its button the only one checked.
    static bool Showing(int index) {
        for (int i = 0; i < 4; ++i) {
            if ((::IsWindowVisible(pages[i]) != FALSE) != (i == index)) return false;
            if (Checked(kPageButtons[i]) != (i == index)) return false;
        }
        return true;
    }

    static inline std::unique_ptr<MorvaneProcess> process;
    static inline bool started = false;
    static inline HWND window = nullptr;
    static inline HWND pages[4] = {};
    static inline HMODULE module = nullptr;
};

TEST_F(MainWindow, IsAShapedPopupOfTheTemplatesSize) {
    const DialogUnits units = TemplateFontUnits();
    const RECT expected = units.ToPixels(0, 0, 568, 398);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, expected.right);
    EXPECT_EQ(rect.bottom - rect.top, expected.bottom);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, expected.right) << "no frame";

    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    ASSERT_TRUE(exStyle & WS_EX_LAYERED);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 0, 255));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(window, region), ERROR) << "the colour key is the only outline";
    ::DeleteObject(region);

    EXPECT_EQ(TextOf(window), L"Kelmora");
}

TEST_F(MainWindow, ControlsSitWhereTheTemplateAndTheirBitmapsPutThem) {
    const DialogUnits units = TemplateFontUnits();
    struct Control {
        int id, x, y, width, height;
    };
    const Control controls[] = {
        {1000, 8, 55, 150, 39},   {1001, 112, 55, 150, 39}, {1002, 216, 55, 150, 39},
        {1003, 320, 55, 150, 39}, {1007, 529, 0, 46, 20},   {1008, 507, 0, 33, 20},
        {1009, 484, 0, 34, 20},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        const RECT at = units.ToPixels(c.x, c.y, 0, 0);
        const RECT rect = RectIn(Button(c.id), window);
        EXPECT_EQ(rect.left, at.left);
        EXPECT_EQ(rect.top, at.top);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
    }
    for (int id : kPageButtons) {
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(::GetWindowRgn(Button(id), region), ERROR) << id << " has the mask's outline";
        EXPECT_FALSE(::PtInRegion(region, 0, 0)) << id;
        EXPECT_TRUE(::PtInRegion(region, 75, 20)) << id;
        ::DeleteObject(region);
    }
    HWND area = Button(1010);
    EXPECT_FALSE(::IsWindowVisible(area));
    RECT expectedArea = units.ToPixels(5, 81, 558, 298);
    RECT areaRect = RectIn(area, window);
    EXPECT_TRUE(::EqualRect(&areaRect, &expectedArea));
    ::InflateRect(&expectedArea, -1, -1);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(pages[i], nullptr) << "page " << i;
        RECT page = RectIn(pages[i], window);
        EXPECT_TRUE(::EqualRect(&page, &expectedArea)) << "page " << i;
    }
}

TEST_F(MainWindow, PagesShowEveryControlOfTheirTemplate) {
    ASSERT_NE(module, nullptr);
    const DialogUnits units = TemplateFontUnits();
    for (int i = 0; i < 4; ++i) {
        const auto dialog = ReadDialogTemplate(module, kPageTemplates[i]);
        ASSERT_TRUE(dialog);
        for (const TemplateItem& item : dialog->items) {
            HWND child = item.id == -1 ? ChildWithText(pages[i], item.text)
                                       : ::GetDlgItem(pages[i], item.id);
            ASSERT_NE(child, nullptr) << "page " << kPageTemplates[i] << " control " << item.id;
            RECT expected = units.ToPixels(item.x, item.y, item.cx, item.cy);
            RECT rect = RectIn(child, pages[i]);
            EXPECT_TRUE(::EqualRect(&rect, &expected))
                << "page " << kPageTemplates[i] << " control " << item.id;
            EXPECT_EQ(TextOf(child), item.text);
        }
    }
}

TEST_F(MainWindow, PageButtonsShowTheirPageAndStayChecked) {
    ASSERT_TRUE(Showing(0)) << "the scan page comes first";
    EXPECT_TRUE(Screenshot(kPageShots[0], window));
    for (int index : {1, 2, 3, 0}) {
        ClickControl(Button(kPageButtons[index]));
        EXPECT_TRUE(WaitUntil([&] { return Showing(index); })) << "page " << index;
        if (index != 0) {
            EXPECT_TRUE(Screenshot(kPageShots[index], window));
        }
    }
    // Pressing the button of the visible page keeps everything as it is.
    ClickControl(Button(1000));
    ::Sleep(200);
    EXPECT_TRUE(WaitUntil([] { return Showing(0); }));
}

TEST_F(MainWindow, HoveredButtonsAndTheCheckedPageShowInTheScreenshot) {
    // The hover look of a page button and of the close button.
    ClickControl(Button(1002));
    ASSERT_TRUE(WaitUntil([] { return Showing(2); }));
    ClickControl(Button(1000));
    ASSERT_TRUE(WaitUntil([] { return Showing(0); }));
    HWND hovered = Button(1001);
    RECT rect{};
    ::GetWindowRect(hovered, &rect);
    ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageW(hovered, WM_MOUSEMOVE, 0, MAKELPARAM(75, 20));
    EXPECT_TRUE(Screenshot("main-window", window));
}

TEST_F(MainWindow, MinimiseAndRestoreKeepThePage) {
    ClickControl(Button(1003));
    ASSERT_TRUE(WaitUntil([] { return Showing(3); }));
    ClickControl(Button(1008));
    EXPECT_TRUE(WaitUntil([] { return ::IsIconic(window) != FALSE; }));
    ::ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(WaitUntil([] { return !::IsIconic(window) && ::IsWindowVisible(window); }));
    EXPECT_TRUE(WaitUntil([] { return Showing(3); }));
    ClickControl(Button(1009));  // without action
    ::Sleep(200);
    EXPECT_TRUE(Showing(3));
    EXPECT_TRUE(process->Running());
}

// Presses the left button at a client point of the main window, moves the
// pointer by (dx, dy) and releases it, all through the system's input queue.
void DragBy(HWND window, POINT client, int dx, int dy) {
    ::ClientToScreen(window, &client);
    ::SetCursorPos(client.x, client.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &input, sizeof input);
    ::Sleep(300);
    for (int step = 1; step <= 4; ++step) {
        ::SetCursorPos(client.x + dx * step / 4, client.y + dy * step / 4);
        input.mi.dwFlags = MOUSEEVENTF_MOVE;
        ::SendInput(1, &input, sizeof input);
        ::Sleep(100);
    }
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof input);
    ::Sleep(300);
}

TEST_F(MainWindow, TheTopBandDragsTheWindowAndNothingBelowItDoes) {
    RECT before{}, after{};
    ::GetWindowRect(window, &before);
    DragBy(window, POINT{10, 75}, 40, 30);  // just below the band
    ::GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    DragBy(window, POINT{300, 74}, 40, 30);
    EXPECT_TRUE(WaitUntil([&] {
        ::GetWindowRect(window, &after);
        return after.left == before.left + 40 && after.top == before.top + 30;
    })) << "moved to "
        << after.left << "," << after.top << " from " << before.left << "," << before.top;
}

TEST_F(MainWindow, CloseButtonEndsTheProgram) {
    ClickControl(Button(1007));
    EXPECT_EQ(process->WaitForExit(15000), 0);
}

}  // namespace
