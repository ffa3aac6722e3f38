<%@ Language="VBScript" CodePage=65001 %>
<!--#include file="inc/conn.asp"-->
<%
Dim id, cmd, rs
id = CLng("0" & Request.QueryString("id"))
Set cmd = Server.CreateObject("ADODB.Command")
Set cmd.ActiveConnection = conn
cmd.CommandText = "SELECT title, body, posted FROM news WHERE id = ?"
cmd.Parameters.Append cmd.CreateParameter("id", 3, 1, , id)
Set rs = cmd.Execute()
If rs.EOF Then
    Response.Status = "404 Not Found"
    Response.Write "没有这条新闻。"
    Response.End
End If
%>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title><%= Server.HTMLEncode(rs("title")) %></title><link rel="stylesheet" href="style.css"></head>
<body>
<h1><%= Server.HTMLEncode(rs("title")) %></h1>
<p class="date"><%= FormatDateTime(rs("posted"), vbLongDate) %></p>
<div><%= Server.HTMLEncode(rs("body")) %></div>
<p><a href="default.asp">返回新闻列表</a></p>
<!--#include file="inc/footer.inc"-->
</body>
</html>
<% rs.Close : conn.Close %>
