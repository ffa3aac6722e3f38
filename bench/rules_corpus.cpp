#include "rules_corpus.h"

#include <array>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qx::bench {
namespace {

using Random = std::mt19937_64;

std::size_t Pick(Random& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}

template <class T, std::size_t N>
const T& PickFrom(Random& random, const std::array<T, N>& items) {
    return items[Pick(random, N)];
}

constexpr std::array<std::string_view, 8> kSentences = {
    "本店所有面包均使用当天现磨面粉，每天清晨六点准时出炉。",
    "会员下单满一百元即可享受免费配送服务，配送范围为市区五公里以内。",
    "节日礼盒需提前三天预订，可在门店或网上商城付款。",
    "Our sourdough rests for eighteen hours before it goes into the oven.",
    "Orders placed before noon are delivered on the same afternoon.",
    "如对订单有任何疑问，请在工作时间拨打客服电话联系我们。",
    "Gift cards can be used in every shop and on the web store.",
    "新品上市期间，每位会员每天限购两份，售完即止。",
};

constexpr std::array<std::string_view, 10> kNames = {"order",    "product", "member",  "price",
                                                     "stock",    "coupon",  "address", "invoice",
                                                     "category", "review"};

std::string Text(Random& random, int sentences) {
    std::string text;
    for (int i = 0; i < sentences; ++i) text += PickFrom(random, kSentences);
    return text;
}

std::string Name(Random& random) {
    return std::string(PickFrom(random, kNames)) + std::to_string(Pick(random, 100));
}

// Ordinary blocks of each family. None of them contains a construct that the
// rules report.
std::string AspBlock(Random& random) {
    const std::string n = Name(random);
    switch (Pick(random, 5)) {
        case 0:
            return "<table class=\"list\">\r\n<% Do While Not rs.EOF %>\r\n  <tr><td><%= rs(\"" +
                   n +
                   "\") %></td><td><%= Server.HTMLEncode(rs(\"title\")) %></td></tr>\r\n"
                   "<%   rs.MoveNext\r\n   Loop %>\r\n</table>\r\n";
        case 1:
            return "<%\r\nFunction Format_" + n +
                   "(value)\r\n    If IsNull(value) Then\r\n        Format_" + n +
                   " = \"-\"\r\n    Else\r\n        Format_" + n +
                   " = FormatNumber(value, 2)\r\n    End If\r\nEnd Function\r\n%>\r\n";
        case 2:
            return "<div class=\"notice\">\r\n<p>" + Text(random, 3) + "</p>\r\n</div>\r\n";
        case 3:
            return "<%\r\nDim " + n + "\r\n" + n + " = Trim(Request.QueryString(\"" + n +
                   "\"))\r\nIf " + n + " = \"\" Then " + n + " = \"1\"\r\nSelect Case " + n +
                   "\r\n    Case \"1\": Response.Write \"<b>" + Text(random, 1) +
                   "</b>\"\r\n    Case Else: Response.Write \"<i>-</i>\"\r\nEnd Select\r\n%>\r\n";
        default:
            return "<script type=\"text/javascript\">\r\nfunction toggle_" + n +
                   "(id) {\r\n  var e = document.getElementById(id);\r\n"
                   "  e.style.display = e.style.display == 'none' ? '' : 'none';\r\n}\r\n"
                   "</script>\r\n";
    }
}

std::string AspxBlock(Random& random) {
    const std::string n = Name(random);
    switch (Pick(random, 4)) {
        case 0:
            return "<asp:Repeater ID=\"" + n +
                   "List\" runat=\"server\">\r\n  <ItemTemplate>\r\n    <li><%# Eval(\"Name\") "
                   "%> - <%# Eval(\"Price\", \"{0:C}\") %></li>\r\n  </ItemTemplate>\r\n"
                   "</asp:Repeater>\r\n";
        case 1:
            return "<script runat=\"server\">\r\n    protected decimal Total_" + n +
                   "(System.Collections.Generic.IEnumerable<decimal> items)\r\n    {\r\n"
                   "        decimal sum = 0;\r\n        foreach (var item in items) sum += "
                   "item;\r\n"
                   "        return sum;\r\n    }\r\n</script>\r\n";
        case 2:
            return "<p class=\"intro\">" + Text(random, 3) + "</p>\r\n";
        default:
            return "<asp:GridView ID=\"" + n +
                   "Grid\" runat=\"server\" AutoGenerateColumns=\"false\">\r\n  <Columns>\r\n"
                   "    <asp:BoundField DataField=\"Id\" HeaderText=\"编号\" />\r\n"
                   "    <asp:BoundField DataField=\"Title\" HeaderText=\"名称\" />\r\n  "
                   "</Columns>\r\n"
                   "</asp:GridView>\r\n";
    }
}

std::string PhpBlock(Random& random) {
    const std::string n = Name(random);
    switch (Pick(random, 4)) {
        case 0:
            return "<?php\nfunction load_" + n +
                   "(PDO $db, int $id): ?array\n{\n    $stmt = $db->prepare('SELECT * FROM " + n +
                   " WHERE id = ?');\n    $stmt->execute([$id]);\n    $row = $stmt->fetch();\n"
                   "    return $row === false ? null : $row;\n}\n?>\n";
        case 1:
            return "<ul class=\"" + n + "\">\n<?php foreach ($" + n +
                   "s as $item): ?>\n  <li><?= htmlspecialchars($item['title'], ENT_QUOTES, "
                   "'UTF-8') ?></li>\n<?php endforeach; ?>\n</ul>\n";
        case 2:
            return "<p><?= h('" + Text(random, 2) + "') ?></p>\n";
        default:
            return "<?php\n// " + Text(random, 1) + "\n$" + n +
                   " = [\n    'enabled' => true,\n"
                   "    'limit'   => " +
                   std::to_string(Pick(random, 500)) + ",\n    'label'   => '" + Text(random, 1) +
                   "',\n];\n?>\n";
    }
}

std::string JspBlock(Random& random) {
    const std::string n = Name(random);
    switch (Pick(random, 4)) {
        case 0:
            return "<c:forEach var=\"" + n + "\" items=\"${" + n + "s}\">\n  <tr><td>${" + n +
                   ".id}</td><td><c:out value=\"${" + n + ".title}\"/></td></tr>\n</c:forEach>\n";
        case 1:
            return "<%\n    String " + n + " = request.getParameter(\"" + n + "\");\n    if (" + n +
                   " == null || " + n + ".isEmpty()) {\n        " + n +
                   " = \"1\";\n    }\n    int page_" + n + " = Integer.parseInt(" + n + ");\n%>\n";
        case 2:
            return "<p>" + Text(random, 3) + "</p>\n";
        default:
            return "<%!\n    private String format_" + n +
                   "(java.math.BigDecimal value) {\n        return value == null ? \"-\" : "
                   "value.setScale(2, java.math.RoundingMode.HALF_UP).toPlainString();\n    "
                   "}\n%>\n";
    }
}

struct Family {
    std::string_view folder;
    std::array<std::string_view, 2> extensions;
    std::string_view header;
    std::string (*block)(Random&);
    std::array<std::string_view, 3> findings;  // by level; ASP.NET pages have no trojan level
};

const std::array<Family, 4> kFamilies = {{
    {"asp",
     {".asp", ".inc"},
     "<%@ Language=\"VBScript\" CodePage=936 %>\r\n<!--#include file=\"inc/conn.asp\"-->\r\n",
     AspBlock,
     {"<% Set stm = Server.CreateObject(\"ADODB.Stream\") %>\r\n",
      "<% Set sh = Server.CreateObject(\"WScript.Shell\") %>\r\n",
      "<% ' WScript.Shell 海阳顶端网 %>\r\n"}},
    {"shop",
     {".aspx", ".ascx"},
     "<%@ Page Language=\"C#\" AutoEventWireup=\"true\" %>\r\n",
     AspxBlock,
     {"<% System.Threading.Tasks.Task.Run(() => Refresh()); %>\r\n",
      "<%-- ShowFileM RunCmd ReadReg --%>\r\n", "<%-- ShowFileM RunCmd ReadReg --%>\r\n"}},
    {"blog",
     {".php", ".php"},
     "<?php\nrequire __DIR__ . '/lib/bootstrap.php';\n?>\n",
     PhpBlock,
     {"<?php exec('convert a.png b.png'); ?>\n",
      "<?php define('MYSQL_WEB_ADMIN_USERNAME', 'a'); define('MYSQL_WEB_ADMIN_PASSWORD', 'b'); "
      "?>\n",
      "<?php /* c99sh_surl c99_buff_prepare */ ?>\n"}},
    {"portal",
     {".jsp", ".jspx"},
     "<%@ page contentType=\"text/html; charset=UTF-8\" pageEncoding=\"UTF-8\" %>\n",
     JspBlock,
     {"<% Socket s = new Socket(host, 7000); %>\n",
      "<% Runtime.getRuntime().exec(c).getInputStream(); %>\n",
      "<%-- Runtime.getRuntime().exec getInputStream ExerClientO --%>\n"}},
}};

// Page sizes spread like a real site's: many small pages, a few large ones.
std::size_t PageBytes(Random& random) {
    std::lognormal_distribution<double> size(9.6, 0.9);  // median about 15 KB
    return std::min<std::size_t>(400'000, 300 + static_cast<std::size_t>(size(random)));
}

}  // namespace

CorpusSize WriteRulesCorpus(const std::filesystem::path& root, std::uint64_t min_bytes) {
    std::filesystem::remove_all(root);
    Random random(20261207);
    CorpusSize size;
    for (int site = 0; size.bytes < min_bytes; ++site) {
        for (std::size_t page = 0; page < 48 && size.bytes < min_bytes; ++page) {
            const Family& family = kFamilies[page % kFamilies.size()];
            const auto folder = root / ("site" + std::to_string(site)) / family.folder /
                                ("part" + std::to_string(Pick(random, 4)));
            std::filesystem::create_directories(folder);

            std::string text(family.header);
            const std::size_t target = PageBytes(random);
            // About one page in a hundred gets a reportable construct, placed
            // among its first blocks.
            const bool finding = Pick(random, 100) == 0;
            const std::size_t finding_at = Pick(random, 8);
            for (std::size_t block = 0; text.size() < target || (finding && block <= finding_at);
                 ++block) {
                if (finding && block == finding_at) text += PickFrom(random, family.findings);
                text += family.block(random);
            }
            size.findings += finding;

            const auto file = folder / (Name(random) + "_" + std::to_string(page) +
                                        std::string(PickFrom(random, family.extensions)));
            std::ofstream(file, std::ios::binary).write(text.data(), text.size());
            ++size.files;
            size.bytes += text.size();
        }
    }
    return size;
}

}  // namespace qx::bench
