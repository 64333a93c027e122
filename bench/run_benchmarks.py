#!/usr/bin/env python3
"""The benchmarks, each measured side by side with the fastest way to do the same job, in one
Wine sandbox, interleaved (A, B, A, B, ...) so that load on the machine hits both sides alike.

Every Windows-side figure comes from benchtimer.exe, which times the job from inside the prefix
(the Wine start-up of the measuring program is never part of a figure). Prints a table of
medians and ratios against the targets, and writes every sample to
$CORVEX_ARTIFACTS/benchmarks.json. See docs/BENCHMARKS.md."""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from benchlib import agent, paths  # noqa: E402
from benchlib.app import AppProcess  # noqa: E402
from benchlib.display import Xvfb, display_answers  # noqa: E402
from benchlib.driver import Driver, run_to_files  # noqa: E402
from benchlib.sandbox import Sandbox, prepare_template, sweep_stale  # noqa: E402

SERVICE = paths.SERVICE_NAME
SETUP_CLIENT = paths.SETUP_CLIENT_WIN
EMPTY_DIALOG = paths.PROGRAM_DIR_WIN + "\\emptydialog.exe"
WORKSTATION_CAPTION = "Corvex Workstation Settings"
EMPTY_CAPTION = "Corvex Bench Empty Dialog"
KIT_CAPTION = "Corvex Workstation Settings"
APP_BOX = "SetupClient"
HOST, LOGIN, PORT, CREATE = 1000, 1001, 1004, 1
KIT_WIN = "C:\\Kits\\bench.exe"
PACKET_DIR = ("CorvexWorkstation", "Packet")
SILENT_EXIT = 0  # the sandbox's firewall stand-in keeps rules, so every step succeeds
BARE_KIT_WIN = "C:\\Kits\\bare.exe"
BARE_DIR_WIN = "C:\\Bare install"
INSTALL_DIR_WIN = "C:\\Program Files\\Quentara\\Corvex Workstation"

TARGETS = {"silent install": 1.10, "dialog start": 1.25, "kit create": 1.10}
SIZE_TARGET = 1024 * 1024
UNIT_TARGET = 10.0


class Bench:
    def __init__(self, box):
        self.box = box
        self.timer = str(paths.bin_program("benchtimer.exe"))
        self.driver = Driver(box)

    def timed(self, command, *args, timeout=600):
        argv = ["wine", self.timer, command, *[str(a) for a in args]]
        code, out, err = run_to_files(argv, self.box.env, timeout)
        if code != 0:
            raise RuntimeError(f"benchtimer {command} {' '.join(map(str, args))} failed ({code}): {err.strip()}")
        # The timed programs share the console: their output comes first, the figure last.
        return json.loads(out.strip().splitlines()[-1])

    def sc(self, *args):
        return run_to_files(["wine", "sc", *args], self.box.env, 60)[0]

    def ensure(self, state):
        if self.box.service_state() != state:
            self.sc("start" if state == "RUNNING" else "stop", SERVICE)
        agent.wait_for_state(self.box, state)


def median(values):
    return statistics.median(values) if values else float("nan")


def silent_install(bench, reps):
    """A: SetupClient.exe --silent_install on a running instant service (stop, start, firewall);
    B: sc stop + sc start of the same service."""
    a, b, codes = [], [], set()
    line = f'"{SETUP_CLIENT}" --silent_install'
    for rep in range(reps):
        for side in ("a", "b") if rep % 2 == 0 else ("b", "a"):
            bench.ensure("RUNNING")
            if side == "a":
                result = bench.timed("run", "--cmdline", line)
                codes.add(tuple(result["exit_codes"]))
                a.append(result["seconds"])
            else:
                result = bench.timed("run", "--cmdline", f"sc stop {SERVICE}", "--cmdline", f"sc start {SERVICE}")
                codes.add(("sc",) + tuple(result["exit_codes"]))
                b.append(result["seconds"])
    if (SILENT_EXIT,) not in codes:
        raise RuntimeError(f"the silent install did not end with {SILENT_EXIT}: {codes}")
    return {"a": a, "b": b, "exit_codes": sorted(map(str, codes))}


