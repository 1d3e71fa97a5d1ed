#!/usr/bin/python3
"""camera_history end to end: gather_history.yml over two local "benches" with a
history each, twice, then with one history grown and the other tampered with.
Usage: history_test.py KESTREL_FLASH HISTORY_HELPER COLLECTIONS_PATH PLAYBOOK CHECK SCHEMA"""
import csv
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

FLASH, HELPER, COLLECTIONS, PLAYBOOK, CHECK, SCHEMA = sys.argv[1:7]
work = tempfile.mkdtemp(prefix='kestrel-history.')
files = dict((b, os.path.join(work, b + '.sqlite')) for b in ('bench1', 'bench2'))
merged = os.path.join(work, 'production_history.csv')
failures = []


def expect(what, condition, shown=None):
    if not condition:
        failures.append(what)
        print('FAILED: %s\n%s' % (what, '' if shown is None else shown))


def play(name):
    """Plays the playbook; its exit status, (changed, failed) per bench, its output."""
    with open(os.path.join(work, 'inventory.json'), 'w') as out:
        json.dump({'benches': {'hosts': dict((b, {'history_file': files[b]}) for b in files),
                               'vars': {'ansible_connection': 'local', 'kestrel_flash': FLASH,
                                        'ansible_python_interpreter': sys.executable}}}, out)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS, ANSIBLE_HOME=work,
               ANSIBLE_NOCOLOR='1', ANSIBLE_COLLECTIONS_SCAN_SYS_PATH='false')
    run = subprocess.run(['ansible-playbook', '-i', os.path.join(work, 'inventory.json'), '-e',
                          'merged_csv=' + merged, PLAYBOOK], env=env, capture_output=True,
                         text=True)
    print('== %s: ansible-playbook -> %d' % (name, run.returncode))
    recap = re.finditer(r'^(bench\d) +: ok=\d+ +changed=(\d+) .*failed=(\d+)', run.stdout, re.M)
    return run.returncode, dict((m[1], (int(m[2]), int(m[3]))) for m in recap), run.stdout


def rows():
    with open(merged, newline='') as text:
        return list(csv.DictReader(text))


try:
    # bench1: 3 updates, a stick copy and one update not ended; bench2: 2 updates and the same.
    for bench, updates in (('bench1', '3'), ('bench2', '2')):
        subprocess.run([HELPER, files[bench], 'bench', updates, bench], check=True)
    lines = ''.join(subprocess.run([FLASH, 'history', '--history', files['bench1']] + o,
                                   capture_output=True, text=True).stdout
                    for o in (['--json'], ['--verify', '--json']))
    check = subprocess.run(['/usr/bin/python3', CHECK, SCHEMA, '--lines'], input=lines, text=True)
    expect('the JSON matches the schema, a verdict and nulls among it', check.returncode == 0 and
           '"event":"verify"' in lines and '"ended":null' in lines, lines)

    rc, recap, out = play('first')
    expect('first: the CSV written', rc == 0 and recap == {'bench1': (1, 0), 'bench2': (0, 0)}, out)
    first, found = open(merged, 'rb').read(), rows()
    expect('first: each operation once, sorted, with its bench', len(found) == 9 and len(set(
        r['operation'] for r in found)) == 9 and found == sorted(found, key=lambda r: (
            r['time'], r['bench'], int(r['id']))) and sorted(r['bench'] for r in found) ==
        ['bench1'] * 5 + ['bench2'] * 4, found)
    expect('first: the stick copy with its files, the two not ended without an end', any(
        r['files'].startswith('firm.rbf=' + 'a' * 64) for r in found) and
        [r['result'] for r in found if not r['ended']] == ['running'] * 2, found)

    rc, recap, out = play('again')
    expect('again: the same bytes, nothing changed', rc == 0 and recap['bench1'] == (0, 0) and
           open(merged, 'rb').read() == first, out)

    subprocess.run([HELPER, files['bench1'], 'bench', '1', 'bench1'], check=True)
    db = sqlite3.connect(files['bench2'])
    db.execute('DROP TRIGGER events_no_update')
    db.execute("UPDATE events SET result = 'stalled' WHERE id = 4")
    db.commit()
    db.close()
    rc, recap, out = play('grown and tampered')
    expect('tampered: bench2 fails, naming the event', rc != 0 and recap['bench2'][1] == 1 and
           re.search(r'bench2.*fails its check after 3 events found intact: event 4 was changed '
                     r'after it was written', out), out)
    grown = rows()
    expect('grown: earlier rows kept, bench1\'s new ones added', len(grown) == 12 and set(
        r['operation'] for r in found) <= set(r['operation'] for r in grown), grown)
finally:
    shutil.rmtree(work)

print('%d failed' % len(failures) if failures else 'All passed.')
sys.exit(1 if failures else 0)
