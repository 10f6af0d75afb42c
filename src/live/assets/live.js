// Live results: keeps the open page current without a reload by hand. Twice a
// second it asks for the page again with the entity tag of the copy it has;
// the server answers "304 Not Modified" until the page changes, and then the
// new page's main part replaces the shown one (the scroll position stays).
// Served from a folder without entity tags, a changed text does the same.
(function () {
  'use strict';
  var intervalMs = 500;
  var etag = null;
  var lastText = null;
  var busy = false;
  var failures = 0;

  function showState(offline) {
    var state = document.getElementById('live-state');
    if (!state) {
      return;
    }
    state.textContent = offline ? 'Connection lost \u2013 retrying' : '';
    state.className = offline ? 'offline' : '';
  }

  function take(text) {
    if (text === lastText) {
      return;
    }
    lastText = text;
    var fresh = new DOMParser().parseFromString(text, 'text/html');
    var next = fresh.getElementById('live');
    var shown = document.getElementById('live');
    if (next && shown) {
      shown.replaceWith(document.importNode(next, true));
      document.title = fresh.title;
    }
  }

  function poll() {
    if (busy || document.hidden) {
      return;
    }
    busy = true;
    var headers = {};
    if (etag) {
      headers['If-None-Match'] = etag;
    }
    fetch(location.pathname, { cache: 'no-store', headers: headers })
      .then(function (response) {
        if (response.status === 304) {
          return null;
        }
        if (!response.ok) {
          throw new Error('HTTP ' + response.status);
        }
        etag = response.headers.get('ETag');
        return response.text();
      })
      .then(function (text) {
        failures = 0;
        showState(false);
        if (text !== null) {
          take(text);
        }
      })
      .catch(function () {
        failures += 1;
        showState(failures > 2);
      })
      .then(function () {
        busy = false;
      });
  }

  setInterval(poll, intervalMs);
  document.addEventListener('visibilitychange', poll);
})();