def service_controller(bench, reps):
    """The service controller's Start() and Stop() against sc start / sc stop, alternating which
    goes first in each repetition."""
    out = {"start_a": [], "start_b": [], "stop_a": [], "stop_b": []}
    for rep in range(reps):
        order = ("a", "b") if rep % 2 == 0 else ("b", "a")
        for side in order:
            bench.ensure("RUNNING")
            if side == "a":
                result = bench.timed("service", "--op", "stop")
                assert result["reached"], "the controller did not stop the service"
            else:
                result = bench.timed("run", "--cmdline", f"sc stop {SERVICE}")
            out["stop_" + side].append(result["seconds"])
            bench.ensure("STOPPED")
            if side == "a":
                result = bench.timed("service", "--op", "start")
                assert result["reached"], "the controller did not start the service"
            else:
                result = bench.timed("run", "--cmdline", f"sc start {SERVICE}")
            out["start_" + side].append(result["seconds"])
    return out


def dialog_start(bench, reps):
    """A: SetupClient.exe until the workstation dialog is visible; B: the empty dialog program."""
    out = {"a": [], "b": [], "a_mem": [], "b_mem": []}
    bench.ensure("RUNNING")
    for _ in range(reps):
        for side, line, caption in (("a", f'"{SETUP_CLIENT}"', WORKSTATION_CAPTION),
                                    ("b", f'"{EMPTY_DIALOG}"', EMPTY_CAPTION)):
            result = bench.timed("window", "--cmdline", line, "--caption", caption)
            out[side].append(result["seconds"])
            out[side + "_mem"].append(result.get("peak_private", 0))
    return out


def kit_dir(box):
    return box.program_dir.joinpath(*PACKET_DIR)


def install_kit_tools(box):
    tools = kit_dir(box) / "tools"
    tools.mkdir(parents=True, exist_ok=True)
    shutil.copy2(paths.bin_program("tools/makensis.exe"), tools / "makensis.exe")
    shutil.copy2(paths.ROOT / "src" / "packet" / "build_packet.nsi", kit_dir(box) / "build_packet.nsi")
    shutil.copy2(paths.bin_program("CorvexKitSetup.exe"), kit_dir(box) / "CorvexKitSetup.exe")
    shutil.copy2(paths.ROOT / "src" / "res" / "setup_client.ico", kit_dir(box) / "setup_client.ico")
    (box.drive_c / "Kits").mkdir(exist_ok=True)


def one_create(bench):
    """Opens the kit dialog, fills it, presses Create and times Save .. the result box."""
    kit = bench.box.unix_path(KIT_WIN)
    if kit.exists():
        kit.unlink()
    process = AppProcess(bench.box, f'"{SETUP_CLIENT}" --create_packet')
    try:
        d = bench.driver
        d.settext(KIT_CAPTION, HOST, "backup01.example.com", timeout=60)  # waits for the dialog
        d.settext(KIT_CAPTION, PORT, "9751")
        d.settext(KIT_CAPTION, LOGIN, "CORP\\backup")
        d.click(KIT_CAPTION, CREATE)
        seconds = bench.timed("kit", "--path", KIT_WIN[:-4], "--box-caption", APP_BOX)["seconds"]
        box = d.answer("OK", caption=APP_BOX)
        if process.wait(timeout=60) != 0 or not kit.is_file():
            raise RuntimeError(f"Create did not build the kit: {box.get('text')}")
        return seconds
    finally:
        process.process.kill()  # the launcher; a program left running ends with the sandbox


