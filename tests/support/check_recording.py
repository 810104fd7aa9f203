#!/usr/bin/env python3
# check_recording.py RECORDING.csv < SHOWN.json: each cycle of a recording, read with the
# csv module, against what the overview showed when it was written. Exit status: bad cycles.
import csv
import json
import sys


def shown(text):  # a recorded number as the views print it
    return format(float(text), '.6g') if text else '--'


cycles, expected, bad = [], json.load(sys.stdin), 0
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    for row in csv.DictReader(f):
        cycles += [[]] if row['record'] == 'system' else []
        cycles[-1].append(row)
for n, (rows, want) in enumerate(zip(cycles, expected), 1):
    s, packs = rows[0], [r for r in rows if r['record'] == 'pack']
    got = {'labels': ['State: ' + (s['state'] or '--'), 'Present Num: ' + (s['packs_present'] or '--'),
                      'Total Voltage: %s V' % shown(s['voltage_V']), 'Total Current: %s A' % shown(s['current_A']),
                      'Total SOC: %s %%' % shown(s['soc_%']), 'Total SOH: %s %%' % shown(s['soh_%'])],
           'gauges': [float(p['soc_%']) for p in packs],
           'balance': ''.join(p['balancing'] for p in packs),
           'cells': [[c['cell'], shown(c['voltage_V']), shown(c['temperature_°C'])] for c in rows if c['record'] == 'cell'],
           'shape': [len({r['time'] for r in rows}), len(rows)]}
    want['shape'] = [1, 1 + len(want['gauges']) + len(want['cells'])]
    for key in want:
        if got[key] != want[key]:
            bad += 1
            print('cycle %d, %s: recorded %r, shown %r' % (n, key, got[key], want[key]))
if len(cycles) != len(expected):
    bad += 1
    print('%d cycles recorded, %d shown' % (len(cycles), len(expected)))
sys.exit(min(bad, 100))
