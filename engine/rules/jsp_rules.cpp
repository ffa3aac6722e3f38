// Java server pages: two known webshells by three keywords each, commands run
// through the Java runtime (two of them named families), and four constructs
// a backdoor uses: listing the disks, listening, connecting, driving input.
#include "rules/rule_sets.h"

namespace qx {
namespace {

using S = Signature;

constexpr std::u16string_view kJFolder =
    u"含有JFolder的特征字符，极有可能为JFolder(JSP WEBSHELL)！";
constexpr std::u16string_view kManageSystem =
    u"含有JSP Manage-System的特征字符，极有可能为kj021320编写的JSP Manage-System(JSP WEBSHELL)！";
constexpr std::u16string_view kRuntimeExec = u"包含exec，极有可能是JSP的CmdShell！";
constexpr std::u16string_view kListRoots = u"包含File.ListRoots，用来显示磁盘分区列表。";
constexpr std::u16string_view kServerSocket = u"包含New ServerSocket()，侦听一个特定的端口。";
constexpr std::u16string_view kSocket = u"包含New Socket()，创建通信接口。";
constexpr std::u16string_view kRobot = u"包含New Robot，Java.awt.Robot 类用于控制鼠标和键盘。";

}  // namespace

Decision JspCascade(const RuleText& t) {
    if (t.Has(u"execmd") && t.Has(u"jshellconfig") && t.Has(u"filesystem"))
        return Dangerous(kJFolder);
    if (t.Has(u"web_site=folderreplace") && t.Has(u"showsysteminfo") && t.Has(u"connectiondbm"))
        return Dangerous(kManageSystem);
    if (t.Has(u"runtime.getruntime().exec") && t.Has(u"getinputstream"))
        return t.FirstOf(
            {Row(S::kCmdShellJsp), Row(S::kMstscJsp), Otherwise(Dangerous(kRuntimeExec))});
    if (t.Matches(uR"(file.listroots\(\))")) return Suspicious(kListRoots);
    if (t.Matches(uR"(new\s+serversocket\()")) return Suspicious(kServerSocket);
    if (t.Matches(uR"(new\s+socket\()")) return Suspicious(kSocket);
    // Driving mouse and keyboard is rated higher than plain networking.
    if (t.Matches(uR"(new\s+robot\()")) return Dangerous(kRobot);
    return Nothing();
}

}  // namespace qx
