// Regenerates regex_conformance.tsv: what JavaScript's regular expressions
// give for each case below, the table that regex_conformance_test.cc holds
// RegexObject to. Run with Node.js (Debian `nodejs`):
//   node tests/convert/gen_regex_conformance.js > tests/convert/regex_conformance.tsv
//
// Flags: i (ignore case), m (multi-line), g (global); RegexObject's defaults
// are all three. Where RegexObject differs from JavaScript on purpose, the
// case carries `why` and `ours`, the values it gives instead.
'use strict';

const runaway = 'a'.repeat(40) + '!';
const cases = [
  // classes
  {name: 'range class', pattern: '[a-c]+', flags: 'gim', subject: 'xabcx', replacement: '<$&>'},
  {name: 'negated class', pattern: '[^a-c]+', flags: 'gim', subject: 'ab中文c', replacement: '_'},
  {name: 'class with escapes', pattern: '[\\d,=]+', flags: 'gim', subject: 'k,1=v', replacement: '|'},
  {name: 'empty class', pattern: '[]', flags: 'gim', subject: 'abc', replacement: '_'},
  {name: 'negated empty class', pattern: 'a[^]b', flags: 'gim', subject: 'a\nb', replacement: '_'},
  {name: 'hyphen at class end', pattern: '[\\w-]+', flags: 'gim', subject: 'a-b c', replacement: '_'},
  // \d, \w, \b, \s
  {name: 'digit is ASCII', pattern: '\\d+', flags: 'gim', subject: '１２3４5', replacement: '#'},
  {name: 'probe pattern', pattern: ',\\d{1}=', flags: 'gim', subject: 'a,1=x\r\nb,12=y', replacement: '~'},
  {name: 'word is ASCII', pattern: '\\w+', flags: 'gim', subject: '中abc_1文é', replacement: 'W'},
  {name: 'boundary next to Chinese', pattern: '\\babc\\b', flags: 'gim', subject: '中abc文', replacement: 'X'},
  {name: 'boundary before Chinese', pattern: '\\b中', flags: 'gim', subject: 'a中', replacement: 'X'},
  {name: 'non-boundary', pattern: '\\Bb', flags: 'gim', subject: 'ab b', replacement: 'X'},
  {name: 'space includes U+3000 and U+00A0', pattern: '\\s+', flags: 'gim', subject: 'a\u3000\u00a0\tb\u2028c', replacement: '_'},
  {name: 'non-space', pattern: '\\S+', flags: 'gim', subject: '\u3000ab\u00a0cd', replacement: '<$&>'},
  {name: 'space inside class', pattern: '[\\s,]+', flags: 'gim', subject: 'a\u3000,b', replacement: '_'},
  // anchors and line ends
  {name: 'anchors with CR LF', pattern: '^b$', flags: 'gim', subject: 'a\r\nb\r\nc', replacement: 'B'},
  {name: 'anchors with LF', pattern: '^\\w', flags: 'gim', subject: 'a\nb\nc', replacement: 'X'},
  {name: 'anchors with lone CR', pattern: '\\w$', flags: 'gim', subject: 'a\rb\rc', replacement: 'X'},
  {name: 'dollar without multi-line', pattern: 'c$', flags: 'g', subject: 'c\nc', replacement: 'X'},
  {name: 'caret without multi-line', pattern: '^c', flags: 'g', subject: 'c\nc', replacement: 'X'},
  {name: 'dot stops at line ends', pattern: 'a.+', flags: 'gim', subject: 'abc\r\nade\rx', replacement: '_'},
  {name: 'empty lines between CR LF', pattern: '^$', flags: 'gm', subject: 'a\r\n\r\nb', replacement: 'E',
   why: 'CR LF is one line break, so no empty line lies between its CR and its LF',
   ours: {count: 1, first: '', groups: [], replaced: 'a\r\nE\r\nb'}},
  // case-insensitive matching
  {name: 'ignore case ASCII', pattern: 'abc', flags: 'gi', subject: 'ABC aBc', replacement: '_'},
  {name: 'case-sensitive', pattern: 'abc', flags: 'g', subject: 'ABC abc', replacement: '_'},
  {name: 'ignore case Latin-1', pattern: 'é', flags: 'gi', subject: 'ÉéE', replacement: '_'},
  {name: 'ignore case Greek', pattern: 'σ', flags: 'gi', subject: 'Σσ', replacement: '_'},
  {name: 'ignore case Cyrillic', pattern: 'д', flags: 'gi', subject: 'Дд', replacement: '_'},
  {name: 'ignore case full-width', pattern: 'ａ', flags: 'gi', subject: 'Ａａ', replacement: '_'},
  {name: 'ignore case long s', pattern: 's', flags: 'gi', subject: 'sſS', replacement: '_',
   why: 'case folding follows Unicode, in which U+017F folds to s',
   ours: {count: 3, first: 's', groups: [], replaced: '___'}},
  {name: 'class ignoring case', pattern: '[a-c]+', flags: 'gi', subject: 'ABCd', replacement: '_'},
  // escapes
  {name: 'unicode escape', pattern: '\\u4e2d\\u6587', flags: 'gim', subject: 'x中文', replacement: 'Z'},
  {name: 'surrogate pair escape', pattern: '\\ud83d\\ude00', flags: 'gim', subject: 'a😀b', replacement: 'E'},
  {name: 'hex escape', pattern: '\\x41\\x2c', flags: 'g', subject: 'A,a,', replacement: '_'},
  {name: 'identity escapes', pattern: '\\e\\q\\-\\.', flags: 'g', subject: 'eq-.', replacement: '_'},
  {name: 'incomplete unicode escape', pattern: '\\u12', flags: 'g', subject: 'u12', replacement: '_'},
  {name: 'vertical tab escape', pattern: '\\v', flags: 'g', subject: 'a\u000bb', replacement: '_'},
  {name: 'control escape', pattern: '\\cJ', flags: 'g', subject: 'a\nb', replacement: '_'},
  {name: 'nul escape', pattern: '\\0', flags: 'g', subject: 'a\u0000b', replacement: '_'},
  // global and non-global replace, empty matches
  {name: 'global replace', pattern: ',', flags: 'gim', subject: 'a,b,1', replacement: '='},
  {name: 'non-global replace', pattern: ',', flags: 'im', subject: 'a,b,1', replacement: '='},
  {name: 'empty matches advance one unit', pattern: 'b*', flags: 'gim', subject: 'abc', replacement: '-'},
  {name: 'empty pattern', pattern: '', flags: 'gim', subject: '中文', replacement: '-'},
  {name: 'empty pattern non-global', pattern: '', flags: 'im', subject: 'abc', replacement: '-'},
  {name: 'empty match after match', pattern: 'a|', flags: 'gim', subject: 'aab', replacement: '[$&]'},
  {name: 'lookahead', pattern: '(?=b)', flags: 'gim', subject: 'abab', replacement: '^'},
  {name: 'lookbehind', pattern: '(?<=a)b', flags: 'gim', subject: 'abcb', replacement: 'B'},
  {name: 'empty match beside an emoji', pattern: '', flags: 'g', subject: '😀', replacement: '-',
   why: 'an empty match steps over a whole character, never into a surrogate pair',
   ours: {count: 2, first: '', groups: [], replaced: '-😀-'}},
  {name: 'dot and an emoji', pattern: '^.$', flags: 'g', subject: '😀', replacement: 'X',
   why: 'a character outside the BMP is one character, as GB18030 holds it',
   ours: {count: 1, first: '😀', groups: [], replaced: 'X'}},
  // replacement $ forms
  {name: 'numbered groups', pattern: '(\\w)(\\d)', flags: 'gim', subject: 'a1 b2', replacement: '$2$1'},
  {name: 'group past the count', pattern: '(\\d)', flags: 'gim', subject: 'a1', replacement: '[$2]'},
  {name: 'two-digit group', pattern: '(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)', flags: 'g', subject: 'abcdefghijk', replacement: '$11$10$01'},
  {name: 'two digits, one group', pattern: '(a)', flags: 'g', subject: 'a', replacement: '$10'},
  {name: 'whole match and sides', pattern: 'b', flags: 'g', subject: 'abc', replacement: "[$`|$&|$']"},
  {name: 'dollar dollar and dollar zero', pattern: 'b', flags: 'g', subject: 'abc', replacement: '$$$0$'},
  {name: 'named group', pattern: '(?<k>\\w+),(?<d>\\d)=', flags: 'g', subject: 'dz,1=x', replacement: '$<k>=$<d>,$<none>'},
  {name: 'dollar-less-than without names', pattern: 'b', flags: 'g', subject: 'b', replacement: '$<x>'},
  // sub-matches that took no part
  {name: 'group that took no part', pattern: '(a)|(b)', flags: 'gim', subject: 'b', replacement: '[$1|$2]'},
  {name: 'optional group', pattern: '(a)(x)?', flags: 'gim', subject: 'ab', replacement: '<$2>'},
  {name: 'back-reference to no part', pattern: '(a)?b\\1', flags: 'gim', subject: 'b', replacement: '_'},
  {name: 'back-reference', pattern: '(\\w)\\1', flags: 'gim', subject: 'aabcc', replacement: '_'},
  // invalid patterns
  {name: 'unclosed group', pattern: '(', flags: 'gim', subject: 'abc', replacement: 'x'},
  {name: 'reversed range', pattern: '[b-a]', flags: 'gim', subject: 'abc', replacement: 'x'},
  {name: 'reversed quantifier', pattern: 'a{2,1}', flags: 'gim', subject: 'abc', replacement: 'x'},
  {name: 'nothing to repeat', pattern: '*', flags: 'gim', subject: 'abc', replacement: 'x'},
  {name: 'trailing backslash', pattern: 'a\\', flags: 'gim', subject: 'abc', replacement: 'x'},
  // runaway patterns: JavaScript would backtrack for hours
  {name: 'nested quantifiers', pattern: '^(a+)+$', flags: 'g', subject: runaway, replacement: 'x', skipJs: true,
   why: 'gives up at the match limit: a failed call, not a hang',
   ours: {error: 1, count: 0, first: '', groups: [], replaced: ''}},
  {name: 'alternation under a star', pattern: '^(a|a)*$', flags: 'g', subject: runaway, replacement: 'x', skipJs: true,
   why: 'gives up at the match limit: a failed call, not a hang',
   ours: {error: 1, count: 0, first: '', groups: [], replaced: ''}},
];

