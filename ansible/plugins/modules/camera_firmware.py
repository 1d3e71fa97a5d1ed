#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: camera_firmware
short_description: Bring Kestrel VX cameras to a hardware firmware version
version_added: "1.0.0"
description:
  - Runs C(kestrel-flash update --json --target-hw-version) on the host for the cameras given,
    all at once, each on its own connection.
  - A camera that already runs the target version is left alone (its result is C(current));
    every other camera is programmed from the USB stick in it, which must hold the firmware
    of the target version (see C(kestrel-flash stage)).
  - A camera found programming already is followed to the end of its run, not restarted.
  - The task is C(changed) only when at least one camera was programmed, that is when the
    command that starts the reprogramming was sent to it. A second run over cameras that are
    current changes nothing.
  - In check mode the module asks C(kestrel-flash plan) what it would do, and nothing but
    the identity commands reach the cameras.
  - A camera whose version cannot be read is not programmed, as whether it runs the target
    cannot be told; its result is C(version-unread).
  - Any camera that fails (unreachable, stalled, aborted, not back after the power cycle, back
    with another version or none) fails the task; the message names each failed camera with its
    result and detail, and C(cameras) still lists every camera.
  - Reads only the JSON of C(kestrel-flash) (schema 1); a missing or older C(kestrel-flash)
    fails the task with a message saying so.
author:
  - Kestrel_FlashTool maintainers
extends_documentation_fragment:
  - kestrel.flash.kestrel_flash
