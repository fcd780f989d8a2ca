#!/usr/bin/env python3
"""Unit tests of tools/data/make_data_files.py on small, hand-made country files."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "data"))
import make_data_files as gen  # noqa: E402

# A small world in cty.dat form: a WAE entity inside a DXCC entity, an exact call that lives
# elsewhere, overrides of every kind, a one-character prefix outside the ten that may stand
# alone, and Guantanamo Bay.
CTY_DAT = """\
Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:
    DA,DB,DC,DL,DL1(14)[28],DL1X,=DL1ABC/P,=VER20230502;
Austria:                  15:  28:  EU:   47.33:   -13.33:    -1.0:  OE:
    OE,=4U1A,=4U1XMAS;
Vienna Intl Ctr:          15:  28:  EU:   48.20:   -16.30:    -1.0:  *4U1V:
    =4U1A,=4U1VIC<48.2/-16.3>;
United States of America: 05:  08:  NA:   37.53:    91.67:     5.0:  K:
    AA,K,N,W,=KG4ABC{NA},=DL1ZZ~5.0~;
Guantanamo Bay:           08:  11:  NA:   20.00:    75.00:     5.0:  KG4:
    KG4,=KG4AC,=KG44WW;
China:                    24:  44:  AS:   36.00:  -102.00:    -8.0:  BY:
    B,BY,B7(23);
