<%@ Page Language="C#" %>
<script runat="server">
    protected void Page_Load(object sender, EventArgs e)
    {
        var cart = Session["cart"] as System.Collections.Generic.List<int>
                   ?? new System.Collections.Generic.List<int>();
        count.Text = cart.Count.ToString();
    }
</script>
<!DOCTYPE html>
<html>
<head><meta charset="utf-8" /><title>购物车</title></head>
<body>
    <h1>购物车</h1>
    <p>共有 <asp:Literal ID="count" runat="server" /> 件商品。</p>
    <p><a href="Default.aspx">继续购物</a></p>
</body>
</html>
