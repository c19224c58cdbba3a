#!/usr/bin/env python3
"""Builds the end-to-end package in both media layouts (msi_e2e_build.exe under Wine) and reads
each back from the Linux side with msitools: the tables and rows the builder writes, the cabinet
stream (extracted with msiinfo, tested and unpacked with cabextract) or the loose files, each
compared byte for byte with its source.

usage: check_package.py <bin folder>"""
import os
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(*args, cwd=None):
    result = subprocess.run(list(args), capture_output=True, cwd=cwd)
    if result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                   result.stderr.decode(errors="replace")))
    return result.stdout


def export(package, table):
    """Rows of a table as dicts by column name."""
    with tempfile.TemporaryDirectory() as scratch:
        text = run("msiinfo", "export", package, table, cwd=scratch).decode("cp1252")
    lines = text.replace("\r\n", "\n").split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def check_common(package, files, layout):
    tables = run("msiinfo", "tables", package).decode().split()
    for table in ["Feature", "Directory", "Component", "File", "FeatureComponents", "Shortcut", "Icon",
                  "Registry", "Media", "Binary", "CustomAction", "Property", "InstallExecuteSequence"]:
        check(table in tables, "%s: table %s missing" % (layout, table))

    file_rows = {row["File"]: row for row in export(package, "File")}
    check(set(file_rows) == set(files), "%s: File keys %s, expected %s" % (layout, sorted(file_rows), sorted(files)))
    sequences = sorted(int(row["Sequence"]) for row in file_rows.values())
    check(sequences == list(range(1, len(files) + 1)), "%s: File sequences %s" % (layout, sequences))

    media = export(package, "Media")
    check(len(media) == 1 and media[0]["DiskId"] == "1" and media[0]["LastSequence"] == str(len(files)),
          "%s: Media rows %s" % (layout, media))

    registry = export(package, "Registry")
    check(len(registry) == 19, "%s: %d Registry rows, expected 19" % (layout, len(registry)))
    check(sorted({row["Root"] for row in registry}) == ["1", "2"], "%s: registry roots" % layout)
    check(any(row["Name"] == "Hash" and row["Value"] == "##12" for row in registry),
          "%s: a string beginning with # must be written as ##" % layout)
    for name, value in [("Multi", "[~]one[~]two[~]"), ("Single", "[~]single[~]"), ("HashList", "[~]#first[~]second[~]")]:
        check(any(row["Name"] == name and row["Value"] == value for row in registry),
              "%s: the list %s must be written as %s" % (layout, name, value))
    check(any(row["Name"] == "Node" and row["Key"] == "Software\\Tarnwick E2E" for row in registry),
          "%s: a 32-bit package writes a Wow6432Node key in its own view" % layout)
    components = export(package, "Component")
    check(all(int(row["Attributes"]) & 256 == 0 for row in components),
          "%s: a 64-bit component in an Intel package: %s" % (layout, components))

    shortcuts = export(package, "Shortcut")
    check(len(shortcuts) == 1 and shortcuts[0]["Directory_"] == "ProgramMenuFolder"
          and shortcuts[0]["Name"] == "Tarnwick E2E", "%s: Shortcut rows %s" % (layout, shortcuts))

    actions = export(package, "CustomAction")
    check([(a["Type"], a["Target"]) for a in actions] == [("3073", "INSTALLAction0")],
          "%s: CustomAction rows %s" % (layout, actions))
    binaries = export(package, "Binary")
    check(len(binaries) == 1 and actions and binaries[0]["Name"] == actions[0]["Source"],
          "%s: Binary rows %s" % (layout, binaries))

    properties = {row["Property"]: row["Value"] for row in export(package, "Property")}
    for name, value in [("ProductName", "Tarnwick End To End"), ("Manufacturer", "Morvalund"),
                        ("ProductVersion", "1.0.0"), ("ALLUSERS", "2")]:
        check(properties.get(name) == value, "%s: property %s is %r" % (layout, name, properties.get(name)))

    summary = run("msiinfo", "suminfo", package).decode(errors="replace")
    check("Intel;0" in summary, "%s: summary template:\n%s" % (layout, summary))
    words = "2" if layout == "cabinet" else "0"
    # msiinfo names the word count "Source": it describes the source media.
    check("\nSource: %s (" % words in summary, "%s: word count, expected %s:\n%s" % (layout, words, summary))
    return media[0], file_rows


def same_bytes(path_a, path_b):
    with open(path_a, "rb") as a, open(path_b, "rb") as b:
        return a.read() == b.read()


def check_layout(bin_folder, layout):
    with tempfile.TemporaryDirectory() as scratch:
        program = os.path.join(scratch, "program")
        output = os.path.join(scratch, "output")
        os.makedirs(program)
        os.makedirs(output)
        shutil.copy(os.path.join(bin_folder, "schema.bin"), os.path.join(program, "schema.bin"))
        shutil.copy(os.path.join(bin_folder, "fixtures", "msi-velt-standin.dll"), os.path.join(program, "velt.bin"))
        listing = run("wine", os.path.join(bin_folder, "msi_e2e_build.exe"), windows_path(program),
                      windows_path(output), layout).decode()
        files = dict(line.rstrip("\r").split("\t") for line in listing.splitlines() if line.startswith("F_"))
        package = os.path.join(output, "e2e.msi")
        media, file_rows = check_common(package, files, layout)
        sources = os.path.join(output, "sources")

        if layout == "cabinet":
            stream = media["Cabinet"][1:]
            check(media["Cabinet"].startswith("#_") and len(stream) == 33, "cabinet: Media.Cabinet %r" % media["Cabinet"])
            streams = run("msiinfo", "streams", package).decode().split()
            check(stream in streams, "cabinet: stream %s not in %s" % (stream, streams))
            cabinet = os.path.join(scratch, "media.cab")
            with open(cabinet, "wb") as out:
                out.write(run("msiinfo", "extract", package, stream))
            tested = subprocess.run(["cabextract", "-t", cabinet], capture_output=True)
            check(tested.returncode == 0, "cabinet: cabextract -t failed:\n%s" % tested.stdout.decode(errors="replace"))
            unpacked = os.path.join(scratch, "unpacked")
            run("cabextract", "-q", "-d", unpacked, cabinet)
            check(sorted(os.listdir(unpacked)) == sorted(files), "cabinet: holds %s" % sorted(os.listdir(unpacked)))
            for key in files:
                path = os.path.join(unpacked, key)
                check(os.path.exists(path) and same_bytes(path, os.path.join(sources, key[2:])),
                      "cabinet: %s differs from its source" % key)
                check(os.path.exists(path) and str(os.path.getsize(path)) == file_rows[key]["FileSize"],
                      "cabinet: %s size differs from FileSize" % key)
        else:
            check(media.get("Cabinet", "") == "", "loose: Media.Cabinet %r" % media.get("Cabinet"))
            for key, tree_path in files.items():
                path = os.path.join(output, *tree_path.split("\\"))
                check(os.path.exists(path) and same_bytes(path, os.path.join(sources, key[2:])),
                      "loose: %s (%s) missing or different" % (tree_path, key))


def main():
    bin_folder = sys.argv[1]
    for layout in ["cabinet", "loose"]:
        try:
            check_layout(bin_folder, layout)
        except (RuntimeError, OSError, KeyError, IndexError) as error:
            failures.append("%s: %s" % (layout, error))
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
