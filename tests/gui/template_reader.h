// Reads the dialog templates and bitmap headers of a program file, as built.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct TemplateItem {
    int id;  // -1 for IDC_STATIC
    DWORD style;
    short x, y, cx, cy;
    std::wstring className;  // "Button", "Edit", "Static" or the class name given
    std::wstring text;
};

struct DialogTemplate {
    DWORD style, exStyle;
    short cx, cy;
    WORD pointSize;
    BYTE charset;
    std::wstring face;
    std::vector<TemplateItem> items;
};

// Extended dialog template id of module, or nothing when it is missing or not
// an extended template.
std::optional<DialogTemplate> ReadDialogTemplate(HMODULE module, int id);

struct BitmapHeader {
    int width, height, bitsPerPixel;
};
std::optional<BitmapHeader> ReadBitmapHeader(HMODULE module, int id);
