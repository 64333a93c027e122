# An X display for the dialogs: a private Xvfb, and whether a display answers.
import os, subprocess


def display_answers(display):
    return subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0


class Xvfb:
    # Xvfb on a display number it picks itself (-displayfd); stop() ends it.
    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                                         "-nolisten", "tcp"], pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:  # written once the server accepts clients
            self.display = ":" + pipe.readline().strip()
        if self.display == ":":
            self.stop()
            raise RuntimeError("Xvfb did not start")

    def stop(self):
        self.process.terminate(), self.process.wait(timeout=10)
