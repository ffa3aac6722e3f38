#include "rules/signature_table.h"

namespace qx {

// Rows are consulted by position from the cascades, so their order is fixed.
// Patterns are raw strings: quotes, backslashes and brackets are literal text.
const SignatureRecord SignatureTable[kSignatureRows] = {
    /* 0 */ {u"ShellInjection.Trojan", uR"(uselect=uselect&getoption("asp","asp"))"},
    /* 1 */ {u"SqlRootkit.Encode", uR"($enddrsg.s`ewmdkjb)"},
    // Not a webshell: the ASP server probe by Ajiang, recognised by its home
    // page so that the probe's use of WScript.Shell is not reported.
    /* 2 */ {u"阿江ASP探针", uR"(http://www.ajiang.net)"},
    /* 3 */ {u"ASPAdmin.Helper", uR"(<option value=pagefso>fso文件浏览操作器</option>)"},
    /* 4 */ {u"CrazySycnet.Trojan", uR"(exec("cmd.exe /c "&request.form("cmd")).stdout.readall)"},
    /* 5 */ {u"52happy.MiniSpy", uR"(request.servervariables("script_name"))"},
    /* 6 */ {u"XiaoLu.Upload", uR"(action="?type=2&filename=)"},
    /* 7 */ {u"AdminHelper.Encode", uR"(欢迎使用c/a站长助手)"},
    /* 8 */ {u"AdminHelper.Firefox", uR"(火狐内部版)"},
    /* 9 */ {u"Fineacer.AspSpy", uR"(cc_dm4.downloadfile(starget))"},
    /* 10 */ {u"HaiYang01.Trojan", uR"(海阳顶端网)"},
    /* 11 */ {u"5xSoft.Upload", uR"(upfile_5xsoft_stream)"},
    /* 12 */ {u"HaiYang02.Trojan", uR"(function unencode(temp))"},
    /* 13 */ {u"Utf7.MiniSpy", uR"(e+j-x+j-e+j-c+j-u)"},
    /* 14 */ {u"TiQuan.AspSpy", uR"(pcanywhere\citempl.cif)"},
    /* 15 */ {u"Token.AspSpy", uR"(?sqlstr=drop table)"},
    /* 16 */ {u"InsertMm.AspSpy", uR"(name=cyfddata cols=80 rows=10)"},
    /* 17 */ {u"SqlInject.AspSpy", uR"(dbcc addextendedproc)"},
    /* 18 */ {u"Ylp.AspSpy", uR"(server.urlencode(zw&x.name))"},
    /* 19 */ {u"Wing.Upload", uR"(loop until  (iformstart+2) = iformend)"},
    /* 20 */ {u"SqlCrack.AspSpy", uR"(mssql cracker)"},
    /* 21 */ {u"HideShell.AspSpy", uR"(file.attributes=2+4)"},
    /* 22 */ {u"BigTrojan.Encode", uR"(eli35ja?kvj:6rdjb[r)"},
    /* 23 */ {u"CcTrojan.Encode", uR"(gw498pnkvc6p)"},
    /* 24 */ {u"GifHide01.AspSpy", uR"(value=mssql用户名)"},
    /* 25 */ {u"ShellApp.MiniSpy", uR"("cmd.exe")"},
    /* 26 */ {u"MssqlExec.Helper", uR"(cz=2&tablename=)"},
    /* 27 */ {u"TiQuanSU.AspSpy", uR"(-ip=0.0.0.0)"},
    /* 28 */ {u"CmdShell.AspSpy", uR"(rd+pund7+dcuphd2)"},
    /* 29 */ {u"CyberSpy5.Encode", uR"({{|mm{|{|{m{mm|{m{|m{|{mm)"},
    /* 30 */ {u"SaNaLTeRoR.Trojan", uR"(:lrus40daa==^#~@)"},
    /* 31 */ {u"CmdShell.JspSpy", uR"(exercliento)"},
    /* 32 */ {u"Mstsc.JspSpy", uR"(exec(islinux ? "ps uax" : "tasklist /v /fo csv")"},
    /* 33 */ {u"InsertMM.PhpSpy", uR"(<?@eval(\$_request[a])?>)"},
    /* 34 */ {u"LankerDoor.PhpSpy", uR"(<?php eval($_post[cmd])?>)"},
    /* 35 */ {u"LangousterUdf.PhpSpy", uR"(return "0x4d5a)"},
    /* 36 */ {u"Reddragonfly.PhpShell", uR"(isset($shellcmd)?$shellcmd)"},
    /* 37 */ {u"InsertMM.PhpSpy", uR"(<?php eval($_post[cmd]);?>)"},
    /* 38 */ {u"InsertMM.PhpSpy", uR"(<?php @eval($_post[cmd]);?>)"},
    /* 39 */ {u"InsertMM.PhpSpy", uR"(<?eval($cmd);?>)"},
    /* 40 */ {u"BackConnect.PhpSpy", uR"($back_connect)"},
    /* 41 */ {u"BackConnect.PhpSpy", uR"(yetkikontrol)"},
    /* 42 */ {u"Spider.PhpShell", uR"(return "0x4d5a)"},
    /* 43 */ {u"PhpJackal.PhpSpy", uR"(downloadit("$addr/winbind.p)"},
    /* 44 */ {u"PhpShell.PhpSpy", uR"(1> /tmp/output.txt)"},
    /* 45 */ {u"Antichat.PhpShell", uR"(>| shell <)"},
    /* 46 */ {u"Liz0ziM.PhpSpy", uR"($_post['liz0zim'])"},
    /* 47 */ {u"iMHaPFTP.PhpSpy", uR"(imhabirligi php ftp)"},
    /* 48 */ {u"NetworkFileManagerPHP.PhpSpy", uR"(networkfilemanagerphp)"},
    /* 49 */ {u"NixWebShell.PhpSpy", uR"($port_bind_bd_c="i2luy2x)"},
    /* 50 */ {u"NstRU.PhpSpy", uR"($_session['nst']="$pass";)"},
    /* 51 */ {u"Macker.PhpShell", uR"($scripttitle $scriptver)"},
    /* 52 */ {u"ZaCoSmall.PhpShell", uR"(zaco mysql dumper)"},
    /* 53 */ {u"IronShell.PhpSpy", uR"(=> 'md5 cracker')"},
    /* 54 */ {u"mgeisler.PhpShell", uR"($_session['authenticated'])"},
    /* 55 */ {u"RootShell2.PhpSpy", uR"(nc -e cmd.exe [server])"},
    /* 56 */ {u"ShellInj.PhpSpy", uR"(system(\$_get[cpc]);exit;)"},
    /* 57 */ {u"BackupSql.PhpSpy", uR"($savepath/$dbname-$date.sql)"},
    /* 58 */ {u"Casus15.PhpShell", uR"(fonksiyonlary_kapat)"},
};

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
