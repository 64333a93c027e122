"""A Windows program started in a sandbox with an exact command line, in the background.

The UI driver starts it (CreateProcessW with the command line as given, as a shell or
Explorer would) and waits for it, so the test gets the exit code; wine's own argument
quoting never gets in between."""
import json
import subprocess
import tempfile

from . import paths

CAPTION = "Corvex Workstation Settings"  # the caption of the program's three dialogs


class AppProcess:
    def __init__(self, sandbox, command_line, cwd=paths.PROGRAM_DIR_WIN):
        self.command_line = command_line
        # Files rather than pipes, for the reason given in driver.run_to_files.
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["wine", str(paths.bin_program("uidriver.exe")), "launch", "--cmdline", command_line, "--cwd", cwd],
            env=sandbox.env, stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err)
        self._result = None

    @property
    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=30):
        """The program's exit code once it has ended; AssertionError if it does not end."""
        if self._result is None:
            try:
                self.process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                raise AssertionError(f"{self.command_line} still running after {timeout} s") from None
            self._out.seek(0)
            self._err.seek(0)
            if self.process.returncode != 0:
                raise AssertionError(f"could not run {self.command_line}: "
                                     f"{self._err.read().decode('utf-8', 'replace').strip()}")
            self._result = json.loads(self._out.read().decode("utf-8"))
        return self._result["exit_code"]

    def kill(self):
        """Ends the launcher; the Windows program itself ends with its sandbox's server."""
        if self.running:
            self.process.kill()
        self.process.wait()
        self._out.close()
        self._err.close()


def command_line(program_win, *args):
    """A Windows command line: the program quoted, then each argument quoted only where the
    C runtime's splitting rules need it."""
    return " ".join(['"' + program_win + '"', *(subprocess.list2cmdline([a]) for a in args)])
