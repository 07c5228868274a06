#!/usr/bin/env python3
"""Compares every string table with the English (neutral) one.

A language xxxx is the head file TSSTxxxx.txt plus the fragments xxxx/*.txt, as the build joins them.
For every language the script checks, against English (0000):

  - the same files (head and fragments), written the same way: UTF-8 without byte-order mark (or
    UTF-16 LE with the mark FF FE, if English is), the same line ends, a line end after the last line;
  - the header: Type "Tessaris String Table", Version "5.0", Locale equal to the language of the name;
  - the same sections in every file (names compared without regard to case);
  - in "String Table" the same text numbers, no number twice, no empty text where English has one;
  - in the other sections the same keys with the same item references (item number and text list),
    and every text number they name present in the language;
  - per text the same placeholders (%1, %s, %d, ...) and the same escapes (\\n, \\t), as many times
    each; a keyboard accelerator (&) exactly where English has one; no outer double quotes that
    English does not have (the reader strips them);
  - in Japanese, one wording per term (printer, model), no blank inside a katakana compound, and no
    English words besides the names, key names and file names that stay as they are.

It prints what is missing, extra or different, one line each, and exits with 1 on any difference,
with 0 when every language matches. Standard library only.

    resources/strings/check-tables.py [--strings DIR] [LANGUAGE ...]
"""

import argparse
import os
import re
import sys
from collections import Counter

NEUTRAL = "0000"
TABLE_TYPE = "Tessaris String Table"
TABLE_VERSION = "5.0"
TEXT_SECTION = "string table"
HEADER_SECTION = "file info"

PLACEHOLDER = re.compile(r"%(?:\d+|%|[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z)?[diouxXeEfgGcsp])")
ESCAPE = re.compile(r"\\[nt]")
# A mnemonic: "&" followed by anything but another "&" ("&&" is a literal ampersand).
MNEMONIC = re.compile(r"(?<!&)&(?!&)")

# Wordings a language keeps to: (pattern that must not occur, what to write instead).
TERMS = {
    "0411": [
        (re.compile(r"プリンタ(?!ー)"), "printer is プリンター"),
        (re.compile(r"モデル|型番|型式"), "model is 機種"),
        (re.compile(r"[\u30A1-\u30FF] +[\u30A1-\u30FF]"), "no blank inside a katakana compound"),
    ],
}
# Latin words that a translation keeps: the product, maker and platform names, key names, file names.
KEPT_WORDS = {"Pellora", "VARDO", "Copyright", "Corporation", "Ctrl", "Del", "Modelname", "dat", "Windows"}
# Languages whose texts hold no other English word (a word with a lower-case letter; abbreviations such
# as USB or MAC stay).
NO_ENGLISH = {"0411"}
LATIN_WORD = re.compile(r"[A-Za-z]*[a-z][A-Za-z]*")
ADDRESS = re.compile(r"https?://\S+")
# File names and extensions ("CVSetUp.exe", ".p12") stay as they are.
FILE_NAME = re.compile(r"[\w-]*\.[A-Za-z][A-Za-z0-9]*\b")


class Layout:
    """How one file is written: byte-order mark, line ends, end of file."""

    def __init__(self, raw):
        self.utf16 = raw.startswith(b"\xff\xfe")
        self.utf8_bom = raw.startswith(b"\xef\xbb\xbf")
        if self.utf16:
            text = raw[2:].decode("utf-16-le")
        else:
            text = raw.decode("utf-8-sig")
        self.text = text
        self.crlf = "\r\n" in text
        self.lone_lf = bool(re.search(r"(?<!\r)\n", text))
        self.final_newline = text.endswith("\n")

    def describe(self):
        encoding = "UTF-16 LE with mark" if self.utf16 else ("UTF-8 with mark" if self.utf8_bom else "UTF-8")
        ends = "CR LF" if self.crlf and not self.lone_lf else ("LF" if not self.crlf else "mixed")
        return "%s, %s line ends, %s" % (encoding, ends,
                                         "line end at the end" if self.final_newline else "no line end at the end")


class Section:
    def __init__(self, name):
        self.name = name
        self.lines = []  # (line number, key, value) in file order


def parse(text):
    """Sections of an INI text in file order; lines split and trimmed as the program reads them."""
    sections = []
    current = None
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.strip()
        if not stripped:
            continue
        if stripped.startswith("[") and stripped.endswith("]"):
            current = Section(stripped[1:-1])
            sections.append(current)
            continue
        if current is None:
            continue
        key, equals, value = line.partition("=")
        if not equals:
            key, value = "", ""
        current.lines.append((number, key.strip(), value.strip()))
    return sections


def outer_quotes(value):
    return value.startswith('"') or value.endswith('"')


def unquoted(value):
    return value.strip('"')


