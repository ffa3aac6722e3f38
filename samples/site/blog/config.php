<?php
// Blog settings. The database account may only read and write the blog's tables.
return [
    'db_dsn'      => 'mysql:host=localhost;dbname=bakery_blog;charset=utf8mb4',
    'db_user'     => 'blog',
    'db_password' => 'change-me',
    'per_page'    => 5,
    'site_title'  => '湖畔烘焙博客',
];
