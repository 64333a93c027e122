"""The fleet simulation behind scripts/fleet.

Builds the kit through the real configurator's "Create" (the end-to-end bench's sandbox, UI
driver and compiler adapter), and an older kit the same way from the kit script of an earlier
release; prepares 20 workstations, each a fresh copy of the bench's template prefix brought
into the state its row names; rolls the kit out to them with Debian's ansible-playbook
(rollout.yml beside this file, a local connection, as many hosts at once as the machine has
cores); then prints one row per workstation, the rollout's wall time and the workstations
per minute, and checks each row against what that state must end with.
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
os.environ.setdefault("CORVEX_SANDBOXES", str(ROOT / "build" / "wine" / "fleet"))

from benchlib import agent, paths  # noqa: E402
from benchlib.app import AppProcess  # noqa: E402
from benchlib.display import Xvfb, display_answers  # noqa: E402
from benchlib.driver import Driver  # noqa: E402
from benchlib.sandbox import Sandbox, prepare_template, sandbox_name, sweep_stale  # noqa: E402

RESULTS = ROOT / "build" / "fleet"
# The kit script of the release before the kit program: the "older kit" some hosts run.
OLDER_KIT_COMMIT = "fc54c93"
KIT_ON_HOST = "CorvexWorkstation_setup.exe"
OLDER_KIT_ON_HOST = "older_setup.exe"

KIT_SERVER = ("backup01.example.com", 9751, "CORP\\backup")
OLDER_SERVER = ("old-backup.example.com", 9750, "CORP\\olduser")
INSTALL_DIR_WIN = "C:\\Program Files\\Quentara\\Corvex Workstation"
CUSTOM_DIR_WIN = "C:\\Corvex Agent"

# The kit's exit codes this run expects (docs/KIT.md).
BAD_SWITCH = 10
SERVICE_NOT_RUNNING = 14

CAPTION, APP = "Corvex Workstation Settings", "SetupClient"
HOST, LOGIN, PORT, COMPUTER_NAME, CREATE = 1000, 1001, 1004, 1010, 1


# Building the kits ---------------------------------------------------------------------------

def build_kit(box, script_text, server, name):
    """Fills the kit dialog, presses "Create", saves as C:\\Kits\\<name>.exe; the kit's path."""
    packet = box.program_dir / "CorvexWorkstation" / "Packet"
    # What the configurator's folder holds beside the compiler: the kit script, the product
    # icon and the kit's helper (laid out by the sandbox).
    shutil.copy2(ROOT / "src" / "res" / "setup_client.ico", packet / "setup_client.ico")
    (packet / "build_packet.nsi").write_text(script_text, encoding="utf-8")
    (box.drive_c / "Kits").mkdir(exist_ok=True)
    driver = Driver(box)
    process = AppProcess(box, f'"{paths.SETUP_CLIENT_WIN}" --create_packet')
    for control, value in ((HOST, server[0]), (PORT, str(server[1])), (LOGIN, server[2])):
        driver.settext(CAPTION, control, value, timeout=60)  # the first waits for the dialog
    driver.click(CAPTION, COMPUTER_NAME)
    driver.click(CAPTION, CREATE)
    driver.filedialog(path=f"C:\\Kits\\{name}", timeout=30)
    shown = driver.answer("OK", caption=APP, timeout=300)
    kit = box.drive_c / "Kits" / f"{name}.exe"
    if process.wait(timeout=60) != 0 or not shown["text"].startswith("The Client distribution kit is saved") \
            or not kit.is_file():
        raise RuntimeError(f"Create did not build {name}: {shown['text']}")
    return kit


def build_kits(work):
    box = Sandbox.create(paths.SANDBOXES / sandbox_name("kit-build"))
    try:
        older_script = subprocess.run(["git", "-C", str(ROOT), "show", f"{OLDER_KIT_COMMIT}:src/packet/build_packet.nsi"],
                                      check=True, capture_output=True, text=True).stdout
        older = build_kit(box, older_script, OLDER_SERVER, "older")
        shutil.copy2(older, work / OLDER_KIT_ON_HOST)
        script = (ROOT / "src" / "packet" / "build_packet.nsi").read_text(encoding="utf-8")
        shutil.copy2(build_kit(box, script, KIT_SERVER, "kit"), work / KIT_ON_HOST)
    finally:
        box.remove()


# The workstations' states before the rollout --------------------------------------------------

