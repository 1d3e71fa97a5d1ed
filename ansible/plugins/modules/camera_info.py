#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: camera_info
short_description: Read the identity and state of Kestrel VX cameras
version_added: "1.0.0"
description:
  - Runs C(kestrel-flash info --json) on the host for the cameras given, all at once, and
    returns each camera's serial number, model, sensor, firmware versions and whether a
    programming run is going on in it.
  - Only asks the cameras; never changes anything, so the task is never C(changed).
  - A camera that cannot be asked fails the task; the message names each such camera with its
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
      - The cameras to ask, each an IPv4 address or host name, optionally followed by C(:PORT)
        (the camera's command port, 5000 by default).
    type: list
    elements: str
    required: true
notes:
  - Supports check mode (it does the same in check mode).
seealso:
  - module: kestrel.flash.camera_firmware
'''

EXAMPLES = r'''
- name: Read the bench's cameras
  kestrel.flash.camera_info:
    cameras: "{{ bench_cameras }}"
  register: info

- name: List the cameras that do not run 1.2B.05 yet
  ansible.builtin.debug:
    msg: "{{ info.cameras | rejectattr('hardware', 'equalto', '1.2B.05') | map(attribute='address') | list }}"
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
      description: The camera's serial number; empty when it could not be asked.
      type: str
      sample: "21040017"
    model:
      description: The camera's model.
      type: str
      sample: VX340
    sensor:
      description: The camera's sensor.
      type: str
      sample: RGGB
    hardware:
      description: The hardware firmware version the camera runs, as it shows it.
      type: str
      sample: 1.2A.3F
    software:
      description: The camera's software (server) version.
      type: str
      sample: vx_server 3.8.2 build 1187
    run_in_progress:
      description: Whether the camera was found programming its boot flash.
      type: bool
      sample: false
    result:
      description: The result code of C(kestrel-flash info), for example C(ok), C(connect-failed).
      type: str
      sample: ok
    ok:
      description: Whether the camera could be asked.
      type: bool
      sample: true
    detail:
      description: What happened, in words; for a failure, its reason.
      type: str
      sample: ""
    seconds:
      description: How long asking the camera took, in seconds.
      type: float
      sample: 0.1
kestrel_flash_version:
  description: The first line of C(kestrel-flash --version).
  returned: always
  type: str
  sample: kestrel-flash 1.0.0.6
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.kestrel.flash.plugins.module_utils.kestrel_flash import (
    COMMON_ARGS, KestrelFlash, camera_entry, finish, identity)


def info_entry(job, running):
    camera = identity(job, 'before')
    return camera_entry(
        job,
        model=camera.get('model', ''),
        sensor=camera.get('sensor', ''),
        hardware=camera.get('hardware', ''),
        software=camera.get('software', ''),
        run_in_progress=running.get(job.get('job'), False),
    )


def main():
    module = AnsibleModule(argument_spec=dict(COMMON_ARGS), supports_check_mode=True)
    flash = KestrelFlash(module)
    jobs = flash.run('info', module.params['cameras'])
    running = dict((e.get('job'), bool(e.get('runInProgress')))
                   for e in flash.events if e.get('event') == 'connected')
    cameras = [info_entry(job, running) for job in jobs]
    finish(module, flash, cameras, False, "could not be asked")


if __name__ == '__main__':
    main()
