<?php
// Settings of the web database console that the hosting company installed
// for the blog's administrator.
define('MYSQL_WEB_ADMIN_USERNAME', 'blogadmin');
define('MYSQL_WEB_ADMIN_PASSWORD', 'change-me');
define('MYSQL_WEB_ADMIN_HOST', 'localhost');
