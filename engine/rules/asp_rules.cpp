// Classic ASP: the COM components that backdoors drive, each followed by the
// families known to use it, then encoded scripts, odd includes, dynamic code,
// file writing, shell calls, two tool families and tiny one-line backdoors.
#include "rules/rule_sets.h"

namespace qx {
namespace {

using S = Signature;

constexpr std::u16string_view kWScriptShell =
    u"包含WScript.Shell[Clsid:72C24DD5-D70A-438B-8A42-98424B88AFB8]危险组件，一般被ASP木马利用！";
constexpr std::u16string_view kShellApplication =
    u"包含Shell.Application[Clsid:13709620-C279-11CE-A49E-444553540000]"
    u"危险组件，一般被ASP木马利用！";
constexpr std::u16string_view kAdodbStream =
    u"包含Adodb.Stream[Clsid:00000566-0000-0010-8000-00AA006D2EA4]"
    u"组件，一般被ASP木马利用来读写文件！";
constexpr std::u16string_view kFileSystemObject =
    u"包含Scripting.FileSystemObject[Clsid:0D43FE01-F093-11CF-8940-00A0C9054228]组件，"
    u"一般被ASP木马利用来访问计算机文件系统！";
constexpr std::u16string_view kWScriptNetwork =
    u"包含WScript.Network[Clsid:093FF999-1EA0-4079-9525-9614C3504B74]"
    u"组件，一般被ASP后门利用来提权！";
constexpr std::u16string_view kDatabaseFileWriter =
    u"试图建立ACCESS或者EXCEL文件写入Shell，极有可能为隐藏的后门Shell！";
constexpr std::u16string_view kUtf7CodePage =
    u"发现CodePage=65000，很少有asp程序使用utf7编码，极有可能是利用utf7编码的WebShell。";
constexpr std::u16string_view kEncodedScript =
    u"包含(vbscript|jscript|javascript).Encode似乎脚本被加密了，普通ASP文件不会加密！";
constexpr std::u16string_view kOddInclude =
    u"Include异常文件，asp中的包含文件一般为asp、asa或者inc，否则极有可能是Shell。";
constexpr std::u16string_view kEvalRequest = u"发现eval(request())，可能是一句话木马。";
constexpr std::u16string_view kEval =
    u"Eval()函数可以执行任意ASP代码，会被一些后门利用，但javascript代码中也会使用，有可能是误报。";
constexpr std::u16string_view kExecuteRequest = u"发现execute request()，可能是一句话木马。";
constexpr std::u16string_view kExecuteSession = u"发现Execute(Session())，可能是一句话木马。";
constexpr std::u16string_view kExecute =
    u"Execute()或者ExecuteGlobal()函数可以执行任意ASP代码，会被一些后门利用。";
constexpr std::u16string_view kExecuteStatement =
    u"发现MSScriptControl.ScriptControl的.ExecuteStatement函数。";
constexpr std::u16string_view kSaveToFile =
    u"发现函数.SaveToFile，使用了Stream或者JMail的SaveToFile函数写文件。";
constexpr std::u16string_view kSave = u"使用了Save或SaveAs函数写文件。";
constexpr std::u16string_view kSetServer =
    u"发现Set xxx=Server，请管理员仔细检查是否调用.Execute。";
constexpr std::u16string_view kServerExecute =
    u"发现Server.Execute()函数执行的文件，请管理员自行检查。";
constexpr std::u16string_view kShellExecute = u"发现 Application 的 ShellExecute 函数。";
constexpr std::u16string_view kWScriptExec = u"发现 WScript 的 Exec 函数。";
constexpr std::u16string_view kWScriptRun = u"发现 WScript 的 Run 函数。";
constexpr std::u16string_view kPortScanner = u"发现ASP版端口扫描程序。";
constexpr std::u16string_view kServUElevation = u"发现Serv-U提权ASP脚本。";
constexpr std::u16string_view kEvalRRequest = u"发现eval_r(request())，可能是一句话木马。";

// "wscript.shell" split into quoted pieces, as scripts write it to hide it.
constexpr std::u16string_view kSplitWScriptShell = uR"("wsc"+"ri"+"pt.sh"+"ell")";

constexpr const char16_t* kEncodedLanguage =
    uR"(\blanguage\s*=\s*["]?\s*(vbscript|jscript|javascript).encode\b)";
// An include with file= whose extension is none of asp, asa and inc.
constexpr const char16_t* kOddIncludeDirective =
    uR"re(\<\!\-\-\s*\#include\s*file\s*=\s*(")?[^\s]*\.((?!asp|asa|inc)\w)+\s*(")?\s*\-\-\>)re";
// Server.Execute or Server.Transfer of a one-character or empty argument.
constexpr const char16_t* kServerExecuteCall = uR"(server.(execute|transfer)([ \t]*|\()[^"]\))";

// Below this many units a file is small enough to be a one-line backdoor.
constexpr std::size_t kOneLinerUnits = 256;

}  // namespace

