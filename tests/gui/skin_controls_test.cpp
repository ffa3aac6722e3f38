// The skinned buttons, bound in a live dialog and driven as a user would.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "skin_test_support.h"

namespace {

class SkinControls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        ::SetWindowPos(dialog.GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::UpdateWindow(dialog.GetSafeHwnd());
        PumpMessages();
    }
    void TearDown() override {
        ::DestroyWindow(dialog.GetSafeHwnd());
        PumpMessages();
    }

    HWND Item(int id) const { return dialog.GetDlgItem(id); }
    bool Checked(int id) const {
        return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool Pushed(int id) const {
        return (::SendMessageW(Item(id), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    }
    // A screen point on the dialog's own background, away from every control.
    POINT Background() const {
        POINT point{4, 4};
        ::ClientToScreen(dialog.GetSafeHwnd(), &point);
        return point;
    }

    TestDialog dialog;
};

TEST_F(SkinControls, BindingMakesButtonsOwnerDrawn) {
    for (int id : {IDC_TEST_RADIO1, IDC_TEST_CHECK, IDC_TEST_STRIP})
        EXPECT_EQ(::GetWindowLongPtrW(Item(id), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << id;
}

TEST_F(SkinControls, RadioGroupKeepsOnlyTheClickedButtonChecked) {
    Click(Item(IDC_TEST_RADIO3));
    for (int id = IDC_TEST_RADIO1; id <= IDC_TEST_RADIO4; ++id)
        EXPECT_EQ(Checked(id), id == IDC_TEST_RADIO3) << id;
    Click(Item(IDC_TEST_RADIO3));
    EXPECT_TRUE(Checked(IDC_TEST_RADIO3));
    Click(Item(IDC_TEST_RADIO1));
    for (int id = IDC_TEST_RADIO1; id <= IDC_TEST_RADIO4; ++id)
        EXPECT_EQ(Checked(id), id == IDC_TEST_RADIO1) << id;
    EXPECT_EQ(dialog.clicks[IDC_TEST_RADIO3], 2);
    // The check box starts the next group and is left alone.
    EXPECT_TRUE(Checked(IDC_TEST_CHECK));
}

TEST_F(SkinControls, CheckBoxTogglesByClickAndSpaceBar) {
    ASSERT_TRUE(Checked(IDC_TEST_CHECK));
    Click(Item(IDC_TEST_CHECK));
    EXPECT_FALSE(Checked(IDC_TEST_CHECK));
    ::SendMessageW(Item(IDC_TEST_CHECK), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(Item(IDC_TEST_CHECK), WM_KEYUP, VK_SPACE, 0);
    EXPECT_TRUE(Checked(IDC_TEST_CHECK));
}

TEST_F(SkinControls, PushButtonIsNeverChecked) {
    ::SendMessageW(Item(IDC_TEST_SHAPED), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_FALSE(Checked(IDC_TEST_SHAPED));
}

TEST_F(SkinControls, PressedLookFollowsThePointerAndReleasingOffIsNoClick) {
    HWND button = Item(IDC_TEST_RADIO2);
    const POINT on = CentreOf(button);
    MovePointer(button, on);
    POINT client = on;
    ::ScreenToClient(button, &client);
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    EXPECT_TRUE(Pushed(IDC_TEST_RADIO2));
    MovePointer(button, Background());
    EXPECT_FALSE(Pushed(IDC_TEST_RADIO2));
    MovePointer(button, on);
    EXPECT_TRUE(Pushed(IDC_TEST_RADIO2));
    MovePointer(button, Background());
    POINT off = Background();
    ::ScreenToClient(button, &off);
    ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(off.x, off.y));
    PumpMessages();
    EXPECT_FALSE(Checked(IDC_TEST_RADIO2));
    EXPECT_EQ(dialog.clicks[IDC_TEST_RADIO2], 0);
}

TEST_F(SkinControls, MaskGivesTheButtonItsOutlineAndSize) {
    dialog.shaped.SetSkin(IDB_TAB_SCAN_NORMAL, IDB_TAB_SCAN_PRESSED, IDB_TAB_SCAN_HOVER, 0, 0,
                          IDB_TAB_MASK);
    RECT window{};
    ::GetWindowRect(Item(IDC_TEST_SHAPED), &window);
    EXPECT_EQ(window.right - window.left, 150);
    EXPECT_EQ(window.bottom - window.top, 39);
    CGdiObject<HRGN> region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(Item(IDC_TEST_SHAPED), region.get()), ERROR);
    RECT box{};
    ::GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.right, 150);
    EXPECT_EQ(box.bottom, 39);
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0)) << "rounded corner of the tab";
    EXPECT_TRUE(::PtInRegion(region.get(), 75, 20));
    EXPECT_TRUE(::PtInRegion(region.get(), 0, 38));
}

TEST_F(SkinControls, SkinWithoutMaskKeepsTheTemplateSize) {
    RECT before{}, after{};
    ::GetWindowRect(Item(IDC_TEST_SHAPED), &before);
    dialog.shaped.SetSkin(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER,
                          IDB_BUTTON_DISABLED, IDB_BUTTON_FOCUS, 0);
    ::GetWindowRect(Item(IDC_TEST_SHAPED), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
    ::InvalidateRect(Item(IDC_TEST_SHAPED), nullptr, TRUE);
    // Unscaled: the 93 x 24 normal picture's top-left pixel is its rim.
    EXPECT_EQ(PixelOf(Item(IDC_TEST_SHAPED), 5, 0), Rgb(122, 162, 192));
}

HWND TooltipOf(HWND button) {
    struct Search {
        HWND owner, found;
    } search{::GetAncestor(button, GA_ROOT), nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t name[64] = {};
            ::GetClassNameW(hwnd, name, 64);
            // A popup made for a child window is owned by the child's top-level window.
            if (::GetWindow(hwnd, GW_OWNER) == s->owner && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0)
                s->found = hwnd;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TipText(HWND tooltip, HWND tool) {
    wchar_t text[128] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = ::GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
    return text;
}

TEST_F(SkinControls, TooltipIsMadeOnceAndItsTextReplaced) {
    HWND button = Item(IDC_TEST_RADIO1);
    EXPECT_EQ(TooltipOf(button), nullptr) << "none before the first text";
    dialog.radios[0].SetToolTipText(L"扫描并删除网页木马/后门文件");
    HWND tooltip = TooltipOf(button);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(TipText(tooltip, button), L"扫描并删除网页木马/后门文件");
    dialog.radios[0].SetToolTipText(L"查看当前网络连接状况");
    EXPECT_EQ(TooltipOf(button), tooltip);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(TipText(tooltip, button), L"查看当前网络连接状况");
}

// A strip of 134 pixels: frames of 33 taken from x = 0, 33, 66 and 99, each in
// its own colour, the first with a magenta patch; column 132 and 133 are left over.
TEST_F(SkinControls, BitmapStripSplitsIntoFourFramesAndStates) {
    Surface strip(134, 8);
    const uint32_t colours[4] = {Rgb(200, 0, 0), Rgb(0, 200, 0), Rgb(0, 0, 200), Rgb(200, 200, 0)};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 134; ++x) strip.Set(x, y, x < 132 ? colours[x / 33] : Rgb(0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 5; ++x) strip.Set(x, y, Rgb(255, 0, 255));
    CBitmap copy(strip.Copy());
    ASSERT_TRUE(dialog.strip.SetBitmapStrip(copy.get()));
    HWND button = Item(IDC_TEST_STRIP);
    RECT rect{};
    ::GetClientRect(button, &rect);
    EXPECT_EQ(rect.right, 33);
    EXPECT_EQ(rect.bottom, 8);
    ::InvalidateRect(button, nullptr, TRUE);

    EXPECT_EQ(PixelOf(button, 20, 4), colours[0]);
    EXPECT_EQ(PixelOf(button, 2, 4), Rgb(10, 200, 30)) << "magenta shows the dialog below";
    MovePointer(button, CentreOf(button));
    EXPECT_EQ(PixelOf(button, 20, 4), colours[1]) << "hover";
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(16, 4));
    EXPECT_EQ(PixelOf(button, 20, 4), colours[2]) << "pressed";
    ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(16, 4));
    EXPECT_EQ(PixelOf(button, 20, 4), colours[1]) << "released over it";
    EXPECT_EQ(dialog.clicks[IDC_TEST_STRIP], 1);
    ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(PixelOf(button, 20, 4), colours[0]) << "pointer gone";
    ::EnableWindow(button, FALSE);
    ::InvalidateRect(button, nullptr, TRUE);
    EXPECT_EQ(PixelOf(button, 20, 4), colours[3]) << "disabled";
}

TEST_F(SkinControls, FieldExchangeFillsAndReadsTheControls) {
    wchar_t shown[64] = {};
    ::GetWindowTextW(Item(IDC_TEST_EDIT), shown, 64);
    EXPECT_STREQ(shown, L"D:\\wwwroot");
    EXPECT_TRUE(Checked(IDC_TEST_CHECK));
    ::SetWindowTextW(Item(IDC_TEST_EDIT), L"E:\\站点");
    ::SendMessageW(Item(IDC_TEST_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.text, L"E:\\站点");
    EXPECT_EQ(dialog.ticked, 0);
}

// A child that answers its own colour message.
class ColouredStatic : public CWnd {
  public:
    CBrush brush;

  protected:
    bool OnChildNotify(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        if (msg != WM_CTLCOLORSTATIC) return false;
        *result = reinterpret_cast<LRESULT>(brush.get());
        return true;
    }
};

TEST_F(SkinControls, ColourMessagesReachTheChildObjectBeforeTheDialog) {
    ColouredStatic label;
    label.brush.CreateSolidBrush(RGB(9, 9, 9));
    ASSERT_TRUE(label.SubclassDlgItem(IDC_TEST_STATIC, dialog));
    CClientDC dc(dialog.GetSafeHwnd());
    const auto wp = reinterpret_cast<WPARAM>(dc.get());
    EXPECT_EQ(::SendMessageW(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC, wp,
                             reinterpret_cast<LPARAM>(Item(IDC_TEST_STATIC))),
              reinterpret_cast<LRESULT>(label.brush.get()));
    EXPECT_EQ(::SendMessageW(dialog.GetSafeHwnd(), WM_CTLCOLOREDIT, wp,
                             reinterpret_cast<LPARAM>(Item(IDC_TEST_EDIT))),
              reinterpret_cast<LRESULT>(dialog.editBrush.get()));
}

}  // namespace
