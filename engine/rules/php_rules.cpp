// PHP: known webshell families by two or three characteristic keywords, a web
// MySQL administrator, then dangerous constructs (encoded eval, eval,
// preg_replace /e, dynamic calls, system commands), two of which look for
// named families first, and last the FTP functions.
#include "rules/rule_sets.h"

namespace qx {
namespace {

using S = Signature;

constexpr std::u16string_view kPhpSpy2006 = u"发现网页木马PHPSPY2006.PhpSpy！";
constexpr std::u16string_view kPhpSpy2008 = u"发现网页木马PHPSPY2008.PhpSpy！";
constexpr std::u16string_view kPhpSpy2011 = u"发现网页木马PHPSPY2011.PhpSpy！";
constexpr std::u16string_view kC99Shell = u"发现网页木马C99Shell.PhpSpy！";
constexpr std::u16string_view kPhpDdos = u"发现网页木马PhpDdos.PhpSpy！";
constexpr std::u16string_view kCtShell = u"发现网页木马Ct_Shell.PhpSpy！";
constexpr std::u16string_view kDxShell = u"发现网页木马DxShell.PhpSpy！";
constexpr std::u16string_view kGfsShell = u"发现网页木马GfsShell.PhpSpy！";
constexpr std::u16string_view kPhpRemoteView = u"发现网页木马phpRemoteView.PhpSpy！";
constexpr std::u16string_view kC99madShell3 = u"发现网页木马C99madShell3.PhpSpy！";
constexpr std::u16string_view kAvrasya = u"发现网页木马Avrasya.PhpSpy！";
constexpr std::u16string_view kBizShell = u"发现网页木马BizShell.PhpSpy！";
constexpr std::u16string_view kWebMysqlAdmin = u"发现风险脚本文件，可在线操作Mysql数据库！";

constexpr std::u16string_view kEncodedEval =
    u"包含base64_decode|gzinflate|gzuncompress|str_rot13似乎脚本被加密了，"
    u"一般PHP文件是不会加密的！";
constexpr std::u16string_view kEval =
    u"Eval()函数可以执行任意PHP代码，被一些后门利用。但javascript代码中也可能使用，有可能是误报。";
constexpr std::u16string_view kPregReplaceE =
    u"包含危险函数preg_replace+/，"
    u"preg_replace+/e可以执行任意PHP代码，可能是程序漏洞或者恶意后门程序。";
constexpr std::u16string_view kDynamicCall =
    u"包含的assert、call_user_func、call_user_func_array、"
    u"create_function等函数可以执行任意PHP代码，"
    u"有可能是程序漏洞或者后门程序，但普通程序中也可能会遇到，有可能是误报。";
constexpr std::u16string_view kSystemCommand =
    u"包含的system、exec、shell_exec、popen、proc_open、passthru等函数可以执行任意系统命令，"
    u"常被一些后门利用，但普通程序中也可能会遇到，有可能是误报。";
constexpr std::u16string_view kFtp =
    u"包含的ftp_connect、ftp_login、ftp_get、ftp_put等函数可以使用FTP协议上传下载文件，存在风险。";

// PhpSpy names a variable after its author, Angel, and encodes its default
// password, the same name.
constexpr std::u16string_view kPhpSpyVariable = u"tmp_angel";
constexpr std::u16string_view kPhpSpyPassword = u"encode_pass('angel')";

constexpr const char16_t* kEvalOfDecoder =
    uR"(\beval\s*\(\s*(base64_decode|gzinflate|gzuncompress|str_rot13)\b)";
constexpr const char16_t* kCommandFunction =
    uR"(\b(system|exec|shell_exec|popen|proc_open|passthru|pcntl_exec)\b)";
constexpr const char16_t* kDynamicCallFunction =
    uR"(\b(assert|call_user_func|call_user_func_array|create_function)\b)";

}  // namespace

Decision PhpCascade(const RuleText& t) {
    // PHPSPY2006 alone is rated dangerous, so known-good files can clear it.
    if (t.Has(u"mysqldown") && t.Has(u"mysqlfun") && t.Has(u"mixdll"))
        return Dangerous(kPhpSpy2006);
    if (t.Has(u"phpspypass") && t.Has(kPhpSpyVariable)) return TrojanText(kPhpSpy2008);
    if (t.Has(kPhpSpyPassword) && t.Has(kPhpSpyVariable)) return TrojanText(kPhpSpy2011);
    if (t.Has(u"c99sh_surl") && t.Has(u"c99_buff_prepare")) return TrojanText(kC99Shell);
    if (t.Has(u"c99shvars_") && t.Has(u"c99_sess_put")) return TrojanText(kC99Shell);
    if (t.Has(uR"(action="function.php")") && t.Has(u"dos")) return TrojanText(kPhpDdos);
    if (t.Has(u"ctshvars_") && t.Has(u"ct_sess_put")) return TrojanText(kCtShell);
    if (t.Has(u"dxget_vars") && t.Has(u"$dx_header_drawn")) return TrojanText(kDxShell);
    if (t.Has(u"$port_c=") && t.Has(u"temp_gfs_table")) return TrojanText(kGfsShell);
    if (t.Has(u"phpremoteview") && t.Has(u"md5crack")) return TrojanText(kPhpRemoteView);
    if (t.Has(u"%2fvar%2fwww%2fhtml%2fwordpress%2f") && t.Has(u"command execute ::"))
        return TrojanText(kC99madShell3);
    if (t.Has(u"$dizin/$duzenx2") && t.Has(u"$fistik.php?yeniklasor")) return TrojanText(kAvrasya);
    if (t.Has(u"k1r4_surl") && t.Has(u"k1r4_sess_put")) return TrojanText(kBizShell);
    if (t.Has(u"mysql_web_admin_username") && t.Has(u"mysql_web_admin_password"))
        return Dangerous(kWebMysqlAdmin);

    if (t.Matches(kEvalOfDecoder))
        return t.FirstOf({Row(S::kSpider), Otherwise(Dangerous(kEncodedEval))});
    if (t.Matches(uR"(\beval\b)"))
        return t.FirstOf({Row(S::kInsertMmRequestA), Row(S::kLankerDoor), Row(S::kInsertMmPostCmd),
                          Row(S::kInsertMmQuietPostCmd), Row(S::kInsertMmEvalCmd),
                          Row(S::kPhpJackal), Row(S::kLiz0ziM), Row(S::kNixWebShell),
                          Row(S::kNstRu), Row(S::kZaCoSmall), Row(S::kIronShell),
                          Otherwise(Suspicious(kEval))});
    if (t.Matches(uR"(\bpreg_replace[^\s]*\/e\b)")) return Suspicious(kPregReplaceE);
    if (t.Matches(kDynamicCallFunction)) return Suspicious(kDynamicCall);
    if (t.Matches(kCommandFunction))
        return t.FirstOf({Row(S::kLangousterUdf), Row(S::kReddragonfly), Row(S::kBackConnect),
                          Row(S::kBackConnectYetki), Row(S::kPhpShell), Row(S::kAntichat),
                          Row(S::kIMHaPFtp), Row(S::kNetworkFileManager), Row(S::kMacker),
                          Row(S::kMgeisler), Row(S::kRootShell2), Row(S::kShellInj),
                          Row(S::kBackupSql), Row(S::kCasus15),
                          Otherwise(Suspicious(kSystemCommand))});
    if (t.Has(u"ftp_connect") && t.Has(u"ftp_login")) return Suspicious(kFtp);
    return Nothing();
}

}  // namespace qx
