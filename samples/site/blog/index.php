<?php
require __DIR__ . '/lib/db.php';
require __DIR__ . '/lib/template.php';
$config = require __DIR__ . '/config.php';

$page = max(1, (int)($_GET['page'] ?? 1));
page_header($config['site_title']);
?>
<h1><?= h($config['site_title']) ?></h1>
<?php foreach (blog_posts($page, $config['per_page']) as $post): ?>
  <article>
    <h2><a href="post.php?id=<?= (int)$post['id'] ?>"><?= h($post['title']) ?></a></h2>
    <p class="date"><?= h($post['published']) ?></p>
    <p><?= h($post['summary']) ?></p>
  </article>
<?php endforeach; ?>
<p><a href="?page=<?= $page + 1 ?>">更早的文章</a></p>
<?php page_footer();
