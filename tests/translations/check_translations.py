#!/usr/bin/env python3
"""Checks the translations of both programs.

1. Every message of every catalogue in translations/*_de.ts is translated:
   no "unfinished", "vanished" or "obsolete" entry, no empty translation, and
   every %1..%9 and every & accelerator of the source is kept.
2. No text a user reads bypasses tr(): every string literal in the windows
   (ui/, cdcreator/) and in the core whose messages and status texts they
   show (recorder/, sources/, config/, platform/, listen/, app/) is either
   inside tr(), QCoreApplication::translate(), QT_TR_NOOP() or
   QT_TRANSLATE_NOOP(), an object name, settings key, file name or other
   identifier, or listed in allowlist.txt beside this script (file and
   literal).

   check_translations.py SOURCE_DIR          run both checks
   check_translations.py --sources FILE...   the second check on the given files
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_FOLDERS = ("ui", "cdcreator", "recorder", "history", "sources", "config", "platform", "listen", "app")
# A literal these wrap is translated (or marked for it).
TRANSLATORS = ("tr", "translate", "QT_TR_NOOP", "QT_TRANSLATE_NOOP", "QT_TR_N_NOOP")
# Calls whose literal arguments name things rather than say something.
NAMING_CALLS = ("setObjectName", "setProperty", "property", "findChild", "findChildren", "inherits",
                "qEnvironmentVariable", "qEnvironmentVariableIsSet", "qEnvironmentVariableIntValue",
                "GetSetting", "SaveSetting", "QUrlQuery", "addQueryItem", "queryItemValue",
                "setRawHeader", "hasRawHeader", "rawHeader", "attribute", "startsWith", "endsWith",
                "fromString", "QRegularExpression", "QIcon::fromTheme", "qWarning", "qDebug", "qCritical",
                "qInfo", "Q_ARG", "metaObject", "SIGNAL", "SLOT", "setStyleSheet", "contains",
                "Q_ASSERT_X", "toString", "ReadINIValue", "WriteINIValue", "ReadTavrixValue", "flag",
                "UserSettingsFile", "SendData", "resolve")
IDENTIFIER = re.compile(r"^[a-z_][A-Za-z0-9_.:\-/]*$")
# Words without spaces that name rather than say: a file name or path
# (".mp3", "/bin", "*.aac", "Tonquill.ini"), a key in capitals ("TAG",
# "%DEFDIR%") or a settings key in CamelCase ("LastPath", "ID3v2Tags").
FILE_NAME = re.compile(r"^(?:[./*]\S*|\S+\.[a-z0-9]{2,4})$")
CAPITALS = re.compile(r"^[A-Z0-9_%]+$")
CAMEL_CASE = re.compile(r"^[A-Z][A-Za-z0-9]*[a-z][A-Za-z0-9]*[A-Z][A-Za-z0-9]*$")
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def strip_comments(text):
    """Blanks comments, keeping string literals and line numbers."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif c == "'" and i + 2 < n:
            j = i + 1
            while j < n and text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            out.append(" " * (j + 1 - i))
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def enclosing_call(text, pos):
    """The name of the innermost call whose parentheses hold pos."""
    depth = 0
    i = pos - 1
    while i >= 0:
        c = text[i]
        if c == ")":
            depth += 1
        elif c == "(":
            if depth == 0:
                m = re.search(r"([A-Za-z_][A-Za-z0-9_:]*)\s*$", text[:i])
                return m.group(1) if m else ""
            depth -= 1
        elif c in ";{}" and depth == 0:
            return None
        i -= 1
    return None


def calls_around(text, pos):
    """Names of every call whose parentheses hold pos, innermost first."""
    names, i = [], pos
    while True:
        name = enclosing_call(text, i)
        if name is None:
            return names
        names.append(name)
        # Continue outward from the opening parenthesis of this call.
        depth, j = 0, i - 1
        while j >= 0:
            if text[j] == ")":
                depth += 1
            elif text[j] == "(":
                if depth == 0:
                    break
                depth -= 1
            j -= 1
        i = j