"""

CTY_CSV = """\
DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB;
OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;
*4U1V,Vienna Intl Ctr,206,EU,15,28,48.20,-16.30,-1.0,=4U1A;
K,United States,291,NA,05,08,37.53,91.67,5.0,K;
KG4,Guantanamo Bay,105,NA,08,11,20.00,75.00,5.0,KG4;
BY,China,318,AS,24,44,36.00,-102.00,-8.0,BY;
"""


def bureau(code, sort, name="", iaru=True, entity=None):
    return {"code": code, "name": entity or code, "sort": sort, "bureau": name, "iaru": iaru}


BUREAUS = [
    bureau("DL", "DL", "DARC QSL bureau"),
    bureau("OE", "OE", "OEVSV QSL bureau"),
    bureau("*4U1V", "OE", "OEVSV QSL bureau"),
    bureau("K", "K", "ARRL QSL bureau"),
    bureau("KG4", "KG4", "", iaru=False),
    bureau("BY", "BY", "CRAC QSL bureau"),
]


class FileTest(unittest.TestCase):
    """Writes its input files into a temporary folder that goes with the test."""

    def write(self, name, text):
        if not hasattr(self, "folder"):
            self.folder = tempfile.TemporaryDirectory()
            self.addCleanup(self.folder.cleanup)
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="ascii", newline="") as f:
            f.write(text)
        return path

    def world(self):
        entities, date = gen.parse_cty_dat(self.write("cty.dat", CTY_DAT))
        return entities, date, gen.Reference(entities)

    def build(self, entities, ref, master, bureaus=BUREAUS, previous=None, dxcc=None):
        if dxcc is None:
            dxcc = gen.read_dxcc_numbers(self.write("cty.csv", CTY_CSV))
        return gen.build_country_rows(entities, ref, bureaus, master, previous or {}, dxcc)


class ParseTest(FileTest):
    def test_entities_prefixes_and_exact_calls_without_overrides(self):
        entities, date, _ = self.world()
        self.assertEqual(date, "20230502")
        self.assertEqual([e.code for e in entities], ["DL", "OE", "*4U1V", "K", "KG4", "BY"])
        germany = entities[0]
        self.assertEqual(germany.prefixes, ["DA", "DB", "DC", "DL", "DL1", "DL1X"])
        self.assertEqual(germany.exact_calls, ["DL1ABC/P", "VER20230502"])
        self.assertEqual(entities[2].exact_calls, ["4U1A", "4U1VIC"])
        self.assertEqual(entities[3].exact_calls, ["KG4ABC", "DL1ZZ"])
        self.assertTrue(entities[2].wae)
        self.assertFalse(entities[1].wae)

    def test_files_that_are_not_understood_stop_the_generator(self):
        for text in (
            "Germany:  14:  28:  EU:  51.00:  -10.00:  -1.0:  DL:\n    DL,D L;\n",  # blank inside
            "Germany:  14:  28:  EU:  51.00:\n    DL;\n",  # header too short
            "Germany:  14:  28:  EU:  51.00:  -10.00:  -1.0:  DL:\n    DL;\n",  # no release marker
            "Germany:  14:  28:  EU:  51.00:  -10.00:  -1.0:  DL:\n    DL,dl1,=VER20230502;\n",
        ):
            with self.subTest(text=text):
                with self.assertRaises(gen.DataError):
                    gen.parse_cty_dat(self.write("cty.dat", text))

    def test_dxcc_numbers_include_wae_entities(self):
        numbers = gen.read_dxcc_numbers(self.write("cty.csv", CTY_CSV))
        self.assertEqual(numbers["*4U1V"], 206)
        self.assertEqual(numbers["DL"], 230)


class ReferenceTest(FileTest):
    def test_exact_call_first_then_longest_prefix(self):
        _, _, ref = self.world()
        for call, expected in (
            ("DL1ABC/P", "DL"),
            ("DL1ZZ", "K"),  # exact call beats the prefix DL1
            ("DL1ZY", "DL"),
            ("4U1A", "*4U1V"),  # listed under both: the WAE entity wins
            ("4U1B", None),
            ("OE3ABC", "OE"),
            ("W1AW", "K"),
            ("XX1XX", None),
        ):
            with self.subTest(call=call):
                self.assertEqual(ref.entity_of(call), expected)

    def test_kg4_two_character_suffix_is_guantanamo(self):
        _, _, ref = self.world()
        for call, expected in (
            ("KG4", "KG4"),
            ("KG4AB", "KG4"),
            ("KG4AB/P", "KG4"),
            ("KG4/W1AW", "KG4"),
            ("KG4A", "K"),
            ("KG4ABD", "K"),
            ("KG4ABC", "K"),  # also an exact call of the USA
            ("KG4AC", "KG4"),
        ):
            with self.subTest(call=call):
                self.assertEqual(ref.entity_of(call), expected)

    def test_a_call_in_two_dxcc_entities_stops_the_generator(self):
        text = CTY_DAT.replace("=4U1XMAS", "=DL1ZZ")
        with self.assertRaises(gen.DataError):
            gen.Reference(gen.parse_cty_dat(self.write("cty.dat", text))[0])


class PrefixRowsTest(FileTest):
    def test_prefixes_that_add_nothing_are_left_out(self):
        _, _, ref = self.world()
        needed = gen.needed_prefixes(ref)
        # DL1 and DL1X give Germany like DL; BY and B7 give China like B.
        self.assertEqual(sorted(needed), ["AA", "B", "DA", "DB", "DC", "DL", "K", "KG4", "N", "OE", "W"])
        self.assertEqual(needed["KG4"], "KG4")

    def test_prefix_that_returns_to_the_grandparent_entity_stays(self):
        ref = gen.Reference([])
        ref.prefix_entity = {"K": "K", "KG4": "KG4", "KG4X": "K"}
        self.assertEqual(gen.needed_prefixes(ref), {"K": "K", "KG4": "KG4", "KG4X": "K"})

    def test_one_character_prefix_before_a_digit_gets_rows_of_its_own(self):
        added = gen.plausibility_rows({"B": "BY", "B7": "BY", "K": "K", "BY": "BY"})
        self.assertEqual(sorted(added), ["B0", "B1", "B2", "B3", "B4", "B5", "B6", "B8", "B9"])
        self.assertTrue(all(code == "BY" for code in added.values()))

    def test_rows_stand_longest_first_within_a_family(self):
        rows = sorted(["K", "KG4", "KG4AB*", "KH6", "K1ABC*", "AA"], key=gen.row_order)
        self.assertEqual(rows, ["AA", "K1ABC*", "KG4AB*", "KG4", "KH6", "K"])
        gen.check_first_fit_is_longest([(p, "K") for p in rows])
        with self.assertRaises(gen.DataError):
            gen.check_first_fit_is_longest([("K", "K"), ("KG4", "KG4")])
        with self.assertRaises(gen.DataError):
            gen.check_first_fit_is_longest([("K", "K"), ("k", "K")])


class ProgramTest(FileTest):
    def setUp(self):
        rows = sorted({"B": "BY", "KG4": "KG4", "K": "K", "DL": "DL", "DL1ZZ*": "K"}.items(),
                      key=lambda item: gen.row_order(item[0]))
        self.program = gen.Program(rows, BUREAUS)

    def test_entity_as_the_look_up_reports_it(self):
        for typed, expected in (
            ("DL1ZZ", "K"),
            ("DL1ZZA", "DL"),
            ("B1ABC", None),  # one-character prefix B before a digit
            ("BY1AB", "BY"),
            ("B", None),  # one character that needs a second one
            ("K", None),  # USA without a call area
            ("K1ABC", "K"),
            ("KG4AB", "KG4"),
            ("KG4ABC", "K"),
            ("KG4A", "K"),
            ("KG4/W1A", "KG4"),
            ("KG4AB/P", "KG4"),  # the portable suffix does not count
            ("KG4ABC/P", "K"),
            ("XX1XX", None),
        ):
            with self.subTest(typed=typed):
                self.assertEqual(self.program.entity_of(typed), expected)


class BuildTest(FileTest):
    def test_exact_calls_of_master_scp_come_first_when_room_is_short(self):
        entities, _, ref = self.world()
        rows, figures = self.build(entities, ref, {"DL1ZZ"})
        self.assertIn(("DL1ZZ*", "K"), rows)
        self.assertIn(("4U1A*", "*4U1V"), rows)
        self.assertIn(("4U1XMAS*", "OE"), rows)
        self.assertNotIn("VER20230502*", [p for p, _ in rows])
        self.assertNotIn("KG4ABC*", [p for p, _ in rows])  # the KG4 rule already gives the USA
        # The KG4 rule makes KG44WW a US call whatever row it finds: no row can help.
        self.assertNotIn("KG44WW*", [p for p, _ in rows])
        self.assertEqual(figures["exact calls no row can serve"], "KG44WW")
        prefix_rows = figures["prefix rows"]
        original = gen.COUNTRY_MAX_ROWS
        try:
            # Room for two beside the user's rows: the call of MASTER.SCP, then the shorter
            # call of the entity that no prefix reaches.
            gen.COUNTRY_MAX_ROWS = prefix_rows + 2 + gen.USER_ROWS
            rows, figures = self.build(entities, ref, {"DL1ZZ"})
            self.assertEqual([p for p, _ in rows if p.endswith("*")], ["4U1A*", "DL1ZZ*"])
            self.assertEqual(len(rows), gen.COUNTRY_MAX_ROWS - gen.USER_ROWS)
            self.assertEqual(figures["exact calls included"], 2)
            self.assertEqual(figures["exact calls for entities that no other row reaches"], 1)
            # 4U1A, 4U1VIC, 4U1XMAS and DL1ZZ; DL1ABC/P and KG4AC are what the prefixes give.
            self.assertEqual(figures["exact calls needing a row"], 4)
            # Room for one: the WAE entity could not be found at all.
            gen.COUNTRY_MAX_ROWS = prefix_rows + 1 + gen.USER_ROWS
            with self.assertRaises(gen.DataError):
                self.build(entities, ref, {"DL1ZZ"})
            # No room for every call of MASTER.SCP: the data would disagree with cty.dat.
            gen.COUNTRY_MAX_ROWS = prefix_rows + 2 + gen.USER_ROWS
            with self.assertRaises(gen.DataError):
                self.build(entities, ref, {"DL1ZZ", "4U1XMAS", "4U1VIC"})
        finally:
            gen.COUNTRY_MAX_ROWS = original

    def test_too_many_prefixes_stop_the_generator(self):
        entities, _, ref = self.world()
        original = gen.COUNTRY_MAX_ROWS
        try:
            gen.COUNTRY_MAX_ROWS = 3
            with self.assertRaises(gen.DataError):
                self.build(entities, ref, set())
        finally:
            gen.COUNTRY_MAX_ROWS = original


# A world for the choice of exact calls: Antarctic bases whose prefixes say USA and Germany,
# US calls living in Hawaii, and a Sicilian call whose prefix gives Italy, the same DXCC entity.
CHOICE_DAT = """\
United States:  05:  08:  NA:   37.53:    91.67:     5.0:  K:
    K,W,=KH6ZZ;
