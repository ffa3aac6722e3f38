<?php
/*
 * Marker page for the scanner demo. It only names two identifiers of a known
 * webshell family, c99sh_surl and c99_buff_prepare, and runs nothing.
 */
echo 'Uploaded photos are kept in this folder.';
