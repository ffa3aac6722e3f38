#include "template_reader.h"

#include <cstring>

namespace {

// A cursor over the bytes of a resource.
class Reader {
  public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }

    template <class T>
    T Read() {
        T value{};
        if (m_offset + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_offset, sizeof(T));
        m_offset += sizeof(T);
        return value;
    }
    std::wstring ReadString() {
        std::wstring text;
        for (wchar_t c = Read<wchar_t>(); m_ok && c; c = Read<wchar_t>()) text += c;
        return text;
    }
    // A string or an ordinal (0xFFFF followed by its number).
    std::wstring ReadNameOrOrdinal(WORD* ordinal) {
        *ordinal = 0;
        const WORD first = Read<WORD>();
        if (first == 0) return L"";
        if (first == 0xFFFF) {
            *ordinal = Read<WORD>();
            return L"";
        }
        m_offset -= sizeof(WORD);
        return ReadString();
    }
    void AlignToDword() { m_offset = (m_offset + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { m_offset += bytes; }

  private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_ok = true;
};

std::wstring ClassOfOrdinal(WORD ordinal) {
    switch (ordinal) {
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        default:
            return L"#" + std::to_wstring(ordinal);
    }
}

const BYTE* ResourceBytes(HMODULE module, int id, LPCWSTR type, size_t* size) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    *size = ::SizeofResource(module, found);
    return static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
}

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(HMODULE module, int id) {
    size_t size = 0;
    const BYTE* data = ResourceBytes(module, id, MAKEINTRESOURCEW(5) /* RT_DIALOG */, &size);
    if (!data) return std::nullopt;
    Reader in(data, size);
    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF) return std::nullopt;
    DialogTemplate dialog{};
    in.Read<DWORD>();  // help id
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    in.Read<short>();
    in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    WORD ordinal = 0;
    in.ReadNameOrOrdinal(&ordinal);  // menu
    in.ReadNameOrOrdinal(&ordinal);  // class
    in.ReadString();                 // caption
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        in.Read<WORD>();  // weight
        in.Read<BYTE>();  // italic
        dialog.charset = in.Read<BYTE>();
        dialog.face = in.ReadString();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        TemplateItem item{};
        in.Read<DWORD>();  // help id
        in.Read<DWORD>();  // extended style
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        const DWORD rawId = in.Read<DWORD>();
        item.id = rawId == 0xFFFF || rawId == 0xFFFFFFFF ? -1 : static_cast<int>(rawId);
        item.className = in.ReadNameOrOrdinal(&ordinal);
        if (ordinal) item.className = ClassOfOrdinal(ordinal);
        item.text = in.ReadNameOrOrdinal(&ordinal);
        in.Skip(in.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    if (!in.ok()) return std::nullopt;
    return dialog;
}

std::optional<BitmapHeader> ReadBitmapHeader(HMODULE module, int id) {
    size_t size = 0;
    const BYTE* data = ResourceBytes(module, id, MAKEINTRESOURCEW(2) /* RT_BITMAP */, &size);
    if (!data || size < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    BITMAPINFOHEADER header{};
    std::memcpy(&header, data, sizeof header);
    return BitmapHeader{header.biWidth, header.biHeight, header.biBitCount};
}
