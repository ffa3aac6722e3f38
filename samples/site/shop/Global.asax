<%@ Application Language="C#" %>
<script runat="server">
    void Application_Start(object sender, EventArgs e)
    {
        Application["StartedAt"] = DateTime.Now;
    }

    void Session_Start(object sender, EventArgs e)
    {
        Session["cart"] = new System.Collections.Generic.List<int>();
    }
</script>
