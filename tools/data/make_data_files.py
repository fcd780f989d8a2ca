#!/usr/bin/env python3
"""Builds Vorn's data files country.asc, vorn.asc, calls.asc and vorn_update.asc.

Inputs:
  - tools/data/sources/: cty.dat, cty.csv and MASTER.SCP (country files by Jim Reisert AD1C,
    MIT licence), and previous/cty.dat, the release before;
  - tools/data/bureaus.tsv: the QSL bureau of every cty.dat entity;
  - tools/data/data-version.txt: the revision part of the data version.

The program takes the FIRST country row whose prefix fits the typed call; cty.dat means
"exact call first, then the longest prefix". The rows are ordered so that both agree:
every prefix stands before the shorter prefixes that it begins with. Prefixes that add
nothing to what their shorter prefixes already give are left out, and the exact calls that
the prefixes would place elsewhere become rows "CALL*" (the look-up appends "*" to the typed
text), the calls of MASTER.SCP first, then by Candidate.priority(), until the table is full but
for 100 rows left for the user's own lines.

calls.asc lists every other exact call of cty.dat, one a line as country.asc writes its rows
(DXCC number, call, entity code) but without the end marker. The program asks it after the
exact rows of country.asc and before the prefixes, so that every exact call answers as cty.dat
says; an older program, which does not read it, answers from country.asc as before.

vorn_update.asc carries the data version and the program version, then the size and SHA-256 of
each data file, so that a download can be checked against what was published. A data file with
less than half the rows of the one a program has installed is refused as a publishing mistake;
--allow-smaller NAME adds the line "allow-smaller NAME" after the digests, which lets the
program take that file all the same (older programs pass over the line).

Python 3 standard library only. The same inputs always give the same bytes.
"""

import argparse
import csv
import hashlib
import os
import re
import sys

COUNTRY_MAX_ROWS = 3499  # one fewer than the table's 3,500 slots
# Rows left free for the user's own lines: a line added to a full file would push the last
# row out of the table without a word.
USER_ROWS = 100
BUREAU_MAX_ROWS = 499
PREFIX_WIDTH = 16
CODE_WIDTH = 6
NAME_WIDTH = 22
SORT_WIDTH = 6
BUREAU_WIDTH = 22
TYPED_MAX = 15  # the call field takes 15 characters; the key adds the end marker
CALLS_MAX_BYTES = 2 * 1024 * 1024  # the program refuses a larger calls.asc
HEADING_MAX = 60  # longer lines would be read as records

# A typed text that begins with one of these may win a one-character prefix; for any other
# first character a one-character prefix followed by a digit counts as "unknown".
ONE_CHAR_PREFIXES = "2FGIKMNRUW"

# Sort prefixes that the look-up turns into call areas.
USA_SORT = "K"
AUSTRALIA_SORT = "VK"
KG4_SORT = "KG4"
USA_CODE = "K"
AUSTRALIA_CODE = "VK"
GUANTANAMO_CODE = "KG4"

# Abbreviations that the voice output expands again (whole words only).
NAME_ABBREVIATIONS = [
    ("Islands", "Is."),
    ("Island", "I."),
    ("Federal", "Fed."),
    ("Republic", "Rep."),
    ("Province", "Prov."),
    ("Sovereign", "Sov"),
    ("Military", "Mil"),
]
# Names that neither the abbreviations nor "/" for " & " bring down to 22 characters.
NAME_OVERRIDES = {
    "United States of America": "United States",
    "UK Base Areas on Cyprus": "UK Bases on Cyprus",
}

# Pseudo-calls of cty.dat that carry its release, not a station.
PSEUDO_CALL = re.compile(r"VER\d{8}|VERSION")
# Per-alias overrides of zone, position, continent and time offset.
ALIAS_OVERRIDES = re.compile(r"\(\d+\)|\[\d+\]|<[^>]*>|\{[^}]*\}|~[^~]*~")
ALIAS = re.compile(r"=?[A-Z0-9/]+")


class DataError(Exception):
    pass


class Entity:
    def __init__(self, name, code):
        self.name = name
        self.code = code  # the primary prefix, "*" first for a WAE-only entity
        self.wae = code.startswith("*")
        self.prefixes = []
        self.exact_calls = []
        self.dxcc = None


def read_text(path):
    with open(path, "rb") as f:
        return f.read().decode("ascii")


