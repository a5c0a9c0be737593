// Prints "CODEPOINT<TAB>reading" (hex code point, pinyin with tone digit
// 1-5) for every BMP CJK character outside GB2312 that pinyin-pro knows,
// sorted by code point. Spellings follow the syllable table: lue, nue, eh.
const { pinyin } = require('pinyin-pro');

const gb2312 = new Set();
const gbk = new TextDecoder('gbk');
for (let lead = 0xb0; lead <= 0xf7; ++lead)
  for (let trail = 0xa1; trail <= 0xfe; ++trail)
    gb2312.add(gbk.decode(new Uint8Array([lead, trail])));

const blocks = [[0x3400, 0x4dbf], [0x4e00, 0x9fff], [0xf900, 0xfaff]];
const lines = [];
for (const [first, last] of blocks) {
  for (let cp = first; cp <= last; ++cp) {
    const ch = String.fromCodePoint(cp);
    if (gb2312.has(ch)) continue;
    let r = pinyin(ch, { toneType: 'num', v: true, toneSandhi: false });
    if (!/^[a-zê]+[0-5]$/.test(r)) continue;
    r = r.replace(/0$/, '5').replace(/^lve/, 'lue').replace(/^nve/, 'nue').replace(/ê/, 'eh');
    lines.push(cp.toString(16).toUpperCase() + '\t' + r);
  }
}
process.stdout.write(lines.join('\n') + '\n');
