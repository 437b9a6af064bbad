// html-to-md needs no DOM; it defines the global function the engine calls.
globalThis.html2md = require('html-to-md');