Decision AspCascade(const RuleText& t) {
    if (t.Has(u"wscript.shell") || t.Has(u"clsid:72c24dd5-d70a-438b-8a42-98424b88afb8"))
        return t.FirstOf({Row(S::kShellInjection), Row(S::kAspAdminHelper), Row(S::kCrazySycnet),
                          Row(S::kAdminHelperEncode), Row(S::kAdminHelperFirefox),
                          Row(S::kHaiYang01), Row(S::kTiQuan), Row(S::kSqlInject), Row(S::kYlp),
                          Row(S::kTiQuanSu), Row(S::kAjiangProbe, Cleared()),
                          Otherwise(Dangerous(kWScriptShell))});
    if (t.Has(kSplitWScriptShell) && t.Has(u"createobject"))
        return t.FirstOf({Row(S::kXiaoLuUpload), Otherwise(Dangerous(kWScriptShell))});
    if (t.Has(u"shell.application") || t.Has(u"clsid:13709620-c279-11ce-a49e-444553540000"))
        return t.FirstOf({Row(S::kHideShell), Row(S::kShellAppMiniSpy),
                          Otherwise(Dangerous(kShellApplication))});
    if (t.Has(u"adodb.stream") || t.Has(u"clsid:00000566-0000-0010-8000-00aa006d2ea4"))
        return t.FirstOf({Row(S::kXiaoLuUpload), Row(S::kFineacer),
                          UploadModuleRow(S::kUpload5xSoft), UploadModuleRow(S::kWingUpload),
                          Row(S::kToken), Otherwise(Suspicious(kAdodbStream))});
    if (t.Has(u"scripting.filesystemobject") ||
        t.Has(u"clsid:0d43fe01-f093-11cf-8940-00a0c9054228"))
        return t.FirstOf({Row(S::kInsertMmAsp), Row(S::kSqlCrack), Row(S::kTiQuanSu),
                          Otherwise(Suspicious(kFileSystemObject))});
    if (t.Has(u".filesystemobject") && t.Has(u"createobject"))
        return t.FirstOf({Row(S::kMiniSpy52Happy), Otherwise(Suspicious(kFileSystemObject))});
    if (t.Has(u"wscript.network") || t.Has(u"clsid:093ff999-1ea0-4079-9525-9614c3504b74"))
        return Suspicious(kWScriptNetwork);
    if ((t.Has(u"adox.catalog") || t.Has(u"excel.application")) && t.Has(u"mappath"))
        return t.FirstOf({Row(S::kGifHide01), Otherwise(Dangerous(kDatabaseFileWriter))});
    if (t.Has(u"codepage") && t.Has(u"65000"))
        return t.FirstOf({Row(S::kUtf7MiniSpy), Otherwise(Dangerous(kUtf7CodePage))});
    if (t.Matches(kEncodedLanguage))
        return t.FirstOf({Row(S::kSqlRootkit), Row(S::kBigTrojan), Row(S::kCcTrojan),
                          Row(S::kCmdShellAsp), Row(S::kCyberSpy5), Row(S::kSanalTeror),
                          Otherwise(Dangerous(kEncodedScript))});
    if (t.Matches(kOddIncludeDirective)) return Suspicious(kOddInclude);
    if (t.Matches(uR"(\beval\b)"))
        return t.FirstOf(
            {If(u"eval(request(", Dangerous(kEvalRequest)), Otherwise(Suspicious(kEval))});
    if (t.Matches(uR"([^.]\bexecute(global)?\b)"))
        return t.FirstOf({Row(S::kHaiYang02), Row(S::kMssqlExec),
                          If(u"execute request(", Dangerous(kExecuteRequest)),
                          If(u"execute(session(", Dangerous(kExecuteSession)),
                          Otherwise(Suspicious(kExecute))});
    if (t.Matches(uR"(\.executestatement\b)")) return Suspicious(kExecuteStatement);
    if (t.Matches(uR"(\.savetofile\b)")) return Suspicious(kSaveToFile);
    if (t.Matches(uR"(\.save(as)?\b)")) return Suspicious(kSave);
    if (t.Matches(uR"(set\s*.*\s*=\s*server\s)")) return Suspicious(kSetServer);
    if (t.Matches(kServerExecuteCall)) return Suspicious(kServerExecute);
    if (t.Matches(uR"(\.shellexecute\b)")) return Suspicious(kShellExecute);
    if (t.Matches(uR"(\.exec\b)")) return Suspicious(kWScriptExec);
    if (t.Matches(uR"(\.run\b)")) return Suspicious(kWScriptRun);
    if (t.Has(u"scan(targetip, portnum)") && t.Has(u"adodb.connection"))
        return Suspicious(kPortScanner);
    if (t.Has(u"-ip=0.0.0.0") && t.Has(u"http://127.0.0.1")) return Dangerous(kServUElevation);
    if (t.ShorterThan(kOneLinerUnits))
        return t.FirstOf({If(u"eval_r(request(", Dangerous(kEvalRRequest)),
                          If(u"eval(request(", Dangerous(kEvalRequest))});
    return Nothing();
}

}  // namespace qx
