# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)
# Runs kestrel-flash with --json for the modules of kestrel.flash and reads
# its events and summary (JSON schema 1). Nothing here reads kestrel-flash's
# human text: only its JSON lines, and its error text for a usage error.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os

SCHEMA = 1
SCHEMA_LINE = "json schema %d" % SCHEMA

# The options both modules share, for their argument_spec.
COMMON_ARGS = dict(
    cameras=dict(type='list', elements='str', required=True),
    kestrel_flash=dict(type='path', default='kestrel-flash'),
)


class KestrelFlash(object):
    """kestrel-flash on this host, checked to speak JSON schema 1."""

    def __init__(self, module):
        self.module = module
        self.path = self._find(module.params['kestrel_flash'])
        self._check_version()

    def _find(self, given):
        if os.sep in given:
            if not (os.path.isfile(given) and os.access(given, os.X_OK)):
                self.module.fail_json(
                    msg="kestrel_flash: %s is not an executable file." % given)
            return given
        found = self.module.get_bin_path(given)
        if found is None:
            self.module.fail_json(
                msg="%s was not found on this host's PATH (%s): install the "
                    "kestrel-flash package, or give its path in kestrel_flash."
                    % (given, os.environ.get('PATH', '')))
        return found

    def _check_version(self):
        rc, out, err = self.module.run_command([self.path, '--version'])
        lines = [line.strip() for line in out.splitlines()]
        if rc != 0 or SCHEMA_LINE not in lines:
            self.module.fail_json(
                msg="%s is too old for the kestrel.flash collection: its --version does "
                    "not say \"%s\". Install a kestrel-flash that writes JSON schema %d."
                    % (self.path, SCHEMA_LINE, SCHEMA),
                version_output=(out + err).strip())
        self.version = lines[0] if lines else ''

    def run(self, command, cameras, options=()):
        """Runs `kestrel-flash COMMAND --json OPTIONS CAMERAS...`; returns the
        summary's jobs, one result object per camera in the order given; the
        events before it are kept in self.events."""
        if not cameras:
            self.module.fail_json(msg="cameras is empty: give at least one camera address.")
        bad = [c for c in cameras if not c or c.startswith('-') or c != c.strip()]
        if bad:
            self.module.fail_json(msg="cameras: %r is not an address[:port]." % bad[0])
        args = [self.path, command, '--json'] + list(options) + list(cameras)
        rc, out, err = self.module.run_command(args)
        summary = None
        self.events = []
        for event in self.objects(out, args, err):
            if event.get('event') == 'summary':
                summary = event
            else:
                self.events.append(event)
        if summary is None or not isinstance(summary.get('jobs'), list):
            self.module.fail_json(
                msg="kestrel-flash %s ended without its summary (exit status %d): %s"
                    % (command, rc, err.strip() or 'no error text'),
                cmd=args, rc=rc, stderr=err)
        if len(summary['jobs']) != len(cameras):
            self.module.fail_json(
                msg="kestrel-flash %s reported %d cameras for the %d given."
                    % (command, len(summary['jobs']), len(cameras)), cmd=args)
        return summary['jobs']

    def objects(self, out, args, err):
        """The JSON objects of kestrel-flash's output, each checked for schema 1."""
        return [self._read(line, number, args, err)
                for number, line in enumerate(out.splitlines(), 1) if line.strip()]

    def _read(self, line, number, args, err):
        try:
            event = json.loads(line)
        except ValueError as e:
            self.module.fail_json(
                msg="kestrel-flash wrote line %d that is not JSON (%s): %s" % (number, e, line),
                cmd=args, stderr=err)
        if not isinstance(event, dict) or event.get('schema') != SCHEMA:
            self.module.fail_json(
                msg="kestrel-flash wrote line %d without \"schema\": %d, so this "
                    "collection cannot read it: %s" % (number, SCHEMA, line),
                cmd=args, stderr=err)
        return event


def identity(job, side):
    """The identity object `side` ('before' or 'after') of a result object."""
    value = job.get(side)
    return value if isinstance(value, dict) else {}


def seconds(job):
    return round(job.get('elapsedMs', 0) / 1000.0, 1)


def failure_text(failed):
    """One sentence naming each failed camera with its result and detail."""
    return "; ".join("%s: %s: %s" % (c['address'], c['result'], " ".join(c['detail'].split()))
                     for c in failed)


def camera_entry(job, **fields):
    """A camera's entry in `cameras`: what every module returns of a result
    object, and the module's own fields."""
    entry = dict(
        address=job.get('job', ''),
        serial=job.get('serial', ''),
        result=job.get('result', ''),
        ok=bool(job.get('ok')),
        detail=job.get('detail', ''),
        seconds=seconds(job),
    )
    entry.update(fields)
    return entry


def finish(module, flash, cameras, changed, failed_as):
    """Ends the task with the cameras and the version of kestrel-flash. When
    any camera failed, the task fails: "N of M cameras FAILED_AS: " and each
    failed camera with its result and detail."""
    result = dict(cameras=cameras, changed=changed, kestrel_flash_version=flash.version)
    failed = [c for c in cameras if not c['ok']]
    if failed:
        module.fail_json(msg="%d of %d cameras %s: %s"
                             % (len(failed), len(cameras), failed_as, failure_text(failed)),
                         **result)
    module.exit_json(**result)
