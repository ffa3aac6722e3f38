<%@ Page Language="C#" AutoEventWireup="true" CodeFile="Default.aspx.cs" Inherits="Shop.DefaultPage" %>
<%@ Register TagPrefix="shop" TagName="Header" Src="~/shop/Controls/Header.ascx" %>
<!DOCTYPE html>
<html>
<head runat="server">
    <meta charset="utf-8" />
    <title>湖畔烘焙坊 - 网上商城</title>
</head>
<body>
    <form id="form1" runat="server">
        <shop:Header ID="header" runat="server" />
        <asp:Repeater ID="products" runat="server">
            <ItemTemplate>
                <div class="product">
                    <h2><%# Eval("Name") %></h2>
                    <p><%# Eval("Price", "{0:C}") %></p>
                    <asp:Button runat="server" Text="加入购物车" CommandArgument='<%# Eval("Id") %>'
                        OnCommand="AddToCart" />
                </div>
            </ItemTemplate>
        </asp:Repeater>
    </form>
</body>
</html>
