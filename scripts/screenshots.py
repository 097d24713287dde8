#!/usr/bin/python3
"""Takes the README's screenshots: Fenmor under Xvfb, a pseudo-terminal as the PDA's cable.

Usage: /usr/bin/python3 scripts/screenshots.py BUILD_DIR OUT_DIR
Needs xvfb, imagemagick (import, convert) and xdotool.
"""
import os
import pty
import shutil
import subprocess
import sys
import time

build, out = sys.argv[1], sys.argv[2]
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
os.makedirs(out, exist_ok=True)


def run(*cmd, env):
    subprocess.run(cmd, env=env, check=True)


def key(env, *keys):
    run("xdotool", "key", *keys, env=env)
    time.sleep(0.8)


def click(env, x, y, scale):
    run("xdotool", "mousemove", str(round(x * scale)), str(round(y * scale)), "click", "1", env=env)
    time.sleep(0.8)


class Session:
    """One program folder, one virtual display, one running Fenmor."""

    def __init__(self, display, scale, cable):
        # A short fixed name, since the window shows its folder.
        self.folder = "/tmp/Fenmor"
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.scale = scale
        for name in ("fenmor", "Fenmor.txt"):
            shutil.copy(os.path.join(build, name), self.folder)
        self.master = None
        if cable:
            self.master, slave = pty.openpty()
            os.makedirs(os.path.join(self.folder, "dosdevices"))
            os.symlink(os.ttyname(slave), os.path.join(self.folder, "dosdevices", "com4"))
        self.env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LANG="ja_JP.UTF-8")
        if scale != 1:
            self.env["QT_SCALE_FACTOR"] = str(scale)
        self.xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-dpi", "96",
                                      "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        time.sleep(1.5)
        self.app = subprocess.Popen([os.path.join(self.folder, "fenmor")], env=self.env,
                                    stderr=subprocess.DEVNULL)
        time.sleep(3)

    def shot(self, name, width=512, height=440):
        path = os.path.join(out, name)
        w, h = round(width * self.scale), round(height * self.scale)
        run("import", "-window", "root", "-crop", f"{w}x{h}+0+0", "+repage", path, env=self.env)
        print(path)

    def send(self, capture):
        with open(os.path.join(root, "samples", capture), "rb") as f:
            os.write(self.master, f.read())
        time.sleep(2.5)

    def restart(self, crash):
        """Ends the program (as a crash would, or as the user does) and starts it again."""
        self.app.kill() if crash else self.app.terminate()
        self.app.wait()
        self.app = subprocess.Popen([os.path.join(self.folder, "fenmor")], env=self.env,
                                    stderr=subprocess.DEVNULL)
        time.sleep(3)

    def close(self):
        self.app.terminate()
        self.app.wait()
        self.xvfb.terminate()
        self.xvfb.wait()
        if self.master is not None:
            os.close(self.master)
        shutil.rmtree(self.folder, ignore_errors=True)


# A first start with nothing at COM4: the window behind the message that says why.
s = Session(":91", 1, cable=False)
s.shot("first-start-no-device.png", 640, 440)
s.close()

for scale, suffix in ((1, ""), (1.5, "-150")):
    s = Session(":92", scale, cable=True)
    s.shot(f"options-page{suffix}.png")
    click(s.env, 253, 55, scale)  # the port list's arrow: the list opens with its marks
    s.shot(f"port-list{suffix}.png", 640, 440)
    key(s.env, "Escape")
    click(s.env, 157, 108, scale)  # the export page
    s.shot(f"export-page{suffix}.png")
    click(s.env, 207, 108, scale)  # the page 送信先
    s.shot(f"server-page{suffix}.png")
    click(s.env, 90, 108, scale)  # back to the options page
    if scale == 1:
        run("xdotool", "mousemove", "215", "55", "click", "3", env=s.env)  # the list's own menu
        time.sleep(0.8)
        s.shot("port-menu.png", 640, 440)
        key(s.env, "Escape")
        s.send("pi-address-book.cap")
        s.shot("saved-data-page.png")
        key(s.env, "Return")  # Yes: the port closes
        click(s.env, 311, 108, scale)  # 再変換: the journal's transfers
        s.shot("kept-transfers.png", 800, 440)
        click(s.env, 60, 75, scale)  # the newest transfer, then its columns' meanings
        key(s.env, "alt+m")
        time.sleep(1.5)
        s.shot("column-meanings.png", 800, 600)
        key(s.env, "Escape")
        key(s.env, "Escape")
        click(s.env, 372, 109, scale)  # Help
        s.shot("help-shown.png")
        click(s.env, 90, 108, scale)  # the options page
        click(s.env, 28, 367, scale)   # schedules as separated values
        s.shot("options-schedules-as-values.png")
    s.close()

# A transfer cut off by a crash: the next start offers what the journal kept.
s = Session(":93", 1, cable=True)
s.restart(crash=False)  # a second start, as a user's would be
with open(os.path.join(root, "samples", "pi-address-book.cap"), "rb") as f:
    os.write(s.master, f.read()[:4000])
time.sleep(0.5)
s.restart(crash=True)
s.shot("recovery-question.png", 640, 440)
key(s.env, "Escape")
s.close()
