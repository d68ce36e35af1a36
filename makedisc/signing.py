"""The Authenticode signature of the image's Start.exe, made by osslsigncode
(SHA-256). The PFX password comes from the environment variable SIGN_PASSWORD
only: it is handed to osslsigncode in a file of its own (mode 0600, in a
private temporary folder, removed at once), so it appears on no command line,
and it is never printed."""
import os
import shutil
import subprocess
import tempfile

PASSWORD_VARIABLE = "SIGN_PASSWORD"
TIMEOUT = 120


class SigningError(Exception):
    pass


def sign(source, target, pfx, password, signing_time=None, timestamp_url=None):
    """Writes `source` signed with the certificate and key of `pfx` to `target`.
    signing_time (seconds since 1970) fixes the signing time in the signature,
    so that the same input gives the same bytes; timestamp_url asks that
    server for a time-stamp (RFC 3161). Raises SigningError."""
    private = tempfile.mkdtemp(prefix="makedisc-sign-")
    try:
        passfile = os.path.join(private, "pass")
        fd = os.open(passfile, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            f.write(password)
        command = ["osslsigncode", "sign", "-pkcs12", pfx, "-readpass", passfile,
                   "-h", "sha256", "-in", source, "-out", target]
        if signing_time is not None:
            command += ["-time", str(signing_time)]
        if timestamp_url:
            command += ["-ts", timestamp_url]
        try:
            result = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise SigningError("osslsigncode did not end within %d s" % TIMEOUT)
        finally:
            os.remove(passfile)
        if result.returncode != 0:
            text = result.stdout.decode("utf-8", errors="replace")
            if password:
                text = text.replace(password, "***")
            raise SigningError("osslsigncode failed:\n" + text.rstrip())
    finally:
        shutil.rmtree(private, ignore_errors=True)
