#include "scan_driver.h"

#include <array>

#include "events.h"
#include "os/path.h"
#include "tree_walk.h"

namespace qx {
namespace {

struct Route {
    std::atomic<int> ScanSession::*flag;
    RuleSetEntry RuleSetTable::*entry;
    std::array<std::u16string_view, 6> extensions;  // empty views pad the shorter lists
};

// The lists are disjoint, so a file goes to one rule set at most.
constexpr Route kRoutes[] = {
    {&ScanSession::check_asp,
     &RuleSetTable::asp,
     {u".asp", u".asa", u".cer", u".inc", u".htr", u".cdx"}},
    {&ScanSession::check_aspx, &RuleSetTable::aspx, {u".aspx", u".ascx", u".asax", u".ashx"}},
    {&ScanSession::check_php,
     &RuleSetTable::php,
     {u".php", u".php3", u".php4", u".php5", u".phtml"}},
    {&ScanSession::check_jsp, &RuleSetTable::jsp, {u".jsp", u".jspx"}},
};

class ScanVisitor : public TreeVisitor {
  public:
    explicit ScanVisitor(ScanSession& session) : session_(session) {}

    bool StopRequested() const override { return session_.worker.StopRequested(); }

    void OnDirectory(const std::u16string& directory) override {
        SendScanEvent(session_, QX_PROGRESS_CODE, &directory, nullptr);
    }

    void OnFile(const std::u16string& path, bool, std::u16string_view name) override {
        SendScanEvent(session_, QX_PROGRESS_CODE, &path, nullptr);
        const RuleSetEntry rule_set = RouteFile(session_, name);
        if (rule_set == nullptr) return;
        reason_.fill(0);
        const int verdict = rule_set(reason_.data(), path.c_str());
        if (verdict <= VerdictNone) return;
        reason_.back() = 0;  // a rule set that overran its text still hands over a string
        SendScanEvent(session_, verdict, &path, reason_.data());
        switch (verdict) {
            case VerdictSuspicious:
                ++session_.suspicious_count;
                break;
            case VerdictDangerous:
                ++session_.dangerous_count;
                break;
            case VerdictTrojan:
                ++session_.trojan_count;
                break;
            default:
                break;  // reported, but counted in none
        }
    }

  private:
    ScanSession& session_;
    std::array<char16_t, kReasonTextUnits> reason_{};
};

}  // namespace

RuleSetEntry RouteFile(const ScanSession& session, std::u16string_view name) {
    const std::u16string_view extension = os::Extension(name);
    if (extension.empty()) return nullptr;
    for (const Route& route : kRoutes) {
        if ((session.*route.flag).load() == 0) continue;
        for (std::u16string_view candidate : route.extensions) {
            if (!candidate.empty() && os::EqualsIgnoringAsciiCase(extension, candidate)) {
                return session.rules->*route.entry;
            }
        }
    }
    return nullptr;
}

int ScanDirectory(ScanSession& session, const std::u16string& directory) {
    ScanVisitor visitor(session);
    return WalkTree(directory, visitor);
}

}  // namespace qx
