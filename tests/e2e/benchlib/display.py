# A private X display for the dialogs.
import os
import subprocess


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
        self.process.terminate()
        self.process.wait(timeout=10)
