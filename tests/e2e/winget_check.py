#!/usr/bin/python3
"""Checks the release's package manager manifests.

    winget_check.py SCHEMA_DIR MANIFEST_DIR SETUP

The three manifests (version, default locale, installer) must each be there
once, valid against the schema of their type and format, agree on package and
version and name the setup's SHA-256. Then their values are printed as
"Key.Sub.0.Name=value" lines for the caller to look at; the exit code is 1
with the reasons on stderr when a check fails.
"""

import glob
import hashlib
import json
import os
import sys

import jsonschema
import yaml

KINDS = ("version", "defaultLocale", "installer")


def flat(prefix, value, lines):
    if isinstance(value, dict):
        for key, item in value.items():
            flat(f"{prefix}{key}.", item, lines)
    elif isinstance(value, list):
        for index, item in enumerate(value):
            flat(f"{prefix}{index}.", item, lines)
    else:
        lines.append(f"{prefix[:-1]}={value}")


def main():
    schema_dir, manifest_dir, setup = sys.argv[1:4]
    problems = []
    manifests = {}
    for path in sorted(glob.glob(os.path.join(manifest_dir, "*.yaml"))):
        with open(path, encoding="utf-8") as f:
            manifest = yaml.safe_load(f)
        kind = manifest.get("ManifestType") if isinstance(manifest, dict) else None
        if kind not in KINDS or kind in manifests:
            problems.append(f"{os.path.basename(path)}: unexpected manifest type {kind!r}")
            continue
        schema_path = os.path.join(schema_dir, f"manifest.{kind}.{manifest.get('ManifestVersion')}.json")
        if not os.path.exists(schema_path):
            problems.append(f"{os.path.basename(path)}: no schema {os.path.basename(schema_path)}")
            continue
        with open(schema_path, encoding="utf-8") as f:
            schema = json.load(f)
        validator = jsonschema.Draft7Validator(schema)
        for error in validator.iter_errors(manifest):
            where = "/".join(str(p) for p in error.absolute_path) or "(top)"
            problems.append(f"{os.path.basename(path)}: {where}: {error.message}")
        manifests[kind] = (os.path.basename(path), manifest)
    for kind in KINDS:
        if kind not in manifests:
            problems.append(f"no {kind} manifest in {manifest_dir}")

    if not problems:
        version = manifests["version"][1]
        package = version["PackageIdentifier"]
        names = {"version": f"{package}.yaml", "installer": f"{package}.installer.yaml",
                 "defaultLocale": f"{package}.locale.{version['DefaultLocale']}.yaml"}
        for kind, (name, manifest) in manifests.items():
            if name != names[kind]:
                problems.append(f"{name}: should be named {names[kind]}")
            for key in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
                if manifest[key] != version[key]:
                    problems.append(f"{name}: {key} {manifest[key]!r}, the version manifest's {version[key]!r}")
        if manifests["defaultLocale"][1]["PackageLocale"] != version["DefaultLocale"]:
            problems.append("the default locale manifest is not of the version manifest's DefaultLocale")
        with open(setup, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        for installer in manifests["installer"][1]["Installers"]:
            if installer["InstallerSha256"].lower() != digest:
                problems.append(f"InstallerSha256 {installer['InstallerSha256']} is not the setup's {digest}")

    if problems:
        for problem in problems:
            print(problem, file=sys.stderr)
        sys.exit(1)
    lines = []
    for kind in KINDS:
        flat(f"{kind}.", manifests[kind][1], lines)
    print("\n".join(lines))


if __name__ == "__main__":
    main()
