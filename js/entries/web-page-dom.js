// The page of the off-screen web view: the DOM that a browser page offers scripts (window,
// document, DOMParser), built by domino from the page's HTML.
'use strict';

var page = globalThis;

// domino's window module names the timer functions while it loads. This page has no event loop
// to run timers on, so a call says so instead of silently never firing.
['setTimeout', 'setInterval', 'clearTimeout', 'clearInterval'].forEach(function (name) {
  if (typeof page[name] === 'undefined') {
    page[name] = function () {
      throw new Error(name + ' is not available on this page');
    };
  }
});

var domino = require('@mixmark-io/domino');

function DOMParser() {}
DOMParser.prototype.parseFromString = function (text) {
  return domino.createDocument(String(text), true);
};

// Called once by the web view with the page's HTML; removes itself so the page's scripts see
// only the standard globals.
page.pindrakeOpenPage = function (html) {
  page.window = page;
  page.self = page;
  page.document = domino.createDocument(String(html), true);
  page.DOMParser = DOMParser;
  delete page.pindrakeOpenPage;
};
