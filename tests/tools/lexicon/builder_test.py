"""Checks of the lexicon builder's parts that the payload round trip in
C++ does not reach: reading the packages, tone conversion, tag mapping,
frequency coding and the errors of the rule source."""

import json
import os
import tempfile
import unittest
from collections import Counter

import build_lexicon
import frequency_code
import lexicon_encoder
import lexicon_words
import polyphone_rules
from pinyin_numbers import citation_tones, numbered_reading, numbered_syllable
from tag_names import TAG_NAMES, jieba_tag_number


class ToneNumbers(unittest.TestCase):
    def test_marked_syllables(self):
        cases = [
            ("zhōng", "zhong1"), ("yí", "yi2"), ("nǚ", "nv3"), ("lǜ", "lv4"),
            ("le", "le5"), ("ma0", "ma5"), ("Lǘ", "lv2"), ("ǹg", "ng4"),
            ("ê̄", "e1"), ("", None), ("m²", None), ("a-b", None),
        ]
        for marked, numbered in cases:
            self.assertEqual(numbered_syllable(marked), numbered, marked)

    def test_reading_fails_as_a_whole(self):
        self.assertEqual(numbered_reading("yī yàng"), ["yi1", "yang4"])
        self.assertIsNone(numbered_reading("yī 2x"))

    def test_citation_tones_undo_only_yi_and_bu_changes(self):
        cases = [
            ("一模一样", "yi4 mu2 yi2 yang4", "yi1 mu2 yi1 yang4"),
            ("不要", "bu2 yao4", "bu4 yao4"),
            ("对不起", "dui4 bu5 qi3", "dui4 bu5 qi3"),     # neutral tone stays
            ("统一", "tong3 yi1", "tong3 yi1"),
            ("仪表", "yi2 biao3", "yi2 biao3"),            # other characters
            ("不", "bu2", "bu4"),
        ]
        for word, before, after in cases:
            self.assertEqual(citation_tones(word, before.split()), after.split(), word)


class SyllableSpellings(unittest.TestCase):
    def test_ue_after_l_and_n_matches_either_spelling(self):
        from syllable_codes import SyllableCodes
        for listed in (["lue", "nue"], ["lve", "nve"]):
            codes = SyllableCodes(listed)
            self.assertEqual(codes.code("lve4"), 3)
            self.assertEqual(codes.code("lue4"), 3)
            self.assertEqual(codes.code("nve4"), 8)
        self.assertIsNone(SyllableCodes(["lu"]).code("lve4"))


class TagMapping(unittest.TestCase):
    def test_jieba_tags(self):
        cases = {"n": "n", "v": "v", "nrt": "nr", "nrfg": "nr", "uj": "u", "uv": "u",
                 "ug": "u", "mq": "m", "rr": "r", "zg": "d", "vi": "v", "x": "x",
                 "eng": "e", "??": "x"}
        for jieba, name in cases.items():
            self.assertEqual(TAG_NAMES[jieba_tag_number(jieba)], name, jieba)


class FrequencyCode(unittest.TestCase):
    def test_every_code_value_encodes_to_its_code(self):
        for code in range(256):
            self.assertEqual(frequency_code.encode(frequency_code.decode(code)), code)

    def test_between_codes_the_nearest_wins_and_ties_go_down(self):
        cases = [(50, 49), (52, 50), (100, 74), (101, 75), (3000, 159), (3001, 160),
                 (-5, 0), (60001, 255), (10 ** 9, 255)]
        for frequency, code in cases:
            self.assertEqual(frequency_code.encode(frequency), code, frequency)


