# The agent's side of a sandbox: its stored settings, the test agent's behaviour file and
# report, the firewall stand-in's rules, and the service's state and start type.
import json, time

from . import paths
from .driver import run_to_files

SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\" + paths.SERVICE_NAME


def settings_dir(sandbox):
    return sandbox.drive_c / "ProgramData" / "Quentara" / "Corvex Workstation" / "Settings"


def store_settings(sandbox, host, port, login, workstation):
    # The agent's store as a previous save of the program would leave it.
    (folder := settings_dir(sandbox)).mkdir(parents=True, exist_ok=True)
    for name, values in (("user", {"serverHost": host, "serverPort": port, "secured": False, "login": login}),
                         ("workstation", {"workstationName": workstation, "systemSupplied": False})):
        (folder / f"{name}.json").write_text(json.dumps({"formatVersion": 1, "role": "client", **values}))


def setup_log(sandbox):
    return (settings_dir(sandbox).parent / "Logs" / "setup.log").read_bytes().decode().split("\r\n")[:-1]


def stored_settings(sandbox):
    # (host, port, login, workstation name) as stored.
    user, station = (json.loads((settings_dir(sandbox) / n).read_bytes()) for n in ("user.json", "workstation.json"))
    return user["serverHost"], user["serverPort"], user["login"], station["workstationName"]


def firewall_rules(sandbox):
    # (name, program, direction, action, profiles, enabled, protocol) of each rule the stand-in keeps.
    path = sandbox.drive_c / "windows" / "firewall_rules.tsv"
    rows = [l.split("\t") for l in path.read_text(encoding="utf-8").splitlines()] if path.is_file() else []
    return [(n, p, int(d), int(a), int(pr), e == "1", int(ip)) for n, p, d, a, pr, e, ip in rows]


def set_firewall_rules(sandbox, rules):
    lines = ("\t".join(str(int(v) if isinstance(v, bool) else v) for v in rule) + "\n" for rule in rules)
    (sandbox.drive_c / "windows" / "firewall_rules.tsv").write_text("".join(lines), encoding="utf-8")


def allow_rule(program, enabled=True):
    # The rule the product asks for: inbound (1), allow (1), every profile, enabled, any protocol (256).
    return ("Corvex Workstation x64", program, 1, 1, 0x7FFFFFFF, enabled, 256)


def set_restart_queue(sandbox, texts):
    # What the system is to remove or rename at the next restart: pairs of texts (a path, then its new name, empty for
    # a removal), written as the system keeps them.
    data = ",".join(f"{b:02x}" for b in ("\0".join(texts) + "\0\0").encode("utf-16-le"))
    key = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager"
    (sandbox.drive_c / "queue.reg").write_text(f'Windows Registry Editor Version 5.00\n\n[{key}]\n'
                                               f'"PendingFileRenameOperations"=hex(7):{data}\n', encoding="utf-16")
    sandbox.wine("regedit", "/s", "C:\\queue.reg")


def set_behaviour(sandbox, word, folder=None):
    ((folder or sandbox.program_dir) / "CorvexWorkstation.behaviour").write_text(word + "\n")


def report(sandbox, folder=None):
    # The test agent's report lines (empty before its first start).
    path = (folder or sandbox.program_dir) / "CorvexWorkstation.report"
    return path.read_text(encoding="utf-8").splitlines() if path.is_file() else []


def registry(sandbox, key):
    # {name: text} of a key's values; None when the key is missing, {} when reg itself failed.
    if (result := sandbox.wine("reg", "query", key, check=False)).returncode != 0 and "Unable to find" in result.stdout:
        return None
    words = [line.strip().split(None, 2) for line in result.stdout.splitlines()]
    return {w[0]: (w[2] if len(w) == 3 else "") for w in words if len(w) >= 2 and w[1].startswith("REG_")}


def starts_automatically(sandbox):  # the service key's start type (Wine's sc has no qc)
    return registry(sandbox, SERVICE_KEY)["Start"] == "0x2"


def wait_for_state(sandbox, state, timeout=30):
    deadline = time.monotonic() + timeout
    while (seen := sandbox.service_state()) != state and time.monotonic() < deadline:
        time.sleep(0.2)
    assert seen == state, f"service is {seen}, wanted {state}"


def sc(sandbox, *args):
    # sc ARGS through files (a service started meanwhile would inherit a pipe); the exit code.
    return run_to_files(["wine", "sc", *args], sandbox.env, 60)[0]


def delete_service(sandbox):
    assert sc(sandbox, "delete", paths.SERVICE_NAME) == 0
