#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: camera_history
short_description: Read a bench's production history of Kestrel VX cameras
version_added: "1.0.0"
description:
  - Runs C(kestrel-flash history --json) on the host and returns the operations of the
    bench's history, newest first, one per camera run, power-cycle check, stick copy or eject.
  - With I(verify), first runs C(kestrel-flash history --verify --json), which walks the
    history's hash chain; a chain that does not hold fails the task with the sentence naming
    the first event that was changed, removed or reordered, and no operations are read.
  - A bench whose history does not exist yet has no operations; that is not a failure.
  - Only reads; never changes anything, so the task is never C(changed).
author:
  - Kestrel_FlashTool maintainers
extends_documentation_fragment:
  - kestrel.flash.kestrel_flash
options:
  history:
    description:
      - The history file to read (C(kestrel-flash --history)); by default the bench's own, as
        C(KESTREL_FLASH_HISTORY) or the user's application data folder gives it.
    type: path
  since:
    description:
      - Only the operations that began at or after this date, as C(2026-12-07) or
        C(2026-12-07T14:05), in UTC unless it ends in an offset such as C(+01:00).
    type: str
  serial:
    description:
      - Only the operations on the camera with this serial number.
    type: str
  verify:
    description:
      - Check the history's hash chain first, and fail the task when it does not hold.
    type: bool
    default: false
notes:
  - Supports check mode (it does the same in check mode).
seealso:
  - module: kestrel.flash.camera_firmware
'''

EXAMPLES = r'''
- name: Read the bench's history since the first of December, its chain checked
  kestrel.flash.camera_history:
    since: "2026-12-01"
    verify: true
  register: bench_history

- name: List the cameras whose programming failed
  ansible.builtin.debug:
    msg: "{{ bench_history.operations | rejectattr('result', 'in', ['ok', 'current'])
             | map(attribute='serial') | unique | list }}"
'''

RETURN = r'''
operations:
  description: The operations of the history, newest first.
  returned: success
  type: list
  elements: dict
  contains:
    id:
      description: The id of the operation's begin event in the bench's history.
      type: int
      sample: 4711
    operation:
      description: The operation's own id, unique among all benches.
      type: str
      sample: Zv1o3E4RSnWkynyK4GCpcQ
    time:
      description: When it began, UTC.
      type: str
      sample: "2026-12-07T10:02:05.123Z"
    bench:
      description: The host name of the bench.
      type: str
      sample: bench-01
    operator:
      description: The operator's login name.
      type: str
      sample: line1
    face:
      description: C(window) or C(terminal).
      type: str
      sample: terminal
    action:
      description: C(update), C(watch), C(power-cycle), C(stage) or C(eject).
      type: str
      sample: update
    address:
      description: The camera's address.
      type: str
      sample: 192.168.10.11
    serial:
      description: The camera's serial number.
      type: str
      sample: "21040017"
    model:
      description: The camera's model.
      type: str
      sample: VX340
    hardware_before:
      description: The hardware firmware version the camera had when it began.
      type: str
      sample: 1.2A.3F
    hardware_after:
      description: The version it came back with after its power cycle; empty when not seen.
      type: str
      sample: 1.2B.05
    software:
      description: The camera's software version.
      type: str
      sample: vx_server 3.8.2 build 1187
    target:
      description: The hardware firmware version asked for; empty when none.
      type: str
      sample: 1.2B.05
    result:
      description: The result code; C(interrupted) when it never ended, C(running) while it runs.
      type: str
      sample: ok
    changed:
      description: Whether the operation changed the camera or the stick.
      type: bool
      sample: true
    ended:
      description: When it ended, UTC; null while it has not.
      type: str
      sample: "2026-12-07T10:03:40.002Z"
    seconds:
      description: How long it took; null while it has not ended.
      type: float
      sample: 95.0
    record:
      description: The file of the camera's conversation record; empty without one.
      type: str
      sample: ""
    tool_version:
      description: The version of Kestrel_FlashTool that ran it.
      type: str
      sample: 1.0.0.6
    files:
      description: C(stage) - the files copied onto the stick, each with its C(name) and C(sha256).
      type: list
      elements: dict
      sample: []
    signer_key:
      description: The key that signed the checksums the files were checked against.
      type: str
      sample: ""
verified:
  description: With I(verify), the check of the hash chain.
  returned: when verify is true
  type: dict
  contains:
    ok:
      description: Whether every event is as it was written, in the order written.
      type: bool
    checked:
      description: The events found intact.
      type: int
    detail:
      description: The verdict in words.
      type: str
  sample: {"ok": true, "checked": 2480, "detail": "The history /home/line1/.local/share/Kestrel_FlashTool/history.sqlite is intact: checked 2480 events, each as it was written and in the order written."}
kestrel_flash_version:
  description: The first line of C(kestrel-flash --version).
  returned: always
  type: str
  sample: kestrel-flash 1.0.0.6
'''

import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.kestrel.flash.plugins.module_utils.kestrel_flash import KestrelFlash


def snake(name):
    return re.sub(r'([A-Z])', lambda m: '_' + m.group(1).lower(), name)


def operation_entry(event):
    entry = dict((snake(k), v) for k, v in event.items()
                 if k not in ('schema', 'event', 'elapsedMs'))
    elapsed = event.get('elapsedMs')
    entry['seconds'] = None if elapsed is None else round(elapsed / 1000.0, 1)
    return entry


def run(module, flash, options, kind):
    """Runs `kestrel-flash history --json OPTIONS`; its objects of the event kind."""
    args = [flash.path, 'history', '--json'] + options
    if module.params['history']:
        args += ['--history', module.params['history']]
    rc, out, err = module.run_command(args)
    objects = flash.objects(out, args, err)
    found = [o for o in objects if o.get('event') == kind]
    if rc != 0 and not found:
        module.fail_json(msg="kestrel-flash history failed (exit status %d): %s"
                             % (rc, err.strip() or 'no error text'),
                         cmd=args, rc=rc, stderr=err, kestrel_flash_version=flash.version)
    return found


def main():
    module = AnsibleModule(
        argument_spec=dict(
            kestrel_flash=dict(type='path', default='kestrel-flash'),
            history=dict(type='path'),
            since=dict(type='str'),
            serial=dict(type='str'),
            verify=dict(type='bool', default=False),
        ),
        supports_check_mode=True)
    flash = KestrelFlash(module)
    result = dict(changed=False, kestrel_flash_version=flash.version)
    if module.params['verify']:
        verdicts = run(module, flash, ['--verify'], 'verify')
        if len(verdicts) != 1:
            module.fail_json(msg="kestrel-flash history --verify gave no verdict.", **result)
        verdict = dict((k, verdicts[0].get(k)) for k in ('ok', 'checked', 'detail'))
        result['verified'] = verdict
        if not verdict['ok']:
            module.fail_json(msg=verdict['detail'], **result)
    options = []
    for name in ('since', 'serial'):
        if module.params[name] is not None:
            options += ['--' + name, module.params[name]]
    result['operations'] = [operation_entry(o) for o in run(module, flash, options, 'operation')]
    module.exit_json(**result)


if __name__ == '__main__':
    main()
