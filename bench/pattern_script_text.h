// Realistic server-script text, already folded to lower case as the rules see
// it: PHP, classic ASP, JSP and HTML lines, comments in Chinese, and now and
// then a long minified script line. It contains none of the constructs the
// detection rules look for, so a search over it runs to the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace qx::bench {

inline std::u16string MakeFoldedScriptText(std::size_t units, std::uint32_t seed = 20240611) {
    static const char* const kLines[] = {
        "$item_%d = array('key' => $value_%d, 'count' => %d);",
        "function get_record_%d($id) {",
        "    if (isset($_get['page'])) { echo htmlspecialchars($row_%d['title']); }",
        "    foreach ($items as $k => $v) { $total += intval($v); }",
        "    return $this->db->query(\"select * from news where id = \" . intval($id_%d));",
        "}",
        "<?php include_once('inc/header_%d.php'); ?>",
        "dim conn_%d, rs_%d, sql",
        "sql = \"select top 10 * from article where classid=\" & clng(request.querystring(\"id\"))",
        "response.write \"<td>\" & rs(\"title\") & \"</td>\" & vbcrlf",
        "if request.form(\"action\") = \"update\" then call updaterecord(%d)",
        "<%@ page contenttype=\"text/html;charset=utf-8\" pageencoding=\"utf-8\" %>",
        "string name_%d = request.getparameter(\"name\");",
        "out.println(\"<p>\" + name_%d + \"</p>\");",
        "<div class=\"item\"><a href=\"/news/%d.html\">title %d</a></div>",
        "<script type=\"text/javascript\">var menu = document.getelementbyid('menu_%d');</script>",
        "<!-- page footer %d -->",
    };
    static const char16_t* const kComments[] = {
        u"// 读取文章列表并输出分页",
        u"' 检查用户是否已经登录",
        u"/* 数据库连接配置，请勿修改 */",
    };
    std::mt19937 random(seed);
    std::u16string text;
    text.reserve(units + 256);
    char line[256];
    while (text.size() < units) {
        const unsigned pick = random() % 100;
        if (pick < 3) {
            text += kComments[random() % 3];
        } else if (pick < 4) {
            // A minified script line of a few kilobytes.
            const unsigned parts = 40 + random() % 80;
            for (unsigned i = 0; i < parts; ++i) {
                std::snprintf(line, sizeof line,
                              "function f%u(a,b){var c=a.offsettop+b.clientheight;if(c>%u)"
                              "{a.style.top=c+'px'}return c};",
                              static_cast<unsigned>(random() % 1000),
                              static_cast<unsigned>(random() % 500));
                for (const char* p = line; *p != '\0'; ++p) text.push_back(char16_t(*p));
            }
        } else {
            const unsigned n = static_cast<unsigned>(random() % 1000);
            std::snprintf(line, sizeof line, kLines[random() % (sizeof kLines / sizeof *kLines)], n,
                          n, n);
            for (const char* p = line; *p != '\0'; ++p) text.push_back(char16_t(*p));
        }
        text += u"\r\n";
    }
    text.resize(units);
    return text;
}

}  // namespace qx::bench
