#!/usr/bin/env python3
"""check_recording.py RECORDING.csv SHOWN.json

Reads a recording with the csv module and checks each cycle against what the overview
showed when it was written (SHOWN.json, one object per cycle, made by the end-to-end
test). Prints every difference; the exit status is the number of bad cycles."""
import csv
import json
import sys


def shown(text):
    """A recorded number as the views print it; "--" for none."""
    return format(float(text), '.6g') if text else '--'


def alarm_lines(p):
    bat = 'bat%s ' % p['pack']
    lines = ['BasicState: ' + bat + p['state']] if 'SysError' in p['state'] else []
    for name, column in (('VoltState', 'volt_state'), ('CurrState', 'curr_state'), ('TempState', 'temp_state'),
                         ('CellVolState', 'cell_volt_state'), ('CellTempState', 'cell_temp_state')):
        if 'Normal' not in p[column]:
            lines.append('%s: %s%s' % (name, bat, p[column]))
    if lines and not p['alarm_time'].startswith('-'):
        lines.append('AlarmTime: ' + bat + p['alarm_time'])
    return lines


with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    cycles = []
    for row in csv.DictReader(f):
        if row['record'] == 'system':
            cycles.append([])
        cycles[-1].append(row)
with open(sys.argv[2]) as f:
    expected = json.load(f)

bad = 0 if len(cycles) == len(expected) else 1
if bad:
    print('%d cycles recorded, %d shown' % (len(cycles), len(expected)))
for n, (rows, want) in enumerate(zip(cycles, expected), 1):
    s = rows[0]
    packs = [r for r in rows if r['record'] == 'pack']
    cells = [r for r in rows if r['record'] == 'cell']
    pack = cells[0]['pack'] if cells else ''
    detail = next((p for p in packs if p['pack'] == pack), {})
    got = {
        'rows': len(rows),
        'times': len({r['time'] for r in rows}),
        'labels': ['State: ' + (s['state'] or '--'), 'Present Num: ' + (s['packs_present'] or '--'),
                   'Total Voltage: %s V' % shown(s['voltage_V']), 'Total Current: %s A' % shown(s['current_A']),
                   'Total SOC: %s %%' % shown(s['soc_%']), 'Total SOH: %s %%' % shown(s['soh_%'])],
        'mos': [s['cfet'] == 'ON', s['dfet'] == 'ON'],
        'gauges': [float(p['soc_%']) for p in packs],
        'balance': ''.join(p['balancing'] for p in packs),
        'alarm': [line for p in packs for line in alarm_lines(p)],
        'pack': pack,
        'cells': [[c['cell'], shown(c['voltage_V']), shown(c['temperature_°C'])] for c in cells],
        'detail': ['SOH: %s %%' % shown(detail.get('soh_%')), 'System Fault: ' + (detail.get('fault') or '--')],
    }
    for key, value in want.items():
        if got[key] != value:
            bad += 1
            print('cycle %d, %s: recorded %r, shown %r' % (n, key, got[key], value))
sys.exit(min(bad, 100))