def parse_cty_dat(path):
    """Entities in file order, and the release date of the file (YYYYMMDD)."""
    entities = []
    for record in read_text(path).split(";"):
        lines = [line for line in record.splitlines() if line.strip()]
        if not lines:
            continue
        fields = [field.strip() for field in lines[0].split(":")]
        if len(fields) < 8 or not fields[0] or not fields[7]:
            raise DataError(f"cty.dat: bad entity line {lines[0]!r}")
        entity = Entity(fields[0], fields[7])
        for token in "".join(line.strip() for line in lines[1:]).split(","):
            alias = ALIAS_OVERRIDES.sub("", token)
            if not ALIAS.fullmatch(alias):
                raise DataError(f"cty.dat: alias {token!r} of {entity.code} is not understood")
            if alias.startswith("="):
                entity.exact_calls.append(alias[1:])
            else:
                entity.prefixes.append(alias)
        entities.append(entity)
    dates = {call[3:] for e in entities for call in e.exact_calls if re.fullmatch(r"VER\d{8}", call)}
    if len(dates) != 1:
        raise DataError("cty.dat: no single release marker =VERyyyymmdd")
    return entities, dates.pop()


def read_dxcc_numbers(path):
    """The DXCC (ADIF) number of each primary prefix; WAE entities carry their parent's."""
    numbers = {}
    with open(path, newline="", encoding="ascii") as f:
        for row in csv.reader(f):
            if len(row) >= 3:
                numbers[row[0]] = int(row[2])
    return numbers


def read_master_scp(path):
    calls = []
    for line in read_text(path).splitlines():
        call = line.strip().upper()
        if call and not call.startswith("#"):
            calls.append(call)
    return calls


def read_bureaus(path):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    bureaus = {}
    for row in rows:
        code = row["cty_primary_prefix"]
        if code in bureaus:
            raise DataError(f"bureaus.tsv: {code} twice")
        if row["iaru_member"] not in ("Y", "N"):
            raise DataError(f"bureaus.tsv: {code}: iaru_member must be Y or N")
        bureaus[code] = row
    return bureaus


def short_name(name):
    """The entity name cut to 22 characters without cutting a word."""
    if len(name) <= NAME_WIDTH:
        return name
    if name in NAME_OVERRIDES:
        return NAME_OVERRIDES[name]
    words = name.split(" ")
    for long_word, abbreviation in NAME_ABBREVIATIONS:
        words = [abbreviation if w == long_word else w for w in words]
    short = " ".join(words)
    if len(short) > NAME_WIDTH:
        short = short.replace(" & ", "/")
    if len(short) > NAME_WIDTH:
        raise DataError(f"entity name {name!r} needs an entry in NAME_OVERRIDES")
    return short


class Reference:
    """cty.dat's own rule: the exact call first, then the longest prefix.

    One more rule that cty.dat cannot express and loggers apply on top of it: "KG4" with a
    two-character suffix is Guantanamo Bay, with one or three characters it is a US call.
    """

    def __init__(self, entities):
        self.prefix_entity = {}
        self.exact_entity = {}
        for entity in entities:
            for prefix in entity.prefixes:
                owner = self.prefix_entity.setdefault(prefix, entity.code)
                if owner != entity.code:
                    raise DataError(f"cty.dat: prefix {prefix} in {owner} and {entity.code}")
        wae = {e.code for e in entities if e.wae}
        for entity in entities:
            for call in entity.exact_calls:
                owner = self.exact_entity.setdefault(call, entity.code)
                if owner == entity.code:
                    continue
                # The same call under a DXCC entity and the WAE entity inside it: the
                # more precise WAE entity wins, as its prefixes do.
                if (owner in wae) == (entity.code in wae):
                    raise DataError(f"cty.dat: call {call} in {owner} and {entity.code}")
                if entity.code in wae:
                    self.exact_entity[call] = entity.code

    def longest_prefix(self, call):
        for length in range(len(call), 0, -1):
            if call[:length] in self.prefix_entity:
                return call[:length]
        return None

    def entity_of(self, call):
        if call in self.exact_entity:
            return self.exact_entity[call]
        prefix = self.longest_prefix(call)
        if prefix is None:
            return None
        code = self.prefix_entity[prefix]
        if code == GUANTANAMO_CODE and call.startswith("KG4") and len(call) > 3 and call[3] != "/":
            suffix = call[3:].split("/")[0]
            if len(suffix) != 2:
                return USA_CODE
        return code


