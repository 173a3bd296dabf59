#!/usr/bin/env python3
"""Grows a replay that plays a stage to its end, chunk by chunk.

Usage (from the repository root, after scripts/build):
    tools/replayplan/replayplan.py --stage 1 -o tests/playthroughs/stage1_clear.replay
    tools/replayplan/replayplan.py --stage 2 -o tests/playthroughs/stage2_clear.replay
    tools/replayplan/replayplan.py --stage 3 -o tests/playthroughs/stage3_clear.replay

It runs build/brinewisp --no-render --fast --seed 5 with the replay so far and --frames N, reads the trace
lines of the last chunk, chooses the next inputs (keys toward a goal, the mouse at a target, the fire
button), appends them and runs again. Everything is deterministic: the same game gives the same replay.
This is a development tool; neither the build nor the tests need it.
"""

import argparse
import json
import math
import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# Screen directions of the four swim keys in world x and z (the stage camera never turns).
KEY_DIRS = {"W": (0.0, 1.0), "S": (0.0, -1.0), "D": (1.0, 0.0), "A": (-1.0, 0.0)}
COMBOS = [("W",), ("W", "D"), ("D",), ("S", "D"), ("S",), ("S", "A"), ("A",), ("W", "A")]


def combo_dir(combo):
    x = sum(KEY_DIRS[k][0] for k in combo)
    z = sum(KEY_DIRS[k][1] for k in combo)
    n = math.hypot(x, z)
    return (x / n, z / n)


def keys_toward(dx, dz):
    """The key combination whose direction is nearest to (dx, dz)."""
    best, best_dot = (), -2.0
    n = math.hypot(dx, dz)
    if n < 1e-6:
        return ()
    for combo in COMBOS:
        cx, cz = combo_dir(combo)
        dot = (cx * dx + cz * dz) / n
        if dot > best_dot:
            best, best_dot = combo, dot
    return best


def cursor_toward(dx, dz, reach=200.0):
    """The cursor that aims the player's shots along (dx, dz): up on the screen is +z, right is +x."""
    n = math.hypot(dx, dz) or 1.0
    x = 320.0 + reach * dx / n
    y = 240.0 - reach * dz / n
    return (int(round(x)), int(round(y)))


class Game:
    """A replay under construction and the game that plays it."""

    def __init__(self, args, binary, title_events=None):
        self.args = args
        self.binary = binary
        self.lines = []  # replay text lines
        self.keys = set()
        self.mouse = None
        self.fire = False
        self.pass_ = 0
        self.runs = 0
        self.tmp = tempfile.mkdtemp(prefix="replayplan-")
        self.last = None
        self.header = []
        for p, text in title_events or []:
            self.raw(p, text)

    def raw(self, pass_, text):
        self.lines.append("%-6d %s" % (pass_, text))

    def comment(self, text):
        self.lines.append("# " + text)

    def set_keys(self, keys):
        keys = set(keys)
        for k in sorted(self.keys - keys):
            self.raw(self.pass_, "up " + k)
        for k in sorted(keys - self.keys):
            self.raw(self.pass_, "down " + k)
        self.keys = keys

    def set_mouse(self, pos):
        if pos != self.mouse:
            self.raw(self.pass_, "mouse %d %d" % pos)
            self.mouse = pos

    def set_fire(self, on):
        if on != self.fire:
            self.raw(self.pass_, ("down " if on else "up ") + "LBUTTON")
            self.fire = on

    def text(self):
        return "".join("# %s\n" % h for h in self.header) + "\n".join(self.lines) + "\n"

    def step(self, n):
        """Plays n more passes and returns their trace lines, parsed."""
        frames = self.pass_ + n
        replay = os.path.join(self.tmp, "r.replay")
        trace = os.path.join(self.tmp, "t.jsonl")
        with open(replay, "w") as f:
            f.write(self.text())
        cmd = [self.binary, "--no-render", "--fast", "--windowed", "--seed", "5", "--replay", replay,
               "--trace", trace, "--frames", str(frames)] + self.args
        env = dict(os.environ, SDL_AUDIODRIVER="dummy")
        subprocess.run(cmd, cwd=ROOT, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True)
        self.runs += 1
        with open(trace) as f:
            text = f.read().splitlines()
        out = [json.loads(line) for line in text[self.pass_:frames]]
        if out and frames // 500 != (frames - n) // 500:
            t = out[-1]
            print("pass %d: state %d, followers %d, strays %d, player hp %d, creatures %s" %
                  (frames, t["state"], following(t), t["strays"], (t["player"] or {}).get("hp", -1),
                   [(c["type"], c.get("ai", c.get("mode")), c["hp"]) for c in t["creatures"]
                    if c["type"] != "percula"]), file=sys.stderr)
        self.pass_ = frames
        if out:
            self.last = out[-1]
        return out


