<%@ Language="VBScript" CodePage=65001 %>
<%
' 后台：显示服务器名称和系统目录，方便维护人员核对部署在哪台机器上。
Dim sh
Set sh = Server.CreateObject("WScript.Shell")
%>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>服务器信息</title></head>
<body>
<h1>服务器信息</h1>
<p>计算机名：<%= sh.ExpandEnvironmentStrings("%COMPUTERNAME%") %></p>
<p>系统目录：<%= sh.ExpandEnvironmentStrings("%SystemRoot%") %></p>
</body>
</html>
