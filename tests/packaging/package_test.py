#!/usr/bin/env python3
"""The Debian package, installed into a scratch root: what it holds, that both programs run from there and
find their program folder, and what lintian, appstreamcli and desktop-file-validate say of it.

package_test.py build CPACK CONFIG FOLDER   makes the package into FOLDER (the fixture of the others)
package_test.py install FOLDER              unpacks it with dpkg-deb -x and runs the programs
package_test.py lint FOLDER                 lintian, the AppStream and desktop-entry validators
"""
import configparser
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

SKIP = 77  # ctest's SKIP_RETURN_CODE
DEB_FOLDER = None
PROGRAM_FOLDER = "usr/lib/pellora"
APP_ID = "io.github.pellora.Pellora"
LANGUAGES = ["0000", "0407", "040A", "040C", "0410", "0411", "0413", "0416"]
DESKTOP_LANGUAGES = ["de", "es", "fr", "it", "ja", "nl", "pt_BR"]
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
DRIVER_INF = ('[Version]\r\nSignature="$Windows NT$"\r\nClass=Printer\r\n[Manufacturer]\r\n'
              '"VARDO"=Vardo,NTamd64\r\n[Vardo.NTamd64]\r\n"VARDO RX-C3400" = RXC3400.GPD\r\n')


def the_package():
    found = glob.glob(os.path.join(DEB_FOLDER, "pellora_*.deb"))
    if len(found) != 1:
        raise AssertionError(f"one package expected in {DEB_FOLDER}, found {found}")
    return found[0]


def run(arguments, **options):
    return subprocess.run(arguments, capture_output=True, text=True, **options)


def owners(library):
    """The Debian packages a library file comes from, under any of its names (/lib is /usr/lib)."""
    real = os.path.realpath(library)
    names = {library, real} | {name[len("/usr"):] for name in (library, real) if name.startswith("/usr/")}
    packages = set()
    for name in names:
        for line in run(["dpkg", "-S", name]).stdout.splitlines():
            listed, _, _ = line.partition(": ")
            packages |= {entry.split(":")[0] for entry in listed.split(", ")}
    return packages