def run_on(box, kit, tail):
    return AppProcess(box, f'"C:\\{kit}" {tail}', cwd="C:\\").wait(timeout=300)


def fresh(box):
    """A machine that never had the agent: no service, no program folder."""
    agent.delete_service(box)
    shutil.rmtree(box.program_dir)


def installed(box, kit=OLDER_KIT_ON_HOST, tail="/S"):
    fresh(box)
    code = run_on(box, kit, tail)
    if code != 0:
        raise RuntimeError(f"preparing {box.root.name}: {kit} {tail} ended with {code}")
    agent.wait_for_state(box, "RUNNING", timeout=60)


def restart_prefix(box, change):
    """Ends the prefix's programs and server, calls change() and starts them again (Wine's
    service manager reads the services' registrations when it starts)."""
    subprocess.run(["wineserver", "-k"], env=box.env, check=False)
    subprocess.run(["wineserver", "-w"], env=box.env, check=False)
    change()
    subprocess.run(["bash", "-c", 'source "$0"; corvex_wine_server_start "$1"; corvex_start_background "$1"',
                    str(paths.SCRIPTS / "lib" / "wine.sh"), str(box.root)], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def service_disabled(box):
    """The agent installed by the older kit, its service stopped and disabled (Wine's sc has no
    config command, so the registration is changed while the prefix is down)."""
    installed(box)
    box.wine("sc", "stop", paths.SERVICE_NAME)
    agent.wait_for_state(box, "STOPPED")

    def disable():
        registry = box.root / "system.reg"
        text = registry.read_text(encoding="utf-8", errors="surrogateescape")
        key = "[System\\\\CurrentControlSet\\\\Services\\\\" + paths.SERVICE_NAME + "]"
        head, found, tail = text.partition(key)
        if not found:
            raise RuntimeError(f"no service registration in {registry}")
        body, blank, rest = tail.partition("\n\n")
        body = re.sub(r'"Start"=dword:[0-9a-f]+', '"Start"=dword:00000004', body)
        registry.write_text(head + key + body + blank + rest, encoding="utf-8", errors="surrogateescape")
    restart_prefix(box, disable)
    if start_type(box) != "DISABLED" or box.service_state() != "STOPPED":
        raise RuntimeError(f"could not disable the service in {box.root.name}")


def damaged_settings(box):
    installed(box)
    (agent.settings_dir(box) / "user.json").write_text('{"formatVersion": 1, "serverHost": ', encoding="utf-8")


def never_starts(box):
    """A fresh machine whose agent, once installed, stays start-pending for ever."""
    fresh(box)
    folder = box.unix_path(INSTALL_DIR_WIN)
    folder.mkdir(parents=True)
    (folder / "CorvexWorkstation.behaviour").write_text("stuck\n", encoding="ascii")


@dataclass
class Host:
    name: str
    before: str
    prepare: object
    switches: str = ""
    code: int = 0                   # the exit code it must end with
    settings: tuple = KIT_SERVER + ("",)   # what the store must hold afterwards (None: as before)
    folder: str = INSTALL_DIR_WIN   # where the agent must be installed afterwards
    running: bool = True
    uninstall: bool = False         # uninstalled after the rollout, as the playbook's second play does


HOSTS = [
    *[Host(f"ws{i:02}", "fresh", fresh) for i in range(1, 7)],
    Host("ws07", "fresh, then uninstalled", fresh, uninstall=True, running=False),
    Host("ws08", "fresh, /NAME=", fresh, "/NAME=WS-0108", settings=KIT_SERVER + ("WS-0108",)),
    Host("ws09", "fresh, /NAME=", fresh, "/NAME=WS-0109", settings=KIT_SERVER + ("WS-0109",)),
    Host("ws10", "older kit, running", installed, settings=OLDER_SERVER + ("",)),
    Host("ws11", "older kit, running", installed, settings=OLDER_SERVER + ("",)),
    Host("ws12", "older kit, custom folder", lambda b: installed(b, tail=f"/S /D={CUSTOM_DIR_WIN}"),
         settings=OLDER_SERVER + ("",), folder=CUSTOM_DIR_WIN),
    Host("ws13", "this kit, custom folder", lambda b: installed(b, KIT_ON_HOST, f"/S /D={CUSTOM_DIR_WIN}"),
         folder=CUSTOM_DIR_WIN),
    Host("ws14", "service disabled", service_disabled, settings=OLDER_SERVER + ("",)),
    Host("ws15", "service disabled", service_disabled, settings=OLDER_SERVER + ("",)),
    Host("ws16", "damaged settings", damaged_settings),
    Host("ws17", "older kit, bad /NAME=", installed, "/NAME=-bad-name-", code=BAD_SWITCH, settings=None),
    Host("ws18", "this kit, second run", lambda b: installed(b, KIT_ON_HOST)),
    Host("ws19", "this kit, second run", lambda b: installed(b, KIT_ON_HOST)),
    Host("ws20", "agent never starts", never_starts, code=SERVICE_NOT_RUNNING, running=False),
]


def snapshot(box):
    """What a run that changes nothing must leave as it found: settings files and the service."""
    folder = agent.settings_dir(box)
    files = {p.name: p.read_bytes() for p in folder.glob("*.json")} if folder.is_dir() else {}
    return files, box.service_state() if service_exists(box) else None


def service_exists(box):
    return box.wine("sc", "query", paths.SERVICE_NAME, check=False).returncode == 0


def prepare(host, work, sandboxes):
    box = Sandbox.create(paths.SANDBOXES / sandbox_name(host.name))
    sandboxes[host.name] = box
    for kit in (KIT_ON_HOST, OLDER_KIT_ON_HOST):
        shutil.copy2(work / kit, box.drive_c / kit)
    host.prepare(box)
    return snapshot(box)


# After the rollout ---------------------------------------------------------------------------

def settings_text(box):
    try:
        stored = agent.stored_settings(box)
    except (ValueError, KeyError):
        return "damaged", "damaged"
    if stored is None:
        return None, "none"
    host, port, login, name = stored
    return stored, f"{host}:{port} {login} {name or '(computer name)'}"


def check(host, box, result, before, service_and_start, stored, windows):
    """The ways a row differs from what its state must end with."""
    service, start = service_and_start
    problems = []
    if result.get("rc") != host.code:
        problems.append(f"exit code {result.get('rc')} ({result.get('msg') or 'no code'}), wanted {host.code}")
    if windows:
        problems.append(f"windows left open: {[w.get('caption') for w in windows]}")
    if host.settings is None:
        if snapshot(box) != before:
            problems.append("a refused run changed the settings or the service")
        return problems
    agent_exe = host.folder + "\\CorvexWorkstation.exe"
    rules = agent.firewall_rules(box)
    if host.uninstall:
        # The service, the firewall exception and the program files go; the settings stay.
        if service != "none" or rules or box.unix_path(agent_exe).exists():
            problems.append(f"not uninstalled: service {service}, firewall rules {rules}")
        if stored != host.settings:
            problems.append(f"settings {stored}, wanted {host.settings} kept")
        return problems
    if (service == "RUNNING") != host.running or start != "AUTO_START":
        problems.append(f"service {service}, {start}")
    if stored != host.settings:
        problems.append(f"settings {stored}, wanted {host.settings}")
    if rules != [agent.allow_rule(agent_exe)]:
        problems.append(f"firewall rules {rules}")
    if not box.unix_path(agent_exe).is_file():
        problems.append(f"no agent in {host.folder}")
    if host.folder != INSTALL_DIR_WIN and box.unix_path(INSTALL_DIR_WIN).exists():
        problems.append("a second copy under Program Files")
    return problems


# The run ---------------------------------------------------------------------------------------

def write_inventory(sandboxes, force):
    hosts = {}
    for host in HOSTS:
        hosts[host.name] = {"corvex_prefix": str(sandboxes[host.name].root)}
        if host.switches:
            hosts[host.name]["corvex_switches"] = host.switches
        if host.uninstall:
            hosts[host.name]["corvex_uninstall"] = True
    inventory = {"corvex_workstations": {"hosts": hosts, "vars": {
        "ansible_connection": "local", "ansible_python_interpreter": sys.executable,
        "corvex_results": str(RESULTS), "corvex_uidriver": str(paths.bin_program("uidriver.exe")),
        "corvex_force": force}}}
    path = RESULTS / "inventory.json"
    path.write_text(json.dumps(inventory, indent=2), encoding="utf-8")
    return path


KIT_TASK = "Install, upgrade or repair the agent silently"


def kit_results(report):
    """Each host's result of the kit's task in ansible's json output."""
    results = {}
    for play in report.get("plays", []):
        for task in play["tasks"]:
            if task["task"]["name"] == KIT_TASK:
                results.update(task["hosts"])
    return results


def seconds(delta):
    if not delta:
        return ""
    h, m, s = delta.split(":")
    return f"{int(h) * 3600 + int(m) * 60 + float(s):.1f}"


def start_type(box):
    """AUTO_START, DEMAND_START or DISABLED, from the service's key (Wine's sc has no qc)."""
    return {2: "AUTO_START", 3: "DEMAND_START", 4: "DISABLED"}[int(agent.registry(box, agent.SERVICE_KEY)["Start"], 0)]


def after_rollout(box):
    """The visible windows, the service's state and its start type."""
    if not service_exists(box):
        return Driver(box).run("windows"), "none", None
    return Driver(box).run("windows"), box.service_state(), start_type(box)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--keep", action="store_true", help="keep the prefixes (build/wine/fleet)")
    options = parser.parse_args()
    cores = os.cpu_count() or 1
    if RESULTS.exists():
        shutil.rmtree(RESULTS)
    RESULTS.mkdir(parents=True)
    xvfb = None
    if not (os.environ.get("DISPLAY") and display_answers(os.environ["DISPLAY"])):
        xvfb = Xvfb()
        os.environ["DISPLAY"] = xvfb.display
    sandboxes = {}
    try:
        sweep_stale(paths.SANDBOXES)
        prepare_template()
        started = time.monotonic()
        build_kits(RESULTS)
        print(f"kits built through Create in {time.monotonic() - started:.0f} s", flush=True)
        started = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(cores) as pool:
            befores = dict(zip([h.name for h in HOSTS], pool.map(lambda h: prepare(h, RESULTS, sandboxes), HOSTS)))
        print(f"{len(HOSTS)} workstations prepared in {time.monotonic() - started:.0f} s", flush=True)

        inventory = write_inventory(sandboxes, force=True)
        started = time.monotonic()
        with open(RESULTS / "ansible.json", "w") as out, open(RESULTS / "ansible.log", "w") as log:
            subprocess.run(["ansible-playbook", "-i", str(inventory), "-f", str(cores), str(HERE / "rollout.yml")],
                           stdin=subprocess.DEVNULL, stdout=out, stderr=log,
                           env=dict(os.environ, ANSIBLE_STDOUT_CALLBACK="json", ANSIBLE_PIPELINING="1",
                                    USER=paths.WINE_USER))  # Wine's user, after whom it names the profile
        wall = time.monotonic() - started
        results = kit_results(json.loads((RESULTS / "ansible.json").read_text(encoding="utf-8")))
        with concurrent.futures.ThreadPoolExecutor(cores) as pool:
            after = dict(zip(sandboxes, pool.map(after_rollout, sandboxes.values())))

        failures, kit_seconds = 0, 0.0
        print(f"\n{'host':<5} {'state before':<26} {'exit':>4} {'service':<13} {'settings after':<52} {'s':>5}  check")
        for host in HOSTS:
            box = sandboxes[host.name]
            result = results.get(host.name, {"msg": "no result"})
            windows, service, start = after[host.name]
            stored, shown = settings_text(box)
            problems = check(host, box, result, befores[host.name], (service, start), stored, windows)
            failures += bool(problems)
            kit_seconds += float(seconds(result.get("delta")) or 0)
            code = "-" if result.get("rc") is None else result["rc"]
            print(f"{host.name:<5} {host.before:<26} {code:>4} {service:<13} {shown:<52} "
                  f"{seconds(result.get('delta')):>5}  {'ok' if not problems else '; '.join(problems)}")
        print(f"\nrollout wall time {wall:.1f} s for {len(HOSTS)} workstations, {cores} at once: "
              f"{len(HOSTS) / wall * 60:.1f} workstations per minute")
        (RESULTS / "summary.json").write_text(json.dumps(
            {"hosts": len(HOSTS), "forks": cores, "wall_s": wall, "per_minute": len(HOSTS) / wall * 60,
             "kit_s": kit_seconds, "failed_rows": failures}), encoding="utf-8")
        print(f"{len(HOSTS) - failures} rows as expected, {failures} not (ansible's log: {RESULTS / 'ansible.log'})")
        return 1 if failures else 0
    finally:
        if not options.keep:
            with concurrent.futures.ThreadPoolExecutor(cores) as pool:
                list(pool.map(lambda b: b.remove(), sandboxes.values()))
        if xvfb is not None:
            xvfb.stop()


if __name__ == "__main__":
    sys.exit(main())
