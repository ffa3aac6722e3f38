<%@ Language="VBScript" CodePage=65001 %>
<!--#include file="inc/conn.asp"-->
<%
Dim rs
Set rs = conn.Execute("SELECT TOP 10 id, title, posted FROM news ORDER BY posted DESC")
%>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>湖畔烘焙坊 - 门店新闻</title><link rel="stylesheet" href="style.css"></head>
<body>
<h1>门店新闻</h1>
<table class="news">
<% Do While Not rs.EOF %>
  <tr>
    <td><a href="news.asp?id=<%= rs("id") %>"><%= Server.HTMLEncode(rs("title")) %></a></td>
    <td><%= FormatDateTime(rs("posted"), vbShortDate) %></td>
  </tr>
<%   rs.MoveNext
   Loop
   rs.Close %>
</table>
<!--#include file="inc/footer.inc"-->
</body>
</html>
<% conn.Close %>
