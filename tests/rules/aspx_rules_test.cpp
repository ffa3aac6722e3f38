// The ASPX cascade: three recognised webshells, then the Run call.
#include <gtest/gtest.h>

#include "rule_test_support.h"
#include "rules/rule_sets.h"

namespace qx::test {
namespace {

constexpr const char* kAspxSpy =
    "含有ASPXspy的特征字符，极有可能为Bin编写的ASPXspy(ASPX WEBSHELL)！";
constexpr const char* kWebAdmin = "含有WebAdmin的特征字符，极有可能为WebAdmin(ASPX WEBSHELL)！";
constexpr const char* kDiskExpert =
    "含有DiskExpert的特征字符，极有可能为DiskExpert(ASPX WEBSHELL)！";
constexpr const char* kRun = "发现 WScript 的 Run 函数。";

const std::string kAspxSpyCode =
    "protected void Bin_Login() { }\nvoid Bin_IISSpy() { }\nProcess.GetProcesses();\n";
const std::string kWebAdminCode = "void ShowFileM() {}\nvoid RunCmd() {}\nvoid ReadReg() {}\n";
const std::string kDiskExpertCode = "void EditFile() {}\nvoid ShowCmd() {}\nvoid SysInfo() {}\n";

TEST(AspxRules, EachStep) {
    const RuleCase cases[] = {
        {"1 ASPXspy", kAspxSpyCode, 2, kAspxSpy},
        {"2 WebAdmin", kWebAdminCode, 2, kWebAdmin},
        {"3 DiskExpert", kDiskExpertCode, 2, kDiskExpert},
        {"4 Run(", "<% proc.Run(\"cmd\") %>", 1, kRun},
        {"4 Run with a blank", "<% x.Run \"cmd\" %>", 1, kRun},
        {"nothing", "<%@ Page Language=\"C#\" %><p>Hello</p>", 0, nullptr},
    };
    ExpectRuleCases(CheckAspxFile, cases);
}

TEST(AspxRules, OrderAndNearMisses) {
    const RuleCase cases[] = {
        {"step 2 before a full step 3", kDiskExpertCode + kWebAdminCode, 2, kWebAdmin},
        {"step 1 before a full step 3", kDiskExpertCode + kAspxSpyCode, 2, kAspxSpy},
        {"a webshell before Run", kWebAdminCode + "x.Run(c)", 2, kWebAdmin},
        {"two of three everywhere", "Bin_Login() Bin_IIS ShowFileM RunCmd EditFile ShowCmd", 0,
         nullptr},
        {"missing the IIS part", "Bin_Login() Process.GetProcesses()", 0, nullptr},
        {"GetProcesses alone", "var p = Process.GetProcesses();", 0, nullptr},
        {"RunTime", "var t = x.RunTime;", 0, nullptr},
        {"running", "if (x.running) {}", 0, nullptr},
    };
    ExpectRuleCases(CheckAspxFile, cases);
}

}  // namespace
}  // namespace qx::test
