<?php
function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES, 'UTF-8');
}

function page_header(string $title): void
{
    echo '<!DOCTYPE html><html><head><meta charset="utf-8"><title>', h($title), '</title>',
         '<link rel="stylesheet" href="/style.css"></head><body>';
}

function page_footer(): void
{
    echo '<p class="footer">湖畔烘焙坊 · 烘焙博客</p></body></html>';
}