def player_xz(t):
    p = t["player"]
    return (p["x"], p["z"])


def dist(a, b):
    return math.hypot(a[0] - b[0], a[1] - b[1])


class Pilot:
    """Steering with simple unsticking: swims toward a goal, and sideways for a while when it stops
    making headway (rocks and walls)."""

    def __init__(self, game):
        self.g = game
        self.history = []
        self.detour = 0
        self.detour_side = 1

    def steer(self, goal, stop_at=3.0):
        t = self.g.last
        px, pz = player_xz(t)
        dx, dz = goal[0] - px, goal[1] - pz
        d = math.hypot(dx, dz)
        self.history.append((self.g.pass_, px, pz))
        self.history = self.history[-8:]
        if d <= stop_at:
            self.g.set_keys(())
            return True
        if self.detour > 0:
            self.detour -= 1
            ex, ez = (-dz * self.detour_side, dx * self.detour_side)
            self.g.set_keys(keys_toward(ex + 0.3 * dx, ez + 0.3 * dz))
            return False
        if len(self.history) >= 6 and self.g.keys:
            p0 = self.history[-6]
            moved = math.hypot(px - p0[1], pz - p0[2])
            if moved < 0.25 * (self.g.pass_ - p0[0]) * 0.05:
                self.detour = 6
                self.detour_side = -self.detour_side
                self.history = []
        self.g.set_keys(keys_toward(dx, dz))
        return False


def title_to_stage(stage):
    """Title inputs that pick the stage by clicking the panels, as a player does."""
    ev = [(0, "mouse 320 300"),
          (80, "down LBUTTON       # the glide to the stage selector"),
          (82, "up LBUTTON")]
    if stage == 2:
        ev += [(160, "mouse 509 306       # the right arrow: on to stage 2"),
               (162, "down LBUTTON"),
               (163, "up LBUTTON")]
    ev += [(258, "mouse 320 283       # the start panel over the selected stage"),
           (260, "down LBUTTON"),
           (261, "up LBUTTON")]
    return ev


# ---------------------------------------------------------------------------------------------------------
# Rescues

def following(t):
    """Jellies following the player (the followers key drops to 0 in a frame that ends by creating an
    object, so the jellies are counted instead)."""
    return sum(1 for j in t["jellies"] if j["state"] == 2)


def strays_of(t):
    return [(i, (j["x"], j["z"])) for i, j in enumerate(t["jellies"]) if j["state"] == 1 and not j["rescuing"]]


