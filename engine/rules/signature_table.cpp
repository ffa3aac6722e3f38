#include "rules/signature_table.h"

#include <iterator>

namespace qx {
namespace {

struct NamedRow {
    Signature row;
    SignatureRecord record;
};

// The table in its fixed order, each row with the name the cascades use for
// it. Patterns are raw strings: quotes, backslashes and brackets are literal.
constexpr NamedRow kRows[] = {
    {Signature::kShellInjection,
     {u"ShellInjection.Trojan", uR"(uselect=uselect&getoption("asp","asp"))"}},
    {Signature::kSqlRootkit, {u"SqlRootkit.Encode", uR"($enddrsg.s`ewmdkjb)"}},
    // Not a webshell: the ASP server probe by Ajiang, recognised by its home
    // page so that the probe's use of WScript.Shell is not reported.
    {Signature::kAjiangProbe, {u"阿江ASP探针", uR"(http://www.ajiang.net)"}},
    {Signature::kAspAdminHelper,
     {u"ASPAdmin.Helper", uR"(<option value=pagefso>fso文件浏览操作器</option>)"}},
    {Signature::kCrazySycnet,
     {u"CrazySycnet.Trojan", uR"(exec("cmd.exe /c "&request.form("cmd")).stdout.readall)"}},
    {Signature::kMiniSpy52Happy,
     {u"52happy.MiniSpy", uR"(request.servervariables("script_name"))"}},
    {Signature::kXiaoLuUpload, {u"XiaoLu.Upload", uR"(action="?type=2&filename=)"}},
    {Signature::kAdminHelperEncode, {u"AdminHelper.Encode", uR"(欢迎使用c/a站长助手)"}},
    {Signature::kAdminHelperFirefox, {u"AdminHelper.Firefox", uR"(火狐内部版)"}},
    {Signature::kFineacer, {u"Fineacer.AspSpy", uR"(cc_dm4.downloadfile(starget))"}},
    {Signature::kHaiYang01, {u"HaiYang01.Trojan", uR"(海阳顶端网)"}},
    {Signature::kUpload5xSoft, {u"5xSoft.Upload", uR"(upfile_5xsoft_stream)"}},
    {Signature::kHaiYang02, {u"HaiYang02.Trojan", uR"(function unencode(temp))"}},
    {Signature::kUtf7MiniSpy, {u"Utf7.MiniSpy", uR"(e+j-x+j-e+j-c+j-u)"}},
    {Signature::kTiQuan, {u"TiQuan.AspSpy", uR"(pcanywhere\citempl.cif)"}},
    {Signature::kToken, {u"Token.AspSpy", uR"(?sqlstr=drop table)"}},
    {Signature::kInsertMmAsp, {u"InsertMm.AspSpy", uR"(name=cyfddata cols=80 rows=10)"}},
    {Signature::kSqlInject, {u"SqlInject.AspSpy", uR"(dbcc addextendedproc)"}},
    {Signature::kYlp, {u"Ylp.AspSpy", uR"(server.urlencode(zw&x.name))"}},
    {Signature::kWingUpload, {u"Wing.Upload", uR"(loop until  (iformstart+2) = iformend)"}},
    {Signature::kSqlCrack, {u"SqlCrack.AspSpy", uR"(mssql cracker)"}},
    {Signature::kHideShell, {u"HideShell.AspSpy", uR"(file.attributes=2+4)"}},
    {Signature::kBigTrojan, {u"BigTrojan.Encode", uR"(eli35ja?kvj:6rdjb[r)"}},
    {Signature::kCcTrojan, {u"CcTrojan.Encode", uR"(gw498pnkvc6p)"}},
    {Signature::kGifHide01, {u"GifHide01.AspSpy", uR"(value=mssql用户名)"}},
    {Signature::kShellAppMiniSpy, {u"ShellApp.MiniSpy", uR"("cmd.exe")"}},
    {Signature::kMssqlExec, {u"MssqlExec.Helper", uR"(cz=2&tablename=)"}},
    {Signature::kTiQuanSu, {u"TiQuanSU.AspSpy", uR"(-ip=0.0.0.0)"}},
    {Signature::kCmdShellAsp, {u"CmdShell.AspSpy", uR"(rd+pund7+dcuphd2)"}},
    {Signature::kCyberSpy5, {u"CyberSpy5.Encode", uR"({{|mm{|{|{m{mm|{m{|m{|{mm)"}},
    {Signature::kSanalTeror, {u"SaNaLTeRoR.Trojan", uR"(:lrus40daa==^#~@)"}},
    {Signature::kCmdShellJsp, {u"CmdShell.JspSpy", uR"(exercliento)"}},
    {Signature::kMstscJsp,
     {u"Mstsc.JspSpy", uR"(exec(islinux ? "ps uax" : "tasklist /v /fo csv")"}},
    {Signature::kInsertMmRequestA, {u"InsertMM.PhpSpy", uR"(<?@eval(\$_request[a])?>)"}},
    {Signature::kLankerDoor, {u"LankerDoor.PhpSpy", uR"(<?php eval($_post[cmd])?>)"}},
    {Signature::kLangousterUdf, {u"LangousterUdf.PhpSpy", uR"(return "0x4d5a)"}},
    {Signature::kReddragonfly, {u"Reddragonfly.PhpShell", uR"(isset($shellcmd)?$shellcmd)"}},
    {Signature::kInsertMmPostCmd, {u"InsertMM.PhpSpy", uR"(<?php eval($_post[cmd]);?>)"}},
    {Signature::kInsertMmQuietPostCmd, {u"InsertMM.PhpSpy", uR"(<?php @eval($_post[cmd]);?>)"}},
    {Signature::kInsertMmEvalCmd, {u"InsertMM.PhpSpy", uR"(<?eval($cmd);?>)"}},
    {Signature::kBackConnect, {u"BackConnect.PhpSpy", uR"($back_connect)"}},
    {Signature::kBackConnectYetki, {u"BackConnect.PhpSpy", uR"(yetkikontrol)"}},
    {Signature::kSpider, {u"Spider.PhpShell", uR"(return "0x4d5a)"}},
    {Signature::kPhpJackal, {u"PhpJackal.PhpSpy", uR"(downloadit("$addr/winbind.p)"}},
    {Signature::kPhpShell, {u"PhpShell.PhpSpy", uR"(1> /tmp/output.txt)"}},
    {Signature::kAntichat, {u"Antichat.PhpShell", uR"(>| shell <)"}},
    {Signature::kLiz0ziM, {u"Liz0ziM.PhpSpy", uR"($_post['liz0zim'])"}},
    {Signature::kIMHaPFtp, {u"iMHaPFTP.PhpSpy", uR"(imhabirligi php ftp)"}},
    {Signature::kNetworkFileManager,
     {u"NetworkFileManagerPHP.PhpSpy", uR"(networkfilemanagerphp)"}},
    {Signature::kNixWebShell, {u"NixWebShell.PhpSpy", uR"($port_bind_bd_c="i2luy2x)"}},
    {Signature::kNstRu, {u"NstRU.PhpSpy", uR"($_session['nst']="$pass";)"}},
    {Signature::kMacker, {u"Macker.PhpShell", uR"($scripttitle $scriptver)"}},
    {Signature::kZaCoSmall, {u"ZaCoSmall.PhpShell", uR"(zaco mysql dumper)"}},
    {Signature::kIronShell, {u"IronShell.PhpSpy", uR"(=> 'md5 cracker')"}},
    {Signature::kMgeisler, {u"mgeisler.PhpShell", uR"($_session['authenticated'])"}},
    {Signature::kRootShell2, {u"RootShell2.PhpSpy", uR"(nc -e cmd.exe [server])"}},
    {Signature::kShellInj, {u"ShellInj.PhpSpy", uR"(system(\$_get[cpc]);exit;)"}},
    {Signature::kBackupSql, {u"BackupSql.PhpSpy", uR"($savepath/$dbname-$date.sql)"}},
    {Signature::kCasus15, {u"Casus15.PhpShell", uR"(fonksiyonlary_kapat)"}},
};

constexpr bool NamesFollowTheOrder() {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (static_cast<std::size_t>(kRows[i].row) != i) return false;
    }
    return std::size(kRows) == kSignatureRows;
}
static_assert(NamesFollowTheOrder(), "every row's name must give its position in the table");

constexpr std::array<SignatureRecord, kSignatureRows> Records() {
    std::array<SignatureRecord, kSignatureRows> records{};
    for (std::size_t i = 0; i < kSignatureRows; ++i) records[i] = kRows[i].record;
    return records;
}

}  // namespace

const std::array<SignatureRecord, kSignatureRows> SignatureTable = Records();

const std::uint32_t KnownGoodFingerprints[][2] = {
    {0x1FECB34Cu, 0xE11C5B6Fu},  // 0xE11C5B6F1FECB34C
    {0x4FAE2EDEu, 0xF9EA29B4u},  // 0xF9EA29B44FAE2EDE
    {0u, 0u},
};

bool IsKnownGoodFingerprint(std::uint64_t fingerprint) {
    for (const std::uint32_t* entry = KnownGoodFingerprints[0]; entry[0] != 0 || entry[1] != 0;
         entry += 2) {
        if ((std::uint64_t{entry[1]} << 32 | entry[0]) == fingerprint) return true;
    }
    return false;
}

}  // namespace qx
