"""The UI driver (uidriver.exe) run in a sandbox, one call per command, JSON parsed."""
import json
import subprocess
import tempfile

from . import paths

DEFAULT_TIMEOUT = 20  # seconds the driver polls for its condition


def run_to_files(argv, env, timeout):
    """Runs a command and returns (exit code, stdout, stderr). Output goes through files, not
    pipes: the first Wine program in a prefix starts background processes that inherit its
    output handles, and a pipe would then stay open long after the command has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        result = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                timeout=timeout)
        out.seek(0)
        err.seek(0)
        return (result.returncode, out.read().decode("utf-8", "replace"),
                err.read().decode("utf-8", "replace"))


class DriverError(AssertionError):
    """The driver's condition did not hold (exit 1) or it was called wrongly (exit 2)."""

    def __init__(self, command, returncode, stderr):
        super().__init__(f"uidriver {command} failed ({returncode}): {stderr.strip()}")
        self.command = command
        self.returncode = returncode
        self.stderr = stderr


class Driver:
    def __init__(self, sandbox):
        self.sandbox = sandbox
        self.exe = str(paths.bin_program("uidriver.exe"))

    def run(self, command, *args, timeout=None):
        argv = ["wine", self.exe, command, *[str(a) for a in args]]
        if timeout is not None:
            argv += ["--timeout", str(timeout)]
        limit = (timeout if timeout is not None else DEFAULT_TIMEOUT) + 60
        returncode, out, err = run_to_files(argv, self.sandbox.env, limit)
        if returncode != 0:
            raise DriverError(command, returncode, err)
        return json.loads(out)

    # Windows and controls
    def wait_window(self, caption, timeout=None):
        return self.run("wait-window", "--caption", caption, timeout=timeout)

    def wait_gone(self, caption, timeout=None):
        return self.run("wait-gone", "--caption", caption, timeout=timeout)

    def windows(self):
        return self.run("windows", "--class", "#32770")

    def controls(self, caption, timeout=None):
        return self.run("controls", "--caption", caption, timeout=timeout)

    def template(self, caption, program_win, number):
        """The live dialog against dialog template `number` of the program file: its control
        count and every difference ("problems", empty when they agree)."""
        return self.run("template", "--caption", caption, "--file", program_win, "--id", number)

    def control(self, caption, control_id):
        """One control of the dialog as `controls` describes it."""
        for c in self.controls(caption)["controls"]:
            if c["id"] == control_id:
                return c
        raise AssertionError(f"no control {control_id} in \"{caption}\"")

    def wait_control(self, caption, control_id, timeout=None, enabled=None, text=None, focused=False):
        args = ["--caption", caption, "--id", control_id]
        if enabled is not None:
            args += ["--enabled", "true" if enabled else "false"]
        if text is not None:
            args += ["--text", text]
        if focused:
            args.append("--focused")
        return self.run("wait-control", *args, timeout=timeout)

    # Input
    def settext(self, caption, control_id, text):
        return self.run("settext", "--caption", caption, "--id", control_id, "--text", text)

    def type(self, caption, control_id, text):
        return self.run("type", "--caption", caption, "--id", control_id, "--text", text)

    def click(self, caption, control_id):
        return self.run("click", "--caption", caption, "--id", control_id)

    def key(self, caption, vk, control_id=None):
        extra = ["--id", control_id] if control_id is not None else []
        return self.run("key", "--caption", caption, "--vk", vk, *extra)

    def close(self, caption):
        return self.run("close", "--caption", caption)

    def focus(self, caption, control_id):
        return self.run("focus", "--caption", caption, "--id", control_id)

    # Message boxes and file dialogs
    def messagebox(self, caption=None, timeout=None):
        return self.run("messagebox", *(["--caption", caption] if caption else []), timeout=timeout)

    def messageboxes(self):
        return self.run("messageboxes")

    def answer(self, button, caption=None, timeout=None):
        return self.run("answer", "--button", button, *(["--caption", caption] if caption else []),
                        timeout=timeout)

    def filedialog(self, path=None, timeout=None):
        return self.run("filedialog", *(["--path", path] if path is not None else []), timeout=timeout)