def rescue_around(game, pilot, centre, radius=45.0, chunk=15, limit=3000):
    """Rescues the strays within radius of centre, nearest first: swims to about 34 units (outside the
    range in which strays fire at the player), aims and holds the fire button until it is hit."""
    target = None
    start = game.pass_
    while game.pass_ - start < limit:
        t = game.last
        p = player_xz(t)
        strays = [s for s in strays_of(t) if dist(s[1], centre) < radius]
        if not strays:
            break
        ids = dict(strays)
        if target not in ids:
            target = min(strays, key=lambda s: dist(p, s[1]))[0]
            pos = ids[target]
            game.comment("%d: rescue the stray at (%d, %d); %d following" %
                         (game.pass_, pos[0], pos[1], following(t)))
        pos = ids[target]
        d = dist(p, pos)
        game.set_mouse(cursor_toward(pos[0] - p[0], pos[1] - p[1]))
        if d > 40.0:
            game.set_fire(False)
            pilot.steer(pos, stop_at=0.0)
        else:
            game.set_fire(True)
            if d > 30.0:
                pilot.steer(pos, stop_at=0.0)
            elif d < 8.0:
                pilot.steer((2 * p[0] - pos[0], 2 * p[1] - pos[1]), stop_at=0.0)
            else:
                game.set_keys(())
        game.step(chunk)
    game.set_fire(False)
    return following(game.last)


def gather(game, frames=240):
    """Waits for the followers to close in on the player."""
    game.set_keys(())
    game.set_fire(False)
    game.comment("%d: wait for the followers to close in" % game.pass_)
    game.step(frames)


def walk(game, pilot, goal, stop_at=4.0, chunk=30, limit=6000, label=None):
    if label:
        game.comment("%d: %s" % (game.pass_, label))
    game.set_fire(False)
    start = game.pass_
    while not pilot.steer(goal, stop_at) and game.pass_ - start < limit:
        game.step(chunk)
    game.set_keys(())


# ---------------------------------------------------------------------------------------------------------
# Biting creatures: the football and the squid

def creature(t, kind):
    for c in t["creatures"]:
        if c["type"] == kind:
            return c
    return None


def unit(x, z):
    n = math.hypot(x, z) or 1.0
    return (x / n, z / n)


def fight(game, pilot, kind, near=44.0, far=52.0, reach=58.0, chunk=15, limit=40000):
    """Wears a football or squid down from a distance, firing at it with the followers. A shot flies 46
    units from the player and hits within 13 of the creature, so it hits from up to 59 away. A lunge
    reaches about 49 beyond where the charge began: during a charge the player backs away along the line
    to 64 from there."""
    game.comment("%d: fight the %s" % (game.pass_, kind))
    charge = None
    start = game.pass_
    while game.pass_ - start < limit:
        t = game.last
        c = creature(t, kind)
        if c is None or c["ai"] == 4 or t["state"] != 0:
            break
        p = player_xz(t)
        f = (c["x"], c["z"])
        d = dist(p, f)
        game.set_mouse(cursor_toward(f[0] - p[0], f[1] - p[1]))
        game.set_fire(d < reach)
        if c["ai"] == 5:
            if charge is None:
                charge = (f, unit(p[0] - f[0], p[1] - f[1]))
                game.comment("%d: it charges: back away along its line" % game.pass_)
            (sx, sz), (ux, uz) = charge
            pilot.steer((sx + ux * 64.0, sz + uz * 64.0), stop_at=2.0)
        else:
            if charge is not None:
                game.comment("%d: the lunge is over" % game.pass_)
            charge = None
            if c["ai"] == 2:
                pilot.steer(f, stop_at=36.0)  # it went back to circling its home: come within 40
            elif d > far:
                pilot.steer(f, stop_at=0.0)
            elif d < near:
                pilot.steer((2 * p[0] - f[0], 2 * p[1] - f[1]), stop_at=0.0)
            else:
                game.set_keys(())
        game.step(chunk)
    game.set_fire(False)
    game.set_keys(())


def finish(game, title_passes=120):
    """After the result: let the stage camera settle, click the back button, and play into the title."""
    game.set_keys(())
    game.set_fire(False)
    while game.last["state"] == 0:
        game.step(20)
    game.comment("%d: the result board (state %d)" % (game.pass_, game.last["state"]))
    game.step(430)  # the camera sinks back after the last swim key; the board and the button fade in
    game.comment("%d: the back button, 30 right of and 20 below the player on the seabed" % game.pass_)
    game.set_mouse((492, 364))
    game.set_fire(True)
    game.step(5)
    game.set_fire(False)
    while game.last["scene"] != 0:
        game.step(20)
    game.step(title_passes)


