#!/usr/bin/python3
"""The release's manifests for the Windows package manager (format 1.10.0).

    winget-manifests.py --version 2.0.0 --setup Vistelle-2.0.0-setup.exe \\
        --url https://.../Vistelle-2.0.0-setup.exe --company Vistelle \\
        --copyright "..." [--licence LICENSE] --out DIR

writes the version, default-locale and installer manifests of the setup into
DIR, named as the package manager's repository names them. The installer's
SHA-256 is the setup's as given (a signed setup once it is signed). The
licence is the SPDX identifier of the licence file, or its first line, or
"Proprietary" while the project has no licence file.
"""

import argparse
import hashlib
import os
import re
import sys

import yaml

MANIFEST_VERSION = "1.10.0"
LOCALE = "en-US"
PRODUCT = "Vistelle"
# The setup's name for itself under the Uninstall key, its DisplayName and
# its default folder (tools/release/vistelle.nsi).
UNINSTALL_KEY = PRODUCT
DEFAULT_FOLDER = r"%LOCALAPPDATA%\Programs\Vistelle"
# Setup and Windows agree on build 18362 (Windows 10 version 1903).
MINIMUM_OS = "10.0.18362.0"
SHORT_DESCRIPTION = "Your own pictures as the desktop wallpaper, in named categories, changed on a timer or on command."
DESCRIPTION = (
    "Vistelle keeps a library of pictures in named categories and makes them the Windows desktop "
    "wallpaper: in sequence or at random, on a timer, once at system start, or on command. Each "
    "picture is composed on a canvas of the screen's size (filled, fitted, stretched, tiled or "
    "centred), with optional image effects and a month calendar drawn on top."
)
TAGS = ["wallpaper", "desktop", "background", "slideshow", "pictures", "calendar"]


def licence_of(path):
    if not path:
        return "Proprietary"
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    spdx = re.search(r"SPDX-License-Identifier:\s*(\S.*?)\s*$", text, re.M)
    if spdx:
        return spdx.group(1)
    for line in text.splitlines():
        line = " ".join(line.split())
        if line:
            return line[:512]
    return "Proprietary"


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest().upper()


def write(path, kind, body):
    header = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json\n"
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(header + "\n")
        yaml.safe_dump(body, f, sort_keys=False, allow_unicode=True, width=1000)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--url", required=True)
    parser.add_argument("--company", required=True)
    parser.add_argument("--copyright", required=True)
    parser.add_argument("--licence")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    if not re.match(r"^[Hh][Tt][Tt][Pp][Ss]?://.+$", args.url):
        sys.exit(f"winget-manifests: the installer URL must be http:// or https://, not {args.url!r}")

    package = f"{args.company}.{PRODUCT}"
    common = {"PackageIdentifier": package, "PackageVersion": args.version}
    version = {**common, "DefaultLocale": LOCALE, "ManifestType": "version", "ManifestVersion": MANIFEST_VERSION}
    locale = {
        **common,
        "PackageLocale": LOCALE,
        "Publisher": args.company,
        "PackageName": PRODUCT,
        "License": licence_of(args.licence),
        "Copyright": args.copyright,
        "ShortDescription": SHORT_DESCRIPTION,
        "Description": DESCRIPTION,
        "Moniker": PRODUCT.lower(),
        "Tags": TAGS,
        "ManifestType": "defaultLocale",
        "ManifestVersion": MANIFEST_VERSION,
    }
    installer = {
        **common,
        "MinimumOSVersion": MINIMUM_OS,
        "InstallerType": "nullsoft",
        "Scope": "user",
        "InstallModes": ["interactive", "silent", "silentWithProgress"],
        # /D= must come last and unquoted, as the setup reads it.
        "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>"},
        # Setup updates an earlier installation where it is.
        "UpgradeBehavior": "install",
        "ProductCode": UNINSTALL_KEY,
        "AppsAndFeaturesEntries": [
            {
                "DisplayName": PRODUCT,
                "Publisher": args.company,
                "DisplayVersion": args.version,
                "ProductCode": UNINSTALL_KEY,
            }
        ],
        "InstallationMetadata": {"DefaultInstallLocation": DEFAULT_FOLDER},
        "Installers": [
            {
                "Architecture": "x64",
                "InstallerUrl": args.url,
                "InstallerSha256": sha256_of(args.setup),
            }
        ],
        "ManifestType": "installer",
        "ManifestVersion": MANIFEST_VERSION,
    }
    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, f"{package}.yaml"), "version", version)
    write(os.path.join(args.out, f"{package}.locale.{LOCALE}.yaml"), "defaultLocale", locale)
    write(os.path.join(args.out, f"{package}.installer.yaml"), "installer", installer)


if __name__ == "__main__":
    main()
