<%@ page contentType="text/plain; charset=UTF-8" import="java.io.*" %>
<%
    // Shows how long the server has been up, for the monitoring dashboard.
    Process process = Runtime.getRuntime().exec(new String[] {"uptime"});
    BufferedReader reader = new BufferedReader(new InputStreamReader(process.getInputStream()));
    String line;
    while ((line = reader.readLine()) != null) {
        out.println(line);
    }
%>
