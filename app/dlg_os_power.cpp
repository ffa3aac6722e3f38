#include "dlg_os_power.h"

#include <string>

#include "os/debug_log.h"
#include "report_list.h"

BOOL CDlgOsPower::OnInitDialog() {
    const BOOL result = CReaderPage::OnInitDialog();
    SetUpReportList(m_list, {{L"序号", 50}, {L"开机时间", 370}, {L"关机时间", 370}}, nullptr,
                    m_header);
    return result;
}

CDlgOsPower::Reader CDlgOsPower::MakeReader() {
    return [] {
        auto snapshot = std::make_unique<PowerSnapshot>();
        std::vector<qx::host::PowerEvent> events;
        // The list simply stays empty; the developer's debug output says why.
        if (!qx::host::ReadSystemLogPowerEvents(events))
            qx::os::DebugLine("Could not open the System event log.");
        snapshot->rows = qx::host::PairPowerEvents(events);
        return snapshot;
    };
}

void CDlgOsPower::ShowSnapshot(PowerSnapshot& snapshot) {
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    for (const qx::host::PowerRow& row : snapshot.rows) {
        // Rows are numbered from 1 in the order they were appended, without icon.
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = m_list.GetItemCount();
        std::wstring number = std::to_wstring(item.iItem + 1);
        item.pszText = number.data();
        const auto index = static_cast<int>(
            m_list.SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        m_list.SetItemText(index, 1, reinterpret_cast<const wchar_t*>(row.powerOn.c_str()));
        m_list.SetItemText(index, 2, reinterpret_cast<const wchar_t*>(row.powerOff.c_str()));
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}
