# Walks the running program's accessibility tree as a screen reader does:
# every control of the main window, the pickers and the version window has a
# name without mnemonic marks, the pickers' controls are named apart, and a
# press on a command with a modal dialog replies at once.
import sys
import time

import pyatspi


def walk(node, names):
    if node.getRole() == pyatspi.ROLE_SEPARATOR:
        return
    names.append((node.name, node.getRoleName()))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), names)


def program():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.name == sys.argv[1] and app.childCount >= 5:
                return app
        time.sleep(0.1)
    sys.exit("FAIL: the program did not show its five windows on the bus")


def windows(app):
    return {app.getChildAtIndex(i).name: app.getChildAtIndex(i) for i in range(app.childCount)}


def find(node, name, role):
    if node.name == name and node.getRole() == role:
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), name, role)
        if found:
            return found
    return None


app = program()
tops = windows(app)
names = []
for top in tops.values():
    walk(top, names)
item = find(tops["かおぐみ"], "バージョン情報", pyatspi.ROLE_MENU_ITEM)
if not item:
    sys.exit("FAIL: no menu item バージョン情報")
start = time.monotonic()
item.queryAction().doAction(0)
took = time.monotonic() - start
for _ in range(100):
    tops = windows(app)
    if "バージョン情報" in tops:
        break
    time.sleep(0.1)
else:
    sys.exit("FAIL: the version window did not open")
walk(tops["バージョン情報"], names)

unnamed = [role for name, role in names if not name or "&" in name]
pickers = []
for category in "髪目顔口":
    title = category + "の部品選び"
    if title in tops:
        pickers.append([])
        walk(tops[title], pickers[-1])
picker_names = [name for n in pickers for name, _ in n]
if unnamed:
    sys.exit(f"FAIL: controls without a name: {unnamed}")
if len(pickers) != 4 or len(set(picker_names)) != len(picker_names):
    sys.exit(f"FAIL: the pickers' controls are not named apart: {picker_names}")
if took > 1:
    sys.exit(f"FAIL: the press on バージョン情報 took {took:.1f} s to reply")
print(f"ok: {len(names)} controls named, press replied in {took:.3f} s")
