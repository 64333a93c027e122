"""A Wine prefix of its own for one scenario: a copy of the template prefix with the agent
service registered, its own persistent wineserver, and the program folder laid out at
C:\\Program Files\\Corvex. The shell library (scripts/lib/wine.sh) does the work, so the
bench and scripts/run prepare prefixes the same way."""
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path, PureWindowsPath

from . import paths

SANDBOX_SCRIPT = paths.SCRIPTS / "lib" / "sandbox.sh"


def _script(*args, timeout=300):
    # Output goes to a file, not a pipe: Wine's background processes may keep a pipe open
    # long after the script has ended.
    with tempfile.TemporaryFile(mode="w+") as log:
        result = subprocess.run(["bash", str(SANDBOX_SCRIPT), *args], stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT, timeout=timeout)
        if result.returncode != 0:
            log.seek(0)
            raise RuntimeError(f"sandbox.sh {' '.join(args)} failed:\n{log.read()}")


def prepare_template():
    _script("template", timeout=600)


def sandbox_name(name):
    """A sandbox folder name that records the process that made it."""
    return f"{paths.safe_name(name)}.pid{os.getpid()}"


def sweep_stale(folder):
    """Removes sandboxes left behind by test runs that were killed: a sandbox named by
    sandbox_name() whose process is gone is stale."""
    if not folder.is_dir():
        return
    for entry in folder.iterdir():
        match = re.search(r"\.pid(\d+)$", entry.name)
        if not (entry.is_dir() and match):
            continue
        try:
            os.kill(int(match.group(1)), 0)
        except ProcessLookupError:
            try:
                _script("remove", str(entry))
            except RuntimeError:
                pass  # another worker sweeping the same folder; what is left goes next time
        except PermissionError:
            pass


class Sandbox:
    def __init__(self, root):
        self.root = Path(root)
        self.env = dict(os.environ, WINEPREFIX=str(self.root), WINEDLLOVERRIDES="mscoree,mshtml=;hnetcfg=n",
                        WINEDEBUG=os.environ.get("WINEDEBUG", "-all"), WINEARCH="win64")

    @classmethod
    def create(cls, root):
        _script("create", str(root), str(paths.BIN_DIR))
        return cls(root)

    def remove(self):
        _script("remove", str(self.root))

    @property
    def drive_c(self):
        return self.root / "drive_c"

    @property
    def program_dir(self):
        return self.drive_c / "Program Files" / "Corvex"

    def unix_path(self, windows_path):
        """The file behind a C:\\ path of this prefix."""
        p = PureWindowsPath(windows_path)
        if p.drive.upper() != "C:":
            raise ValueError(f"not on drive C: {windows_path}")
        return self.drive_c.joinpath(*p.parts[1:])

    def wine(self, *args, timeout=60, check=True):
        """Runs a Windows program of the prefix (wine ARGS...); returns the completed process."""
        result = subprocess.run(["wine", *args], env=self.env, capture_output=True, text=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise RuntimeError(f"wine {' '.join(args)} failed ({result.returncode}): {result.stderr}")
        return result

    def service_state(self, name=paths.SERVICE_NAME):
        """The service's state word as `sc query` prints it (STOPPED, RUNNING, ...)."""
        out = self.wine("sc", "query", name).stdout
        for line in out.splitlines():
            if "STATE" in line:
                return line.split()[-1]
        raise RuntimeError(f"no state in sc query output: {out}")

    def install_program(self, name, source=None):
        """Copies a built program (or another file) into the program folder."""
        shutil.copy2(source or paths.bin_program(name), self.program_dir / name)