class Program:
    """The program's look-up on a finished row list and list of exact calls, down to the entity
    it reports."""

    def __init__(self, rows, bureau_rows, calls=None):
        self.rows = {}
        for prefix, code in rows:
            self.rows.setdefault(prefix.upper(), code)
        self.calls = {call.upper(): code for call, code in (calls or {}).items()}
        self.sort_prefix = {}
        for row in bureau_rows:
            self.sort_prefix.setdefault(row["code"].upper(), row["sort"])
        check_first_fit_is_longest(rows)

    def entity_of(self, typed):
        key = typed + "*"
        # An exact row first, then the list of exact calls, then the prefixes.
        if key not in self.rows and typed in self.calls:
            return self.entity_by_row(typed, key, self.calls[typed], listed=True)
        # The rows stand longest first, so the first fitting row is the longest one.
        for length in range(len(key), 0, -1):
            if key[:length] in self.rows:
                return self.entity_by_row(typed, key[:length], self.rows[key[:length]])
        return None

    def entity_by_row(self, typed, prefix, code, listed=False):
        """The entity reported when the row (prefix, code) is the first that fits; listed: it
        is the list of exact calls that names the call, so the KG4 rule leaves it alone."""
        key = typed + "*"
        if key[0] not in ONE_CHAR_PREFIXES:
            if len(typed) == 1:
                return None
            if len(prefix) == 1 and key[1].isdigit():
                return None
        sort = self.sort_prefix.get(code.upper())
        if sort is None:
            return None
        if sort == KG4_SORT and not listed:
            call_length = len(typed.split("/")[0])  # a portable suffix does not count
            if call_length >= 4 and key[:3] == "KG4" and call_length != 5:
                return USA_CODE
        elif sort in (USA_SORT, AUSTRALIA_SORT):
            if not any(c.isdigit() for c in key):
                return None  # call area missing
        return code


def check_first_fit_is_longest(rows):
    """Every row must stand before all shorter rows that its prefix begins with."""
    position = {}
    for index, (prefix, _) in enumerate(rows):
        key = prefix.upper()
        if key in position:
            raise DataError(f"country rows: {prefix} twice")
        position[key] = index
    for key, index in position.items():
        for length in range(1, len(key)):
            shorter = position.get(key[:length])
            if shorter is not None and shorter < index:
                raise DataError(f"country rows: {key[:length]} stands before {key}")


def row_order(prefix):
    # Upper-case order, but a prefix before every shorter prefix that it begins with.
    return prefix + "\x7f"


def needed_prefixes(reference):
    """The prefixes whose entity differs from what their longest shorter prefix gives."""
    needed = {}
    for prefix, code in reference.prefix_entity.items():
        shorter = reference.longest_prefix(prefix[:-1]) if len(prefix) > 1 else None
        if shorter is None or reference.prefix_entity[shorter] != code:
            needed[prefix] = code
    return needed


def plausibility_rows(prefix_rows):
    """Rows "X0".."X9" for a one-character prefix X that the look-up would not let win
    before a digit (when X is not one of the ten one-character prefixes)."""
    added = {}
    for prefix, code in prefix_rows.items():
        if len(prefix) == 1 and prefix not in ONE_CHAR_PREFIXES:
            for digit in "0123456789":
                if prefix + digit not in prefix_rows:
                    added[prefix + digit] = code
    return added


class Candidate:
    """An exact call of cty.dat that the prefix rows give another entity (or none)."""

    def __init__(self, call, code, found, master, previous, dxcc, activity):
        self.call = call
        self.code = code
        self.heard = call in master
        # The prefixes give the right DXCC entity and miss only its WAE entity.
        self.wae_only = found is not None and dxcc[found] == dxcc[code]
        self.portable = "/" in call
        self.activity = activity.get(code, 0)
        self.lasting = previous.get(call) == code

    def priority(self):
        """Sort key: the calls a ham most likely looks up, and gets most wrong, come first.

        1. Calls of MASTER.SCP, heard in contests lately: they always get their rows.
        2. Calls that the prefixes give another DXCC entity (or none) before calls that they
           give the right DXCC entity but not its WAE entity, where the card goes to the same
           bureau and only the entity's name is wrong.
        3. Plain calls before portable forms: the card goes by the home call.
        4. The rarer the entity, the sooner: entities are ordered by their calls in
           MASTER.SCP, fewest first. A QSO with a rare entity is the one that gets a card, and
           the places with few or no amateurs of their own (Antarctica, the international
           headquarters, remote islands) are reached mostly through exact calls.
        5. Calls that the previous release listed under the same entity, the stations that
           stay on the air, before calls that are new or moved.
        6. Shorter calls (contest, club and special-event calls) first; then a fixed hash,
           which spreads the choice instead of favouring the calls early in the alphabet.
        """
        spread = hashlib.sha256(self.call.encode("ascii")).hexdigest()
        return (not self.heard, self.wae_only, self.portable, self.activity, not self.lasting,
                len(self.call), spread, self.call)


