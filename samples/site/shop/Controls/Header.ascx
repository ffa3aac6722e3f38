<%@ Control Language="C#" ClassName="Header" %>
<div class="header">
    <a href="/index.html"><img src="/images/logo.png" alt="湖畔烘焙坊" /></a>
    <span class="slogan">新鲜出炉，每天六点</span>
</div>
