// Reference readings for the accuracy measurement: one UTF-8 sentence a line
// on stdin, one JSON array a line on stdout with [character, reading] for
// every Chinese character, the reading tone-numbered (neutral tone 5, ü as
// v) and in citation tones (pinyin-pro's tone sandhi off).
// With --multiple, every line is one character and the output line is the
// JSON array of all its readings that pinyin-pro knows.
//   NODE_PATH=build-tools-node/node_modules node pinyin_pro_readings.cjs [--multiple]
'use strict';
const { pinyin } = require('pinyin-pro');
const readline = require('readline');

const lines = readline.createInterface({ input: process.stdin, crlfDelay: Infinity });
const out = [];
const multiple = process.argv.includes('--multiple');
const number = (p) => p.replace(/0$/, '5');
lines.on('line', (line) => {
  if (multiple) {
    out.push(JSON.stringify(pinyin(line, { type: 'array', toneType: 'num', v: true, multiple: true }).map(number)));
    return;
  }
  const readings = pinyin(line, { type: 'all', toneType: 'num', v: true, toneSandhi: false })
    .filter((x) => x.isZh)
    .map((x) => [x.origin, number(x.pinyin)]);
  out.push(JSON.stringify(readings));
});
lines.on('close', () => {
  process.stdout.write(out.join('\n') + (out.length ? '\n' : ''));
});
