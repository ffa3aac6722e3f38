// Every pattern the detection rules use, on folded script text that must and
// must not match, through the call the rules make.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

struct RulePattern {
    const char16_t* pattern;
    std::vector<std::u16string_view> matching;
    std::vector<std::u16string_view> notMatching;
};

const std::vector<RulePattern>& RulePatterns() {
    static const std::vector<RulePattern> patterns = {
        // ASP
        {u"\\blanguage\\s*=\\s*[\"]?\\s*(vbscript|jscript|javascript).encode\\b",
         {u"<script language=\"vbscript.encode\">", u"language = jscript.encode",
          u"<%@ language=javascript#encode %>"},
         {u"language=\"vbscript\"", u"mylanguage=\"vbscript.encode\"",
          u"language=\"vbscript.encoder\"", u"language=\"\"vbscript.encode\""}},
        {u"\\<\\!\\-\\-\\s*\\#include\\s*file\\s*=\\s*(\")?[^\\s]*\\.((?!asp|asa|inc)\\w)+\\s*(\")?"
         u"\\s*\\-\\-\\>",
         {u"<!--#include file=\"inc/conn.txt\"-->", u"<!-- #include file = \"x.php\" -->",
          u"<!--#include file=x.jpg-->"},
         {u"<!--#include file=\"conn.asp\"-->", u"<!--#include file=\"x.inc\"-->",
          u"<!--#include file=\"x.aspx\"-->", u"<!--#include virtual=\"x.txt\"-->",
          u"<!--#include file=\"noextension\"-->"}},
        {u"server.(execute|transfer)([ \\t]*|\\()[^\"]\\)",
         {u"server.execute(x)", u"server.transfer()", u"server.execute a)", u"server_execute(x)"},
         {u"server.execute(\"page.asp\")", u"server.execute(abc)", u"server.transfer(\")"}},
        {u"\\beval\\b",
         {u"eval(request(\"x\"))", u"x eval", u"\u4e2deval\u6587"},
         {u"evaluate(x)", u"myeval(x)", u"eval_r(request(", u"eval1"}},
        {u"[^.]\\bexecute(global)?\\b",
         {u" execute request(\"x\")", u";executeglobal(x)", u"(execute(session(\"a\"))"},
         {u"execute(x)", u"obj.execute(x)", u" executes", u" executeglobalx"}},
        {u"\\.executestatement\\b",
         {u"conn.executestatement(sql)"},
         {u"executestatement(sql)", u"conn.executestatements"}},
        {u"\\.savetofile\\b",
         {u"stream.savetofile path, 2"},
         {u"stream.savetofiles", u"savetofile"}},
        {u"\\.save(as)?\\b",
         {u"doc.save ", u"doc.saveas \"x\"", u"doc.save"},
         {u"doc.saved", u"doc.saveasx", u"save as"}},
        {u"set\\s*.*\\s*=\\s*server\\s",
         {u"set s = server\r\n", u"set x = server ", u"set a\r\n= server\n", u"offset=server "},
         {u"set fso = server.createobject(\"x\")", u"set s = server", u"se t = server "}},
        {u"\\.shellexecute\\b", {u"app.shellexecute \"cmd\""}, {u"shellexecute \"cmd\""}},
        {u"\\.exec\\b",
         {u"ws.exec(\"cmd\")", u"ws.exec"},
         {u"xexec(\"cmd\")", u"ws.executable", u"ws.exec_r"}},
        {u"\\.run\\b", {u"proc.run(", u"x.run \"cmd\""}, {u"x.runtime", u"x.running", u"run(x)"}},
        // PHP
        {u"\\beval\\s*\\(\\s*(base64_decode|gzinflate|gzuncompress|str_rot13)\\b",
         {u"eval(base64_decode($x));", u"eval( gzinflate(base64_decode($z)))",
          u"@eval (str_rot13('x'))", u"eval(\r\ngzuncompress($d))"},
         {u"eval($x)", u"eval(base64_decoder($x))", u"myeval(base64_decode($x))",
          u"eval(x(base64_decode($x)))"}},
        {u"\\bpreg_replace[^\\s]*\\/e\\b",
         {u"preg_replace(\"/x/e\",$_post['a'],'b')", u"preg_replace('/.*/e',$c,'')"},
         {u"preg_replace(\"/x/i\", $a, $b)", u"preg_replace('/x/', '/e', $s)",
          u"preg_replace(\"/x/ex\",", u"mypreg_replace(\"/x/e\","}},
        {u"\\b(assert|call_user_func|call_user_func_array|create_function)\\b",
         {u"assert($_post['x']);", u"call_user_func_array($f, $a)",
          u"$f = create_function('', $b);"},
         {u"assertion", u"my_create_function()", u"call_user_funcs"}},
        {u"\\b(system|exec|shell_exec|popen|proc_open|passthru|pcntl_exec)\\b",
         {u"system($cmd);", u"echo shell_exec('ls');", u"$h = popen('ls', 'r');",
          u"pcntl_exec('/bin/sh')"},
         {u"filesystem", u"executable", u"$system_info", u"mypassthru()"}},
        // JSP
        {u"file.listroots\\(\\)",
         {u"file[] roots = file.listroots();", u"filexlistroots()"},
         {u"file.listroots(x)", u"file.listroots ()"}},
        {u"new\\s+serversocket\\(",
         {u"ss = new serversocket(8080);", u"new\r\n  serversocket(1)"},
         {u"new serversocket (8080)", u"newserversocket(1)"}},
        {u"new\\s+socket\\(",
         {u"s = new socket(\"h\", 1);"},
         {u"new serversocket(1)", u"new socket (1)", u"new java.net.socket(1)"}},
        {u"new\\s+robot\\(",
         {u"robot r = new robot();", u"new\trobot("},
         {u"new java.awt.robot()", u"new robotics()"}},
    };
    return patterns;
}

