// The JSP cascade: two recognised webshells, runtime exec with its named
// families, and four constructs.
#include <gtest/gtest.h>

#include "rule_test_support.h"
#include "rules/rule_sets.h"

namespace qx::test {
namespace {

constexpr const char* kJFolder = "含有JFolder的特征字符，极有可能为JFolder(JSP WEBSHELL)！";
constexpr const char* kRuntimeExec = "包含exec，极有可能是JSP的CmdShell！";
constexpr const char* kServerSocket = "包含New ServerSocket()，侦听一个特定的端口。";
constexpr const char* kSocket = "包含New Socket()，创建通信接口。";

const std::string kJFolderCode = "<%! String ExeCmd; class JShellConfig {} FileSystem fs; %>\n";
const std::string kExecCode =
    "<% Process p = Runtime.getRuntime().exec(cmd);\nInputStream in = p.getInputStream(); %>\n";

TEST(JspRules, EachStepAndItem) {
    const RuleCase cases[] = {
        {"1 JFolder", kJFolderCode, 2, kJFolder},
        {"2 Manage-System",
         "<a href=\"?web_site=FolderReplace\">\nvoid showSystemInfo() {}\nConnectionDBM c;", 2,
         "含有JSP Manage-System的特征字符，极有可能为kj021320编写的JSP Manage-System(JSP "
         "WEBSHELL)！"},
        {"3a row 31", kExecCode + "class ExerClientO {}", 3, "发现网页木马CmdShell.JspSpy！"},
        {"3b row 32",
         "<% Process p = Runtime.getRuntime().exec(isLinux ? \"ps uax\" : \"tasklist /v /fo "
         "csv\");\n"
         "p.getInputStream(); %>",
         3, "发现网页木马Mstsc.JspSpy！"},
        {"3c runtime exec", kExecCode, 2, kRuntimeExec},
        {"4 listRoots", "<% File[] roots = java.io.File.listRoots(); %>", 1,
         "包含File.ListRoots，用来显示磁盘分区列表。"},
        {"5 ServerSocket", "<% ServerSocket s = new ServerSocket(8080); %>", 1, kServerSocket},
        {"5 ServerSocket over a line end", "<% s = new\r\n  ServerSocket(8080); %>", 1,
         kServerSocket},
        {"6 Socket", "<% Socket s = new Socket(host, 80); %>", 1, kSocket},
        {"7 Robot", "<% Robot r = new Robot(); %>", 2,
         "包含New Robot，Java.awt.Robot 类用于控制鼠标和键盘。"},
        {"nothing", "<%@ page contentType=\"text/html; charset=UTF-8\" %><p>Hi</p>", 0, nullptr},
    };
    ExpectRuleCases(CheckJspFile, cases);
}

TEST(JspRules, OrderAndNearMisses) {
    const RuleCase cases[] = {
        {"JFolder before row 31", kJFolderCode + kExecCode + "ExerClientO", 2, kJFolder},
        {"exec before ServerSocket", kExecCode + "new ServerSocket(1)", 2, kRuntimeExec},
        {"exec without its stream falls through",
         "<% Runtime.getRuntime().exec(cmd); new Socket(h, 1); %>", 1, kSocket},
        {"listRoots with any character for the dot", "File_listRoots()", 1,
         "包含File.ListRoots，用来显示磁盘分区列表。"},
        {"blank before the parenthesis", "<% Socket s = new Socket (h, 80); %>", 0, nullptr},
        {"qualified Robot", "<% java.awt.Robot r = new java.awt.Robot(); %>", 0, nullptr},
    };
    ExpectRuleCases(CheckJspFile, cases);
}

}  // namespace
}  // namespace qx::test
