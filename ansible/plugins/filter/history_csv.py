# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)
"""history_csv: the operations that camera_history returned, of any number of
benches, merged into the CSV text of earlier runs.

    {{ operations | kestrel.flash.history_csv(earlier_csv_text) }}

An operation is known by its operation id, unique among all benches (by its
bench and begin event id when it has none): one read again replaces its row,
so an operation that was running and has ended since shows its end, and the
rows of earlier runs stay. The rows are sorted by time, bench and id, so the
same operations always give the same bytes."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import csv
import io

from ansible.errors import AnsibleFilterError

COLUMNS = ['bench', 'id', 'operation', 'time', 'operator', 'face', 'action', 'address',
           'serial', 'model', 'hardware_before', 'hardware_after', 'software', 'target',
           'result', 'changed', 'ended', 'seconds', 'record', 'tool_version', 'files',
           'signer_key']


def _cell(name, value):
    if value is None:
        return ''
    if name == 'changed':
        return 'yes' if value else 'no'
    if name == 'seconds':
        return '%.1f' % value
    if name == 'files':
        return ';'.join('%s=%s' % (f.get('name', ''), f.get('sha256', '')) for f in value)
    return '%s' % value


def _key(row):
    return row['operation'] or '%s#%s' % (row['bench'], row['id'])


def _order(row):
    return (row['time'], row['bench'], int(row['id'] or 0))


def history_csv(operations, earlier=''):
    if not isinstance(operations, list):
        raise AnsibleFilterError('history_csv: the operations must be a list, not %s'
                                 % type(operations).__name__)
    rows = {}
    if earlier and earlier.strip():
        reader = csv.DictReader(io.StringIO(earlier, newline=''))
        if reader.fieldnames != COLUMNS:
            raise AnsibleFilterError('history_csv: the earlier CSV does not have the columns '
                                     'of a history: %s' % ','.join(reader.fieldnames or []))
        for row in reader:
            rows[_key(row)] = row
    for operation in operations:
        row = dict((name, _cell(name, operation.get(name))) for name in COLUMNS)
        rows[_key(row)] = row
    text = io.StringIO(newline='')
    writer = csv.DictWriter(text, COLUMNS, lineterminator='\r\n')
    writer.writeheader()
    for row in sorted(rows.values(), key=_order):
        writer.writerow(row)
    return text.getvalue()


class FilterModule(object):
    def filters(self):
        return {'history_csv': history_csv}
