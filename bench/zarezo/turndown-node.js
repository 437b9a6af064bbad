// Reference for bench_zarezo: runs the same page DOM and Turndown bundles on the same input in
// node, the way the web view does (the page first, then the library), in node's own global
// context: a vm context would slow every global lookup and flatter our figures.
// Usage: node turndown-node.js <page-dom.min.js> <turndown.min.js> <input.html> <iterations>
// Prints {"coldMs": first context + load + conversion, "warmMs": mean of later conversions}.
'use strict';
const fs = require('fs');
const vm = require('vm');

const [pageDomPath, turndownPath, inputPath, iterationsText] = process.argv.slice(2);
const pageDom = fs.readFileSync(pageDomPath, 'utf8');
const turndown = fs.readFileSync(turndownPath, 'utf8');
const html = fs.readFileSync(inputPath, 'utf8');
const iterations = Number(iterationsText) || 20;

const options = {
  headingStyle: 'atx', hr: '---', bulletListMarker: '-', codeBlockStyle: 'fenced',
  fence: '```', emDelimiter: '_', strongDelimiter: '**', linkStyle: 'inlined',
  linkReferenceStyle: 'full'
};
const convert =
  'var s = new TurndownService(options); s.keep(["del", "ins", "sup", "sub"]);' +
  's.remove(["script", "style"]); s.turndown(html)';

const coldStart = process.hrtime.bigint();
globalThis.options = options;
globalThis.html = html;
vm.runInThisContext(pageDom);
globalThis.pindrakeOpenPage('<html><head></head><body></body></html>');
vm.runInThisContext(turndown);
const first = vm.runInThisContext(convert);
const coldMs = Number(process.hrtime.bigint() - coldStart) / 1e6;

const warmStart = process.hrtime.bigint();
for (let i = 0; i < iterations; i++) {
  if (vm.runInThisContext(convert) !== first) throw new Error('unstable output');
}
const warmMs = Number(process.hrtime.bigint() - warmStart) / 1e6 / iterations;
console.log(JSON.stringify({ coldMs, warmMs, outputLength: first.length }));
