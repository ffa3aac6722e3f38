<?php
// Makes a 200-pixel thumbnail of an uploaded photo with ImageMagick.
function make_thumbnail(string $source, string $target): bool
{
    $command = 'convert ' . escapeshellarg($source) . ' -resize 200x200 ' . escapeshellarg($target);
    exec($command, $output, $status);
    return $status === 0;
}
