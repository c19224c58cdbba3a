#!/usr/bin/env python3
"""Reads the template database schema.bin back with msitools and checks what the builder relies on:
its tables, the rows a product needs, and the absence of rows the builder inserts itself (the
template's row would win over the builder's refused duplicate)."""
import os
import subprocess
import sys
import tempfile

REQUIRED_TABLES = [
    "Feature", "Condition", "Directory", "File", "Component", "FeatureComponents", "Shortcut",
    "Icon", "Registry", "ServiceInstall", "ServiceControl", "Media", "Binary", "CustomAction",
    "InstallExecuteSequence", "InstallUISequence", "AdvtExecuteSequence", "LaunchCondition",
    "Property",
]
TEMPLATE_ICON = "I_F7C29D1C99043FAB8EE73397827D227.ico"
# Properties and actions the builder inserts: the template must leave them out.
BUILDER_PROPERTIES = ["ProductName", "ProductVersion", "ProductCode", "Manufacturer", "ALLUSERS",
                      "UpgradeCode"]
BUILDER_ACTIONS = {
    "InstallExecuteSequence": ["RegisterUser", "RegisterProduct", "PublishFeatures", "PublishProduct"],
    "AdvtExecuteSequence": ["PublishFeatures", "PublishProduct"],
}
# Actions a product needs to install and remove its features, folders, files, shortcuts, registry
# values and services, with the order constraints the builder's own rows depend on.
NEEDED_ACTIONS = {
    "InstallExecuteSequence": ["LaunchConditions", "CostInitialize", "FileCost", "CostFinalize",
                               "InstallValidate", "InstallInitialize", "ProcessComponents",
                               "UnpublishFeatures", "StopServices", "DeleteServices",
                               "RemoveRegistryValues", "RemoveShortcuts", "RemoveFiles",
                               "InstallFiles", "CreateShortcuts", "WriteRegistryValues",
                               "InstallServices", "StartServices", "InstallFinalize"],
    "InstallUISequence": ["LaunchConditions", "CostInitialize", "FileCost", "CostFinalize",
                          "ExecuteAction"],
    "AdvtExecuteSequence": ["CostInitialize", "CostFinalize", "InstallValidate",
                            "InstallInitialize", "CreateShortcuts", "InstallFinalize"],
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def msiinfo(*args):
    # Exporting a table with stream columns writes the streams into the working folder.
    with tempfile.TemporaryDirectory() as scratch:
        return subprocess.run(["msiinfo", *args], check=True, capture_output=True,
                              cwd=scratch).stdout


def export(database, table):
    """Rows of a table as lists of fields (the three header lines dropped)."""
    lines = msiinfo("export", database, table).decode("cp1252").replace("\r\n", "\n").split("\n")
    return [line.split("\t") for line in lines[3:] if line]


def main():
    database, source_dir = sys.argv[1], sys.argv[2]
    tables = msiinfo("tables", database).decode().split()
    for table in REQUIRED_TABLES:
        check(table in tables, f"table {table}: expected in the template, tables are {tables}")
    if failures:
        return

    codepage = msiinfo("export", database, "_ForceCodepage").split()
    check(codepage[:1] == [b"1252"], f"code page: expected 1252, got {codepage}")

    directories = export(database, "Directory")
    check(directories == [["TARGETDIR", "", "SourceDir"]],
          f"Directory: expected only TARGETDIR/SourceDir, got {directories}")

    for table in ["Feature", "Condition", "File", "Component", "FeatureComponents", "Shortcut",
                  "Registry", "ServiceInstall", "ServiceControl", "Media", "Binary",
                  "CustomAction", "LaunchCondition"]:
        rows = export(database, table)
        check(rows == [], f"{table}: expected no rows (the builder fills it), got {rows}")

    icons = export(database, "Icon")
    check([row[0] for row in icons] == [TEMPLATE_ICON],
          f"Icon: expected the single row {TEMPLATE_ICON}, got {icons}")
    extracted = msiinfo("extract", database, f"Icon.{TEMPLATE_ICON}")
    with open(os.path.join(source_dir, "Icon", TEMPLATE_ICON), "rb") as icon:
        expected = icon.read()
    check(extracted == expected,
          f"Icon stream: expected the {len(expected)} bytes of the source icon, "
          f"got {len(extracted)} bytes")

    properties = dict((row[0], row[1]) for row in export(database, "Property"))
    check(properties.get("ProductLanguage") == "1033",
          f"Property ProductLanguage: expected 1033, got {properties.get('ProductLanguage')}")
    for name in BUILDER_PROPERTIES:
        check(name not in properties, f"Property {name}: the builder writes it, template has it")
    for name in properties:
        check(not name.startswith("ARP"), f"Property {name}: the builder writes ARP properties")

    sequences = {}
    for table in NEEDED_ACTIONS:
        sequences[table] = dict((row[0], int(row[2])) for row in export(database, table))
        for action in NEEDED_ACTIONS[table]:
            check(action in sequences[table], f"{table}: expected the action {action}")
        for action in BUILDER_ACTIONS.get(table, []):
            check(action not in sequences[table],
                  f"{table}: {action} is inserted by the builder, the template has it")
    if failures:
        return
    execute = sequences["InstallExecuteSequence"]
    order = [execute[a] for a in NEEDED_ACTIONS["InstallExecuteSequence"]]
    check(order == sorted(order) and len(set(order)) == len(order),
          f"InstallExecuteSequence: expected the needed actions in ascending order, got {order}")
    # The builder's rows: the uninstall action at 1699, the setup actions from 5990 and the
    # registration actions from 6000 to 6400 must fall between InstallInitialize and
    # InstallFinalize, and 1699 after ProcessComponents.
    check(execute["ProcessComponents"] < 1699 < execute["UnpublishFeatures"],
          f"InstallExecuteSequence: 1699 must fall after ProcessComponents and before "
          f"UnpublishFeatures, got {execute['ProcessComponents']} and {execute['UnpublishFeatures']}")
    check(execute["StartServices"] < 5990 and execute["InstallFinalize"] > 6400,
          f"InstallExecuteSequence: expected StartServices before 5990 and InstallFinalize after "
          f"6400, got {execute['StartServices']} and {execute['InstallFinalize']}")
    for table, reserved in (("InstallExecuteSequence", [1699, 5990, 6000, 6100, 6300, 6400]),
                            ("AdvtExecuteSequence", [6300, 6400])):
        taken = [a for a, n in sequences[table].items() if n in reserved]
        check(taken == [], f"{table}: sequence numbers of the builder's rows are taken by {taken}")
    check(sequences["AdvtExecuteSequence"]["InstallFinalize"] > 6400,
          "AdvtExecuteSequence: InstallFinalize must follow the publishing rows at 6400")

    summary = msiinfo("suminfo", database).decode()
    check("Security: 2" in summary, f"summary: expected Security 2, got {summary!r}")
    check("Application: Tarnwick" in summary, f"summary: expected Application Tarnwick, got {summary!r}")


if __name__ == "__main__":
    main()
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)
