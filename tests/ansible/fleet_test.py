#!/usr/bin/python3
"""kestrel.flash end to end: ansible-playbook, on this machine, over three "bench"
hosts, each with simulated cameras of its own on a 127.0.0.x address.

Usage: fleet_test.py KESTREL_FLASH KESTREL_CAMERA_SIM COLLECTIONS_PATH PLAYBOOK
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

FLASH, SIM, COLLECTIONS, PLAYBOOK = sys.argv[1:5]
BENCHES = {'bench1': ['127.0.0.2', '127.0.0.2'], 'bench2': ['127.0.0.3'], 'bench3': ['127.0.0.4']}
START = '<- CAM_FIRMWAREUPDATE 0'
ABORT_DETAIL = 'The camera ended the programming run before reporting its end.'
work = tempfile.mkdtemp(prefix='kestrel-ansible.')
sims = {}  # bench -> list of [process, log file, address:port]
failures = []


def start_sim(address, serial, *faults):
    log = os.path.join(work, 'sim-%s.log' % serial)
    with open(log, 'w') as out:
        process = subprocess.Popen(
            [SIM, '--listen', address, '--port', '0', '--serial', serial, '--fast',
             '--power-cycle-after', '100', '--power-off-ms', '300'] + list(faults),
            stdout=out, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and process.poll() is None:
        with open(log) as text:
            found = re.search(r'listening on \S+ port (\d+)', text.read())
        if found:
            return [process, log, '%s:%s' % (address, found.group(1))]
        time.sleep(0.05)
    sys.exit('The simulator on %s did not start: %s' % (address, open(log).read()))


def starts(sim):
    with open(sim[1]) as text:
        return sum(line.rstrip('\n').endswith(START) for line in text)


def play(name, *args):
    """Plays the playbook; returns the exit status, each bench's task result and
    its counts in the play's recap (changed, failed)."""
    inventory = {'benches': {
        'hosts': dict((b, {'cameras': [s[2] for s in sims[b]]}) for b in BENCHES),
        'vars': {'ansible_connection': 'local', 'ansible_python_interpreter': sys.executable,
                 'kestrel_flash': FLASH, 'log_dir': os.path.join(work, 'records')}}}
    with open(os.path.join(work, 'inventory.json'), 'w') as out:
        json.dump(inventory, out)
    tree = os.path.join(work, 'tree-' + name)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS, ANSIBLE_HOME=work,
               ANSIBLE_REMOTE_TEMP=os.path.join(work, 'tmp'), ANSIBLE_CALLBACKS_ENABLED='tree',
               ANSIBLE_CALLBACK_TREE_DIR=tree, ANSIBLE_COLLECTIONS_SCAN_SYS_PATH='false',
               ANSIBLE_NOCOLOR='1', KESTREL_FLASH_HISTORY=os.path.join(work, 'history.sqlite'))
    run = subprocess.run(['ansible-playbook', '-i', os.path.join(work, 'inventory.json'),
                          PLAYBOOK] + list(args), env=env, capture_output=True, text=True)
    print('== %s: ansible-playbook %s -> %d' % (name, ' '.join(args), run.returncode))
    results = {}
    for bench in BENCHES:
        if not os.path.isfile(os.path.join(tree, bench)):
            sys.exit('No result for %s:\n%s%s' % (bench, run.stdout, run.stderr))
        with open(os.path.join(tree, bench)) as text:
            results[bench] = json.load(text)
    recap = dict((m.group(1), (int(m.group(2)), int(m.group(3)))) for m in re.finditer(
        r'^(bench\d) +: ok=\d+ +changed=(\d+) .*failed=(\d+)', run.stdout, re.M))
    expect('%s: a recap line for every bench' % name, len(recap) == len(BENCHES), run.stdout)
    return run.returncode, results, recap, run.stdout


def expect(what, condition, shown=None):
    if not condition:
        failures.append(what)
        print('FAILED: %s%s' % (what, '' if shown is None else '\n%s' % shown))


def camera_results(results):
    return [(b, c) for b in BENCHES for c in results[b].get('cameras', [])]


try:
    os.makedirs(os.path.join(work, 'records'))
    for n, bench in enumerate(BENCHES):
        sims[bench] = [start_sim(a, '2104%02d%02d' % (n, i)) for i, a in enumerate(BENCHES[bench])]
    every = [s for b in BENCHES for s in sims[b]]

    rc, results, recap, out = play('check', '--check')
    expect('--check succeeds', rc == 0, out)
    expect('--check: each bench would change', all(recap[b] == (1, 0) for b in BENCHES), out)
    expect('--check: every camera would be programmed',
           all(c['result'] == 'program' and c['changed'] for _, c in camera_results(results)), out)
    expect('--check sends no start command', all(starts(s) == 0 for s in every))

    rc, results, recap, out = play('first')
    expect('first run succeeds', rc == 0, out)
    expect('first run: each bench changed', all(recap[b] == (1, 0) for b in BENCHES), out)
    cameras = camera_results(results)
    expect('first run: a result for every camera', len(cameras) == len(every), out)
    for bench, c in cameras:
        expect('first run: %s %s programmed to 1.2B.05' % (bench, c['address']),
               c['changed'] and c['result'] == 'ok' and c['hw_before'] == '1.2A.3F'
               and c['hw_after'] == '1.2B.05' and os.path.isfile(c['record']), c)
    expect('first run: one start command per camera', all(starts(s) == 1 for s in every))

    rc, results, recap, out = play('second')
    expect('second run succeeds', rc == 0, out)
    expect('second run: no bench changed', all(recap[b] == (0, 0) for b in BENCHES), out)
    expect('second run: every camera current',
           all(c['result'] == 'current' and not c['changed'] for _, c in camera_results(results)))
    expect('second run sends no start command', all(starts(s) == 1 for s in every))

    # bench3's camera replaced by one with the old version that gives its run up.
    sims['bench3'][0][0].terminate()
    sims['bench3'][0][0].wait()
    sims['bench3'] = [start_sim('127.0.0.4', '21049999', '--abort-at', '50')]
    rc, results, recap, out = play('abort')
    failed = results['bench3']
    expect('abort: the play fails', rc != 0, out)
    expect('abort: bench3 fails with the camera, its result and the detail',
           recap['bench3'][1] == 1 and failed['cameras'][0]['result'] == 'stopped-early' and
           '%s: stopped-early: %s' % (sims['bench3'][0][2], ABORT_DETAIL) in failed['msg'], failed)
    expect('abort: the other benches neither fail nor change',
           recap['bench1'] == recap['bench2'] == (0, 0), out)
finally:
    for s in [s for b in sims for s in sims[b]]:
        s[0].terminate()
        s[0].wait()
    shutil.rmtree(work)

print('%d failed' % len(failures) if failures else 'All passed.')
sys.exit(1 if failures else 0)
