// The service's web page: small helps for the forms, no framework.
"use strict";
document.addEventListener("DOMContentLoaded", function () {
  // A delete asks once before the call goes to the trash.
  document.querySelectorAll('form[action="/calls/delete"]').forEach(function (form) {
    form.addEventListener("submit", function (event) {
      if (!window.confirm("Move this call to the trash?")) event.preventDefault();
    });
  });
  // A search field that is emptied shows the whole folder again.
  var search = document.querySelector('input[type="search"]');
  if (search) search.addEventListener("search", function () {
    if (search.value === "") search.form.submit();
  });
});
