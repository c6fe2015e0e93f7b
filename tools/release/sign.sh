#!/bin/bash
# Signs a Windows program in place: Authenticode with SHA-256 (osslsigncode).
#   SIGN_PFX=cert.pfx [SIGN_PASSWORD=... | SIGN_PASSWORD_FILE=file]
#   [SIGN_TIMESTAMP_URL=http://...] tools/release/sign.sh FILE
# make-release.sh calls it for Pictora.exe, and makensis through the
# installer's build-time hooks for Uninstall.exe and the setup. The password
# reaches osslsigncode in a private file, never on its command line; of a
# password file only the first line counts. A timestamp is asked for only
# when SIGN_TIMESTAMP_URL is given (RFC 3161), and one that cannot be had
# fails the signing. FILE is replaced only by its signed copy.
set -euo pipefail
if [ $# -ne 1 ] || [ -z "${SIGN_PFX:-}" ]; then
  echo "usage: SIGN_PFX=cert.pfx [SIGN_PASSWORD=... | SIGN_PASSWORD_FILE=file] $0 FILE" >&2
  exit 2
fi
file=$1
[ -f "$file" ] || { echo "sign: $file is not a file" >&2; exit 1; }
[ -f "$SIGN_PFX" ] && [ -r "$SIGN_PFX" ] || { echo "sign: the certificate $SIGN_PFX cannot be read" >&2; exit 1; }
command -v osslsigncode >/dev/null || { echo "sign: osslsigncode is missing (tools/deps.sh release)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
args=(sign -pkcs12 "$SIGN_PFX" -h sha256 -n Vistelle)
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then
  [ -r "$SIGN_PASSWORD_FILE" ] || { echo "sign: the password file $SIGN_PASSWORD_FILE cannot be read" >&2; exit 1; }
  (umask 077 && head -n 1 "$SIGN_PASSWORD_FILE" | tr -d '\r\n' >"$work/password")
  args+=(-readpass "$work/password")
elif [ -n "${SIGN_PASSWORD+set}" ]; then
  (umask 077 && printf '%s' "$SIGN_PASSWORD" >"$work/password")
  args+=(-readpass "$work/password")
fi
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$SIGN_TIMESTAMP_URL")
fi

if ! osslsigncode "${args[@]}" -in "$file" -out "$work/signed" >"$work/log" 2>&1 </dev/null; then
  echo "sign: signing $file failed:" >&2
  cat "$work/log" >&2
  exit 1
fi
# In place, keeping the file's mode (makensis hands over a file of its own).
cat "$work/signed" >"$file"
