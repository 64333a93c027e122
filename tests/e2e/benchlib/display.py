"""An X display for the dialogs: the caller's own, or a private Xvfb started here."""
import os
import subprocess
import time


def display_answers(display):
    return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


class Xvfb:
    """Xvfb on a display number it picks itself (-displayfd); stop() ends it."""

    def __init__(self, timeout=20):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number.isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not report a display number")
        self.display = ":" + number
        deadline = time.monotonic() + timeout
        while not display_answers(self.display):
            if time.monotonic() > deadline:
                self.stop()
                raise RuntimeError(f"Xvfb on {self.display} does not answer")
            time.sleep(0.1)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