def entity_activity(master, reference):
    """The number of MASTER.SCP calls of each entity, by cty.dat's rule."""
    activity = {}
    for call in master:
        code = reference.entity_of(call)
        if code is not None:
            activity[code] = activity.get(code, 0) + 1
    return activity


def choose_exact_calls(candidates, room, reached):
    """The candidates that get rows: those of MASTER.SCP, then, for every entity that no other
    row reaches, its first candidate, then the rest in order of priority."""
    ordered = sorted(candidates, key=Candidate.priority)
    chosen = [c for c in ordered if c.heard]
    reached = set(reached) | {c.code for c in chosen}
    for candidate in ordered:
        if candidate.code not in reached:
            chosen.append(candidate)
            reached.add(candidate.code)
    reserved = len(chosen) - sum(1 for c in chosen if c.heard)
    taken = {c.call for c in chosen}
    chosen += [c for c in ordered if c.call not in taken][:max(0, room - len(chosen))]
    return chosen, reserved


def build_country_rows(entities, reference, bureau_rows, master, previous, dxcc):
    """The rows of country.asc and the figures of the choice.

    previous: the exact calls of the release before and their entities.
    dxcc: the DXCC number of each entity; a WAE entity has its parent's.
    """
    prefix_rows = needed_prefixes(reference)
    plausibility = plausibility_rows(prefix_rows)
    prefix_rows.update(plausibility)
    rows = sorted(prefix_rows.items(), key=lambda item: row_order(item[0]))
    program = Program(rows, bureau_rows)

    activity = entity_activity(master, reference)
    unfixable = []
    candidates = []
    for call, code in reference.exact_entity.items():
        if PSEUDO_CALL.fullmatch(call) or len(call) > TYPED_MAX:
            continue
        found = program.entity_of(call)
        # A row helps only where the look-up's own rules then give the entity: not for a US
        # call without a digit, nor for KG44WW, which the KG4 rule makes a US call anyway.
        if found != code and program.entity_by_row(call, call + "*", code) == code:
            candidates.append(Candidate(call, code, found, master, previous, dxcc, activity))
        elif found != code:
            unfixable.append(call)
    room = COUNTRY_MAX_ROWS - USER_ROWS - len(rows)
    if room < 0:
        raise DataError(f"{len(rows)} prefix rows do not fit into {COUNTRY_MAX_ROWS} "
                        f"with {USER_ROWS} left for the user")
    chosen, reserved = choose_exact_calls(candidates, room, {code for _, code in rows})
    if len(chosen) > room:
        heard = sum(1 for c in chosen if c.heard)
        raise DataError(f"{heard} exact calls of MASTER.SCP and {reserved} for entities that "
                        f"no prefix reaches do not fit into {room} rows")
    exact_rows = [(c.call + "*", c.code) for c in chosen]
    rows = sorted(rows + exact_rows, key=lambda item: row_order(item[0]))
    unreached = [e.code for e in entities if e.code not in {code for _, code in rows}]
    if unreached:
        raise DataError("no country row leads to " + ", ".join(unreached))

    def count(group, test):
        return sum(1 for c in group if test(c))

    figures = {
        "prefixes in cty.dat": len(reference.prefix_entity),
        "prefix rows": len(prefix_rows),
        "of them for one-character prefixes before a digit": len(plausibility),
        "exact calls needing a row": len(candidates),
        "exact calls included": len(chosen),
        "exact calls of MASTER.SCP needing a row": count(candidates, lambda c: c.heard),
        "exact calls of MASTER.SCP included": count(chosen, lambda c: c.heard),
        "exact calls for entities that no other row reaches": reserved,
        "exact calls included, another DXCC entity by prefix":
            count(chosen, lambda c: not c.wae_only),
        "exact calls included, another WAE entity only": count(chosen, lambda c: c.wae_only),
        "exact calls included with '/'": count(chosen, lambda c: c.portable),
        "exact calls included, in the previous release too": count(chosen, lambda c: c.lasting),
        "exact calls left out": len(candidates) - len(chosen),
        "exact calls no row can serve": " ".join(sorted(unfixable)) or "none",
    }
    return rows, figures