Hawaii:         31:  61:  OC:   21.12:   157.48:    10.0:  KH6:
    KH6,=K1ABC,=K2AB,=K3AB;
Antarctica:     13:  74:  SA:  -90.00:     0.00:     0.0:  CE9:
    CE9,=KC4AAA,=DP0GVN,=KC4AAA/P;
Fed. Rep. of Germany: 14: 28: EU: 51.00:   -10.00:    -1.0:  DL:
    DL,DP;
Italy:          15:  28:  EU:   42.82:   -12.58:    -1.0:  I:
    I;
Sicily:         15:  28:  EU:   37.50:   -14.00:    -1.0:  *IT9:
    IT9,=I1ABC,=VER20250930;
"""
CHOICE_DXCC = {"K": 291, "KH6": 110, "CE9": 13, "DL": 230, "I": 248, "*IT9": 248}
CHOICE_BUREAUS = [bureau("K", "K", "ARRL QSL bureau"), bureau("KH6", "KH6", "ARRL KH6 bureau"),
                  bureau("CE9", "CE9"), bureau("DL", "DL", "DARC QSL bureau"),
                  bureau("I", "I", "ARI QSL bureau"), bureau("*IT9", "I", "ARI QSL bureau")]


class ChoiceTest(FileTest):
    def test_free_rows_go_to_the_calls_most_likely_looked_up(self):
        entities, _ = gen.parse_cty_dat(self.write("cty.dat", CHOICE_DAT))
        ref = gen.Reference(entities)
        # Heard lately: KH6ZZ (a US call, needs a row), two US calls and one Hawaiian call;
        # Antarctica has none, so it is the rarest entity.
        master = {"KH6ZZ", "W1AW", "K1XX", "KH6AA"}
        # The previous release had KC4AAA and two of the Hawaiian calls under the same
        # entities; K2AB stood under the USA then, which does not count.
        previous = {"KC4AAA": "CE9", "K1ABC": "KH6", "K3AB": "KH6", "K2AB": "K"}
        expected = [
            "KC4AAA",  # rarest entity, listed before
            "DP0GVN",  # rarest entity, new
            "K3AB",  # Hawaii: one call on the air; listed before, shorter
            "K1ABC",  # listed before
            "K2AB",  # moved to Hawaii since
            "KC4AAA/P",  # portable forms after every plain call
            "I1ABC",  # the prefix gives the right DXCC entity, only the WAE entity is wrong
        ]
        original = gen.COUNTRY_MAX_ROWS
        try:
            for free in range(len(expected) + 1):
                with self.subTest(free=free):
                    gen.COUNTRY_MAX_ROWS = 8 + 1 + free + gen.USER_ROWS  # 8 prefix rows
                    rows, figures = gen.build_country_rows(
                        entities, ref, CHOICE_BUREAUS, master, previous, CHOICE_DXCC)
                    self.assertEqual(figures["prefix rows"], 8)
                    exact = sorted(p[:-1] for p, _ in rows if p.endswith("*"))
                    self.assertEqual(exact, sorted(["KH6ZZ"] + expected[:free]))
                    program = gen.Program(rows, CHOICE_BUREAUS)
                    # Each row serves one call of the 8 (KH6ZZ has its own); KC4AAA/P is
                    # the only portable one, the release marker is none.
                    share = gen.exact_call_share(ref, program)
                    right = 1 + free
                    self.assertEqual(share, ((right, 8), (right - (free >= 6), 7)))
        finally:
            gen.COUNTRY_MAX_ROWS = original

    def test_share_of_written_files_is_read_back(self):
        entities, _ = gen.parse_cty_dat(self.write("cty.dat", CHOICE_DAT))
        ref = gen.Reference(entities)
        rows, _ = gen.build_country_rows(entities, ref, CHOICE_BUREAUS, {"KH6ZZ"}, {},
                                         CHOICE_DXCC)
        self.write("country.asc", gen.country_bytes(rows, set(CHOICE_DXCC), CHOICE_DXCC).decode())
        self.write("vorn.asc", "heading\r\n" + "".join(
            gen.bureau_record(r) for r in CHOICE_BUREAUS))
        self.assertEqual(gen.share_of_files(self.folder.name, ref),
                         gen.exact_call_share(ref, gen.Program(rows, CHOICE_BUREAUS)))
        self.assertIsNone(gen.share_of_files(os.path.join(self.folder.name, "none"), ref))


class PublishedFilesTest(unittest.TestCase):
    BUREAU = ("Vorn QSL bureaus\r\n"
              + gen.bureau_record(bureau("DL", "DL", "DARC QSL bureau"))
              + gen.bureau_record(bureau("K", "K", "ARRL QSL bureau"))).encode("ascii")

    def test_lines_and_rows_as_the_program_reads_them(self):
        for data, lines in (
            (b"a\r\nb\r\n", ["a", "b"]),
            (b"a\rb", ["a", "b"]),
            (b"a\nb\r\n", ["a\nb"]),  # a lone LF ends no line
            (b"a\r\n\r\n", ["a", ""]),
            (b"a\r\n\x1ab\r\n", ["a"]),
            (b"", []),
        ):
            with self.subTest(data=data):
                self.assertEqual(gen.program_lines(data), lines)
        for line, row in (
            ("x K1 K", ("K1", "K")),
            ("   x    VP8(13)[73]   VP8F   rest", ("VP8", "VP8F")),
            ("x ABCDEFGHIJKLMNOPQRST ABCDEFGH", ("ABCDEFGHIJKLMNOP", "ABCDEF")),
            ("x\tK1 K", ("K", "")),
            ("x K1", ("K1", "")),
            ("x (1)K K", ("", "K")),
            ("", ("", "")),
        ):
            with self.subTest(line=line):
                self.assertEqual(gen.read_country_rows((line + "\r\n").encode("latin-1")), [row])

    def test_files_the_program_would_refuse_stop_the_generator(self):
        good = b"1 K1ABC* k\r\n230 DL DL\r\n"
        gen.check_published({"country.asc": good, "vorn.asc": self.BUREAU})
        gen.check_published({"country.asc": good + b"\x1a", "vorn.asc": self.BUREAU})
        gen.check_published({"country.asc": b"1 DL DL\r\n" * 3499, "vorn.asc": self.BUREAU})
        for name, country, bureau_file in (
            ("NUL", b"230 DL DL\0\r\n", self.BUREAU),
            ("NUL in vorn.asc", good, self.BUREAU + b"\0"),
            ("0x1A before the last line", b"230 DL DL\r\n\x1a1 K1ABC* K\r\n", self.BUREAU),
            ("3,500 rows", b"1 DL DL\r\n" * 3500, self.BUREAU),
            ("entity without a record", good + b"227 F F\r\n", self.BUREAU),
            ("code only in a heading", b"227 F F\r\n", self.BUREAU + b"F     France\r\n"),
            ("LF line ends run together", b"230 DL DL\n1 K1ABC* K\n", self.BUREAU),
            ("blank line", b"230 DL DL\r\n\r\n", self.BUREAU),
        ):
            with self.subTest(name=name):
                with self.assertRaises(gen.DataError):
                    gen.check_published({"country.asc": country, "vorn.asc": bureau_file})

    def test_update_file_publishes_size_and_sha256(self):
        self.assertEqual(
            gen.update_bytes(2025093000, {"country.asc": b"abc", "vorn.asc": b""}),
            b"2025093000\r\n302\r\n"
            b"country.asc 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n"
            b"vorn.asc 0 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\r\n")
        # calls.asc after the lines that readers of the two files know.
        self.assertTrue(gen.update_bytes(2025093001, {"country.asc": b"abc", "vorn.asc": b"",
                                                      "calls.asc": b"abc"}).endswith(
            b"\r\ncalls.asc 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n"))

    def test_a_much_smaller_file_is_allowed_after_the_digests(self):
        lines = gen.update_bytes(2025093001, {"country.asc": b"abc", "vorn.asc": b""},
                                 ["vorn.asc"]).decode("ascii").split("\r\n")
        # The allowance comes after the digests, where older programs pass over it.
        self.assertEqual(lines[4:], ["allow-smaller vorn.asc", ""])


class CallsFileTest(FileTest):
    def test_every_exact_call_not_held_as_a_row_with_its_wae_code(self):
        entities, _, ref = self.world()
        rows = [("DL1ABC/P*", "DL"), ("DL", "DL")]
        calls = gen.exact_calls(ref, rows)
        # 4U1A is listed under Austria and the Vienna Intl Ctr inside it; the release marker
        # is no station; DL1ABC/P has its row.
        self.assertEqual(calls, {"4U1A": "*4U1V", "4U1VIC": "*4U1V", "4U1XMAS": "OE",
                                 "DL1ZZ": "K", "KG4ABC": "K", "KG44WW": "KG4", "KG4AC": "KG4"})
        data = gen.calls_bytes(calls, {e.code for e in entities},
                               {"*4U1V": 206, "OE": 206, "K": 291, "KG4": 105})
        self.assertTrue(data.startswith(b"206 4U1A *4U1V\r\n206 4U1VIC *4U1V\r\n"))
        self.assertEqual(gen.read_calls(data), calls)

    def test_a_call_longer_than_the_field_gets_no_line(self):
        ref = gen.Reference(gen.parse_cty_dat(self.write("cty.dat", CTY_DAT.replace(
            "=DL1ABC/P", "=DL1ABCDEFGHIJKL,=DL1ABCDEFGHIJKLM")))[0])
        self.assertEqual({c for c in gen.exact_calls(ref, []) if c.startswith("DL1ABC")},
                         {"DL1ABCDEFGHIJKL"})

    def test_the_look_up_asks_the_list_after_the_exact_rows(self):
        rows = sorted({"K": "K", "DL": "DL", "DL1ZZ*": "K", "KG4": "KG4"}.items(),
                      key=lambda item: gen.row_order(item[0]))
        program = gen.Program(rows, BUREAUS, {"DL1ZZ": "BY", "DL2ZZ": "BY", "KG44WW": "KG4"})
        self.assertEqual(program.entity_of("DL1ZZ"), "K")  # the row wins
        self.assertEqual(program.entity_of("DL2ZZ"), "BY")  # the list before the prefix
        self.assertEqual(program.entity_of("KG44WW"), "KG4")  # a listed call keeps its entity
        self.assertEqual(program.entity_of("KG44XX"), "K")  # the KG4 rule for the others

    def test_a_list_the_program_would_refuse_stops_the_generator(self):
        country = b"230 DL DL\r\n"
        bureau_file = PublishedFilesTest.BUREAU
        gen.check_published({"country.asc": country, "vorn.asc": bureau_file,
                             "calls.asc": b"230 DL1ABC DL\r\n"})
        for name, calls in (("entity without a record", b"227 F1ABC F\r\n"),
                            ("NUL", b"230 DL1ABC DL\0\r\n"),
                            ("larger than the program takes",
                             b"230 DL1ABC DL\r\n" * (gen.CALLS_MAX_BYTES // 15 + 1))):
            with self.subTest(name=name):
                with self.assertRaises(gen.DataError):
                    gen.check_published({"country.asc": country, "vorn.asc": bureau_file,
                                         "calls.asc": calls})


class NamesTest(FileTest):
    def test_names_cut_to_22_characters_at_word_boundaries(self):
        for name, expected in (
            ("Fed. Rep. of Germany", "Fed. Rep. of Germany"),
            ("Swains Island", "Swains Island"),  # short enough: left alone
            ("Wallis & Futuna Islands", "Wallis & Futuna Is."),
            ("Central African Republic", "Central African Rep."),
            ("Republic of South Sudan", "Rep. of South Sudan"),
            ("San Felix & San Ambrosio", "San Felix/San Ambrosio"),
            ("Amsterdam & St. Paul Is.", "Amsterdam/St. Paul Is."),
            ("United States of America", "United States"),
        ):
            with self.subTest(name=name):
                self.assertEqual(gen.short_name(name), expected)
                self.assertLessEqual(len(gen.short_name(name)), gen.NAME_WIDTH)

    def test_name_without_a_way_to_shorten_it_stops_the_generator(self):
        with self.assertRaises(gen.DataError):
            gen.short_name("Northernmost Unclaimed Territories")


class OutputTest(FileTest):
    def test_country_lines(self):
        data = gen.country_bytes([("DL1ZZ*", "K"), ("DL", "DL")], {"K", "DL"}, {"K": 291, "DL": 230})
        self.assertEqual(data, b"291 DL1ZZ* K\r\n230 DL DL\r\n")
        for row in (("ABCDEFGHIJKLMNOPQ", "DL"), ("DL(1)", "DL"), ("DL", "XX")):
            with self.subTest(row=row):
                with self.assertRaises(gen.DataError):
                    gen.country_bytes([row], {"DL"}, {"DL": 230})

    def test_bureau_record_columns(self):
        record = gen.bureau_record({"code": "*4U1V", "name": "Vienna Intl Ctr", "sort": "OE",
                                    "bureau": "OEVSV QSL bureau", "iaru": True})
        self.assertEqual(len(record), 63)
        self.assertEqual(record[0:6], "*4U1V ")
        self.assertEqual(record[6:28].rstrip(), "Vienna Intl Ctr")
        self.assertEqual(record[28], " ")
        self.assertEqual(record[29:35], "OE    ")
        self.assertEqual(record[35:57].rstrip(), "OEVSV QSL bureau")
        self.assertEqual(record[57:63], "   Y\r\n")

    def test_reserved_sort_prefixes(self):
        rows = [bureau("K", "K", "ARRL QSL bureau", entity="United States"),
                bureau("VK", "VK", "WIA QSL bureau", entity="Australia"),
                bureau("KG4", "KG4", entity="Guantanamo Bay")]
        gen.check_bureau_rows(rows)
        for bad in (bureau("KH6", "K", "ARRL KH6 QSL bureau", entity="Hawaii"),
                    bureau("VP8", "VK", entity="Falkland Islands"),
                    bureau("kg4", "KG4", entity="Other"),
                    bureau("XX", "XX", "A name much longer than 22", entity="Xx")):
            with self.subTest(bad=bad["code"]):
                with self.assertRaises(gen.DataError):
                    gen.check_bureau_rows(rows + [bad])
        usa_elsewhere = [dict(rows[0], sort="W")] + rows[1:]
        with self.assertRaises(gen.DataError):
            gen.check_bureau_rows(usa_elsewhere)


class WrittenFilesTest(FileTest):
    def test_program_reads_them_without_a_warning(self):
        tool = os.environ.get("VORN_LOOKUP")
        if not tool:
            self.skipTest("VORN_LOOKUP does not name vorn-lookup")
        entities, _, ref = self.world()
        rows, _ = self.build(entities, ref, {"DL1ZZ"})
        codes = {e.code for e in entities}
        self.write("country.asc", gen.country_bytes(rows, codes, {c: 1 for c in codes}).decode())
        self.write("vorn.asc", "Vorn QSL bureaus, data 2023050200\r\n"
                   + "".join(gen.bureau_record(r) for r in BUREAUS))
        run = subprocess.run([tool, "-C", self.folder.name, "DL1ZZ", "KG4AB/P"],
                             capture_output=True, text=True)
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual([line.split("\t")[3] for line in run.stdout.splitlines()], ["K", "KG4"])


class VersionTest(FileTest):
    def version_file(self, cty, revision, fingerprint):
        return self.write("data-version.txt", gen.VERSION_FILE_TEXT.format(
            cty=cty, revision=revision, fingerprint=fingerprint))

    def test_same_data_keep_their_version(self):
        path = self.version_file("20230502", 3, "abc")
        self.assertEqual(gen.data_version(path, "20230502", "abc", False), 2023050203)
        self.assertEqual(gen.data_version(path, "20230502", "abc", True), 2023050203)

    def test_changed_data_need_a_new_revision(self):
        path = self.version_file("20230502", 3, "abc")
        with self.assertRaises(gen.DataError):
            gen.data_version(path, "20230502", "def", False)
        self.assertEqual(gen.data_version(path, "20230502", "def", True), 2023050204)
        self.assertEqual(gen.data_version(path, "20230502", "def", False), 2023050204)

    def test_new_cty_release_starts_again_at_revision_0(self):
        path = self.version_file("20230502", 3, "abc")
        self.assertEqual(gen.data_version(path, "20230601", "def", True), 2023060100)

    def test_older_cty_release_is_refused(self):
        path = self.version_file("20230502", 3, "abc")
        with self.assertRaises(gen.DataError):
            gen.data_version(path, "20230407", "abc", True)


if __name__ == "__main__":
    unittest.main()
