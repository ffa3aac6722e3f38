// Every step and inner item of the ASP cascade, each reached by a file that
// reaches nothing earlier, then the cases where the order decides.
#include <gtest/gtest.h>

#include <string>

#include "rule_test_support.h"
#include "rules/rule_sets.h"

namespace qx::test {
namespace {

constexpr const char* kWScriptShell =
    "包含WScript.Shell[Clsid:72C24DD5-D70A-438B-8A42-98424B88AFB8]危险组件，一般被ASP木马利用！";
constexpr const char* kShellApplication =
    "包含Shell.Application[Clsid:13709620-C279-11CE-A49E-444553540000]危险组件，"
    "一般被ASP木马利用！";
constexpr const char* kAdodbStream =
    "包含Adodb.Stream[Clsid:00000566-0000-0010-8000-00AA006D2EA4]组件，"
    "一般被ASP木马利用来读写文件！";
constexpr const char* kFileSystemObject =
    "包含Scripting.FileSystemObject[Clsid:0D43FE01-F093-11CF-8940-00A0C9054228]组件，"
    "一般被ASP木马利用来访问计算机文件系统！";
constexpr const char* kEvalRequest = "发现eval(request())，可能是一句话木马。";
constexpr const char* kEval =
    "Eval()函数可以执行任意ASP代码，会被一些后门利用，但javascript代码中也会使用，有可能是误报。";

const std::string kShell = "<% Set sh = Server.CreateObject(\"WScript.Shell\") %>\r\n";
const std::string kFso = "<% Set fs = CreateObject(\"Scripting.FileSystemObject\") %>\r\n";
const std::string kStream = "<% Set st = Server.CreateObject(\"ADODB.Stream\") %>\n";
const std::string kEncoded = "<SCRIPT Language=\"VBScript.Encode\">#@~^\n";

TEST(AspRules, EachStepAndItem) {
    const RuleCase cases[] = {
        {"1a row 0", kShell + R"t(<a href="?uSelect=uSelect&getOption("asp","asp")">)t", 3,
         "发现网页木马ShellInjection.Trojan！"},
        {"1b row 3", kShell + "<option value=pageFso>FSO文件浏览操作器</option>", 3,
         "发现网页木马ASPAdmin.Helper！"},
        {"1c row 4", kShell + R"t(<%=sh.Exec("cmd.exe /c "&Request.Form("cmd")).StdOut.ReadAll%>)t",
         3, "发现网页木马CrazySycnet.Trojan！"},
        {"1d row 7", kShell + "<title>欢迎使用C/A站长助手</title>", 3,
         "发现网页木马AdminHelper.Encode！"},
        {"1e row 8", kShell + "' 火狐内部版", 3, "发现网页木马AdminHelper.Firefox！"},
        {"1f row 10", kShell + "' 海阳顶端网", 3, "发现网页木马HaiYang01.Trojan！"},
        {"1g row 14", kShell + R"t(p = "C:\Documents\pcAnywhere\CITEMPL.cif")t", 3,
         "发现网页木马TiQuan.AspSpy！"},
        {"1h row 17", kShell + "sql = \"DBCC AddExtendedProc\"", 3,
         "发现网页木马SqlInject.AspSpy！"},
        {"1i row 18", kShell + "u = Server.URLEncode(zw&x.Name)", 3, "发现网页木马Ylp.AspSpy！"},
        {"1j row 27", kShell + "args = \" -IP=0.0.0.0\"", 3, "发现网页木马TiQuanSU.AspSpy！"},
        {"1k row 2 clears the probe", kShell + "<a href=\"http://www.ajiang.net\">ASP probe</a>", 0,
         nullptr},
        {"1l WScript.Shell", kShell, 2, kWScriptShell},
        {"1l by class id",
         R"t(<object classid="clsid:72C24DD5-D70A-438B-8A42-98424B88AFB8"></object>)t", 2,
         kWScriptShell},
        {"2a row 6",
         R"t(<% Set o = CreateObject("wsc"+"ri"+"pt.sh"+"ell") %><form action="?type=2&filename=a">)t",
         3, "发现网页木马XiaoLu.Upload！"},
        {"2b split name", R"t(<% Set o = CreateObject("WSc"+"ri"+"pt.Sh"+"ell") %>)t", 2,
         kWScriptShell},
        {"3a row 21", "<% Set sa = CreateObject(\"Shell.Application\")\nfile.Attributes=2+4 %>", 3,
         "发现网页木马HideShell.AspSpy！"},
        {"3b row 25", "<% Set sa = CreateObject(\"Shell.Application\")\nc = \"cmd.exe\" %>", 3,
         "发现网页木马ShellApp.MiniSpy！"},
        {"3c Shell.Application", "<% Set sa = CreateObject(\"Shell.Application\") %>", 2,
         kShellApplication},
        {"3c by class id", "<object classid=\"CLSID:13709620-C279-11CE-A49E-444553540000\">", 2,
         kShellApplication},
        {"4a row 6", kStream + R"t(<form action="?type=2&fileName=up.jpg" method=post>)t", 3,
         "发现网页木马XiaoLu.Upload！"},
        {"4b row 9", kStream + "cc_dm4.DownloadFile(sTarget)", 3, "发现网页木马Fineacer.AspSpy！"},
        {"4c row 11", kStream + "Dim upfile_5xSoft_Stream", 1, "发现5xSoft.Upload无组件上传模块！"},
        {"4d row 19", kStream + "Loop Until  (iFormStart+2) = iFormEnd", 1,
         "发现Wing.Upload无组件上传模块！"},
        {"4e row 15", kStream + "<a href=\"?sqlstr=DROP TABLE x\">", 3,
         "发现网页木马Token.AspSpy！"},
        {"4f ADODB.Stream", kStream, 1, kAdodbStream},
        {"4f by class id", "<object classid=\"clsid:00000566-0000-0010-8000-00AA006D2EA4\">", 1,
         kAdodbStream},
        {"5a row 16", kFso + "<textarea name=cyfddata cols=80 rows=10>", 3,
         "发现网页木马InsertMm.AspSpy！"},
        {"5b row 20", kFso + "<h1>MSSQL Cracker</h1>", 3, "发现网页木马SqlCrack.AspSpy！"},
        {"5c row 27", kFso + "a = \"-ip=0.0.0.0\"", 3, "发现网页木马TiQuanSU.AspSpy！"},
        {"5d FileSystemObject", kFso, 1, kFileSystemObject},
        {"5d by class id", "<object classid=\"clsid:0D43FE01-F093-11CF-8940-00A0C9054228\">", 1,
         kFileSystemObject},
        {"6a row 5",
         "<% Set f = CreateObject(lib & \".FileSystemObject\")\n"
         "me = Request.ServerVariables(\"SCRIPT_NAME\") %>",
         3, "发现网页木马52happy.MiniSpy！"},
        {"6b .FileSystemObject", "<% Set f = CreateObject(lib & \".FileSystemObject\") %>", 1,
         kFileSystemObject},
        {"7 WScript.Network", "<% Set n = CreateObject(\"WScript.Network\") %>", 1,
         "包含WScript.Network[Clsid:093FF999-1EA0-4079-9525-9614C3504B74]组件，"
         "一般被ASP后门利用来提权！"},
        {"7 by class id", "<object classid=\"clsid:093FF999-1EA0-4079-9525-9614C3504B74\">", 1,
         "包含WScript.Network[Clsid:093FF999-1EA0-4079-9525-9614C3504B74]组件，"
         "一般被ASP后门利用来提权！"},
        {"8a row 24",
         "<% Set c = CreateObject(\"ADOX.Catalog\")\nc.Create Server.MapPath(\"d.mdb\") %>\n"
         "<input name=u value=MSSQL用户名>",
         3, "发现网页木马GifHide01.AspSpy！"},
        {"8b ADOX",
         "<% Set c = CreateObject(\"ADOX.Catalog\")\nc.Create Server.MapPath(\"d.mdb\") %>", 2,
         "试图建立ACCESS或者EXCEL文件写入Shell，极有可能为隐藏的后门Shell！"},
        {"8b Excel",
         "<% Set x = CreateObject(\"Excel.Application\")\np = Server.MapPath(\"a.xls\") %>", 2,
         "试图建立ACCESS或者EXCEL文件写入Shell，极有可能为隐藏的后门Shell！"},
        {"9a row 13", "<%@ CodePage=65000 %>\n+AFw-e+j-x+j-e+j-c+j-u", 3,
         "发现网页木马Utf7.MiniSpy！"},
        {"9b code page 65000", "<%@ CODEPAGE=65000 LANGUAGE=\"VBSCRIPT\" %>", 2,
         "发现CodePage=65000，很少有asp程序使用utf7编码，极有可能是利用utf7编码的WebShell。"},
        {"10a row 1", kEncoded + "$EndDRsg.s`EwmDkjb", 3, "发现网页木马SqlRootkit.Encode！"},
        {"10b row 22", kEncoded + "eli35ja?kvj:6rdjb[r", 3, "发现网页木马BigTrojan.Encode！"},
        {"10c row 23", kEncoded + "GW498PNKVC6P", 3, "发现网页木马CcTrojan.Encode！"},
        {"10d row 28", kEncoded + "rD+PUnD7+dcuphD2", 3, "发现网页木马CmdShell.AspSpy！"},
        {"10e row 29", kEncoded + "{{|mm{|{|{m{mm|{m{|m{|{mm", 3, "发现网页木马CyberSpy5.Encode！"},
        {"10f row 30", kEncoded + ":lrus40DAA==^#~@", 3, "发现网页木马SaNaLTeRoR.Trojan！"},
        {"10g encoded script", kEncoded, 2,
         "包含(vbscript|jscript|javascript).Encode似乎脚本被加密了，普通ASP文件不会加密！"},
        {"10g encoded page language", "<%@ Language = \"JScript.Encode\" %>", 2,
         "包含(vbscript|jscript|javascript).Encode似乎脚本被加密了，普通ASP文件不会加密！"},
        {"11 include of a text file", "<!--#include file=\"data/conf.txt\"-->", 1,
         "Include异常文件，asp中的包含文件一般为asp、asa或者inc，否则极有可能是Shell。"},
        {"11 include without quotes", "<!-- #Include File = logo.gif -->", 1,
         "Include异常文件，asp中的包含文件一般为asp、asa或者inc，否则极有可能是Shell。"},
        {"12a eval(request(", "<% Eval(Request(\"z\")) %>", 2, kEvalRequest},
        {"12b eval", "<% x = eval (Request(\"z\")) %>", 1, kEval},
        {"13a row 12", "<% Function UnEncode(temp)\nEnd Function\nExecute UnEncode(s) %>", 3,
         "发现网页木马HaiYang02.Trojan！"},
        {"13b row 26", "<a href=\"?cz=2&tableName=t\">\n<% Execute s %>", 3,
         "发现网页木马MssqlExec.Helper！"},
        {"13c execute request(", "<% Execute Request(\"c\") %>", 2,
         "发现execute request()，可能是一句话木马。"},
        {"13d execute(session(", "<% Execute(Session(\"c\")) %>", 2,
         "发现Execute(Session())，可能是一句话木马。"},
        {"13e ExecuteGlobal", "<% ExecuteGlobal code %>", 1,
         "Execute()或者ExecuteGlobal()函数可以执行任意ASP代码，会被一些后门利用。"},
        {"14 ExecuteStatement", "<% sc.ExecuteStatement code %>", 1,
         "发现MSScriptControl.ScriptControl的.ExecuteStatement函数。"},
        {"15 SaveToFile", "<% st.SaveToFile p, 2 %>", 1,
         "发现函数.SaveToFile，使用了Stream或者JMail的SaveToFile函数写文件。"},
        {"16 Save", "<% doc.Save(p) %>", 1, "使用了Save或SaveAs函数写文件。"},
        {"16 SaveAs", "<% wb.SaveAs p %>", 1, "使用了Save或SaveAs函数写文件。"},
        {"17 Set x = Server", "<% Set s = Server\r\nx = s.MapPath(p) %>", 1,
         "发现Set xxx=Server，请管理员仔细检查是否调用.Execute。"},
        {"18 Server.Execute of one character", "<% Server.Execute(a) %>", 1,
         "发现Server.Execute()函数执行的文件，请管理员自行检查。"},
        {"18 Server.Transfer of nothing", "<% Server.Transfer() %>", 1,
         "发现Server.Execute()函数执行的文件，请管理员自行检查。"},
        {"19 ShellExecute", "<% app.ShellExecute \"notepad.exe\" %>", 1,
         "发现 Application 的 ShellExecute 函数。"},
        {"20 Exec", "<% Set r = o.Exec(\"ipconfig\") %>", 1, "发现 WScript 的 Exec 函数。"},
        {"21 Run", "<% o.Run \"notepad\", 1 %>", 1, "发现 WScript 的 Run 函数。"},
        {"22 port scanner",
         "<% Sub Scan(targetIP, portNum)\nSet c = Server.CreateObject(\"ADODB.Connection\") %>", 1,
         "发现ASP版端口扫描程序。"},
        {"23 Serv-U", "<% a = \"-IP=0.0.0.0\"\nu = \"http://127.0.0.1\" %>", 2,
         "发现Serv-U提权ASP脚本。"},
        {"24a eval_r(request(", "<%eval_r(request(\"x\"))%>", 2,
         "发现eval_r(request())，可能是一句话木马。"},
        {"24b eval(request( inside a word", "<%=myeval(request(\"x\"))%>", 2, kEvalRequest},
        {"24c short and harmless", "<% Response.Write \"hello\" %>", 0, nullptr},
    };
    ExpectRuleCases(CheckAspFile, cases);
}

TEST(AspRules, OrderAndNearMisses) {
    const RuleCase cases[] = {
        {"component before one-liner", kShell + "<% eval(request(\"x\")) %>", 2, kWScriptShell},
        {"row 0 before the probe",
         kShell + "http://www.ajiang.net uselect=uselect&getoption(\"asp\",\"asp\")", 3,
         "发现网页木马ShellInjection.Trojan！"},
        {"probe address alone has no effect", "http://www.ajiang.net <% eval x %>", 1, kEval},
        {"-ip= without a component or loopback", "a = \"-ip=0.0.0.0\"", 0, nullptr},
        {"row 6 through ADODB.Stream", kStream + "action=\"?type=2&filename=", 3,
         "发现网页木马XiaoLu.Upload！"},
        {"Server.CreateObject is not Set x = Server", "<% Set fso = Server.CreateObject(p) %>", 0,
         nullptr},
        {"Server.Execute of a variable", "<% Server.Execute(sPage) %>", 0, nullptr},
        {"Server.Execute of a quoted name", "<% Server.Execute(\"a.asp\") %>", 0, nullptr},
        {"include of asp", "<!--#include file=\"conn.asp\"-->", 0, nullptr},
        {"include of aspx", "<!--#include file=\"x.aspx\"-->", 0, nullptr},
        {"include of asa", "<!--#include file=\"global.asa\"-->", 0, nullptr},
        {"include of inc", "<!--#include file=\"top.inc\"-->", 0, nullptr},
        {"include virtual", "<!--#include virtual=\"data/conf.txt\"-->", 0, nullptr},
        {"conn.Execute is preceded by a dot", "<% conn.Execute(sql) %>", 0, nullptr},
        {"full-width letters do not fold", "<% Set s = CreateObject(\"ＷScript.Shell\") %>", 0,
         nullptr},
        {"ExecuteGlobal with row 12 is the family", "Function UnEncode(temp)\nExecuteGlobal s", 3,
         "发现网页木马HaiYang02.Trojan！"},
        {"execute request( before execute(session(",
         "<% Execute Request(\"a\")\nExecute(Session(\"b\")) %>", 2,
         "发现execute request()，可能是一句话木马。"},
    };
    ExpectRuleCases(CheckAspFile, cases);
}

// A text of exactly `units` UTF-16 units once its LF line ends are read as
// CR LF: the one-liner first, then lines of blanks.
std::string TextOfJoinedLength(const std::string& first_line, std::size_t units) {
    std::string text = first_line;
    std::size_t length = first_line.size();
    while (length + 2 + 40 <= units) {
        text += '\n';
        text.append(40, ' ');
        length += 42;
    }
    if (length + 2 <= units) {
        text += '\n';
        text.append(units - length - 2, ' ');
        length = units;
    }
    text.append(units - length, ' ');
    return text;
}

TEST(AspRules, OneLinerLimitCountsJoinedLineEnds) {
    const std::string line = "<%eval_r(request(\"x\"))%>";
    const char* reason = "发现eval_r(request())，可能是一句话木马。";
    const RuleCase cases[] = {
        {"255 units", TextOfJoinedLength(line, 255), 2, reason},
        {"256 units", TextOfJoinedLength(line, 256), 0, nullptr},
        {"200 units", TextOfJoinedLength(line, 200), 2, reason},
        {"300 units", TextOfJoinedLength(line, 300), 0, nullptr},
    };
    // The files hold fewer bytes than units: each LF becomes two units.
    ASSERT_LT(cases[1].content.size(), 256u);
    ExpectRuleCases(CheckAspFile, cases);
}

}  // namespace
}  // namespace qx::test
