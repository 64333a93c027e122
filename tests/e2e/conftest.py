"""Fixtures of the end-to-end bench: the real Windows programs under Wine.

- display (session, automatic): the caller's X display, or a private Xvfb (always a private
  one per worker when the suite runs in parallel with pytest -n);
- sandbox: a fresh Wine prefix with the program folder laid out at C:\\Program Files\\Corvex
  and the agent service registered; its wineserver is ended and the prefix removed after the
  test (CORVEX_KEEP_SANDBOXES=1 keeps it);
- driver: the UI driver in that sandbox;
- app: starts SetupClient.exe (or another program) there in the background;
- screenshot: screenshot(name) saves a PNG of the display under build/artifacts/.
A failing test leaves a screenshot of the moment it failed beside the others.
"""
import os
import subprocess

import pytest

from benchlib import paths
from benchlib.app import AppProcess, command_line
from benchlib.display import Xvfb, display_answers
from benchlib.driver import Driver
from benchlib.sandbox import Sandbox, prepare_template, sandbox_name, sweep_stale


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "report_" + report.when, report)


def _failed(request):
    report = getattr(request.node, "report_call", None)
    return report is not None and report.failed


@pytest.fixture(scope="session", autouse=True)
def display():
    """The caller's display; but each parallel worker (pytest -n) gets an Xvfb of its own, so
    that dialogs of tests running side by side never overlap on a screenshot."""
    current = os.environ.get("DISPLAY")
    if current and display_answers(current) and not os.environ.get("PYTEST_XDIST_WORKER"):
        yield current
        return
    xvfb = Xvfb()
    os.environ["DISPLAY"] = xvfb.display
    try:
        yield xvfb.display
    finally:
        xvfb.stop()
        if current is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = current


@pytest.fixture(scope="session")
def wine_template():
    paths.bin_program("uidriver.exe")  # fail early and clearly when the build is missing
    sweep_stale(paths.SANDBOXES)
    prepare_template()


def take_screenshot(name):
    path = paths.ARTIFACTS / f"{paths.safe_name(name)}.png"
    subprocess.run(["bash", str(paths.SCRIPTS / "lib" / "screenshot.sh"), str(path)], check=True,
                   stdout=subprocess.DEVNULL, timeout=60)
    return path


@pytest.fixture
def screenshot(request):
    def take(name):
        return take_screenshot(f"{request.node.name}-{name}")
    return take


def _make_sandbox(name):
    return Sandbox.create(paths.SANDBOXES / sandbox_name(name))


def _drop_sandbox(box):
    if os.environ.get("CORVEX_KEEP_SANDBOXES") != "1":
        box.remove()


@pytest.fixture
def sandbox(request, wine_template):
    box = _make_sandbox(request.node.name)
    yield box
    if _failed(request):
        take_screenshot(f"{request.node.name}-failure")
    _drop_sandbox(box)


@pytest.fixture(scope="module")
def module_sandbox(request, wine_template):
    """One sandbox for all tests of a module, for tests that leave nothing behind."""
    box = _make_sandbox(request.module.__name__)
    yield box
    _drop_sandbox(box)


@pytest.fixture
def driver(sandbox):
    return Driver(sandbox)


class AppStarter:
    """app(*switches) starts SetupClient.exe with those arguments (quoted only where needed);
    app.raw(tail) starts it with the command line tail exactly as given."""

    def __init__(self, sandbox):
        self.sandbox = sandbox
        self.started = []

    def __call__(self, *switches):
        return self._start(command_line(paths.SETUP_CLIENT_WIN, *switches))

    def raw(self, tail):
        return self._start(f'"{paths.SETUP_CLIENT_WIN}" {tail}')

    def _start(self, line):
        process = AppProcess(self.sandbox, line)
        self.started.append(process)
        return process

    def kill_all(self):
        for process in self.started:
            process.kill()


@pytest.fixture
def app(sandbox):
    paths.bin_program("SetupClient.exe")
    starter = AppStarter(sandbox)
    yield starter
    starter.kill_all()