def build_bureau_rows(entities, bureaus):
    codes = {e.code for e in entities}
    for code in bureaus:
        if code not in codes:
            raise DataError(f"bureaus.tsv: {code} is no entity of cty.dat")
    rows = []
    for entity in entities:
        row = bureaus.get(entity.code)
        if row is None:
            raise DataError(f"bureaus.tsv: no row for {entity.code} {entity.name}")
        if row["entity_name"] != entity.name:
            raise DataError(f"bureaus.tsv: {entity.code} is {entity.name!r} in cty.dat")
        rows.append({
            "code": entity.code,
            "name": short_name(entity.name),
            "sort": row["sort_prefix"],
            "bureau": row["bureau_name"],
            "iaru": row["iaru_member"] == "Y",
        })
    check_bureau_rows(rows)
    return rows


def check_bureau_rows(rows):
    if len(rows) > BUREAU_MAX_ROWS:
        raise DataError(f"{len(rows)} bureau records, at most {BUREAU_MAX_ROWS}")
    seen = {}
    names = {}
    for row in rows:
        code = row["code"]
        for field, width in (("code", CODE_WIDTH), ("name", NAME_WIDTH), ("sort", SORT_WIDTH),
                             ("bureau", BUREAU_WIDTH)):
            value = row[field]
            if len(value) > width or value != value.strip(" ") or not value.isascii():
                raise DataError(f"{code}: {field} {value!r} does not fit {width} columns")
        if not row["sort"] or " " in code or not code:
            raise DataError(f"{code}: empty or blank-holding field")
        if code.upper() in seen:
            raise DataError(f"entity codes {seen[code.upper()]} and {code} differ only in case")
        seen[code.upper()] = code
        if row["name"] in names:
            raise DataError(f"entity name {row['name']!r} twice")
        names[row["name"]] = code
    # The call-area rules of the look-up hang on these sort prefixes.
    expected = {USA_SORT: {USA_CODE}, KG4_SORT: {GUANTANAMO_CODE}}
    for code, sort in ((r["code"], r["sort"]) for r in rows):
        if sort == AUSTRALIA_SORT and not (code == AUSTRALIA_CODE or code.startswith(("VK9", "VK0"))):
            raise DataError(f"{code}: sort prefix VK belongs to Australia and VK9/VK0 only")
        if sort in expected and code not in expected[sort]:
            raise DataError(f"{code}: sort prefix {sort} is reserved")
    by_code = {r["code"]: r for r in rows}
    for code, sort in ((USA_CODE, USA_SORT), (AUSTRALIA_CODE, AUSTRALIA_SORT),
                       (GUANTANAMO_CODE, KG4_SORT)):
        if by_code.get(code, {}).get("sort") != sort:
            raise DataError(f"{code}: sort prefix must be {sort}")


def country_bytes(rows, codes, dxcc):
    lines = []
    for prefix, code in rows:
        if len(prefix) > PREFIX_WIDTH or len(code) > CODE_WIDTH or code not in codes:
            raise DataError(f"country row {prefix} {code} does not fit")
        if any(c in prefix for c in " ([") or " " in code:
            raise DataError(f"country row {prefix} {code} cannot be read back")
        lines.append(f"{dxcc[code]} {prefix} {code}\r\n")
    if len(lines) > COUNTRY_MAX_ROWS:
        raise DataError(f"{len(lines)} country rows, at most {COUNTRY_MAX_ROWS}")
    return "".join(lines).encode("ascii")


def bureau_record(row):
    record = (f"{row['code']:<6}{row['name']:<22} {row['sort']:<6}{row['bureau']:<22}   "
              + ("Y" if row["iaru"] else "N"))
    assert len(record) == 61
    return record + "\r\n"


def program_lines(data):
    """The lines of a data file as the program reads them: a line ends at CR, an LF right after
    the CR belongs to the line end, and a byte 0x1A ends the file."""
    pieces = data.split(b"\x1a", 1)[0].decode("latin-1").split("\r")
    lines = [piece[1:] if index and piece.startswith("\n") else piece
             for index, piece in enumerate(pieces)]
    if lines[-1] == "":
        lines.pop()  # the end of the file, not a line
    return lines


