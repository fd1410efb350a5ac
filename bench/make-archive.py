#!/usr/bin/python3
# Writes a realistic archive for the benchmarks: N rounds, four hours apart going back from a
# fixed time, ten mind-wandering marks each, a note and ratings.
#   make-archive.py FILE ROUNDS [--device ID]   (--device: a second computer's sync file)
import argparse
import json
import time
import uuid

parser = argparse.ArgumentParser()
parser.add_argument("file")
parser.add_argument("rounds", type=int)
parser.add_argument("--device")
parser.add_argument("--newest", type=int, default=1796000000, help="start of the newest round, Unix time")
args = parser.parse_args()


def iso(seconds):
    return time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(seconds))


def rounds(n, newest, device=None):
    out = []
    for i in range(n):
        t = newest - i * 4 * 3600
        r = {"completed": i % 3 != 0, "endEnergy": 3, "endedAt": iso(t + 1500),
             "events": [{"date": iso(t + 60 * k), "elapsedSeconds": 60 * k, "id": str(uuid.uuid4()).upper(),
                         "kind": "mindWander"} for k in range(10)],
             "focusRating": 4, "focusedSeconds": 1500, "id": str(uuid.uuid4()).upper(),
             "microBreakSeconds": 10, "note": "状态不错", "plannedMinutes": 25, "reminderMaximumMinutes": 5,
             "reminderMinimumMinutes": 3, "startEnergy": 4, "startedAt": iso(t), "taskName": "阅读"}
        if device:
            r["origin"] = {"added": i + 1, "device": device}
        out.append(r)
    return out


if args.device:
    doc = {"clears": [], "clock": 1, "deviceId": args.device, "deviceName": "笔记本", "format": 1,
           "sequence": args.rounds, "sessions": rounds(args.rounds, args.newest, args.device), "tombstones": []}
else:
    settings = {"autoPlayMusic": False, "completionSound": "Glass", "microBreakSeconds": 10,
                "musicSource": "整个资料库", "playlistName": "", "reminderMaximumMinutes": 5,
                "reminderMinimumMinutes": 3, "reminderSound": "Ping", "selectedDurationMinutes": 25,
                "showNextReminder": False}
    doc = {"sessions": rounds(args.rounds, args.newest), "settings": settings}
with open(args.file, "w") as f:
    json.dump(doc, f, ensure_ascii=False)