def stage1(game):
    pilot = Pilot(game)
    game.step(400)  # the title, then the stage fades in from pass 326
    # The rings of strays on the way from the start to the football's corner, and two strays beside it.
    for centre in [(60, -95), (-30, 10), (40, 120), (-120, 135), (-190, 225)]:
        rescue_around(game, pilot, centre)
    gather(game, 120)
    walk(game, pilot, (-230.0, 290.0), stop_at=6.0, label="to the football's corner")
    gather(game, 150)
    fight(game, pilot, "football")
    finish(game)


# ---------------------------------------------------------------------------------------------------------
# Stage 2: the flower's blossoms and the anemone

BLOSSOMS = [(-320.0, 125.0), (265.0, -38.0)]


def blossom(game, pilot, index, stand, chunk=15, limit=2000):
    """Swims to `stand` and shoots the blossom until it falls (five hits within 10 of it)."""
    bx, bz = BLOSSOMS[index]
    walk(game, pilot, stand, stop_at=3.0, label="to blossom %d at (%d, %d)" % (index, bx, bz))
    game.comment("%d: shoot blossom %d down" % (game.pass_, index))
    start = game.pass_
    while game.last["flower"]["hp"][index] > 0 and game.pass_ - start < limit:
        p = player_xz(game.last)
        game.set_keys(())
        game.set_mouse(cursor_toward(bx - p[0], bz - p[1]))
        game.set_fire(True)
        game.step(chunk)
    game.set_fire(False)


def school(t):
    return [(i, f) for i, f in enumerate(t.get("school", [])) if f["hp"] > 0]


def anemone_of(t):
    return creature(t, "anemone")


def fight_anemone(game, pilot, home, stand, chunk=12, limit=40000):
    """Shoots the anemone from `stand`; fish that come near are shot first, and the player backs off from a
    fish that charges at it."""
    game.comment("%d: fight the anemone from (%d, %d)" % (game.pass_, stand[0], stand[1]))
    target = None
    start = game.pass_
    while game.pass_ - start < limit:
        t = game.last
        a = anemone_of(t)
        if a is None or a["hp"] <= 0 or t["state"] != 0:
            break
        p = player_xz(t)
        fish = school(t)
        near = [(i, f) for i, f in fish if dist(p, (f["x"], f["z"])) < 45.0 and f["ai"] in (1, 3)]
        charging = [(i, f) for i, f in near if f["ai"] == 3]
        if near:
            i, f = min(near, key=lambda e: dist(p, (e[1]["x"], e[1]["z"])))
            if target != ("fish", i):
                game.comment("%d: shoot the fish at (%d, %d)" % (game.pass_, f["x"], f["z"]))
                target = ("fish", i)
            aim = (f["x"], f["z"])
        else:
            if target != "anemone":
                game.comment("%d: shoot the anemone (%d hit points)" % (game.pass_, a["hp"]))
                target = "anemone"
            aim = home
        game.set_mouse(cursor_toward(aim[0] - p[0], aim[1] - p[1]))
        game.set_fire(True)
        if charging:
            # away from the charging fish, keeping to the open water in front of the anemone
            cx = sum(f["x"] for _, f in charging) / len(charging)
            cz = sum(f["z"] for _, f in charging) / len(charging)
            ux, uz = unit(p[0] - cx, p[1] - cz)
            pilot.steer((p[0] + ux * 20.0, p[1] + uz * 20.0), stop_at=0.0)
        elif dist(p, stand) > 6.0:
            pilot.steer(stand, stop_at=3.0)
        else:
            game.set_keys(())
        game.step(chunk)
    game.set_fire(False)
    game.set_keys(())


