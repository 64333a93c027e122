# Where the bench finds the programs and puts what it makes.
import os, re
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
SCRIPTS = ROOT / "scripts"
BIN_DIR = Path(os.environ.get("CORVEX_BIN_DIR", ROOT / "build" / "mingw" / "bin")).resolve()
ARTIFACTS = Path(os.environ.get("CORVEX_ARTIFACTS", ROOT / "build" / "artifacts")).resolve()
SANDBOXES = Path(os.environ.get("CORVEX_SANDBOXES", ROOT / "build" / "wine" / "e2e")).resolve()
PROGRAM_DIR_WIN, SERVICE_NAME = "C:\\Program Files\\Corvex Ω", "QuentaraCorvexWorkstation_x64"
# WINE_USER: the user, as scripts/lib/wine.sh exports it, after whom Wine names the profile folder.
SETUP_CLIENT_WIN, WINE_USER = PROGRAM_DIR_WIN + "\\SetupClient.exe", "Γιώργος Π"


def bin_program(name):
    if not (path := BIN_DIR / name).is_file():
        raise FileNotFoundError(f"{path} is missing: build the mingw preset, or set CORVEX_BIN_DIR")
    return path


def safe_name(text):
    return re.sub(r"_*-_*", "-", re.sub(r"[^A-Za-z0-9_.-]+", "_", text)).strip("_")[:120]
