<%@ page contentType="text/html; charset=UTF-8" pageEncoding="UTF-8" %>
<%@ page import="com.lakeside.portal.Member, com.lakeside.portal.MemberStore" %>
<%
    String error = null;
    if ("POST".equals(request.getMethod())) {
        Member member = MemberStore.authenticate(request.getParameter("phone"),
                                                 request.getParameter("password"));
        if (member != null) {
            session.setAttribute("member", member);
            response.sendRedirect("index.jsp");
            return;
        }
        error = "手机号或密码不正确。";
    }
%>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>会员登录</title></head>
<body>
<h1>会员登录</h1>
<% if (error != null) { %><p class="error"><%= error %></p><% } %>
<form method="post">
  <label>手机号 <input name="phone"></label>
  <label>密码 <input name="password" type="password"></label>
  <button type="submit">登录</button>
</form>
</body>
</html>