def kit_create(bench, reps):
    """A: the kit dialog's Create (Save pressed .. result box); B: the compiler adapter run
    directly with the command line that Create used (as the adapter logged it); C: the same
    started as Create starts it, without a console (CREATE_NO_WINDOW)."""
    install_kit_tools(bench.box)
    one_create(bench)  # warm-up, and the compiler's command line as the adapter logged it (the debug batch
    # file has one byte a letter and ends before the program folder's Ω)
    log = kit_dir(bench.box) / "tools" / "makensis.log"
    tag = "makensis adapter:"  # then the command line, which begins with a blank
    lines = [l for l in log.read_text(encoding="utf-8").splitlines() if l.startswith(tag + "  /D")]
    if not lines:
        raise RuntimeError(f"no command line in {log}")
    direct = f'"{paths.PROGRAM_DIR_WIN}\\CorvexWorkstation\\Packet\\tools\\makensis.exe"' + lines[0][len(tag):]
    a, b, c = [], [], []
    kit = bench.box.unix_path(KIT_WIN)
    for _ in range(reps):
        a.append(one_create(bench))
        for side, extra in ((b, []), (c, ["--no-window", "yes"])):
            kit.unlink()
            side.append(bench.timed("run", "--cmdline", direct, *extra)["seconds"])
            if not kit.is_file():
                raise RuntimeError("the compiler run directly built no kit")
    return {"a": a, "b": b, "c_no_window": c, "command": direct}


def bare_installer(box, output):
    """Builds, with Debian's makensis, an installer that only copies the kit's files with the
    kit script's compressor: the programs into a folder, the helper and the predefined settings
    into its temporary folder, as the kit does, and nothing else."""
    kit_script = (paths.ROOT / "src" / "packet" / "build_packet.nsi").read_text(encoding="utf-8")
    compressor = next(line for line in kit_script.splitlines() if line.startswith("SetCompressor"))
    programs = [box.program_dir / name for name in ("CorvexWorkstation.exe", "SetupClient.exe")]
    temporary = [kit_dir(box) / "CorvexKitSetup.exe", *sorted(box.drive_c.glob(
        "users/*/AppData/Roaming/Quentara/Corvex Workstation/PredefinedClientSettings/*/*.json"))]
    script = box.root / "bare.nsi"
    script.write_text("\n".join([
        "Unicode true", "Target amd64-unicode", compressor, "RequestExecutionLevel admin", "SilentInstall silent",
        f'OutFile "{output}"', f'InstallDir "{BARE_DIR_WIN}"', 'Section', "InitPluginsDir", 'SetOutPath "$INSTDIR"',
        *[f'File "{p}"' for p in programs], 'SetOutPath "$PLUGINSDIR"', *[f'File "{p}"' for p in temporary],
        "SectionEnd", ""]), encoding="utf-8")
    subprocess.run(["makensis", "-V2", str(script)], check=True, stdout=subprocess.DEVNULL)


def kit_install(bench, reps):
    """A: the kit built by Create, run with /S on a machine without the agent (uninstalled with
    its quiet uninstall command between runs, not timed); B: a bare installer of the same files
    with the same compression, run with /S into an emptied folder."""
    box = bench.box
    install_kit_tools(box)
    one_create(bench)
    kit = box.drive_c / "Kits" / "kit.exe"
    shutil.copy2(box.unix_path(KIT_WIN), kit)
    bare_installer(box, box.unix_path(BARE_KIT_WIN))
    bench.ensure("STOPPED")
    agent.delete_service(box)  # a machine that never had the agent
    folder, bare = box.unix_path(INSTALL_DIR_WIN), box.unix_path(BARE_DIR_WIN)
    a, b, codes = [], [], set()
    for rep in range(reps):
        for side in ("a", "b") if rep % 2 == 0 else ("b", "a"):
            if side == "a":
                if (folder / "Uninstall.exe").is_file():
                    line = f'"{INSTALL_DIR_WIN}\\Uninstall.exe" /S _?={INSTALL_DIR_WIN}'
                    AppProcess(box, line, cwd="C:\\").wait(timeout=120)
                folder.mkdir(parents=True, exist_ok=True)
                (folder / "CorvexWorkstation.behaviour").write_text("instant\n", encoding="ascii")
                result = bench.timed("run", "--cmdline", '"C:\\Kits\\kit.exe" /S')
                codes.add(tuple(result["exit_codes"]))
                a.append(result["seconds"])
            else:
                shutil.rmtree(bare, ignore_errors=True)
                result = bench.timed("run", "--cmdline", f'"{BARE_KIT_WIN}" /S')
                codes.add(("bare",) + tuple(result["exit_codes"]))
                b.append(result["seconds"])
    if codes != {(0,), ("bare", 0)}:
        raise RuntimeError(f"a silent installation did not end with 0: {codes}")
    return {"a": a, "b": b, "kit_bytes": kit.stat().st_size,
            "bare_bytes": box.unix_path(BARE_KIT_WIN).stat().st_size}


