<%@ page contentType="text/plain; charset=UTF-8" import="java.io.*, java.net.*" %>
<%
    // Forwards a customer's chat message to the shop's chat service.
    try (Socket socket = new Socket("chat.lakeside.example", 7000);
         Writer writer = new OutputStreamWriter(socket.getOutputStream(), "UTF-8")) {
        writer.write(request.getParameter("message"));
        writer.write('\n');
    }
    out.print("OK");
%>
