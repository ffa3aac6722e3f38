// The skin painter, the mask outline, the list header, the memory surface, the
// folder picker and the file icons.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "skin/bitmap_ex.h"
#include "skin/browse_folder_dlg.h"
#include "skin/mask_outline.h"
#include "skin/skin_header_ctrl.h"
#include "skin/sys_image_list.h"
#include "skin/tz_mem_dc.h"
#include "skin_test_support.h"

namespace {

constexpr uint32_t W = 0xFFFFFF, B = 0x000000, G = 0x808080;

TEST(MaskRuns, EveryRowBecomesItsRunsOfNonWhitePixels) {
    struct Case {
        const char* name;
        int width, height;
        std::vector<uint32_t> pixels;
        std::vector<RECT> runs;
    };
    const Case cases[] = {
        {"all white", 3, 2, {W, W, W, W, W, W}, {}},
        {"full rows", 2, 2, {B, B, G, B}, {{0, 0, 2, 1}, {0, 1, 2, 2}}},
        {"two runs in a row", 5, 1, {B, W, G, G, W}, {{0, 0, 1, 1}, {2, 0, 4, 1}}},
        // The right-most column is non-white in one row and white in the next:
        // each row ends at its own last non-white pixel.
        {"ragged right edge", 3, 2, {W, B, B, W, B, W}, {{1, 0, 3, 1}, {1, 1, 2, 2}}},
        {"high byte ignored", 2, 1, {0xFFFFFFFF, 0xFF000000}, {{1, 0, 2, 1}}},
    };
    for (const Case& c : cases) {
        const std::vector<RECT> runs = MaskRuns(c.pixels, c.width, c.height);
        ASSERT_EQ(runs.size(), c.runs.size()) << c.name;
        for (size_t i = 0; i < runs.size(); ++i)
            EXPECT_TRUE(::EqualRect(&runs[i], &c.runs[i])) << c.name << " run " << i;
    }
}

TEST(MaskRuns, OutlineOfAnAllWhiteMaskIsEmpty) {
    Surface mask(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) mask.Set(x, y, W);
    ::GdiFlush();
    CBitmap copy(mask.Copy());
    CGdiObject<HRGN> outline(OutlineFromMask(copy.get()));
    ASSERT_TRUE(outline);
    RECT box{};
    EXPECT_EQ(::GetRgnBox(outline.get(), &box), NULLREGION);
}

TEST(SkinButtonKind, ComesFromTheLowBitsOfTheStyle) {
    const struct {
        DWORD style;
        int kind;
    } cases[] = {
        {BS_PUSHBUTTON, CSkinButton::kPushButton},
        {BS_DEFPUSHBUTTON, CSkinButton::kPushButton},
        {BS_CHECKBOX, CSkinButton::kPushButton},
        {BS_RADIOBUTTON, CSkinButton::kPushButton},
        {BS_AUTOCHECKBOX, CSkinButton::kCheckBox},
        {BS_AUTORADIOBUTTON, CSkinButton::kRadioButton},
        {BS_AUTORADIOBUTTON | BS_PUSHLIKE | WS_GROUP | WS_TABSTOP, CSkinButton::kRadioButton},
        {BS_AUTOCHECKBOX | WS_CHILD | WS_VISIBLE, CSkinButton::kCheckBox},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSkinButton::KindFromStyle(c.style), c.kind) << std::hex << c.style;
}

// A 4 x 2 bitmap whose pixel (x, y) is 0x00yyx1.
HBITMAP NumberedBitmap() {
    Surface surface(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) surface.Set(x, y, Rgb(0, y, x << 4 | 0x1));
    return surface.Copy();
}

TEST(BitmapEx, DrawPartNeedsADeviceContextAndABitmap) {
    CBitmapEx empty;
    Surface target(4, 4);
    EXPECT_FALSE(empty.DrawPart(target.dc(), 0, 0, 4, 4, 0, 0, 4, 4));
    CBitmapEx numbered;
    numbered.reset(NumberedBitmap());
    EXPECT_FALSE(numbered.DrawPart(nullptr, 0, 0, 4, 4, 0, 0, 4, 4));
}

TEST(BitmapEx, DrawPartCopiesUnscaledOrStretches) {
    CBitmapEx numbered;
    numbered.reset(NumberedBitmap());
    Surface target(8, 4);
    // Source width 0: a 2 x 2 block copied unscaled from source x 1.
    ASSERT_TRUE(numbered.DrawPart(target.dc(), 0, 0, 2, 2, 1, 0, 0, 5));
    ::GdiFlush();
    EXPECT_EQ(target.At(0, 0), Rgb(0, 0, 0x11));
    EXPECT_EQ(target.At(1, 1), Rgb(0, 1, 0x21));
    // Source 2 x 1 from (2, 1) stretched to 4 x 2 at (4, 2): every pixel doubled.
    ASSERT_TRUE(numbered.DrawPart(target.dc(), 4, 2, 4, 2, 2, 1, 2, 1));
    ::GdiFlush();
    EXPECT_EQ(target.At(4, 2), Rgb(0, 1, 0x21));
    EXPECT_EQ(target.At(5, 3), Rgb(0, 1, 0x21));
    EXPECT_EQ(target.At(6, 2), Rgb(0, 1, 0x31));
    EXPECT_EQ(target.At(7, 3), Rgb(0, 1, 0x31));
    EXPECT_EQ(::GetStretchBltMode(target.dc()), BLACKONWHITE) << "mode restored";
}

class NineParts : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(skin.LoadBitmap(IDB_SKIN));
        skin.SetSlices({3, 123, 154, 123, 3, 27});
        ASSERT_TRUE(skin.DrawPart(source.dc(), 0, 0, 850, 600, 0, 0, 0, 0));
        ::GdiFlush();
    }
    CBitmapEx skin;
    Surface source{850, 600};
};

