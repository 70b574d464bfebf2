#!/usr/bin/env python3
"""The translation checker itself: what it takes for a bare window text and
what for a faulty catalogue entry."""
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_translations as ct  # noqa: E402

# (code, the literals the checker reports)
SOURCES = [
    ('label->setText(QStringLiteral("Now Recording"));', ["Now Recording"]),
    ('label->setText(tr("Now Recording"));', []),
    ('box = QCoreApplication::translate("frmRecord", "Record");', []),
    ('const char* k = QT_TRANSLATE_NOOP("A", "Value is kept");', []),
    # A text spread over lines, with brackets and a semicolon inside it.
    ('show(tr("Only the first (%1); \\"Add\\" adds "\n        "any number."));', []),
    ('show(QStringLiteral("Only the first (%1); "\n        "any number."));', ["Only the first (%1); ", "any number."]),
    ('w->setObjectName(QStringLiteral("Some Name"));', []),
    ('auto* b = button("cmdRecord", tr("Start"));', []),
    ('auto v = GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Main Window"));', []),
    ('// QStringLiteral("A comment")\nint x = 0; /* "Also a comment" */', []),
    ('#include "ui/panel/frmrecord.h"', []),
    ('m->addAction(QStringLiteral("Stop"));', ["Stop"]),
    ('c = QLatin1Char(\'"\'); t = QStringLiteral("Two words");', ["Two words"]),
    # File names, keys in capitals and CamelCase settings keys name things;
    # a sentence that ends in a dot or a capitalised word still speaks.
    ('f(QStringLiteral(".mp3"), QStringLiteral("Tonquill.ini"), QStringLiteral("/bin"), QStringLiteral("*.aac"));', []),
    ('k(QStringLiteral("TAG"), QStringLiteral("%DEFDIR%"), QStringLiteral("LastPath"), QStringLiteral("ID3v2Tags"));', []),
    ('s(QStringLiteral("Done."), QStringLiteral("Search"), QStringLiteral("Saved %1.mp3"));', ["Done.", "Search", "Saved %1.mp3"]),
    ('err = QCoreApplication::translate("SongRules", "not text");', []),
]

CATALOGUE = """<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context><name>frmRecord</name>
{}
</context></TS>
"""

# (message, fault expected)
MESSAGES = [
    ("<source>Stop</source><translation>Stopp</translation>", None),
    ('<source>Stop</source><translation type="unfinished"></translation>', "unfinished"),
    ('<source>Stop</source><translation type="unfinished">Stopp</translation>', "unfinished"),
    ('<source>Stop</source><translation type="vanished">Stopp</translation>', "vanished"),
    ("<source>Stop</source><translation> </translation>", "empty translation"),
    ("<source>%1 of %2</source><translation>%1 von</translation>", "leaves out %2"),
    ("<source>%1 of %2</source><translation>%2 von %1</translation>", None),
    ("<source>E&amp;xit</source><translation>Beenden</translation>", "no & accelerator"),
    ("<source>E&amp;xit</source><translation>&amp;Beenden</translation>", None),
    ("<source>R&amp;&amp;B</source><translation>R&amp;&amp;B</translation>", None),
]


def main():
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        for i, (code, expected) in enumerate(SOURCES):
            path = root / f"case{i}.cpp"
            path.write_text(code + "\n", encoding="utf-8")
            found = [literal for _, literal, _ in ct.bare_literals(path, root)]
            if found != expected:
                failures.append(f"{code!r}: reported {found}, expected {expected}")
        for i, (message, expected) in enumerate(MESSAGES):
            path = root / f"case{i}_de.ts"
            path.write_text(CATALOGUE.format(f"<message>{message}</message>"), encoding="utf-8")
            faults = ct.check_catalogue(path)
            if expected is None and faults:
                failures.append(f"{message}: reported {faults}, expected none")
            if expected is not None and not any(expected in f for f in faults):
                failures.append(f"{message}: reported {faults}, expected {expected!r}")
        empty = root / "empty_de.ts"
        empty.write_text(CATALOGUE.format(""), encoding="utf-8")
        if not ct.check_catalogue(empty):
            failures.append("a catalogue without messages passed")
    for failure in failures:
        print(failure)
    total = len(SOURCES) + len(MESSAGES) + 1
    print(f"{total - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
