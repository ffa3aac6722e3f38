<?php
require __DIR__ . '/lib/db.php';
require __DIR__ . '/lib/template.php';

$post = blog_post((int)($_GET['id'] ?? 0));
if ($post === null) {
    http_response_code(404);
    page_header('找不到文章');
    echo '<p>这篇文章不存在。</p>';
    page_footer();
    return;
}
page_header($post['title']);
?>
<h1><?= h($post['title']) ?></h1>
<p class="date"><?= h($post['published']) ?></p>
<div class="body"><?= nl2br(h($post['body'])) ?></div>
<p><a href="index.php">返回博客首页</a></p>
<?php page_footer();