def parse_reference(value):
    """Item number and text list of a group-section value, as the program reads it."""
    blanks = " \r\n\t"
    value = unquoted(value)
    if ":" in value:
        number_text, _, list_text = value.partition(":")
    else:
        number_text, list_text = "", value
    number_text = number_text.strip(blanks)
    list_text = list_text.strip(blanks)
    if number_text[:2].lower() == "0x":
        try:
            item = int(number_text[2:], 16)
        except ValueError:
            item = 0
    else:
        match = re.match(r"[-+]?\d+", number_text)
        item = int(match.group(0)) if match else 0
    texts = []
    for element in list_text.split(","):
        element = element.strip(blanks)
        if "-" in element:
            low, _, high = element.partition("-")
            try:
                texts.extend(range(int(low.strip(blanks)), int(high.strip(blanks)) + 1))
            except ValueError:
                texts.append(0)
        else:
            match = re.match(r"\d+", element)
            texts.append(int(match.group(0)) if match else 0)
    return item, texts


def text_key(key):
    match = re.match(r"\d+", key)
    return int(match.group(0)) if match else 0


class Table:
    """One language: its files, each with its layout and sections."""

    def __init__(self, folder, language):
        self.language = language
        self.files = {}  # relative name -> (Layout, [Section])
        head = "TSST%s.txt" % language
        names = [head]
        fragments = os.path.join(folder, language)
        if os.path.isdir(fragments):
            names += [language + "/" + name for name in sorted(os.listdir(fragments)) if name.endswith(".txt")]
        for name in names:
            with open(os.path.join(folder, name), "rb") as stream:
                layout = Layout(stream.read())
            self.files[name] = (layout, parse(layout.text))

    def own_name(self, name):
        """The file name with the language folder replaced by the neutral one, for comparison."""
        if name.startswith("TSST"):
            return "TSST%s.txt" % NEUTRAL
        return NEUTRAL + name[len(self.language):]

    def texts(self):
        """Every "String Table" text of all files: number -> (file, line, value)."""
        found = {}
        for name, (_, sections) in self.files.items():
            for section in sections:
                if section.name.lower() == TEXT_SECTION:
                    for line, key, value in section.lines:
                        found.setdefault(text_key(key), (name, line, value))
        return found


def compare_text(problems, where, english, translated):
    if not unquoted(translated).strip():
        if unquoted(english).strip():
            problems.append("%s: empty text (English: %r)" % (where, english))
        return
    for kind, pattern in (("placeholders", PLACEHOLDER), ("escapes", ESCAPE)):
        wanted = Counter(pattern.findall(english))
        got = Counter(pattern.findall(translated))
        if wanted != got:
            problems.append("%s: %s %s, English has %s" % (where, kind, sorted(got.elements()) or "none",
                                                          sorted(wanted.elements()) or "none"))
    wanted = len(MNEMONIC.findall(english))
    got = len(MNEMONIC.findall(translated))
    if wanted != got:
        problems.append("%s: %d accelerator(s) (&), English has %d" % (where, got, wanted))
    if outer_quotes(translated) and not outer_quotes(english):
        problems.append("%s: outer double quotes are stripped by the reader" % where)


def check_wording(problems, language, texts):
    """The terms and the English words of one language's texts."""
    for number, (name, line, value) in sorted(texts.items()):
        where = "%s:%d: text %d" % (name, line, number)
        for pattern, rule in TERMS.get(language, []):
            if pattern.search(value):
                problems.append("%s: %r (%s)" % (where, value, rule))
        if language in NO_ENGLISH:
            plain = ESCAPE.sub(" ", FILE_NAME.sub(" ", ADDRESS.sub(" ", value)))
            words = [word for word in LATIN_WORD.findall(plain) if word not in KEPT_WORDS]
            if words:
                problems.append("%s: English words %s in %r" % (where, words, value))