def needs_words(literal):
    return re.search(r"[A-Za-z]{2,}", literal) is not None


def mask_literals(text):
    """The text with the inside of every string literal blanked, so the
    brackets and semicolons of a text do not count as code."""
    return LITERAL.sub(lambda m: '"' + " " * (len(m.group(0)) - 2) + '"', text)


def bare_literals(path, root):
    text = strip_comments(path.read_text(encoding="utf-8"))
    code = mask_literals(text)
    rel = path.relative_to(root).as_posix()
    for m in LITERAL.finditer(text):
        literal = m.group(1)
        line_start = text.rfind("\n", 0, m.start()) + 1
        line = text[line_start:text.find("\n", m.end())]
        if line.lstrip().startswith("#"):
            continue
        if not needs_words(literal) or any(r.match(literal) for r in (IDENTIFIER, FILE_NAME, CAPITALS, CAMEL_CASE)):
            continue
        names = calls_around(code, m.start())
        short = [n.split("::")[-1] for n in names]
        if any(n in TRANSLATORS for n in short):
            continue
        inner = [n for n in names if n not in ("QStringLiteral", "QLatin1String", "QLatin1StringView",
                                              "QByteArrayLiteral", "QString", "QByteArray")]
        if inner and (inner[0] in NAMING_CALLS or inner[0].split("::")[-1] in NAMING_CALLS):
            continue
        yield rel, literal, text.count("\n", 0, m.start()) + 1


def load_allowlist():
    allowed = set()
    for raw in (HERE / "allowlist.txt").read_text(encoding="utf-8").splitlines():
        if not raw.strip() or raw.startswith("#"):
            continue
        rel, _, literal = raw.partition("\t")
        allowed.add((rel.strip(), literal))
    return allowed


def check_sources(root, files):
    allowed = load_allowlist()
    faults = []
    for path in files:
        for rel, literal, line in bare_literals(path, root):
            if (rel, literal) not in allowed and (rel, "*") not in allowed:
                faults.append(f"{rel}:{line}: text without tr(): \"{literal}\"")
    return faults


def check_catalogue(path):
    faults = []
    tree = ET.parse(path)
    count = 0
    for message in tree.iter("message"):
        count += 1
        source = message.findtext("source") or ""
        translation = message.find("translation")
        where = f"{path.name}: \"{source[:60]}\""
        if translation is None:
            faults.append(f"{where}: no translation")
            continue
        kind = translation.get("type")
        if kind:
            faults.append(f"{where}: {kind}")
        text = "".join(translation.itertext())
        if not text.strip():
            faults.append(f"{where}: empty translation")
            continue
        for marker in sorted(set(re.findall(r"%\d", source))):
            if marker not in text:
                faults.append(f"{where}: the translation leaves out {marker}")
        if re.search(r"&[^&\s]", source.replace("&&", "")) and not re.search(r"&[^&\s]", text.replace("&&", "")):
            faults.append(f"{where}: the translation has no & accelerator")
    if count == 0:
        faults.append(f"{path.name}: holds no message")
    return faults


def main(argv):
    if len(argv) > 2 and argv[1] == "--sources":
        files = [Path(a).resolve() for a in argv[2:]]
        root = Path.cwd().resolve()
        faults = check_sources(root, files)
    elif len(argv) == 2:
        root = Path(argv[1]).resolve()
        catalogues = sorted((root / "translations").glob("*_de.ts"))
        faults = [] if len(catalogues) >= 2 else ["translations/: fewer than two German catalogues"]
        for ts in catalogues:
            faults += check_catalogue(ts)
        files = sorted(p for folder in SOURCE_FOLDERS for p in (root / folder).rglob("*")
                       if p.suffix in (".cpp", ".h"))
        faults += check_sources(root, files)
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for fault in faults:
        print(fault)
    print(f"check_translations: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
