<%@ Page Language="C#" Async="true" %>
<script runat="server">
    // Rebuilds the product search index in the background so that the page
    // answers at once.
    protected void Page_Load(object sender, EventArgs e)
    {
        System.Threading.Tasks.Task.Run(() => Shop.SearchIndex.Rebuild());
        status.Text = "索引重建已开始。";
    }
</script>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8" /><title>重建索引</title></head>
<body><p><asp:Literal ID="status" runat="server" /></p></body>
</html>
