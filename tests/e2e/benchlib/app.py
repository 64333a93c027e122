# A Windows program started in a sandbox with an exact command line, in the background, through
# the UI driver's launch (CreateProcessW with the line as given), which reports its exit code.
import json, subprocess, tempfile

from . import paths

CAPTION = "Corvex Workstation Settings"  # the caption of the program's three dialogs


class AppProcess:
    def __init__(self, sandbox, command_line, cwd=paths.PROGRAM_DIR_WIN):
        self.command_line, self._argv = command_line, ["wine", str(paths.bin_program("uidriver.exe")), "launch",
                                                       "--cmdline", command_line, "--cwd", cwd]
        self._env = sandbox.env
        self._start()

    def _start(self):
        self._out = tempfile.TemporaryFile()  # a file, for the reason given in driver.run_to_files
        self.process = subprocess.Popen(self._argv, env=self._env, stdin=subprocess.DEVNULL, stdout=self._out,
                                        stderr=subprocess.STDOUT)

    def wait(self, timeout=30):
        # The program's exit code once it has ended; AssertionError if it does not end, or with the
        # launcher's output if it could not run the program. A launcher that ended without a word was not
        # run by Wine, nor was the program (the driver always says why it fails): it is started once more.
        for again in (True, False):
            try:
                self.process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                raise AssertionError(f"{self.command_line} still running after {timeout} s") from None
            self._out.seek(0)
            if self.process.returncode == 0 or self._out.read(1) or not again:
                break
            self._start()
        self._out.seek(0)
        assert self.process.returncode == 0, \
            f"could not run {self.command_line} (launcher's code {self.process.returncode}): {self._out.read()!r}"
        return json.loads(next(line for line in self._out.read().splitlines() if line.startswith(b"{")))["exit_code"]
