// gui_window_test [GoogleTest options] PATH\Morvane.exe
#include <gtest/gtest.h>

#include "window_driver.h"

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_window_test [gtest options] PATH\\Morvane.exe\n");
        return 2;
    }
    SetMorvanePath(argv[1]);
    return RUN_ALL_TESTS();
}