TEST(PatternRules, EachRulePatternMatchesWhatItShouldAndNothingElse) {
    for (const RulePattern& rule : RulePatterns()) {
        for (std::u16string_view text : rule.matching)
            EXPECT_TRUE(PatternMatches(rule.pattern, text.data(), text.size()))
                << Printable(rule.pattern) << " should match \"" << Printable(text) << "\"";
        for (std::u16string_view text : rule.notMatching)
            EXPECT_FALSE(PatternMatches(rule.pattern, text.data(), text.size()))
                << Printable(rule.pattern) << " should not match \"" << Printable(text) << "\"";
    }
}

TEST(PatternRules, PatternsFindTheirTextAnywhereInALongFile) {
    std::u16string filler;
    for (int i = 0; i < 2000; ++i) filler += u"<p>ordinary line of text</p>\r\n";
    for (const RulePattern& rule : RulePatterns()) {
        const std::u16string_view first = rule.matching.front();
        const std::u16string text = filler + u"\r\n" + std::u16string(first) + u"\r\n" + filler;
        EXPECT_TRUE(PatternMatches(rule.pattern, text.data(), text.size()))
            << Printable(rule.pattern);
    }
}

TEST(PatternRules, EveryRulePatternIsSearchedInLinearTime) {
    for (const RulePattern& rule : RulePatterns())
        EXPECT_TRUE(CPatternT<char16_t>(rule.pattern).LinearSearchable())
            << Printable(rule.pattern);
}

// The linear search must give the backtracker's answer, also when it starts
// past the text's beginning: at the match, just after its start, and where
// only the text before tells (\b, [^.]).
TEST(PatternRules, LinearSearchAndBacktrackerAgreeFromEveryStart) {
    for (const RulePattern& rule : RulePatterns()) {
        const CPatternT<char16_t> pattern(rule.pattern);
        std::vector<std::u16string_view> texts = rule.matching;
        texts.insert(texts.end(), rule.notMatching.begin(), rule.notMatching.end());
        for (std::u16string_view sample : texts) {
            const std::u16string text = u"x." + std::u16string(sample) + u" x";
            for (std::size_t from = 0; from <= text.size(); ++from) {
                const MatchOutcome expected = TestByBacktracking(pattern, text, from);
                ASSERT_NE(expected, MatchOutcome::kStopped);
                EXPECT_EQ(pattern.Test(text.data(), text.size(), from), expected)
                    << Printable(rule.pattern) << " on \"" << Printable(text) << "\" from " << from;
            }
        }
    }
}

TEST(PatternRules, TextAfterANulIsSearchedWhenTheLengthIsKnown) {
    const std::u16string text = std::u16string(u"<?php /* x */") + u'\0' + u"eval($_post['x']);";
    EXPECT_TRUE(PatternMatches(u"\\beval\\b", text.data(), text.size()));
    CPatternT<char16_t> pattern(u"\\beval\\b");
    EXPECT_FALSE(pattern.Search(text.c_str()).IsMatched());  // the C-string form stops at the NUL
}

}  // namespace
}  // namespace qx::pattern::testing
