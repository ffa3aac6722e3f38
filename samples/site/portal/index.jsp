<%@ page contentType="text/html; charset=UTF-8" pageEncoding="UTF-8" %>
<%@ page import="java.util.List, com.lakeside.portal.Member" %>
<%
    Member member = (Member) session.getAttribute("member");
%>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>会员中心</title><link rel="stylesheet" href="/style.css"></head>
<body>
<h1>会员中心</h1>
<% if (member == null) { %>
  <p><a href="login.jsp">请先登录</a></p>
<% } else { %>
  <p>欢迎回来，<%= member.getDisplayName() %>！您的积分：<%= member.getPoints() %></p>
  <p><a href="news.jsp">会员专享优惠</a></p>
<% } %>
</body>
</html>
