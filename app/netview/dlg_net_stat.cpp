#include "dlg_net_stat.h"

#include "frontend/shown_texts.h"
#include "host/qqwry.h"
#include "os/process.h"
#include "report_list.h"

namespace {

// The program's file name without its extension, the caption of its messages.
std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name.erase(0, name.rfind(L'\\') + 1);
    return name.substr(0, name.rfind(L'.'));
}

}  // namespace

CDlgNetStat::CDlgNetStat() : CReaderPage(IDD_NET_STAT), m_locations(std::make_shared<CQQwry>()) {}

CDlgNetStat::~CDlgNetStat() = default;

BOOL CDlgNetStat::OnInitDialog() {
    const BOOL result = CReaderPage::OnInitDialog();
    SetUpReportList(m_list,
                    {{L"协议", 50},
                     {L"本地地址", 140},
                     {L"远程地址", 200},
                     {L"状态", 80},
                     {L"进程ID", 50},
                     {L"进程路径", 292}},
                    m_icons.GetImageList(), m_header);
    const std::u16string folder = qx::os::ExecutableFolder();
    m_folder.assign(folder.begin(), folder.end());
    m_locations->Open(folder + u"QQWry.dat");
    return result;
}

CDlgNetStat::Reader CDlgNetStat::MakeReader() {
    return [library = m_folder + L"Pelvoro.dll", locations = m_locations] {
        return std::make_unique<qx::netview::NetStatSnapshot>(
            qx::netview::ReadNetStat(library, *locations));
    };
}

void CDlgNetStat::ShowSnapshot(qx::netview::NetStatSnapshot& snapshot) {
    using Outcome = qx::netview::NetStatSnapshot::Outcome;
    if (snapshot.outcome == Outcome::kUnsupported) {
        ::MessageBoxW(m_hWnd, Wide(qx::frontend::kUnsupportedSystem).c_str(), ProgramName().c_str(),
                      MB_OK);
        return;
    }
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    for (const qx::host::ConnectionRow& row : snapshot.rows) {
        const int index = m_list.InsertItem(m_list.GetItemCount(), Wide(row.protocol).c_str(),
                                            m_icons.GetIconIndex(Wide(row.processPath).c_str()));
        m_list.SetItemText(index, 1, Wide(row.local).c_str());
        m_list.SetItemText(index, 2, Wide(row.remote).c_str());
        m_list.SetItemText(index, 3, Wide(row.state).c_str());
        m_list.SetItemText(index, 4, Wide(row.processId).c_str());
        m_list.SetItemText(index, 5, Wide(row.processPath).c_str());
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}
