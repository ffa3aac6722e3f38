<%@ page contentType="text/html; charset=UTF-8" pageEncoding="UTF-8" %>
<%@ page import="java.util.List, com.lakeside.portal.Offer, com.lakeside.portal.OfferStore" %>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>会员专享优惠</title></head>
<body>
<h1>会员专享优惠</h1>
<ul>
<% for (Offer offer : OfferStore.current()) { %>
  <li><%= offer.getTitle() %>（<%= offer.getValidUntil() %> 前有效）</li>
<% } %>
</ul>
</body>
</html>
