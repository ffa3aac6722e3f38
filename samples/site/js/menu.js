// Highlights the current page in the navigation bar.
document.addEventListener("DOMContentLoaded", function () {
  var links = document.querySelectorAll("nav a");
  for (var i = 0; i < links.length; i++) {
    if (links[i].href === location.href) links[i].className = "current";
  }
});