def fleet():
    """The fleet simulation (scripts/fleet's work): 20 workstations rolled out with Ansible."""
    subprocess.run([sys.executable, str(paths.ROOT / "deploy" / "ansible" / "simulation" / "fleet.py")], check=True)
    return json.loads((paths.ROOT / "build" / "fleet" / "summary.json").read_text(encoding="utf-8"))


def unit_suite(native_build):
    """Wall time of the native unit suite as ctest runs it (one test program at a time)."""
    start = time.monotonic()
    result = subprocess.run(["ctest", "--test-dir", str(native_build), "--output-on-failure"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    seconds = time.monotonic() - start
    summary = [line for line in result.stdout.splitlines() if "tests passed" in line]
    return {"seconds": seconds, "passed": result.returncode == 0,
            "summary": summary[-1] if summary else result.stdout[-500:]}


def ratio_line(name, a, b, target=None):
    ma, mb = median(a), median(b)
    ratio = ma / mb if mb else float("inf")
    verdict = "" if target is None else ("  ok" if ratio <= target else f"  MISSED (target {target:.2f})")
    return f"{name:<34} {ma * 1000:9.1f} ms  vs {mb * 1000:9.1f} ms   ratio {ratio:5.2f}{verdict}", ratio


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reps", type=int, default=int(os.environ.get("CORVEX_BENCH_REPS", "7")))
    parser.add_argument("--kit-reps", type=int, default=int(os.environ.get("CORVEX_BENCH_KIT_REPS", "5")))
    parser.add_argument("--native-build", default=os.environ.get("CORVEX_NATIVE_BUILD", str(paths.ROOT / "build" / "native")))
    parser.add_argument("--managed-windows", action="store_true",
                        help="keep Wine's default of windows managed by a window manager (Xvfb has none)")
    parser.add_argument("--only", action="append", choices=["silent", "service", "dialog", "kit", "install", "size", "unit", "fleet"],
                        help="run only these benchmarks (repeatable)")
    args = parser.parse_args()
    chosen = set(args.only or ["silent", "service", "dialog", "kit", "install", "size", "unit", "fleet"])

    paths.bin_program("benchtimer.exe")
    xvfb = None
    if not (os.environ.get("DISPLAY") and display_answers(os.environ["DISPLAY"])):
        xvfb = Xvfb()
        os.environ["DISPLAY"] = xvfb.display
    results = {"load_before": os.getloadavg(), "reps": args.reps, "managed_windows": args.managed_windows}
    lines = []
    box = None
    try:
        if chosen & {"silent", "service", "dialog", "kit", "install"}:
            sweep_stale(paths.SANDBOXES)
            prepare_template()
            box = Sandbox.create(paths.SANDBOXES / f"bench-{os.getpid()}")
            shutil.copy2(paths.bin_program("emptydialog.exe"), box.program_dir / "emptydialog.exe")
            # The agent reaches each state before the request that asked for it returns, so
            # the service's own pace is out of every figure.
            agent.set_behaviour(box, "instant")
            if not args.managed_windows:
                # Xvfb runs no window manager, so none ever confirms that a window was hidden,
                # and Wine waits 2 s for that each time a managed window (the file dialog, a
                # message box) goes away. Unmanaged windows are hidden at once.
                box.wine("reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f")
            bench = Bench(box)
            bench.ensure("STOPPED")  # its next start reads the behaviour
            bench.timed("window", "--cmdline", f'"{EMPTY_DIALOG}"', "--caption", EMPTY_CAPTION)  # warm-up
            if "silent" in chosen:
                r = results["silent install"] = silent_install(bench, args.reps)
                lines.append(ratio_line("1. silent install / sc stop+start", r["a"], r["b"], TARGETS["silent install"])[0])
            if "service" in chosen:
                r = results["service controller"] = service_controller(bench, args.reps)
                lines.append(ratio_line("   controller Start() / sc start", r["start_a"], r["start_b"])[0])
                lines.append(ratio_line("   controller Stop() / sc stop", r["stop_a"], r["stop_b"])[0])
            if "dialog" in chosen:
                r = results["dialog start"] = dialog_start(bench, args.reps)
                lines.append(ratio_line("2. workstation dialog / empty dialog", r["a"], r["b"], TARGETS["dialog start"])[0])
                lines.append(f"4. peak private memory, dialog open: SetupClient {median(r['a_mem']) / 2**20:.2f} MiB,"
                             f" empty dialog {median(r['b_mem']) / 2**20:.2f} MiB")
            if "kit" in chosen:
                r = results["kit create"] = kit_create(bench, args.kit_reps)
                lines.append(ratio_line("3. kit Create / compiler directly", r["a"], r["b"], TARGETS["kit create"])[0])
                lines.append(ratio_line("   kit Create / compiler, no console", r["a"], r["c_no_window"])[0])
            if "install" in chosen:  # last: it takes the agent's registration out of the sandbox
                r = results["kit install"] = kit_install(bench, args.kit_reps)
                lines.append(ratio_line("6. kit /S / bare installer, same files", r["a"], r["b"])[0])
        if "size" in chosen:
            size = paths.bin_program("SetupClient.exe").stat().st_size
            results["size"] = size
            lines.append(f"4. SetupClient.exe size: {size} bytes ({size / 2**20:.3f} MiB)"
                         + ("  ok" if size <= SIZE_TARGET else "  MISSED (target 1 MiB)"))
        if "unit" in chosen:
            r = results["unit suite"] = unit_suite(Path(args.native_build))
            lines.append(f"5. native unit suite: {r['seconds']:.1f} s wall ({r['summary'].strip()})"
                         + ("  ok" if r["seconds"] < UNIT_TARGET and r["passed"] else "  MISSED"))
        if box is not None and os.environ.get("CORVEX_KEEP_SANDBOXES") != "1":
            box.remove()
            box = None
        if "fleet" in chosen:
            r = results["fleet"] = fleet()
            lines.append(f"7. fleet rollout: {r['hosts']} workstations in {r['wall_s']:.1f} s, {r['forks']} at once:"
                         f" {r['per_minute']:.1f} per minute; kit runs {r['kit_s']:.1f} s in all,"
                         f" wall / (kit time / {r['forks']}) {r['wall_s'] / (r['kit_s'] / r['forks']):.2f}")
    finally:
        if box is not None and os.environ.get("CORVEX_KEEP_SANDBOXES") != "1":
            box.remove()
        if xvfb is not None:
            xvfb.stop()
    results["load_after"] = os.getloadavg()
    paths.ARTIFACTS.mkdir(parents=True, exist_ok=True)
    (paths.ARTIFACTS / "benchmarks.json").write_text(json.dumps(results, indent=1))
    print(f"load average before {results['load_before'][0]:.1f}, after {results['load_after'][0]:.1f}; "
          f"{args.reps} repetitions (kit {args.kit_reps}), medians")
    print("\n".join(lines))


if __name__ == "__main__":
    main()
