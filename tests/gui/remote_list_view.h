// Reads a list view (and its header) that lives in another process: the
// list's messages that fill a buffer get one allocated in that process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RemoteListView {
  public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    // False when the other process's memory cannot be reached.
    bool Usable() const { return m_remote != nullptr; }

    int ItemCount() const;
    std::wstring Text(int item, int column) const;
    int Image(int item) const;
    // Every item's first `columns` texts, in list order.
    std::vector<std::vector<std::wstring>> Rows(int columns) const;

    int ColumnWidth(int column) const;
    std::vector<std::wstring> Headings() const;

  private:
    // Sends msg with lp pointing at a copy of `request` in the other
    // process, whose text field points at a text buffer there; the request
    // comes back as the list left it, the text as the result.
    template <class Request>
    std::wstring Exchange(HWND target, UINT msg, WPARAM wp, Request& request,
                          wchar_t* Request::*text, int Request::*capacity) const;

    HWND m_list;
    HANDLE m_process = nullptr;
    void* m_remote = nullptr;
};