COUNTRY_LINE = re.compile(r" *[^ ]* *([^ (\[]*)[^ ]* *([^ ]*)")


def read_country_rows(data):
    """(prefix, entity code) of every row, as the program loads them."""
    rows = []
    for line in program_lines(data)[:COUNTRY_MAX_ROWS]:
        prefix, code = COUNTRY_LINE.match(line).groups()
        rows.append((prefix[:PREFIX_WIDTH], code[:CODE_WIDTH]))
    return rows


def read_bureau_records(data):
    """The records of vorn.asc as the program loads them, in the fields that the rows here use."""
    return [{"code": line[0:6].strip(" "), "sort": line[29:35].strip(" ")}
            for line in program_lines(data) if len(line) > HEADING_MAX][:BUREAU_MAX_ROWS]


def check_published(files):
    """The checks that the program applies to downloaded data files, on the bytes about to be
    written: no NUL byte, no 0x1A before the end, no more country rows than the table takes,
    no larger calls.asc than the program takes, and a bureau record for every entity code that
    a country row or an exact call names."""
    for name, data in files.items():
        if b"\0" in data:
            raise DataError(f"{name}: holds a NUL byte")
        end = data.find(b"\x1a")
        if end != -1 and end != len(data) - 1:
            raise DataError(f"{name}: a byte 0x1A would end the file before its last line")
    lines = program_lines(files["country.asc"])
    if len(lines) > COUNTRY_MAX_ROWS:
        raise DataError(f"country.asc: {len(lines)} rows, the table takes {COUNTRY_MAX_ROWS}")
    codes = {r["code"].upper() for r in read_bureau_records(files["vorn.asc"])}
    named = [code for _, code in read_country_rows(files["country.asc"])]
    if "calls.asc" in files:
        if len(files["calls.asc"]) > CALLS_MAX_BYTES:
            raise DataError(f"calls.asc: more than the {CALLS_MAX_BYTES} bytes the program takes")
        named += read_calls(files["calls.asc"]).values()
    missing = sorted({code for code in named if code.upper() not in codes})
    if missing:
        raise DataError("vorn.asc: no record for the entity codes "
                        + ", ".join(repr(code) for code in missing))


def exact_calls(reference, rows):
    """The exact calls of cty.dat that country.asc does not hold as rows, and their entities:
    all but the pseudo-calls that carry cty.dat's release, and calls longer than the call
    field takes, which no one can type."""
    held = {prefix.upper() for prefix, _ in rows}
    return {call: code for call, code in sorted(reference.exact_entity.items())
            if not PSEUDO_CALL.fullmatch(call) and len(call) <= TYPED_MAX
            and call + "*" not in held}


def calls_bytes(calls, codes, dxcc):
    lines = []
    for call, code in sorted(calls.items()):
        if code not in codes or " " in code or len(code) > CODE_WIDTH:
            raise DataError(f"exact call {call} {code} does not fit")
        if not re.fullmatch(r"[A-Z0-9/]{1,%d}" % TYPED_MAX, call):
            raise DataError(f"exact call {call} cannot be read back")
        lines.append(f"{dxcc[code]} {call} {code}\r\n")
    data = "".join(lines).encode("ascii")
    if len(data) > CALLS_MAX_BYTES:
        raise DataError(f"calls.asc: {len(data)} bytes, the program takes {CALLS_MAX_BYTES}")
    return data


def read_calls(data):
    """(call, entity code) of every line of calls.asc, as the program loads them."""
    calls = {}
    for line in program_lines(data):
        _, call, code = line.split()
        calls[call] = code
    return calls


DATA_FILE_NAMES = ("country.asc", "vorn.asc", "calls.asc")


