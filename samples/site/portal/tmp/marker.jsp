<%@ page contentType="text/plain; charset=UTF-8" %>
<%--
    Marker page for the scanner demo. It only names, in this comment, what a
    known command shell is made of: Runtime.getRuntime().exec, getInputStream
    and its class ExerClientO. Nothing here runs.
--%>
<% out.print("This folder holds temporary exports."); %>
