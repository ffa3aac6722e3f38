#include "remote_list_view.h"

#include <commctrl.h>

namespace {

constexpr SIZE_T kRemoteBytes = 8192;
constexpr SIZE_T kTextOffset = 1024;  // past every request structure
constexpr int kTextCapacity = static_cast<int>((kRemoteBytes - kTextOffset) / sizeof(wchar_t));

}  // namespace

RemoteListView::RemoteListView(HWND list) : m_list(list) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(list, &processId);
    m_process = ::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, processId);
    if (m_process)
        m_remote = ::VirtualAllocEx(m_process, nullptr, kRemoteBytes, MEM_COMMIT, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
    if (m_remote) ::VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process) ::CloseHandle(m_process);
}

template <class Request>
std::wstring RemoteListView::Exchange(HWND target, UINT msg, WPARAM wp, Request& request,
                                      wchar_t* Request::*text, int Request::*capacity) const {
    if (!m_remote) return {};
    auto* base = static_cast<char*>(m_remote);
    request.*text = reinterpret_cast<wchar_t*>(base + kTextOffset);
    request.*capacity = kTextCapacity;
    const wchar_t empty = L'\0';
    ::WriteProcessMemory(m_process, base + kTextOffset, &empty, sizeof empty, nullptr);
    ::WriteProcessMemory(m_process, base, &request, sizeof request, nullptr);
    ::SendMessageW(target, msg, wp, reinterpret_cast<LPARAM>(base));
    ::ReadProcessMemory(m_process, base, &request, sizeof request, nullptr);
    std::wstring result(kTextCapacity, L'\0');
    ::ReadProcessMemory(m_process, base + kTextOffset, result.data(),
                        result.size() * sizeof(wchar_t), nullptr);
    result.resize(result.find(L'\0'));
    return result;
}

int RemoteListView::ItemCount() const {
    return static_cast<int>(::SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::Text(int item, int column) const {
    LVITEMW request{};
    request.iSubItem = column;
    return Exchange(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), request, &LVITEMW::pszText,
                    &LVITEMW::cchTextMax);
}

int RemoteListView::Image(int item) const {
    LVITEMW request{};
    request.mask = LVIF_IMAGE | LVIF_TEXT;
    request.iItem = item;
    request.iImage = -2;  // not an answer the list gives
    Exchange(m_list, LVM_GETITEMW, 0, request, &LVITEMW::pszText, &LVITEMW::cchTextMax);
    return request.iImage;
}

std::vector<std::vector<std::wstring>> RemoteListView::Rows(int columns) const {
    std::vector<std::vector<std::wstring>> rows(static_cast<size_t>(ItemCount()));
    for (size_t i = 0; i < rows.size(); ++i)
        for (int column = 0; column < columns; ++column)
            rows[i].push_back(Text(static_cast<int>(i), column));
    return rows;
}

int RemoteListView::ColumnWidth(int column) const {
    return static_cast<int>(
        ::SendMessageW(m_list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::vector<std::wstring> RemoteListView::Headings() const {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> headings;
    for (int i = 0; i < count; ++i) {
        HDITEMW request{};
        request.mask = HDI_TEXT;
        headings.push_back(Exchange(header, HDM_GETITEMW, static_cast<WPARAM>(i), request,
                                    &HDITEMW::pszText, &HDITEMW::cchTextMax));
    }
    return headings;
}
