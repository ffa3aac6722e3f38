// ASP.NET: three known webshells by their characteristic identifiers, and the
// Run call that the ASP rules also look for. Even a recognised webshell is
// rated dangerous, never trojan, so every finding can be cleared as known-good.
#include "rules/rule_sets.h"

namespace qx {
namespace {

constexpr std::u16string_view kAspxSpy =
    u"含有ASPXspy的特征字符，极有可能为Bin编写的ASPXspy(ASPX WEBSHELL)！";
constexpr std::u16string_view kWebAdmin =
    u"含有WebAdmin的特征字符，极有可能为WebAdmin(ASPX WEBSHELL)！";
constexpr std::u16string_view kDiskExpert =
    u"含有DiskExpert的特征字符，极有可能为DiskExpert(ASPX WEBSHELL)！";
constexpr std::u16string_view kWScriptRun = u"发现 WScript 的 Run 函数。";

}  // namespace

Decision AspxCascade(const RuleText& t) {
    // ASPXspy's login routine and its IIS part, both named after its author.
    if (t.Has(u"bin_login()") && t.Has(u"bin_iis") && t.Has(u"process.getprocesses"))
        return Dangerous(kAspxSpy);
    if (t.Has(u"showfilem") && t.Has(u"runcmd") && t.Has(u"readreg")) return Dangerous(kWebAdmin);
    if (t.Has(u"editfile") && t.Has(u"showcmd") && t.Has(u"sysinfo")) return Dangerous(kDiskExpert);
    if (t.Matches(uR"(\.run\b)")) return Suspicious(kWScriptRun);
    return Nothing();
}

}  // namespace qx
