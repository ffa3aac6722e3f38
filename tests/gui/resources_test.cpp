// Every template, control and bitmap of Morvane.exe as built, against the
// ids, positions, sizes and texts the window's design gives.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "template_reader.h"
#include "window_driver.h"

namespace {

struct ExpectedItem {
    int id;
    const wchar_t* className;
    short x, y, cx, cy;
    const wchar_t* text;
    DWORD styleBits;  // bits that must be set
};

struct ExpectedDialog {
    int id;
    short cx, cy;
    DWORD styleBits;
    std::vector<ExpectedItem> items;
};

constexpr DWORD kRadio = BS_AUTORADIOBUTTON | BS_PUSHLIKE;
constexpr DWORD kList = LVS_REPORT | WS_BORDER | WS_TABSTOP;

const ExpectedDialog kDialogs[] = {
    {102,
     568,
     398,
     WS_POPUP | WS_VISIBLE,
     {
         {1000, L"Button", 8, 55, 102, 24, L"", kRadio | WS_GROUP | WS_TABSTOP},
         {1001, L"Button", 112, 55, 101, 24, L"", kRadio},
         {1002, L"Button", 216, 55, 101, 24, L"", kRadio},
         {1003, L"Button", 320, 55, 107, 24, L"", kRadio},
         {1007, L"Button", 529, 0, 30, 14, L"", WS_TABSTOP},
         {1008, L"Button", 507, 0, 23, 14, L"", WS_TABSTOP},
         {1009, L"Button", 484, 0, 24, 14, L"", WS_TABSTOP},
         {1010, L"Static", 5, 81, 558, 298, L"", 0},
     }},
    {163,
     557,
     297,
     WS_CHILD,
     {
         {-1, L"Static", 3, 7, 37, 11, L"网站路径:", 0},
         {1029, L"Edit", 44, 3, 448, 15, L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
         {1031, L"Button", 494, 3, 62, 16, L"选择路径", WS_TABSTOP},
         {-1, L"Static", 3, 25, 37, 11, L"检查类型:", 0},
         {1034, L"Button", 45, 24, 30, 11, L"ASP", BS_AUTOCHECKBOX | WS_TABSTOP},
         {1035, L"Button", 77, 24, 30, 11, L"ASPX", BS_AUTOCHECKBOX | WS_TABSTOP},
         {1036, L"Button", 114, 24, 30, 11, L"PHP", BS_AUTOCHECKBOX | WS_TABSTOP},
         {1037, L"Button", 146, 24, 30, 11, L"JSP", BS_AUTOCHECKBOX | WS_TABSTOP},
         {1033, L"Button", 494, 23, 62, 16, L"开始扫描", WS_TABSTOP},
         {1028, L"Static", 3, 43, 552, 10, L"", 0},
         {1015, L"SysListView32", 1, 57, 555, 237, L"", kList},
     }},
    {162,
     557,
     297,
     WS_CHILD,
     {
         {-1, L"Static", 3, 7, 37, 11, L"网站路径:", 0},
         {1029, L"Edit", 44, 3, 448, 15, L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
         {1031, L"Button", 494, 3, 62, 16, L"选择路径", WS_TABSTOP},
         {-1, L"Static", 3, 27, 37, 11, L"清除代码:", 0},
         {1030, L"Edit", 44, 23, 448, 36, L"",
          ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
         {1032, L"Button", 494, 23, 62, 16, L"开始清除", WS_TABSTOP},
         {1028, L"Static", 3, 64, 551, 10, L"", 0},
         {1015, L"SysListView32", 1, 78, 555, 216, L"", kList},
     }},
    {161,
     557,
     297,
     WS_CHILD,
     {
         {1026, L"Button", 494, 2, 62, 16, L"刷新状态", WS_TABSTOP | WS_VISIBLE},
         {1015, L"SysListView32", 1, 21, 555, 273, L"", kList | WS_VISIBLE},
         {-1, L"Static", 4, 5, 242, 14, L"查看当前网络连接状态，并显示远程访问IP所处方位",
          WS_GROUP | WS_VISIBLE},
     }},
    {157,
     557,
     297,
     WS_CHILD,
     {
         {-1, L"Static", 4, 5, 242, 14, L"获取主机近期内开机、关机时间记录信息", 0},
         {1026, L"Button", 494, 2, 62, 16, L"刷新记录", WS_TABSTOP},
         {1015, L"SysListView32", 1, 21, 555, 273, L"", kList},
     }},
};

class Resources : public ::testing::Test {
  protected:
    void SetUp() override {
        module = ::LoadLibraryExW(MorvanePath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot open Morvane.exe";
    }
    void TearDown() override {
        if (module) ::FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(Resources, DialogTemplatesHaveEveryControlWhereTheDesignPutsIt) {
    for (const ExpectedDialog& expected : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(expected.id));
        const auto dialog = ReadDialogTemplate(module, expected.id);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->cx, expected.cx);
        EXPECT_EQ(dialog->cy, expected.cy);
        EXPECT_EQ(dialog->style & expected.styleBits, expected.styleBits);
        EXPECT_EQ(dialog->style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0u);
        EXPECT_EQ(dialog->face, L"宋体");
        EXPECT_EQ(dialog->pointSize, 9);
        ASSERT_EQ(dialog->items.size(), expected.items.size());
        for (size_t i = 0; i < expected.items.size(); ++i) {
            const ExpectedItem& want = expected.items[i];
            const TemplateItem& got = dialog->items[i];
            SCOPED_TRACE("control " + std::to_string(want.id));
            EXPECT_EQ(got.id, want.id);
            // The resource compiler may change the case of class names.
            EXPECT_EQ(_wcsicmp(got.className.c_str(), want.className), 0) << got.className;
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            EXPECT_EQ(got.cx, want.cx);
            EXPECT_EQ(got.cy, want.cy);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.style & want.styleBits, want.styleBits);
        }
    }
}

TEST_F(Resources, MainWindowIsAPopupShownOnTheTaskBarWithAHiddenPageArea) {
    const auto dialog = ReadDialogTemplate(module, 102);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(dialog->items.back().style & WS_VISIBLE) << "control 1010";
    for (int page : {157, 161, 162, 163}) {
        const auto child = ReadDialogTemplate(module, page);
        ASSERT_TRUE(child);
        EXPECT_FALSE(child->style & WS_VISIBLE) << page << " starts hidden";
    }
}

TEST_F(Resources, BitmapsHaveTheirSizes) {
    struct Bitmap {
        int id, width, height;
    };
    std::vector<Bitmap> bitmaps = {
        {129, 850, 600}, {152, 136, 20}, {153, 184, 20}, {154, 132, 20}, {165, 2, 20}, {166, 2, 20},
    };
    for (int id = 130; id <= 142; ++id) bitmaps.push_back({id, 150, 39});
    for (int id = 157; id <= 161; ++id) bitmaps.push_back({id, 93, 24});
    for (const Bitmap& want : bitmaps) {
        const auto header = ReadBitmapHeader(module, want.id);
        ASSERT_TRUE(header) << "bitmap " << want.id;
        EXPECT_EQ(header->width, want.width) << "bitmap " << want.id;
        EXPECT_EQ(std::abs(header->height), want.height) << "bitmap " << want.id;
        EXPECT_EQ(header->bitsPerPixel, 24) << "bitmap " << want.id;
    }
}

TEST_F(Resources, IconIsThere) {
    HICON icon = static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ::DestroyIcon(icon);
}

}  // namespace
