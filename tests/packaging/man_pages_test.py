#!/usr/bin/env python3
"""The manual page of pellora-cli and the README's table of its exit statuses say what its --help says, and
the help's commands are the program's."""
import re
import subprocess
import sys
import unittest

CLI = None
MAN_DIR = None
README = None

HELP_SECTIONS = {"Commands:": "COMMANDS", "Options:": "OPTIONS", "Exit status:": "EXIT STATUS"}


def help_entries(text):
    """The entries of the help's sections: {man section: [(term, text)]}, wrapped lines joined."""
    sections = {}
    entries = None
    for line in text.splitlines():
        if line in HELP_SECTIONS:
            entries = sections.setdefault(HELP_SECTIONS[line], [])
        elif not line.startswith("  "):
            entries = None  # a blank line or a paragraph ends the section
        elif entries is not None:
            entry = re.fullmatch(r"  (\S.*?)(?:\s{2,}(.*))?", line)
            if entry:
                entries.append([entry.group(1), entry.group(2) or ""])
            else:
                entries[-1][1] = (entries[-1][1] + " " + line.strip()).strip()
    return {name: [tuple(entry) for entry in found] for name, found in sections.items()}


def plain(roff):
    for code, text in (("\\fB", ""), ("\\fI", ""), ("\\fR", ""), ("\\-", "-"), ("\\&", ""), ("\\e", "\\")):
        roff = roff.replace(code, text)
    return roff


def man_entries(roff):
    """The tagged entries (.TP) of every section of a manual page: {section: [(tag, text)]}."""
    sections = {}
    section = None
    lines = roff.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith(".SH "):
            section = sections.setdefault(line[4:].strip('"'), [])
        elif line == ".TP" and section is not None:
            tag = plain(lines[i + 1])
            text = []
            i += 2
            while i < len(lines) and not lines[i].startswith("."):
                text.append(plain(lines[i]))
                i += 1
            section.append((tag, " ".join(text)))
            continue
        i += 1
    return sections


def run(*arguments):
    return subprocess.run([CLI, *arguments], capture_output=True, text=True, env={"LANG": "C", "PATH": "/usr/bin:/bin"})


class ManPagesTest(unittest.TestCase):
    def test_the_manual_page_holds_every_entry_of_the_help_word_for_word(self):
        shown = run("--help")
        self.assertEqual(shown.returncode, 0)
        helped = help_entries(shown.stdout)
        self.assertEqual(sorted(helped), ["COMMANDS", "EXIT STATUS", "OPTIONS"])
        with open(f"{MAN_DIR}/pellora-cli.1", encoding="utf-8") as page:
            manual = man_entries(page.read())
        for section, entries in helped.items():
            with self.subTest(section=section):
                self.assertTrue(entries)
                self.assertEqual(manual.get(section), entries)

    def test_the_readme_lists_the_exit_statuses_as_the_help_prints_them(self):
        with open(README, encoding="utf-8") as readme:
            text = readme.read()
        section = text.split("## Exit status of pellora-cli", 1)[1].split("\n## ", 1)[0]
        rows = re.findall(r"^\| (.+?) \| (.+?) \|$", section, re.M)
        self.assertEqual(rows[0], ("status", "meaning"))
        self.assertEqual(rows[1:], help_entries(run("--help").stdout)["EXIT STATUS"])

    def test_every_command_of_the_help_is_one_the_program_takes(self):
        commands = [term.split()[0] for term, _ in help_entries(run("--help").stdout)["COMMANDS"]]
        self.assertIn("validate", commands)
        for command in commands:
            with self.subTest(command=command):
                refused = run(command)
                self.assertEqual(refused.returncode, 64)
                self.assertNotIn("unknown command", refused.stderr)
                self.assertIn(command, refused.stderr.splitlines()[-1], "the short usage names it")
        self.assertIn("unknown command", run("frobnicate").stderr)


if __name__ == "__main__":
    CLI, MAN_DIR, README = sys.argv[1], sys.argv[2], sys.argv[3]
    unittest.main(argv=sys.argv[:1], verbosity=2)
