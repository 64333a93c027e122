# A Wine prefix of its own for one scenario: a copy of the template prefix with the agent
# service registered, its own wineserver and the program folder at paths.PROGRAM_DIR_WIN.
# scripts/lib/sandbox.sh does the work, so the bench and scripts/run prepare prefixes alike.
import contextlib, os, re, subprocess, tempfile
from pathlib import Path, PureWindowsPath

from . import paths


def _script(*args, timeout=600):
    with tempfile.TemporaryFile(mode="w+") as log:  # a file: Wine's background processes keep pipes open
        if subprocess.run(["bash", str(paths.SCRIPTS / "lib" / "sandbox.sh"), *args], stdin=subprocess.DEVNULL,
                          stdout=log, stderr=subprocess.STDOUT, timeout=timeout).returncode != 0:
            log.seek(0)
            raise RuntimeError(f"sandbox.sh {' '.join(args)} failed:\n{log.read()}")


def prepare_template():
    _script("template")


def sandbox_name(name):
    # A folder name that records the process that made it (see sweep_stale).
    return f"{paths.safe_name(name)}.pid{os.getpid()}"


def sweep_stale(folder):
    # Removes the sandboxes of test runs that were killed (their process is gone).
    for entry in folder.iterdir() if folder.is_dir() else []:
        if (match := re.search(r"\.pid(\d+)$", entry.name)) and not Path(f"/proc/{match.group(1)}").exists():
            with contextlib.suppress(RuntimeError):  # another worker sweeping the same folder
                _script("remove", str(entry))


class Sandbox:
    def __init__(self, root):
        self.root, self.drive_c = Path(root), Path(root) / "drive_c"
        self.program_dir = self.unix_path(paths.PROGRAM_DIR_WIN)
        self.env = dict(os.environ, WINEPREFIX=str(self.root), WINEDLLOVERRIDES="mscoree,mshtml=;hnetcfg=n",
                        WINEDEBUG=os.environ.get("WINEDEBUG", "-all"), WINEARCH="win64", USER=paths.WINE_USER)

    @classmethod
    def create(cls, root):
        _script("create", str(root), str(paths.BIN_DIR), timeout=300)
        return cls(root)

    def remove(self):
        _script("remove", str(self.root), timeout=300)

    def unix_path(self, windows_path):
        return self.drive_c.joinpath(*PureWindowsPath(windows_path).parts[1:])

    def wine(self, *args, check=True):
        # wine ARGS... in this prefix; the completed process (text output, which Wine's console programs write in
        # the OEM code page of the locale: 437 for the C and English ones the bench runs in).
        for _ in range(3):  # Wine's launcher at times fails to start a built-in program: tried again
            result = subprocess.run(["wine", *args], env=self.env, capture_output=True, encoding="cp437", timeout=60)
            if "ShellExecuteEx failed" not in result.stdout:
                break
        if check and result.returncode != 0:
            raise RuntimeError(f"wine {' '.join(args)} failed ({result.returncode}): {result.stderr}")
        return result

    def service_state(self, name=paths.SERVICE_NAME):
        # STOPPED, RUNNING, START_PENDING, ... as `sc query` prints it; asked up to five times while it prints
        # nothing, as it does when the service manager of a loaded machine is busy (or when there is no such service).
        out = next(filter(None, (self.wine("sc", "query", name, check=False).stdout for _ in range(5))), "")
        return next((line.split()[-1] for line in out.splitlines() if "STATE" in line), "(no service)")
