#!/usr/bin/python3
"""Writes a large ADIF log for the sorting benchmark.

    make_log.py COUNT OUTPUT [CALLS] [--distinct]
    make_log.py --tiny MEGABYTES OUTPUT [--no-call]

COUNT QSOs with calls drawn from CALLS (one call a line, '#' lines skipped; default
tools/data/sources/MASTER.SCP), a few stations worked many times and most once or twice, as in
a real log. Each QSO has the fields a logger exports (date, time, band, mode, reports,
frequency, a name that is sometimes UTF-8, a comment) and a QSL state: a third already sent,
half queued or requested, some sent direct; one QSO in twenty names a manager in QSL_VIA. The
same COUNT and CALLS give the same file. With --distinct every QSO has a call of its own (made
up, DA0AAA onwards), so that the log has as many cards as QSOs.

--tiny writes MEGABYTES of the smallest records that still hold a call (CALL and EOR only, the
calls of CALLS in turn), or with --no-call records of one BAND field and no call: what costs a
sorter most per byte read.
"""

import os
import random
import sys

BANDS = [("160M", 1.83), ("80M", 3.55), ("40M", 7.05), ("30M", 10.12), ("20M", 14.07),
         ("17M", 18.1), ("15M", 21.2), ("12M", 24.9), ("10M", 28.5), ("6M", 50.15)]
MODES = ["CW", "SSB", "FT8", "RTTY", "FT4"]
NAMES = ["John", "Hans", "Jörg", "José", "Ivan", "Åsa", "Mike", "Françoise", "Bob", "Yuki"]
VIA_NOTES = ["{}", "via {}", "QSL via {}", "mgr {}", "{} (direct or buro)"]


def field(name, value):
    data = value.encode("utf-8")
    return b"<%s:%d>%s " % (name.encode(), len(data), data)


def made_up_call(i):
    """DA0AAA, DA0AAB, ...: distinct calls of the form of a German call."""
    letters = ""
    for _ in range(3):
        i, rest = divmod(i, 26)
        letters = chr(65 + rest) + letters
    area, i = i % 10, i // 10
    return "D%s%d%s" % (chr(65 + i % 26), area, letters) if i < 26 else "D%d%s" % (i, letters)


def read_calls(calls_file):
    with open(calls_file, encoding="latin-1") as f:
        return [line.strip() for line in f if line.strip() and not line.startswith("#")]


def write_tiny(megabytes, output, calls, no_call):
    size = megabytes * 1024 * 1024
    if no_call:
        unit = field("BAND", "20M") + b"<EOR>\n"
    else:
        unit = b"".join(field("CALL", call)[:-1] + b"<EOR>\n" for call in calls[:1000])
    block = unit * max(1, (1 << 20) // len(unit))
    with open(output, "wb") as out:
        written = 0
        while written + len(block) <= size:
            out.write(block)
            written += len(block)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    default_calls = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                                 "data", "sources", "MASTER.SCP")
    if "--tiny" in sys.argv:
        write_tiny(int(args[0]), args[1], read_calls(default_calls), "--no-call" in sys.argv)
        return
    count = int(args[0])
    output = args[1]
    calls = read_calls(args[2] if len(args) > 2 else default_calls)
    if "--distinct" in sys.argv:
        calls = [made_up_call(i) for i in range(count)]
    rng = random.Random(73)
    managers = rng.sample(calls, 300)
    with open(output, "wb") as out:
        out.write(b"Benchmark log for Vorn\r\n" + field("ADIF_VER", "3.1.4") +
                  field("PROGRAMID", "benchmark") + b"<EOH>\r\n")
        for i in range(count):
            # Zipf-like: low indexes come up far more often.
            call = calls[min(int(rng.paretovariate(0.6)) - 1, len(calls) - 1)
                         if rng.random() < 0.3 else rng.randrange(len(calls))]
            if "--distinct" in sys.argv:
                call = calls[i]
            band, mhz = rng.choice(BANDS)
            day = 1 + i * 3650 // count
            record = [
                field("CALL", call),
                field("QSO_DATE", "%04d%02d%02d" % (2014 + day // 365, 1 + day % 365 // 31 % 12,
                                                    1 + day % 28)),
                field("TIME_ON", "%02d%02d%02d" % (rng.randrange(24), rng.randrange(60),
                                                   rng.randrange(60))),
                field("BAND", band),
                field("FREQ", "%.4f" % (mhz + rng.random() / 100)),
                field("MODE", rng.choice(MODES)),
                field("RST_SENT", "599"),
                field("RST_RCVD", "599"),
                field("NAME", rng.choice(NAMES)),
                field("COMMENT", "tnx fer QSO %d" % i),
            ]
            roll = rng.random()
            if roll < 0.35:
                record.append(field("QSL_SENT", "Y"))
                record.append(field("QSL_SENT_VIA", rng.choice("BBBD")))
            elif roll < 0.85:
                record.append(field("QSL_SENT", rng.choice("QQQR")))
            else:
                record.append(field("QSL_SENT", "N"))
            if rng.random() < 0.05:
                record.append(field("QSL_VIA", rng.choice(VIA_NOTES).format(rng.choice(managers))))
            out.write(b"".join(record) + b"<EOR>\r\n")


if __name__ == "__main__":
    main()
