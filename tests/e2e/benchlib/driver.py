# The UI driver (uidriver.exe) run in a sandbox, one call per command, JSON parsed.
import json, subprocess, tempfile

from . import paths


def run_to_files(argv, env, timeout):
    # (exit code, stdout, stderr). Through files, not pipes: a Wine process started meanwhile
    # (the server, a service) inherits the handles and would keep a pipe open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout).returncode
        out.seek(0), err.seek(0)
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


class Driver:
    def __init__(self, sandbox):
        self.sandbox, self.exe = sandbox, str(paths.bin_program("uidriver.exe"))

    def run(self, command, timeout=20, **options):
        argv = ["wine", self.exe, command, "--timeout", str(timeout)]
        argv += [word for name, value in options.items() for word in ("--" + name, str(value))]
        for _ in range(2):  # the driver always says why it fails: without a word, Wine did not run it
            code, out, err = run_to_files(argv, self.sandbox.env, timeout + 60)
            if code == 0 or out or err:
                break
        assert code == 0, f"uidriver {command} failed ({code}): {err.strip()}"
        return json.loads(out)

    def __getattr__(self, name):
        # driver.click(CAPTION, 1006), driver.answer("OK", caption=APP, timeout=10), driver.windows("#32770"),
        # ...: the positional arguments fill the command's options in the order given in COMMANDS.
        if name not in COMMANDS:
            raise AttributeError(name)
        return lambda *args, **more: self.run(name, **dict(zip(COMMANDS[name], args)), **more)

    def filedialog(self, path, timeout=20):
        # The save dialog: the name it offers in its file name box (a combo box, 0x47C), then
        # the path typed over it and its OK button. Gives the name offered, the file type shown
        # (combo box 0x470) and each file type it lists, and the caption of the window that owns the
        # dialog, parted by "|".
        name, kind = self.text("Save As", 0x47C, timeout=timeout), self.text("Save As", 0x470)
        self.settext("Save As", 0x47C, path), self.click("Save As", 1)
        return "|".join((name["text"], kind["text"], name["owner"]))


# Each command's options, in the order positional arguments fill them.
COMMANDS = {"settext": ("caption", "id", "text"), "click": ("caption", "id"), "text": ("caption", "id"),
            "answer": ("button", "caption"), "windows": ("class",)}