options:
  cameras:
    description:
      - The cameras to bring to the version, each an IPv4 address or host name, optionally
        followed by C(:PORT) (the camera's command port, 5000 by default).
    type: list
    elements: str
    required: true
  target_hw_version:
    description:
      - The hardware firmware version the cameras must run, three hex parts separated by dots,
        as the camera shows it (for example C(1.2B.05); case and leading zeros do not matter).
    type: str
    required: true
  reinstall:
    description:
      - Program every camera, also one that already runs the target version.
      - Each camera programmed counts as changed.
    type: bool
    default: false
  confirm_reboot:
    description:
      - After each run, wait for the camera to be power-cycled, reconnect when it is back and
        check that it runs the target version; another version fails the camera
        (result C(wrong-version)).
      - Without it, a programmed camera succeeds when its run ended, and runs the new version
        only after its power cycle.
    type: bool
    default: false
  reboot_timeout:
    description:
      - How long, in seconds, to wait for each camera's power cycle.
      - Only with I(confirm_reboot); given without it, the task fails.
      - Left out, C(kestrel-flash) waits 300 seconds.
    type: int
  report:
    description:
      - A file on the host to which C(kestrel-flash) appends one tab-separated line per camera
        (time, address, serial, versions before and after, result, seconds, detail, record).
    type: path
  log_dir:
    description:
      - A folder on the host in which each camera's whole conversation is recorded, one file per
        camera and run; the file of each camera is returned as its C(record).
    type: path
notes:
  - Supports check mode.
  - The cameras of one host are programmed at once. To roll through benches, limit the hosts of
    a play with C(serial), C(throttle) or C(max_fail_percentage) (see the collection's examples).
seealso:
  - module: kestrel.flash.camera_info
'''

EXAMPLES = r'''
- name: Bring the bench's cameras to 1.2B.05 and check them after their power cycle
  kestrel.flash.camera_firmware:
    cameras: "{{ bench_cameras }}"
    target_hw_version: 1.2B.05
    confirm_reboot: true
    reboot_timeout: 600
    report: /var/lib/kestrel/production.tsv
    log_dir: /var/log/kestrel
  register: firmware

- name: Show each camera's outcome
  ansible.builtin.debug:
    msg: "{{ item.address }} ({{ item.serial }}): {{ item.result }}, {{ item.hw_before }} -> {{ item.hw_after }}"
  loop: "{{ firmware.cameras }}"

- name: Program a camera again although it runs the version
  kestrel.flash.camera_firmware:
    cameras:
      - 192.168.1.40
      - 10.0.0.5:15000
    target_hw_version: 1.2b.5
    reinstall: true
'''

RETURN = r'''
cameras:
  description: One entry per camera, in the order of I(cameras).
  returned: always
  type: list
  elements: dict
  contains:
    address:
      description: The camera's address as given.
      type: str
      sample: 192.168.1.40:5000
    serial:
      description: The camera's serial number; empty when it was never reached.
      type: str
      sample: "21040017"
    hw_before:
      description: The hardware firmware version the camera ran before; empty when unknown.
      type: str
      sample: 1.2A.3F
    hw_after:
      description:
        - The hardware firmware version the camera showed after the run, or after its power
          cycle with I(confirm_reboot); empty when it was not asked again.
        - In check mode, always empty.
      type: str
      sample: 1.2B.05
    result:
      description:
        - The result code of C(kestrel-flash), for example C(ok), C(current), C(wrong-version),
          C(version-unread), C(connect-failed), C(stalled), C(stopped-early), C(not-back).
        - In check mode, what would be done, C(program), C(skip) or C(follow), or why nothing
          can be, C(unreachable) or C(version-unread).
      type: str
      sample: ok
    ok:
      description: Whether the camera succeeded (or, in check mode, could be asked).
      type: bool
      sample: true
    changed:
      description: Whether the camera was programmed (in check mode, would be).
      type: bool
      sample: true
    detail:
      description: What happened, in words; for a failure, its reason.
      type: str
      sample: The camera ended the programming run before reporting its end.
    seconds:
      description: How long the camera's work took, in seconds.
      type: float
      sample: 48.2
    record:
      description: The file of the camera's conversation record; empty without I(log_dir).
      type: str
      sample: /var/log/kestrel/21040017_20261207-140506.log
kestrel_flash_version:
  description: The first line of C(kestrel-flash --version).
  returned: always
  type: str
  sample: kestrel-flash 1.0.0.6
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.kestrel.flash.plugins.module_utils.kestrel_flash import (
    COMMON_ARGS, KestrelFlash, camera_entry, finish, identity)


def firmware_entry(job, check_mode):
    return camera_entry(
        job,
        hw_before=identity(job, 'before').get('hardware', ''),
        hw_after='' if check_mode else identity(job, 'after').get('hardware', ''),
        changed=(job.get('result') == 'program') if check_mode else bool(job.get('changed')),
        record=job.get('record', ''),
    )


def main():
    module = AnsibleModule(
        argument_spec=dict(
            COMMON_ARGS,
            target_hw_version=dict(type='str', required=True),
            reinstall=dict(type='bool', default=False),
            confirm_reboot=dict(type='bool', default=False),
            reboot_timeout=dict(type='int'),
            report=dict(type='path'),
            log_dir=dict(type='path'),
        ),
        supports_check_mode=True,
    )
    p = module.params
    # kestrel-flash would refuse it; said here, the task names the options.
    if p['reboot_timeout'] is not None and not p['confirm_reboot']:
        module.fail_json(msg="reboot_timeout is how long confirm_reboot waits for the power "
                             "cycle: set confirm_reboot: true, or leave reboot_timeout out.")
    flash = KestrelFlash(module)

    options = ['--target-hw-version', p['target_hw_version']]
    if p['reinstall']:
        options.append('--reinstall')
    if module.check_mode:
        jobs = flash.run('plan', p['cameras'], options)
    else:
        if p['confirm_reboot']:
            options.append('--confirm-reboot')
        if p['reboot_timeout'] is not None:
            options += ['--reboot-timeout', str(p['reboot_timeout'])]
        if p['report']:
            options += ['--report', p['report']]
        if p['log_dir']:
            options += ['--log-dir', p['log_dir']]
        jobs = flash.run('update', p['cameras'], options)

    cameras = [firmware_entry(job, module.check_mode) for job in jobs]
    finish(module, flash, cameras, any(c['changed'] for c in cameras), "failed")


if __name__ == '__main__':
    main()
