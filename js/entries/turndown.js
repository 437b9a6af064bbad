// Turndown's browser build: it parses HTML with the page's DOMParser.
globalThis.TurndownService = require('turndown');