class EntryLimits(unittest.TestCase):
    def test_readings_beyond_the_entry_size_are_dropped_in_order(self):
        chars = [0xA1B0 + i for i in range(16)]
        readings = [(38, [100 + r] * 16, 10) for r in range(8)]
        raw, dropped = lexicon_encoder.encode_entry(chars, readings, None)
        self.assertEqual(dropped, 2)                 # 2 + 32 + 6 x 34 = 238 bytes
        self.assertEqual(len(raw), 238)
        self.assertEqual(raw[1], 238)                # size byte of the header
        self.assertEqual(raw[0], 15 << 4)            # length 16
        self.assertEqual(raw[-32:-30], bytes((105, 0)))   # last kept: reading 5

    def test_at_most_sixteen_readings(self):
        readings = [(38, [200 + r], 10) for r in range(17)]
        raw, dropped = lexicon_encoder.encode_entry([0xA1B0], readings, 200)
        self.assertEqual(dropped, 1)
        self.assertEqual(len(raw), 2 + 2 + 15 * 4)   # the default in short form

    def test_words_the_format_cannot_hold(self):
        for chars in ([], [0xA1B0] * 17):
            with self.assertRaises(ValueError):
                lexicon_encoder.encode_entry(chars, [(38, [1] * len(chars), 1)], None)


class RuleWarnings(unittest.TestCase):
    def test_unknown_readings_and_impossible_patterns(self):
        words = {"行": lexicon_words.Word("行"), "银行": lexicon_words.Word("银行")}
        words["行"].add(80, ["xing2"], 5)
        words["行"].add(80, ["hang2"], 1)
        entries = polyphone_rules.parse(
            "行:\n  hang2 if word(-1) in 银行,银*,银河\n  heng2\n  xing5\n")
        warnings = build_lexicon.rule_warnings(entries, words)
        self.assertEqual(len(warnings), 2, warnings)
        self.assertIn("银河 is not a word", warnings[0])
        self.assertIn("heng2 is not a reading of 行", warnings[1])