function escape(s) {
  let out = '';
  for (const ch of s) {
    const c = ch.codePointAt(0);
    if (ch === '\\') out += '\\\\';
    else if (c < 0x20 || c === 0x7f || (c >= 0x2028 && c <= 0x2029) || (c >= 0xd800 && c <= 0xdfff)) {
      out += '\\u' + c.toString(16).padStart(4, '0');
    } else out += ch;
  }
  return out;
}

function run(c) {
  let re;
  try {
    re = new RegExp(c.pattern, c.flags);
  } catch (e) {
    return {error: 1, count: 0, first: '', groups: [], replaced: ''};
  }
  const all = c.flags.includes('g') ? [...c.subject.matchAll(re)] : [c.subject.match(re)].filter(m => m);
  const first = all.length > 0 ? all[0] : null;
  return {
    error: 0,
    count: all.length,
    first: first ? first[0] : '',
    groups: first ? first.slice(1).map(g => g === undefined ? '' : g) : [],
    replaced: c.subject.replace(new RegExp(c.pattern, c.flags), c.replacement),
  };
}

const columns = ['name', 'pattern', 'flags', 'subject', 'replacement', 'js_error', 'js_count',
                 'js_first', 'js_groups', 'js_replaced', 'why', 'our_error', 'our_count',
                 'our_first', 'our_groups', 'our_replaced'];
console.log('# Generated by gen_regex_conformance.js; do not edit. Fields escape \\ and');
console.log('# control characters as \\uXXXX; groups are separated by \\u001f.');
console.log(columns.join('\t'));
for (const c of cases) {
  const js = c.skipJs ? {error: '', count: '', first: '', groups: [], replaced: ''} : run(c);
  const ours = c.ours || {};
  const row = [c.name, c.pattern, c.flags, c.subject, c.replacement, String(js.error),
               String(js.count), js.first, js.groups.join('\u001f'), js.replaced, c.why || '',
               c.why ? String(ours.error || 0) : '', c.why ? String(ours.count) : '',
               c.why ? ours.first : '', c.why ? ours.groups.join('\u001f') : '',
               c.why ? ours.replaced : ''];
  console.log(row.map(escape).join('\t'));
}