def compare(english, table):
    problems = []
    language = table.language
    wanted_files = set(english.files)
    got_files = {table.own_name(name): name for name in table.files}
    for name in sorted(wanted_files - set(got_files)):
        problems.append("missing file %s" % name.replace(NEUTRAL, language, 1))
    for name in sorted(set(got_files) - wanted_files):
        problems.append("extra file %s" % got_files[name])

    english_texts = english.texts()
    texts = table.texts()
    for own, name in sorted(got_files.items()):
        if own not in english.files:
            continue
        english_layout, english_sections = english.files[own]
        layout, sections = table.files[name]
        if layout.describe() != english_layout.describe():
            problems.append("%s: written as %s, English as %s" % (name, layout.describe(), english_layout.describe()))

        english_by_name = {}
        for section in english_sections:
            english_by_name.setdefault(section.name.lower(), []).append(section)
        by_name = {}
        for section in sections:
            by_name.setdefault(section.name.lower(), []).append(section)
        for key in english_by_name:
            if key not in by_name:
                problems.append("%s: missing section [%s]" % (name, english_by_name[key][0].name))
        for key in by_name:
            if key not in english_by_name:
                problems.append("%s: extra section [%s]" % (name, by_name[key][0].name))
            elif len(by_name[key]) != len(english_by_name[key]):
                problems.append("%s: section [%s] %d times, English %d times" % (
                    name, by_name[key][0].name, len(by_name[key]), len(english_by_name[key])))

        for key, got_sections in by_name.items():
            if key not in english_by_name:
                continue
            got_lines = [line for section in got_sections for line in section.lines]
            wanted_lines = [line for section in english_by_name[key] for line in section.lines]
            title = got_sections[0].name
            if key == HEADER_SECTION:
                values = {k.lower(): v for _, k, v in got_lines}
                if values.get("type", "").lower() != TABLE_TYPE.lower():
                    problems.append("%s: [File Info] Type is %r" % (name, values.get("type")))
                if values.get("version", "").lower() != TABLE_VERSION.lower():
                    problems.append("%s: [File Info] Version is %r" % (name, values.get("version")))
                try:
                    locale = int(values.get("locale", ""), 16) & 0xFFFF
                except ValueError:
                    locale = None
                if locale != int(language, 16):
                    problems.append("%s: [File Info] Locale is %r, the file name says %s" % (
                        name, values.get("locale"), language))
                continue
            if key == TEXT_SECTION:
                wanted = {text_key(k): (line, v) for line, k, v in wanted_lines}
                seen = {}
                for line, k, v in got_lines:
                    number = text_key(k)
                    if number in seen:
                        problems.append("%s:%d: text %d again (first in line %d)" % (name, line, number, seen[number]))
                        continue
                    seen[number] = line
                    if number not in wanted:
                        problems.append("%s:%d: extra text %d" % (name, line, number))
                        continue
                    compare_text(problems, "%s:%d: text %d" % (name, line, number), wanted[number][1], v)
                for number in sorted(set(wanted) - set(seen)):
                    problems.append("%s: missing text %d (English: %r)" % (name, number, wanted[number][1]))
                continue
            # A group section: keys with item references.
            wanted = {}
            for line, k, v in wanted_lines:
                wanted.setdefault(k.lower(), (k, v))
            seen = {}
            for line, k, v in got_lines:
                lower = k.lower()
                if lower in seen:
                    problems.append("%s:%d: [%s] %s again (first in line %d)" % (name, line, title, k, seen[lower]))
                    continue
                seen[lower] = line
                if lower not in wanted:
                    problems.append("%s:%d: [%s] extra item %s=%s" % (name, line, title, k, v))
                    continue
                english_reference = parse_reference(wanted[lower][1])
                reference = parse_reference(v)
                if reference[0] != english_reference[0]:
                    problems.append("%s:%d: [%s] %s has item number %d, English %d" % (
                        name, line, title, k, reference[0], english_reference[0]))
                if reference[1] != english_reference[1]:
                    problems.append("%s:%d: [%s] %s names texts %s, English %s" % (
                        name, line, title, k, reference[1], english_reference[1]))
                for number in reference[1]:
                    text = texts.get(number)
                    if text is None or not unquoted(text[2]).strip():
                        if number in english_texts:
                            problems.append("%s:%d: [%s] %s names text %d, which the language lacks" % (
                                name, line, title, k, number))
            for lower in sorted(set(wanted) - set(seen)):
                problems.append("%s: [%s] missing item %s=%s" % (name, title, wanted[lower][0], wanted[lower][1]))
    check_wording(problems, language, texts)
    return problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Compare every string table with the English one.")
    parser.add_argument("--strings", default=here, help="folder of TSSTxxxx.txt and the fragment folders")
    parser.add_argument("languages", nargs="*", help="four hexadecimal digits each; default: every head file")
    arguments = parser.parse_args()

    folder = arguments.strings
    languages = [language.upper() for language in arguments.languages]
    if not languages:
        languages = sorted(name[4:8].upper() for name in os.listdir(folder)
                           if re.fullmatch(r"TSST[0-9A-Fa-f]{4}\.txt", name))
    english = Table(folder, NEUTRAL)

    failed = False
    self_problems = compare(english, english)
    if self_problems:
        failed = True
        for problem in self_problems:
            print("%s: %s" % (NEUTRAL, problem))
    texts = len(english.texts())
    for language in languages:
        if language == NEUTRAL:
            continue
        try:
            table = Table(folder, language)
        except (OSError, UnicodeDecodeError) as error:
            print("%s: cannot be read: %s" % (language, error))
            failed = True
            continue
        problems = compare(english, table)
        for problem in problems:
            print("%s: %s" % (language, problem))
        if problems:
            failed = True
        else:
            print("%s: same as English (%d files, %d texts)" % (language, len(table.files), texts))
    print("differences found" if failed else "all tables match English")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
