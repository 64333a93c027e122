"""The agent's side of a sandbox: its stored settings (the parameters library's JSON files),
the test agent service's behaviour file and the report it writes, and the service's state and
start type as the service manager tells them."""
import json
import time

from . import paths
from .driver import run_to_files

SETTINGS_DIR = ("ProgramData", "Quentara", "Corvex Workstation", "Settings")


def settings_dir(sandbox):
    return sandbox.drive_c.joinpath(*SETTINGS_DIR)


def store_settings(sandbox, host, port, login, workstation, system_supplied=False):
    """Writes the agent's store as a previous save of the program would have."""
    folder = settings_dir(sandbox)
    folder.mkdir(parents=True, exist_ok=True)
    user = {"formatVersion": 1, "role": "client", "serverHost": host, "serverPort": port,
            "secured": False, "login": login}
    station = {"formatVersion": 1, "role": "client", "workstationName": workstation,
               "systemSupplied": system_supplied}
    (folder / "user.json").write_text(json.dumps(user, indent=2), encoding="utf-8")
    (folder / "workstation.json").write_text(json.dumps(station, indent=2), encoding="utf-8")


def stored_settings(sandbox):
    """(host, port, login, workstation name) as the store holds them, or None without a store."""
    folder = settings_dir(sandbox)
    if not (folder / "user.json").is_file():
        return None
    user = json.loads((folder / "user.json").read_text(encoding="utf-8"))
    station = json.loads((folder / "workstation.json").read_text(encoding="utf-8"))
    return user["serverHost"], user["serverPort"], user["login"], station["workstationName"]


# The firewall stand-in's rule list (tests/e2e/firewall): one rule a line, tab-separated.
FIREWALL_RULES = ("windows", "firewall_rules.tsv")
RULE_NAME = "Corvex Workstation x64"
INBOUND, ALLOW, ALL_PROFILES = 1, 1, 0x7FFFFFFF


def firewall_rules(sandbox):
    """(name, program, direction, action, profiles, enabled) of each rule the firewall keeps."""
    path = sandbox.drive_c.joinpath(*FIREWALL_RULES)
    lines = path.read_text(encoding="utf-8").splitlines() if path.is_file() else []
    return [(n, p, int(d), int(a), int(pr), e == "1") for n, p, d, a, pr, e in (l.split("\t") for l in lines)]


def allow_rule(program):
    """The rule the product asks for: inbound, allow, every profile, enabled."""
    return (RULE_NAME, program, INBOUND, ALLOW, ALL_PROFILES, True)


def set_behaviour(sandbox, word):
    (sandbox.program_dir / "CorvexWorkstation.behaviour").write_text(word + "\n", encoding="ascii")


def report(sandbox):
    """The test agent's report lines (empty before its first start)."""
    path = sandbox.program_dir / "CorvexWorkstation.report"
    return path.read_text(encoding="utf-8").splitlines() if path.is_file() else []


START_TYPES = {2: "AUTO_START", 3: "DEMAND_START", 4: "DISABLED"}


def start_type(sandbox, name=paths.SERVICE_NAME):
    """AUTO_START, DEMAND_START or DISABLED, read from the service's registry key (Wine's sc
    has no qc)."""
    key = "HKLM\\System\\CurrentControlSet\\Services\\" + name
    out = sandbox.wine("reg", "query", key, "/v", "Start").stdout
    for line in out.splitlines():
        words = line.split()
        if words and words[0] == "Start":
            return START_TYPES.get(int(words[-1], 0), words[-1])
    raise RuntimeError(f"no start type in reg query output: {out}")


def wait_for_state(sandbox, state, timeout=30):
    """Polls the service until it reports `state` (RUNNING, STOPPED); the last state seen."""
    deadline = time.monotonic() + timeout
    seen = sandbox.service_state()
    while seen != state and time.monotonic() < deadline:
        time.sleep(0.2)
        seen = sandbox.service_state()
    assert seen == state, f"service is {seen}, wanted {state}"
    return seen


def _sc(sandbox, *args):
    # Through files, not pipes: a process that Wine starts meanwhile (the service, the service
    # manager) would inherit a pipe and keep it open.
    code, out, err = run_to_files(["wine", "sc", *args], sandbox.env, 60)
    assert code == 0, f"sc {' '.join(args)} failed ({code}): {out} {err}"


def start_service(sandbox):
    _sc(sandbox, "start", paths.SERVICE_NAME)
    wait_for_state(sandbox, "RUNNING")


def delete_service(sandbox):
    _sc(sandbox, "delete", paths.SERVICE_NAME)
