# -*- coding: utf-8 -*-
# Copyright: (c) 2026, the Kestrel_FlashTool developers
# All rights reserved (see the copyright file of the kestrel-flash-ansible package)

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # What every module of kestrel.flash needs on the host, and how it finds
    # kestrel-flash there.
    DOCUMENTATION = r'''
requirements:
  - kestrel-flash on the host (package C(kestrel-flash)), writing JSON schema 1
options:
  kestrel_flash:
    description:
      - The C(kestrel-flash) program to run; a name is looked up on the host's PATH.
    type: path
    default: kestrel-flash
'''
