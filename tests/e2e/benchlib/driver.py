"""The UI driver (uidriver.exe) run in a sandbox, one call per command, JSON parsed."""
import json
import subprocess
import tempfile

from . import paths


def run_to_files(argv, env, timeout):
    """(exit code, stdout, stderr). Through files, not pipes: a Wine process started meanwhile
    (the server, a service) inherits the handles and would keep a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout).returncode
        out.seek(0), err.seek(0)
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


class DriverError(AssertionError):
    pass


class Driver:
    def __init__(self, sandbox):
        self.sandbox = sandbox
        self.exe = str(paths.bin_program("uidriver.exe"))

    def run(self, command, timeout=None, **options):
        argv = ["wine", self.exe, command]
        for name, value in options.items():
            if value is not None:
                argv += ["--" + name, str(value).lower() if isinstance(value, bool) else str(value)]
        if timeout is not None:
            argv += ["--timeout", str(timeout)]
        code, out, err = run_to_files(argv, self.sandbox.env, (timeout or 20) + 60)
        if code != 0 and not out and not err:  # the driver always says why: Wine did not run it
            code, out, err = run_to_files(argv, self.sandbox.env, (timeout or 20) + 60)
        if code != 0:
            raise DriverError(f"uidriver {command} failed ({code}): {err.strip()}")
        return json.loads(out)

    def __getattr__(self, name):
        """driver.click(CAPTION, 1006), driver.answer("OK", caption=APP, timeout=10), ...: the
        positional arguments fill the command's options in the order given here."""
        if name not in COMMANDS:
            raise AttributeError(name)
        command, *names = COMMANDS[name]
        return lambda *args, timeout=None, **more: self.run(command, timeout, **dict(zip(names, args)), **more)

    def windows(self):
        return self.run("windows", **{"class": "#32770"})

    def control(self, caption, control_id):
        return next(c for c in self.controls(caption)["controls"] if c["id"] == control_id)


COMMANDS = {"wait_window": ("wait-window", "caption"), "controls": ("controls", "caption"),
            "wait_control": ("wait-control", "caption", "id"), "settext": ("settext", "caption", "id", "text"),
            "click": ("click", "caption", "id"), "close": ("close", "caption"),
            "answer": ("answer", "button", "caption"), "filedialog": ("filedialog", "path")}
