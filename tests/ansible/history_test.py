#!/usr/bin/python3
"""camera_history end to end: gather_history.yml over two local "benches" with a
history each, twice, then with one history grown and the other tampered with.
Usage: history_test.py KESTREL_FLASH HISTORY_HELPER COLLECTIONS_PATH PLAYBOOK
Exits 77 (skipped) when KESTREL_FLASH has no history command."""
import csv
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

FLASH, HELPER, COLLECTIONS, PLAYBOOK = sys.argv[1:5]
work = tempfile.mkdtemp(prefix='kestrel-history.')
histories = {'bench1': os.path.join(work, 'bench1.sqlite'),
             'bench2': os.path.join(work, 'bench2.sqlite')}
merged = os.path.join(work, 'production_history.csv')
failures = []


def expect(what, condition, shown=None):
    if not condition:
        failures.append(what)
        print('FAILED: %s%s' % (what, '' if shown is None else '\n%s' % shown))


def write(bench, updates):
    subprocess.run([HELPER, histories[bench], 'bench', str(updates), bench], check=True)


def play(name):
    inventory = {'benches': {
        'hosts': dict((b, {'history_file': histories[b]}) for b in histories),
        'vars': {'ansible_connection': 'local', 'ansible_python_interpreter': sys.executable,
                 'kestrel_flash': FLASH}}}
    with open(os.path.join(work, 'inventory.json'), 'w') as out:
        json.dump(inventory, out)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS, ANSIBLE_HOME=work,
               ANSIBLE_REMOTE_TEMP=os.path.join(work, 'tmp'), ANSIBLE_NOCOLOR='1',
               ANSIBLE_COLLECTIONS_SCAN_SYS_PATH='false', ANSIBLE_LOCALHOST_WARNING='false')
    run = subprocess.run(['ansible-playbook', '-i', os.path.join(work, 'inventory.json'),
                          '-e', 'merged_csv=' + merged, PLAYBOOK], env=env, capture_output=True, text=True)
    print('== %s: ansible-playbook -> %d' % (name, run.returncode))
    recap = dict((m.group(1), (int(m.group(2)), int(m.group(3)))) for m in re.finditer(
        r'^(bench\d) +: ok=\d+ +changed=(\d+) .*failed=(\d+)', run.stdout, re.M))
    return run.returncode, recap, run.stdout


def rows():
    with open(merged, newline='') as text:
        return list(csv.DictReader(text))


try:
    probe = subprocess.run([FLASH, 'history', '--history', os.path.join(work, 'none.sqlite')],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        print('%s has no history command yet: %s' % (FLASH, probe.stderr.strip()))
        sys.exit(77)
    write('bench1', 3)  # 3 updates, a stick copy and one update not ended: 5 operations
    write('bench2', 2)  # 4 operations

    rc, recap, out = play('first')
    expect('first: succeeds, the CSV written once', rc == 0 and recap['bench1'] == (1, 0)
           and recap['bench2'] == (0, 0), out)
    first = open(merged, 'rb').read()
    found = rows()
    expect('first: every operation of both benches once', len(found) == 9 and
           len(set(r['operation'] for r in found)) == 9, found)
    expect('first: each bench with its own, sorted', found == sorted(found, key=lambda r: (
        r['time'], r['bench'], int(r['id']))) and sorted(r['bench'] for r in found) ==
        ['bench1'] * 5 + ['bench2'] * 4, found)
    expect('first: a stick copy with its files', any(
        r['action'] == 'stage' and r['files'].startswith('firm.rbf=' + 'a' * 64) for r in found))
    expect('first: the one not ended has no end', [r['result'] for r in found if not r['ended']]
           == ['running', 'running'], found)

    rc, recap, out = play('again')
    expect('again: succeeds and changes nothing', rc == 0 and recap['bench1'] == (0, 0), out)
    expect('again: the same bytes', open(merged, 'rb').read() == first)

    write('bench1', 1)  # 3 operations more
    db = sqlite3.connect(histories['bench2'])
    db.execute('DROP TRIGGER events_no_update')
    db.execute("UPDATE events SET result = 'stalled' WHERE id = 4")
    db.commit()
    db.close()
    rc, recap, out = play('grown and tampered')
    expect('tampered: the play fails on bench2 alone',
           rc != 0 and recap['bench2'][1] == 1 and recap['bench1'] == (1, 0), out)
    expect('tampered: bench2 names the event changed', re.search(
        r'bench2.*fails its check after 3 events found intact: event 4 was changed after it '
        r'was written', out), out)
    grown = rows()
    expect('grown: the earlier rows kept, the new ones added',
           len(grown) == 12 and set(r['operation'] for r in found) <=
           set(r['operation'] for r in grown), grown)
finally:
    shutil.rmtree(work)

print('%d failed' % len(failures) if failures else 'All passed.')
sys.exit(1 if failures else 0)
