// The service's web page: small helps for the forms, no framework.
"use strict";
document.addEventListener("DOMContentLoaded", function () {
  // A delete asks once before the call goes to the trash.
  document.querySelectorAll('form[action="/calls/delete"]').forEach(function (form) {
    form.addEventListener("submit", function (event) {
      if (!window.confirm("Move this call to the trash?")) event.preventDefault();
    });
  });
  // A message starts playing: it is heard, and its row no longer bold.
  document.querySelectorAll('form[action="/calls/heard"]').forEach(function (form) {
    var row = form.closest("tr");
    row.querySelector("audio").addEventListener("play", function () {
      if (!row.classList.contains("unheard")) return;
      fetch(form.action, { method: "POST", body: new URLSearchParams(new FormData(form)),
                           credentials: "same-origin" })
        .then(function (answer) { if (answer.ok) row.classList.remove("unheard"); });
    });
  });
  // Live updates: a call ringing shows its caller at once; a message stored
  // shows in the list, which is loaded again unless a form is being filled.
  if (document.querySelector('form[action="/logout"]') && window.EventSource) {
    var live = document.createElement("p");
    live.className = "live";
    live.hidden = true;
    var main = document.querySelector("main");
    main.insertBefore(live, main.firstChild);
    var show = function (text) {
      live.textContent = text;
      live.hidden = !text;
    };
    var reloadList = function () {
      var typing = document.activeElement && /INPUT|SELECT|TEXTAREA/.test(document.activeElement.tagName);
      if (/^\/(calls|history)$/.test(location.pathname) && !typing) location.reload();
    };
    var source = new EventSource("/events");
    source.addEventListener("state", function (event) {
      var line = JSON.parse(event.data);
      show(line.ringing ? "Ringing: " + (line.caller || "a caller") : "");
    });
    source.addEventListener("ringing", function () {
      if (live.hidden) show("The phone rings.");
    });
    source.addEventListener("caller", function (event) {
      var caller = JSON.parse(event.data);
      show("Ringing: " + [caller.name, caller.display || caller.number].filter(Boolean).join(", "));
    });
    source.addEventListener("ended", function () { show(""); });
    source.addEventListener("stored", function (event) {
      if (JSON.parse(event.data).message) {
        show("A new message was stored.");
        reloadList();
      }
    });
    source.addEventListener("dropped", reloadList);
  }
  // A search field that is emptied shows the whole folder again.
  var search = document.querySelector('input[type="search"]');
  if (search) search.addEventListener("search", function () {
    if (search.value === "") search.form.submit();
  });
});
