# Fixtures: a private Xvfb per worker, a fresh sandbox per scenario (removed afterwards unless
# CORVEX_KEEP_SANDBOXES=1), and a screenshot and the sandbox's ProgramData (settings, setup log)
# under build/artifacts/ when a scenario fails.
# Programs started in a sandbox end with it.
import os, shutil, subprocess, time

import pytest

from benchlib import paths
from benchlib.display import Xvfb
from benchlib.sandbox import Sandbox, prepare_template, sandbox_name, sweep_stale


@pytest.fixture(scope="session", autouse=True)
def display():
    # The scenarios' own time zone, far from UTC: a time stamp in UTC where local time belongs shows.
    os.environ.update(DISPLAY=(xvfb := Xvfb()).display, TZ="CVX-05:30"), time.tzset()
    yield xvfb.display
    xvfb.stop()


@pytest.fixture(scope="session")
def wine_template():
    sweep_stale(paths.SANDBOXES), prepare_template()


@pytest.fixture
def sandbox(request, wine_template):
    name, failed = request.node.name, request.session.testsfailed
    yield (box := Sandbox.create(paths.SANDBOXES / sandbox_name(name)))
    if request.session.testsfailed > failed:  # this scenario failed (its report comes before the teardown)
        kept = paths.ARTIFACTS / f"{paths.safe_name(name)}-failure"  # its screenshot beside, as .png
        subprocess.run(["bash", f"{paths.SCRIPTS}/lib/screenshot.sh", f"{kept}.png"], capture_output=True, timeout=60)
        shutil.rmtree(kept, ignore_errors=True)  # this run's alone; a link copied as a link, never followed
        shutil.copytree(box.drive_c / "ProgramData", kept, symlinks=True)
    os.environ.get("CORVEX_KEEP_SANDBOXES") == "1" or box.remove()