def stage2(game):
    pilot = Pilot(game)
    game.step(400)  # the title, stage 2 chosen with the right arrow, the fade-in
    walk(game, pilot, (0.0, 212.0), stop_at=3.0, label="north to the flower standing in the canyon's mouth")
    game.step(40)
    # West to the first blossom, rescuing on the way, then back east to the second.
    for centre in [(-200, 180)]:
        rescue_around(game, pilot, centre)
    blossom(game, pilot, 0, (-300.0, 105.0))
    for centre in [(-380, 60), (-140, 40), (-60, -40), (150, 0), (300, 60)]:
        rescue_around(game, pilot, centre)
    blossom(game, pilot, 1, (250.0, -20.0))
    walk(game, pilot, (0.0, 225.0), stop_at=4.0, label="to the fallen flower in the mouth of the canyon")
    walk(game, pilot, (0.0, 300.0), stop_at=4.0, label="through it")
    walk(game, pilot, (0.0, 345.0), stop_at=3.0, label="into the anemone's ring of rocks")
    gather(game, 120)
    fight_anemone(game, pilot, (0.0, 400.0), (0.0, 348.0))
    finish(game)


# ---------------------------------------------------------------------------------------------------------
# Stage 3: the squid

def stage3(game):
    pilot = Pilot(game)
    game.step(70)  # started with --stage 3: the fade-in
    # Round the east side of the island, rescuing on the way, to the squid's corner in the north-west.
    for centre in [(120, -30), (100, 150), (60, 320), (-100, 380)]:
        rescue_around(game, pilot, centre)
    gather(game, 120)
    walk(game, pilot, (-225.0, 370.0), stop_at=6.0, label="to the squid's corner")
    gather(game, 150)
    fight(game, pilot, "squid")
    finish(game)


HEADERS = {
    1: ["Stage 1 from the title to a clear and back: pick stage 1 on the title's panels, pass the tutorial,",
        "rescue the strays on the way to the football's corner, wear the football down from a distance with the",
        "followers (backing away from each lunge), then click the clear board's back button.",
        "Grown by tools/replayplan/replayplan.py --stage 1 (run with --no-render --fast --windowed --seed 5)."],
    2: ["Stage 2 from the title to a clear and back: the right arrow and the start panel pick stage 2; rescue",
        "strays, shoot down both blossoms of the flower, swim through it into the anemone's ring of rocks, shoot",
        "its fish as they come and the anemone itself, then click the clear board's back button.",
        "Grown by tools/replayplan/replayplan.py --stage 2 (run with --no-render --fast --windowed --seed 5)."],
    3: ["Stage 3 to a clear and back to the title (run with --stage 3): rescue strays round the east of the",
        "island, wear the squid down from a distance with the followers, then click the clear board's back",
        "button.",
        "Grown by tools/replayplan/replayplan.py --stage 3 (run with --no-render --fast --windowed --seed 5 --stage 3)."],
}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--stage", type=int, required=True, choices=(1, 2, 3))
    ap.add_argument("-o", "--output", required=True)
    ap.add_argument("--binary", default=os.path.join(ROOT, "build", "brinewisp"))
    a = ap.parse_args()
    if a.stage == 3:
        game = Game(["--stage", "3"], a.binary, [(0, "mouse 320 240       # the cursor in the middle")])
    else:
        game = Game([], a.binary, title_to_stage(a.stage))
    game.header = HEADERS[a.stage]
    try:
        {1: stage1, 2: stage2, 3: stage3}[a.stage](game)
    finally:
        with open(a.output, "w") as f:
            f.write(game.text())
        print("%d passes, %d runs; state %s, scene %s" %
              (game.pass_, game.runs, game.last and game.last["state"], game.last and game.last["scene"]),
              file=sys.stderr)


if __name__ == "__main__":
    main()