def update_bytes(version, files, allow_smaller=()):
    """vorn_update.asc: data version and program version, which every reader takes from the
    first two lines, then the size and SHA-256 of each data file. calls.asc comes last, so
    that readers that know only the first two files find them where they did. Then one line
    "allow-smaller NAME" for each file that may be much smaller than the installed one."""
    lines = [str(version), "302"]
    for name in DATA_FILE_NAMES:
        if name not in files:
            continue
        data = files[name]
        lines.append(f"{name} {len(data)} {hashlib.sha256(data).hexdigest()}")
    for name in DATA_FILE_NAMES:
        if name in allow_smaller:
            lines.append(f"allow-smaller {name}")
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def exact_call_share(reference, program):
    """How many of cty.dat's exact calls the look-up answers with cty.dat's entity:
    ((right, calls), (right, calls without '/'))."""
    right = total = plain_right = plain = 0
    for call, code in reference.exact_entity.items():
        if PSEUDO_CALL.fullmatch(call):
            continue
        ok = len(call) <= TYPED_MAX and program.entity_of(call) == code
        right += ok
        total += 1
        if "/" not in call:
            plain_right += ok
            plain += 1
    return (right, total), (plain_right, plain)


def share_text(share):
    (right, total), (plain_right, plain) = share
    return (f"{right} of {total} ({100 * right / max(total, 1):.1f} %), without '/' "
            f"{plain_right} of {plain} ({100 * plain_right / max(plain, 1):.1f} %)")


def share_of_files(folder, reference):
    """The share for the data files in folder (such as those about to be replaced), or None;
    with the list of exact calls when the folder holds one."""
    try:
        with open(os.path.join(folder, "country.asc"), "rb") as f:
            rows = read_country_rows(f.read())
        with open(os.path.join(folder, "vorn.asc"), "rb") as f:
            bureau_rows = read_bureau_records(f.read())
        calls = {}
        if os.path.exists(os.path.join(folder, "calls.asc")):
            with open(os.path.join(folder, "calls.asc"), "rb") as f:
                calls = read_calls(f.read())
        return exact_call_share(reference, Program(rows, bureau_rows, calls))
    except (OSError, DataError, ValueError):
        return None


def read_version_file(path):
    values = {}
    for line in read_text(path).splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            key, _, value = line.partition(" ")
            values[key] = value.strip()
    try:
        return values["cty"], int(values["revision"]), values["fingerprint"]
    except (KeyError, ValueError) as e:
        raise DataError(f"{path}: needs lines 'cty', 'revision' and 'fingerprint'") from e


VERSION_FILE_TEXT = """\
# The data version published in vorn_update.asc is <cty> * 100 + <revision>.
# <cty> is the release date of cty.dat. The revision counts changes of the generated data
# made without a new cty.dat (bureaus.tsv, the generator). The fingerprint is the SHA-256
# of the data those numbers stand for; when the data change, make_data_files.py stops until
# it is run once with --new-revision, which raises the revision and records the new
# fingerprint here.
cty {cty}
revision {revision}
fingerprint {fingerprint}
"""


def data_version(version_path, cty_date, fingerprint, new_revision):
    recorded_date, revision, recorded_fingerprint = read_version_file(version_path)
    if cty_date < recorded_date:
        raise DataError(f"cty.dat {cty_date} is older than the recorded {recorded_date}")
    unchanged = cty_date == recorded_date and fingerprint == recorded_fingerprint
    if not unchanged and not new_revision:
        raise DataError("the generated data differ from the data of the recorded version: "
                        "run once with --new-revision to raise the data version")
    if new_revision and not unchanged:
        revision = revision + 1 if cty_date == recorded_date else 0
        if revision > 99:
            raise DataError("revision 99 reached: wait for a new cty.dat")
        with open(version_path, "w", encoding="ascii", newline="\n") as f:
            f.write(VERSION_FILE_TEXT.format(cty=cty_date, revision=revision,
                                             fingerprint=fingerprint))
    return int(cty_date) * 100 + revision


