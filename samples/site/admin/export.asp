<%@ Language="VBScript" CodePage=65001 %>
<!--#include file="../inc/conn.asp"-->
<%
' Exports the order book as CSV into the back-office folder.
Dim rs, stm
Set rs = conn.Execute("SELECT id, customer, total FROM orders")
Set stm = Server.CreateObject("ADODB.Stream")
stm.Type = 2
stm.Charset = "utf-8"
stm.Open
Do While Not rs.EOF
    stm.WriteText rs("id") & "," & rs("customer") & "," & rs("total") & vbCrLf
    rs.MoveNext
Loop
stm.SaveToFile Server.MapPath("/backoffice/orders.csv"), 2
stm.Close
rs.Close
conn.Close
Response.Write "已导出。"
%>