class Sources(unittest.TestCase):
    """A miniature of the three packages, read the way the full build is."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        root = self.dir.name

        def write(path, text):
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)

        write("nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8",
              "行 1000 zg\n银行 300 n\n一个 900 mq\n行列 40 n\n乐 5 a\n"
              "行行 2 x\nB超 3 n\n坏行\n")
        write("pinyin-pro-data/package/json/complete.json", json.dumps({
            "行": ["xíng", 1e-9], "银行": ["yín háng", 3e-10], "一个": ["yí gè", 9e-10],
            "行行": ["háng háng", 2e-12], "B超": ["B chāo", 3e-12],
        }, ensure_ascii=False))
        write("pinyin-pro/package/dist/esm/data/dict1.mjs",
              "const map = {\n    'xíng háng': ['行'],\n    yín: ['银', '乐'],\n"
              "    'lè yuè': ['乐'],\n    liè: ['列'],\n    yī: ['一'],\n"
              "    gè: ['个'],\n    'xíng háng héng': ['桁'],\n};\n")
        self.stats = Counter()
        self.words, self.defaults = lexicon_words.from_sources(root, self.stats)

    def tearDown(self):
        self.dir.cleanup()

    def readings(self, word):
        return [(TAG_NAMES[t], " ".join(s)) for t, s, _ in self.words[word].readings]

    def test_words_readings_and_tags(self):
        self.assertEqual(self.readings("银行"), [("n", "yin2 hang2")])
        self.assertEqual(self.readings("一个"), [("m", "yi1 ge4")])          # citation tone
        self.assertEqual(self.readings("行列"), [("n", "xing2 lie4")])       # composed
        self.assertEqual(self.readings("行"), [("d", "xing2"), ("d", "hang2")])
        self.assertEqual(self.readings("乐"), [("a", "le4"), ("a", "yue4")])  # later key wins
        self.assertEqual(self.stats["source words"], 7)
        self.assertEqual(self.stats["readings composed from characters"], 2)  # 行列, 乐
        self.assertNotIn("B超", self.words)        # not pinyin throughout: no reading
        self.assertEqual(self.stats["skipped: no reading"], 1)

    def test_characters_without_words_become_bound_morphemes(self):
        self.assertEqual(self.readings("桁"), [("ng", "xing2"), ("ng", "hang2"), ("ng", "heng2")])
        self.assertEqual(self.readings("列"), [("ng", "lie4")])
        self.assertEqual(self.defaults["桁"], "xing2")

    def test_default_reading_keeps_most_of_the_frequency(self):
        freqs = [f for _, _, f in self.words["行"].readings]
        self.assertGreaterEqual(freqs[0], 2 * max(freqs[1:]))
        self.assertGreaterEqual(sum(freqs), 1000)
        self.assertGreater(freqs[1], 1)   # 行 is hang2 in 银行 and 行行

    def test_added_words_join_or_replace_source_words(self):
        path = os.path.join(self.dir.name, "added.tsv")
        with open(path, "w", encoding="utf-8") as f:
            f.write("# comment\n银行\tn\tyin2 hang2\t999\n一行行\tl\tyi2 hang2 hang2\t50\n")
        lexicon_words.add_words(self.words, path, self.stats)
        self.assertEqual([(TAG_NAMES[t], " ".join(s), f) for t, s, f in self.words["银行"].readings],
                         [("n", "yin2 hang2", 999)])                 # replaced, not merged
        self.assertEqual(self.readings("一行行"), [("l", "yi1 hang2 hang2")])  # citation tones
        self.assertEqual(self.stats["added words: replacing a source word"], 1)
        self.assertEqual(self.stats["added words: new"], 1)
        self.assertEqual(self.readings("行")[0], ("d", "xing2"))    # characters untouched

    def test_split_frequency_bounds(self):
        for total in (0, 1, 7, 1000, 500000):
            default, others = lexicon_words.split_frequency(total, ["a", "b"], {"a": 0.9, "b": 0.0})
            self.assertTrue(all(o >= 1 for o in others))
            self.assertGreaterEqual(default, 2 * max(others))


class RuleSourceErrors(unittest.TestCase):
    def test_good_source(self):
        entries = polyphone_rules.parse("行:\n  hang2 if pos(-1) in m & word(+1..+2) not in 走,*路\n  xing2\n")
        self.assertEqual([len(e.rules) for e in entries], [2])
        self.assertEqual(entries[0].rules[0].limits[1].patterns, ["走", "*路"])

    def test_errors_name_the_line(self):
        cases = [
            ("行:\n  hang2 if pos(-1) in mm\n", "unknown tag"),
            ("行:\n  hang2 xing2\n", "syllable"),
            ("行长:\n  hang2\n", "syllable"),
            ("行:\n  hang9\n", "syllable"),
            ("行:\n  hang2 if\n", "without limits"),
            ("行:\n  hang2 if pos(-1) in m &\n", "cannot read"),
            ("行:\n  hang2 if pos(-200) in m\n", "offset"),
            ("行:\n  hang2 if word(1) in *\n", "pattern"),
            ("行:\n  hang2 if len(1) = 300\n", "length"),
            ("行:\n  hang2 if attr(0,0) has 0x80000000\n", "mask"),
            ("行:\n  hang2 if size(1) = 3\n", "cannot read"),
            ("行:\n  hang2\n行:\n  xing2\n", "already"),
            ("  hang2\n", "before any entry"),
            ("行长短:\n  hang2 zhang3 duan3\n", "one or two"),
        ]
        for source, message in cases:
            with self.assertRaises(polyphone_rules.RuleError, msg=source) as caught:
                polyphone_rules.parse(source, "r.txt")
            self.assertIn(message, str(caught.exception), source)
            self.assertRegex(str(caught.exception), r"^r\.txt:\d+: ", source)

    def test_compile_refuses_what_cannot_be_stored(self):
        unknown_syllable = polyphone_rules.parse("行:\n  hang2\n")
        with self.assertRaises(polyphone_rules.RuleError):
            polyphone_rules.compile_section(unknown_syllable, lambda s: None, lambda c: 0xD0D0)
        too_big = polyphone_rules.parse("行:\n  hang2 if pos(-1) in " + ",".join(["n"] * 127) + "\n")
        with self.assertRaises(polyphone_rules.RuleError):
            polyphone_rules.compile_section(too_big, lambda s: 1, lambda c: 0xD0D0)


if __name__ == "__main__":
    unittest.main()
