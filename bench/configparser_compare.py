"""Writes and reads the same INI text as the script benchmark with Python's configparser.

Usage: configparser_compare.py SCRIPT REPEATS -> prints the median wall and CPU seconds of one
write + read, separated by a blank.
"""
import configparser
import statistics
import sys
import tempfile
import time
import os


def load_sections(path):
    parser = configparser.RawConfigParser(strict=False, interpolation=None)
    parser.optionxform = str
    with open(path, encoding="utf-8") as source:
        parser.read_file(source)
    return [(name, list(parser.items(name))) for name in parser.sections()]


def write_and_read(sections, target):
    parser = configparser.RawConfigParser(interpolation=None)
    parser.optionxform = str
    for name, items in sections:
        parser.add_section(name)
        for key, value in items:
            parser.set(name, key, value)
    with open(target, "w", encoding="utf-8", newline="\r\n") as out:
        parser.write(out, space_around_delimiters=False)
    reader = configparser.RawConfigParser(interpolation=None)
    reader.optionxform = str
    with open(target, encoding="utf-8") as source:
        reader.read_file(source)
    count = 0
    for name in reader.sections():
        for key in reader.options(name):
            reader.get(name, key)
            count += 1
    return count


def main():
    sections = load_sections(sys.argv[1])
    repeats = int(sys.argv[2])
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "script.ini")
        wall, cpu = [], []
        for _ in range(repeats):
            start, start_cpu = time.perf_counter(), time.process_time()
            write_and_read(sections, target)
            wall.append(time.perf_counter() - start)
            cpu.append(time.process_time() - start_cpu)
    print(f"{statistics.median(wall):.6f} {statistics.median(cpu):.6f}")


if __name__ == "__main__":
    main()