TEST_F(NineParts, AtTheSkinsOwnSizeEveryPixelIsCopied) {
    Surface drawn(850, 600);
    skin.DrawNineParts(drawn.dc(), 850, 600);
    ::GdiFlush();
    int differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 850; ++x) differing += drawn.At(x, y) != source.At(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(NineParts, AtAnotherSizeCornersKeepTheirSize) {
    const int w = 852, h = 647;
    Surface drawn(w, h);
    skin.DrawNineParts(drawn.dc(), w, h);
    ::GdiFlush();
    auto same = [&](int dx, int dy, int sx, int sy, int width, int height) {
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                differing += drawn.At(dx + x, dy + y) != source.At(sx + x, sy + y);
        return differing;
    };
    EXPECT_EQ(same(0, 0, 0, 0, 3, 123), 0) << "top-left";
    EXPECT_EQ(same(w - 154, 0, 850 - 154, 0, 154, 123), 0) << "top-right";
    EXPECT_EQ(same(0, h - 27, 0, 600 - 27, 3, 27), 0) << "bottom-left";
    EXPECT_EQ(same(w - 3, h - 27, 850 - 3, 600 - 27, 3, 27), 0) << "bottom-right";
    // The centre stretches both ways and keeps the page colour; the corners
    // stay see-through.
    EXPECT_EQ(drawn.At(w / 2, h / 2), Rgb(222, 238, 244));
    EXPECT_EQ(drawn.At(0, 0), Rgb(255, 0, 255));
    EXPECT_EQ(drawn.At(w - 1, h - 1), Rgb(255, 0, 255));
    // The side edges stretch vertically only: same row pattern at any height.
    EXPECT_EQ(drawn.At(0, 300), source.At(0, 300));
    EXPECT_EQ(drawn.At(w - 1, 500), source.At(849, 400));
}

TEST(TzMemDC, DrawingReachesTheTargetInOneCopyWhenDestroyed) {
    Surface target(6, 4);
    {
        CTzMemDC surface(RECT{0, 0, 6, 4}, target.dc());
        CBrush red;
        red.CreateSolidBrush(RGB(255, 0, 0));
        const RECT all{0, 0, 6, 4};
        ::FillRect(surface.get(), &all, red.get());
        ::GdiFlush();
        EXPECT_EQ(target.At(3, 2), Rgb(0, 0, 0)) << "nothing shows before the end";
    }
    ::GdiFlush();
    EXPECT_EQ(target.At(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(target.At(5, 3), Rgb(255, 0, 0));
}

class Header : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.list.InsertColumn(0, L"文件路径", LVCFMT_LEFT, 120);
        dialog.list.InsertColumn(1, L"风险度", LVCFMT_CENTER, 60);
        dialog.list.InsertColumn(2, L"一个比它的列宽得多的风险原因标题", LVCFMT_LEFT, 90);
        header.LoadSkin();
        ASSERT_TRUE(header.SubclassWindow(dialog.list.GetHeaderCtrl()));
        // Any resize makes the list lay out its header again.
        RECT rect{};
        ::GetWindowRect(dialog.list.GetSafeHwnd(), &rect);
        ::SetWindowPos(dialog.list.GetSafeHwnd(), nullptr, 0, 0, rect.right - rect.left + 1,
                       rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
    }
    void TearDown() override {
        ::DestroyWindow(dialog.GetSafeHwnd());
        PumpMessages();
    }
    TestDialog dialog;
    CSkinHeaderCtrl header;
};

TEST_F(Header, IsTwentyPixelsHigh) {
    RECT rect{};
    ::GetWindowRect(header.GetSafeHwnd(), &rect);
    EXPECT_EQ(rect.bottom - rect.top, 20);
}

TEST_F(Header, DrawsABackgroundAndOneSeparatorAtTheEndOfEveryColumn) {
    HWND hwnd = header.GetSafeHwnd();
    for (int i = 0; i < 3; ++i) {
        const RECT column = header.GetItemRect(i);
        EXPECT_EQ(PixelOf(hwnd, column.right - 2, 10), Rgb(170, 192, 208)) << "column " << i;
        EXPECT_EQ(PixelOf(hwnd, column.right - 1, 10), Rgb(255, 255, 255)) << "column " << i;
        EXPECT_EQ(PixelOf(hwnd, column.right - 4, 0), Rgb(252, 253, 254)) << "column " << i;
    }
    const RECT last = header.GetItemRect(2);
    EXPECT_NE(PixelOf(hwnd, last.right + 10, 10), Rgb(170, 192, 208)) << "no fourth strip";
}

TEST(SysImageList, IconsFollowTheNameAlone) {
    CSysImageList icons;
    EXPECT_NE(icons.GetImageList(), nullptr);
    EXPECT_EQ(icons.GetIconIndex(L""), -1);
    EXPECT_EQ(icons.GetIconIndex(nullptr), -1);
    const int text = icons.GetIconIndex(L"C:\\site\\readme.txt");
    EXPECT_GE(text, 0);
    EXPECT_EQ(icons.GetIconIndex(L"D:\\wwwroot\\other.txt"), text) << "same extension";
    const int web = icons.GetIconIndex(L"test.html");
    EXPECT_GE(web, 0);
    EXPECT_EQ(icons.GetIconIndex(L"www.example\\shell.asp"), web) << "www. prefix";
    EXPECT_EQ(icons.GetIconIndex(L"http://example.test/a.php"), web) << "a web address";
    EXPECT_EQ(icons.GetIconIndex(L"WWW.example\\shell.asp"), icons.GetIconIndex(L"x.asp"))
        << "the prefix is case-sensitive";
    EXPECT_EQ(icons.GetIconIndex(L"a.qxnoassoc1"), icons.GetIconIndex(L"b.qxnoassoc2"))
        << "names without association share the generic icon";
}

// A picker that remembers the window it was attached to when the selection
// first changed.
class WatchedPicker : public CBrowseFolderDlg {
  public:
    WatchedPicker() : CBrowseFolderDlg(L"") {}
    std::atomic<HWND> attachedAtSelection{nullptr};

  protected:
    void OnSelChanged(PCIDLIST_ABSOLUTE) override {
        HWND expected = nullptr;
        attachedAtSelection.compare_exchange_strong(expected, GetSafeHwnd());
    }
};

// The visible dialog window of a thread, or nullptr.
HWND VisibleDialogOf(DWORD thread) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(hwnd, name, 16);
            if (::IsWindowVisible(hwnd) && lstrcmpW(name, L"#32770") == 0) {
                *reinterpret_cast<HWND*>(lp) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs the picker while another thread acts as the user: once the picker
// shows, user(picker window) runs; the picker is cancelled after 20 s anyway.
INT_PTR RunPicker(WatchedPicker& picker, void (*user)(HWND)) {
    const DWORD thread = ::GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::thread person([&] {
        HWND shown = nullptr;
        for (int i = 0; i < 200 && !done && !(shown = VisibleDialogOf(thread)); ++i) ::Sleep(100);
        if (shown) user(shown);
        for (int i = 0; i < 200 && !done; ++i) ::Sleep(100);
        if (!done && (shown = VisibleDialogOf(thread)))
            ::PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = picker.DoModal();
    done = true;
    person.join();
    return result;
}

TEST(BrowseFolderDlg, CancelGivesTwoAndNoPath) {
    WatchedPicker picker;
    EXPECT_EQ(RunPicker(picker, [](HWND shown) { ::PostMessageW(shown, WM_COMMAND, IDCANCEL, 0); }),
              IDCANCEL);
    EXPECT_EQ(picker.GetSafeHwnd(), nullptr) << "detached afterwards";
    EXPECT_EQ(picker.GetFolderPath(), L"");
}

TEST(BrowseFolderDlg, AFolderOutsideTheFileSystemGivesOneAndAnEmptyPath) {
    WatchedPicker picker;
    const INT_PTR result = RunPicker(picker, [](HWND shown) {
        PIDLIST_ABSOLUTE computer = nullptr;
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        ::SendMessageW(shown, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
        ::CoTaskMemFree(computer);
        ::PostMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(picker.attachedAtSelection.load(), nullptr)
        << "the selection change reached the object with the picker attached";
    EXPECT_EQ(picker.GetFolderPath(), L"");
}

TEST(Icon, LoadsAsTheWindowLoadsIt) {
    EXPECT_NE(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN)), nullptr);
}

}  // namespace