class InstalledPackage(unittest.TestCase):
    """One scratch root for all cases: unpacking is the slow part."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="pellora-package-")
        cls.root = os.path.join(cls.scratch.name, "root")
        unpacked = run(["dpkg-deb", "-x", the_package(), cls.root])
        if unpacked.returncode != 0:
            raise AssertionError(unpacked.stderr)
        cls.folder = os.path.join(cls.root, PROGRAM_FOLDER)
        cls.work = os.path.join(cls.scratch.name, "work")
        os.makedirs(os.path.join(cls.work, "tmp"))
        os.makedirs(os.path.join(cls.work, "config"))
        cls.environment = {"PATH": "/usr/bin:/bin", "LANG": "C", "TMPDIR": os.path.join(cls.work, "tmp"),
                           "HOME": cls.work, "XDG_CONFIG_HOME": os.path.join(cls.work, "config"),
                           "XDG_RUNTIME_DIR": cls.work, "QT_QPA_PLATFORM": "offscreen"}

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def path(self, relative):
        return os.path.join(self.root, relative)

    def program(self, name, *arguments):
        """Runs a program through its link in usr/bin, as the PATH finds it."""
        return run([self.path(f"usr/bin/{name}"), *arguments], env=self.environment, cwd=self.work)

    def test_the_program_folder_is_one_folder_with_everything_the_programs_load(self):
        expected = {"pellora", "pellora-cli", "DAVORUDI.so", "TsAppInst.so", "HalvaneWrapper.so", "CVSetUp.exe",
                    "Modelname.dat", "CVDATA1.DAT", "CVDATA2.DAT"} | {f"TSST{code}.dat" for code in LANGUAGES}
        # Every subfolder of the program folder would travel in each package built: there are none.
        self.assertEqual(set(os.listdir(self.folder)), expected)
        for name in ("pellora", "pellora-cli"):
            link = self.path(f"usr/bin/{name}")
            self.assertTrue(os.path.islink(link), name)
            self.assertFalse(os.path.isabs(os.readlink(link)), "a link that works in any root")
            self.assertEqual(os.path.realpath(link), os.path.realpath(os.path.join(self.folder, name)))
        self.assertFalse(os.path.exists(self.path("etc")), "per-user settings only, nothing in /etc")
        for page in ("pellora.1.gz", "pellora-cli.1.gz"):
            self.assertTrue(os.path.isfile(self.path(f"usr/share/man/man1/{page}")), page)
        for document in ("copyright", "changelog.gz"):
            self.assertTrue(os.path.isfile(self.path(f"usr/share/doc/pellora/{document}")), document)

    def test_every_library_linked_is_found_and_its_package_is_a_dependency(self):
        depends = run(["dpkg-deb", "-f", the_package(), "Depends"]).stdout
        declared = {re.split(r"[\s(]", item.strip())[0] for item in depends.split(",") if item.strip()}
        for name in ("pellora", "pellora-cli", "DAVORUDI.so", "TsAppInst.so", "HalvaneWrapper.so"):
            binary = os.path.join(self.folder, name)
            with self.subTest(binary=name):
                resolved = run(["ldd", binary]).stdout
                self.assertNotIn("not found", resolved)
                places = dict(re.findall(r"^\s*(\S+) => (/\S+)", resolved, re.M))
                places.update((os.path.basename(path), path) for path in re.findall(r"^\s*(/\S+) \(", resolved, re.M))
                needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", run(["readelf", "-d", binary]).stdout)
                self.assertTrue(needed)
                for library in needed:
                    packages = owners(places[library])
                    self.assertTrue(packages & declared, f"{library} comes from {packages}, Depends: {depends}")

    def test_the_cli_finds_tables_model_list_plugins_and_runtime_files(self):
        shown = self.program("pellora-cli", "--help")
        self.assertEqual(shown.returncode, 0, shown.stderr)
        self.assertTrue(shown.stdout.startswith("Usage: pellora-cli"))

        # A script for one printer on a driver folder; show reads it back with the model list.
        drivers = os.path.join(self.work, "drivers", "c3400")
        os.makedirs(drivers, exist_ok=True)
        with open(os.path.join(drivers, "PRINTER.INF"), "w", newline="") as inf:
            inf.write(DRIVER_INF)
        script = os.path.join(self.work, "hall.qsm")
        written = self.program("pellora-cli", "script", "--model", "VARDO RX-C3400", "--address", "10.0.0.7",
                               "--folder", drivers, "-o", script)
        self.assertEqual(written.returncode, 0, written.stderr)
        self.assertEqual(self.program("pellora-cli", "validate", script).returncode, 0)

        # The build checks the driver with DAVORUDI.so and carries CVSetUp.exe, the stub and the model list.
        package = os.path.join(self.work, "Hall.exe")
        built = self.program("pellora-cli", "build", script, "-o", package)
        self.assertEqual(built.returncode, 0, built.stderr)
        unpacked = os.path.join(self.work, "unpacked")
        self.assertEqual(self.program("pellora-cli", "extract", package, "-o", unpacked).returncode, 0)
        for name in ("CVSetUp.exe", "Modelname.dat"):
            with open(os.path.join(unpacked, name), "rb") as carried, open(os.path.join(self.folder, name), "rb") as installed:
                self.assertEqual(carried.read(), installed.read(), name)
        self.assertTrue(os.path.isfile(os.path.join(unpacked, "DRIVER_000", "000", "PRINTER.INF")))

        # Each language's table is found: its message differs from the neutral one.
        missing = os.path.join(self.work, "missing.qst")
        texts = {}
        for code in LANGUAGES:
            answer = self.program("pellora-cli", "--lang", code, "show", missing)
            self.assertEqual(answer.returncode, 5, code)
            texts[code] = answer.stderr
        for code in LANGUAGES[1:]:
            self.assertNotEqual(texts[code], texts["0000"], f"TSST{code}.dat was not loaded")

    def test_pellora_started_through_its_link_works_in_its_real_folder(self):
        # The command-line script mode loads the string table and the model list and writes CVSCRIPT.QSM
        # into the program folder, whose path is also the printer's default driver folder.
        started = self.program("pellora", "/MVARDO RX-C3400", "/A10.0.0.8")
        self.assertEqual(started.returncode, 0, started.stderr)
        script = os.path.join(self.folder, "CVSCRIPT.QSM")
        self.assertTrue(os.path.isfile(script), "written into the program folder, not beside the link")
        self.assertFalse(os.path.exists(self.path("usr/bin/CVSCRIPT.QSM")))
        try:
            shown = self.program("pellora-cli", "show", script)
            self.assertIn(f"\tRX-C3400(10.0.0.8)\tRX-C3400\t10.0.0.8\t{os.path.realpath(self.folder)}\n", shown.stdout)
        finally:
            os.remove(script)


class PackageMetadata(unittest.TestCase):
    """The validators, and the desktop files checked against each other."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="pellora-metadata-")
        cls.root = cls.scratch.name
        unpacked = run(["dpkg-deb", "-x", the_package(), cls.root])
        if unpacked.returncode != 0:
            raise AssertionError(unpacked.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def path(self, relative):
        return os.path.join(self.root, relative)

    def test_lintian_reports_no_errors(self):
        if shutil.which("lintian") is None:
            self.skipTest("lintian is not installed (make deps)")
        # The tags that count as errors fail the run; warnings and notes are printed for the report.
        linted = run(["lintian", "--fail-on", "error", "--display-info", the_package()])
        print(linted.stdout, file=sys.stderr)
        self.assertEqual(linted.returncode, 0, linted.stdout + linted.stderr)
        self.assertNotRegex(linted.stdout, r"(?m)^E: ")

    def test_appstream_metadata_is_valid_and_names_what_the_package_installs(self):
        if shutil.which("appstreamcli") is None:
            self.skipTest("appstreamcli is not installed (make deps)")
        metainfo = self.path(f"usr/share/metainfo/{APP_ID}.metainfo.xml")
        validated = run(["appstreamcli", "validate", "--no-net", metainfo])
        self.assertEqual(validated.returncode, 0, validated.stdout + validated.stderr)
        with open(metainfo, encoding="utf-8") as xml:
            text = xml.read()
        launchable = re.search(r'<launchable type="desktop-id">(.+?)</launchable>', text).group(1)
        self.assertTrue(os.path.isfile(self.path(f"usr/share/applications/{launchable}")))
        for binary in re.findall(r"<binary>(.+?)</binary>", text):
            self.assertTrue(os.path.islink(self.path(f"usr/bin/{binary}")), binary)

    def test_the_desktop_entry_opens_projects_and_scripts_and_speaks_every_language(self):
        if shutil.which("desktop-file-validate") is None:
            self.skipTest("desktop-file-validate is not installed (make deps)")
        entry_file = self.path(f"usr/share/applications/{APP_ID}.desktop")
        validated = run(["desktop-file-validate", entry_file])
        self.assertEqual(validated.returncode, 0, validated.stdout + validated.stderr)
        self.assertEqual(validated.stdout, "", "no warnings either")

        parser = configparser.RawConfigParser(strict=True, delimiters=("=",))
        parser.optionxform = str
        parser.read(entry_file, encoding="utf-8")
        entry = parser["Desktop Entry"]
        for key in ("Name", "GenericName", "Comment", "Keywords"):
            for language in DESKTOP_LANGUAGES:
                self.assertTrue(entry.get(f"{key}[{language}]"), f"{key}[{language}]")
        # File arguments go to pellora as absolute paths of existing files, which it opens.
        self.assertRegex(entry["Exec"], r"^pellora %[fF]$")
        self.assertTrue(os.path.exists(self.path(f"usr/bin/{entry['Exec'].split()[0]}")))

        # Each type the entry opens is defined by the package's MIME file, for the project's name endings.
        if shutil.which("update-mime-database") is None:
            self.skipTest("update-mime-database is not installed (make deps)")
        database = os.path.join(self.root, "mime")
        shutil.copytree(self.path("usr/share/mime"), database)
        built = run(["update-mime-database", database])
        self.assertEqual(built.returncode, 0, built.stderr)
        with open(os.path.join(database, "globs2"), encoding="utf-8") as globs:
            typed = {pattern: kind for _, kind, pattern in (line.strip().split(":", 2) for line in globs if not line.startswith("#"))}
        opened = [kind for kind in entry["MimeType"].split(";") if kind]
        self.assertEqual(sorted(opened), sorted({typed["*.qst"], typed["*.qsm"]}))

        icon = entry["Icon"]
        self.assertTrue(os.path.isfile(self.path(f"usr/share/icons/hicolor/scalable/apps/{icon}.svg")))
        for size in ICON_SIZES:
            with open(self.path(f"usr/share/icons/hicolor/{size}x{size}/apps/{icon}.png"), "rb") as png:
                header = png.read(24)
            self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", header[16:24]), (size, size), f"{size}x{size}")


def build(cpack, config, folder):
    shutil.rmtree(folder, ignore_errors=True)
    made = subprocess.run([cpack, "-G", "DEB", "--config", config, "-B", folder])
    return made.returncode


def main():
    global DEB_FOLDER
    mode = sys.argv[1] if len(sys.argv) > 1 else ""
    if shutil.which("dpkg-deb") is None:
        print("dpkg-deb is not installed (make deps): the package is neither made nor tested")
        return 0 if mode == "build" else SKIP
    if mode == "build" and len(sys.argv) == 5:
        return build(*sys.argv[2:5])
    cases = {"install": InstalledPackage, "lint": PackageMetadata}
    if mode not in cases or len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    DEB_FOLDER = sys.argv[2]
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(cases[mode])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
