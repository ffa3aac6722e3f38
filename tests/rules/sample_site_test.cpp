// The demo's sample site, scanned by the real driver and rule sets: every
// family shows its levels, and the ordinary pages show nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "os/codepage.h"
#include "scan_driver.h"

namespace qx::test {
namespace {

struct Finding {
    std::string path;  // relative, with forward slashes
    int verdict;
    std::string reason;
    bool operator==(const Finding&) const = default;
};

class Recorder : public ScanClient {
  public:
    explicit Recorder(std::u16string root) : root_(std::move(root)) {}

    void OnFinding(const std::u16string& path, const qx::Finding& finding) override {
        const Rating& rating = finding.rating;
        std::string relative = os::Utf16ToUtf8(path.substr(root_.size() + 1));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        findings.push_back({relative, rating.verdict, os::Utf16ToUtf8(rating.reason)});
    }

    std::vector<Finding> findings;

  private:
    std::u16string root_;
};

std::ostream& operator<<(std::ostream& out, const Finding& f) {
    return out << f.path << " " << f.verdict << " " << f.reason;
}

TEST(SampleSite, ShowsEveryLevelOfEveryFamily) {
    const char* source = std::getenv("QX_SOURCE_DIR");
    if (source == nullptr) GTEST_SKIP() << "QX_SOURCE_DIR is not set";
    const std::u16string root =
        (std::filesystem::path(source) / "samples" / "site").make_preferred().u16string();

    Recorder recorder(root);
    ScanTree(root, recorder);
    std::vector<Finding>& findings = recorder.findings;
    std::sort(findings.begin(), findings.end(),
              [](const Finding& a, const Finding& b) { return a.path < b.path; });

    // ASP.NET pages are never rated trojan, so that family shows two levels.
    const std::vector<Finding> expected = {
        {"admin/export.asp", 1,
         "包含Adodb.Stream[Clsid:00000566-0000-0010-8000-00AA006D2EA4]组件，"
         "一般被ASP木马利用来读写文件！"},
        {"admin/serverinfo.asp", 2,
         "包含WScript.Shell[Clsid:72C24DD5-D70A-438B-8A42-98424B88AFB8]危险组件，"
         "一般被ASP木马利用！"},
        {"blog/admin/dbadmin.php", 2, "发现风险脚本文件，可在线操作Mysql数据库！"},
        {"blog/lib/thumbs.php", 1,
         "包含的system、exec、shell_exec、popen、proc_open、passthru等函数可以执行任意系统命令，"
         "常被一些后门利用，但普通程序中也可能会遇到，有可能是误报。"},
        {"blog/uploads/notes.php", 3, "发现网页木马C99Shell.PhpSpy！"},
        {"portal/admin/uptime.jsp", 2, "包含exec，极有可能是JSP的CmdShell！"},
        {"portal/chat/relay.jsp", 1, "包含New Socket()，创建通信接口。"},
        {"portal/tmp/marker.jsp", 3, "发现网页木马CmdShell.JspSpy！"},
        {"shop/admin/FileDesk.aspx", 2,
         "含有WebAdmin的特征字符，极有可能为WebAdmin(ASPX WEBSHELL)！"},
        {"shop/admin/Reindex.aspx", 1, "发现 WScript 的 Run 函数。"},
        {"uploads/readme.asp", 3, "发现网页木马HaiYang01.Trojan！"},
    };
    EXPECT_EQ(findings, expected);
}

}  // namespace
}  // namespace qx::test