def master_figures(master, reference, program):
    agree = 0
    disagreements = []
    for call in master:
        if len(call) > TYPED_MAX:
            continue
        expected = reference.entity_of(call)
        if program.entity_of(call) == expected:
            agree += 1
        else:
            disagreements.append(call)
    return agree, disagreements


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    sources = os.path.join(here, "sources")
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", default=sources,
                        help="folder with cty.dat, cty.csv and MASTER.SCP")
    parser.add_argument("--previous", default=os.path.join(sources, "previous", "cty.dat"),
                        help="cty.dat of an earlier release")
    parser.add_argument("--output", default=os.path.join(here, "..", "..", "files"),
                        help="folder for country.asc, vorn.asc, calls.asc and vorn_update.asc")
    parser.add_argument("--before", help="folder of the data files to compare with "
                        "(default: the files that --output holds before they are replaced)")
    parser.add_argument("--new-revision", action="store_true",
                        help="record changed data under a new data version")
    parser.add_argument("--quiet", action="store_true", help="print no figures")
    parser.add_argument("--allow-smaller", action="append", default=[], choices=DATA_FILE_NAMES,
                        metavar="NAME", help="let programs take NAME although it has less than "
                        "half the rows of the installed one (repeatable)")
    args = parser.parse_args(argv)

    try:
        entities, cty_date = parse_cty_dat(os.path.join(args.source, "cty.dat"))
        previous_entities, previous_date = parse_cty_dat(args.previous)
        if previous_date >= cty_date:
            raise DataError(f"{args.previous} ({previous_date}) is not older than cty.dat "
                            f"({cty_date})")
        dxcc = read_dxcc_numbers(os.path.join(args.source, "cty.csv"))
        for entity in entities:
            if entity.code not in dxcc:
                raise DataError(f"cty.csv: no DXCC number for {entity.code}")
        master_list = read_master_scp(os.path.join(args.source, "MASTER.SCP"))
        master = set(master_list)
        bureaus = read_bureaus(os.path.join(here, "bureaus.tsv"))

        reference = Reference(entities)
        previous = Reference(previous_entities).exact_entity
        bureau_rows = build_bureau_rows(entities, bureaus)
        rows, figures = build_country_rows(entities, reference, bureau_rows, master, previous,
                                           dxcc)
        calls = exact_calls(reference, rows)
        program = Program(rows, bureau_rows, calls)
        # What the country rows alone give: an older program, and one without calls.asc.
        rows_only = Program(rows, bureau_rows)

        codes = {e.code for e in entities}
        numbers = {e.code: dxcc[e.code] for e in entities}
        country = country_bytes(rows, codes, numbers)
        calls_file = calls_bytes(calls, codes, numbers)
        records = "".join(bureau_record(r) for r in bureau_rows).encode("ascii")
        fingerprint = hashlib.sha256(country + b"\0" + records + b"\0" + calls_file).hexdigest()
        version = data_version(os.path.join(here, "data-version.txt"), cty_date, fingerprint,
                               args.new_revision)
        heading = f"Vorn QSL bureaus, data {version}"
        if len(heading) > HEADING_MAX:
            raise DataError("heading too long")
        files = {"country.asc": country, "vorn.asc": (heading + "\r\n").encode("ascii") + records,
                 "calls.asc": calls_file}
        files["vorn_update.asc"] = update_bytes(version, files, args.allow_smaller)
        check_published(files)

        before = None if args.quiet else share_of_files(args.before or args.output, reference)
        os.makedirs(args.output, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(args.output, name), "wb") as f:
                f.write(data)
    except (DataError, OSError) as e:
        print(f"make_data_files: {e}", file=sys.stderr)
        return 1

    if not args.quiet:
        agree, disagreements = master_figures(master_list, reference, program)
        print(f"cty.dat {cty_date} (previous release {previous_date}), data version {version}")
        print(f"country rows: {len(rows)} of {COUNTRY_MAX_ROWS} "
              f"({COUNTRY_MAX_ROWS - len(rows)} free for the user)")
        for key, value in figures.items():
            print(f"  {key}: {value}")
        print(f"bureau records: {len(bureau_rows)}")
        print(f"calls.asc: {len(calls)} exact calls, {len(calls_file)} bytes")
        print(f"MASTER.SCP: {agree} of {len(master_list)} calls agree with cty.dat")
        for call in disagreements:
            print(f"  differs: {call} cty.dat {reference.entity_of(call)} "
                  f"look-up {program.entity_of(call)}")
        print("cty.dat's exact calls answered with cty.dat's entity:")
        if before is not None:
            print(f"  before (the files replaced): {share_text(before)}")
        print(f"  country.asc alone: {share_text(exact_call_share(reference, rows_only))}")
        print(f"  now, with calls.asc: {share_text(exact_call_share(reference, program))}")
        wrong = [call for call, code in sorted(reference.exact_entity.items())
                 if not PSEUDO_CALL.fullmatch(call)
                 and (len(call) > TYPED_MAX or program.entity_of(call) != code)]
        for call in wrong:
            print(f"  differs: {call} cty.dat {reference.exact_entity[call]} "
                  f"look-up {program.entity_of(call) if len(call) <= TYPED_MAX else 'too long'}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
