# The Debian packages, made by CPack from the default build tree:
#   cpack -G DEB --config build/default/CPackConfig.cmake -B build/default/packages
# Their dependencies on Qt and the C++ runtime come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR "The Kestrel_FlashTool developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${KESTREL_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE kestrel-flashtool)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})

foreach(component IN LISTS KESTREL_COMPONENTS)
    string(TOUPPER ${component} COMPONENT)
    set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${KESTREL_PACKAGE_${component}})
endforeach()

# The first line of each is the package's synopsis.
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "firmware update tool for Kestrel VX network cameras
Kestrel_FlashTool takes a Kestrel VX network camera through a firmware update
in one window: it copies the firmware files onto a USB stick, each verified by
reading it back, shows the camera's identity and versions, and programs the
camera's boot flash, following the erase and programming phases to their end.")
set(CPACK_DEBIAN_TERMINAL_DESCRIPTION "firmware update of Kestrel VX cameras from a terminal
kestrel-flash does the work of Kestrel_FlashTool from a terminal: it shows
cameras' information, updates many cameras at once with live progress, follows
a run already in progress, stages firmware onto a USB stick, and keeps a
production history of every camera it updated, searchable and tamper-evident.")
set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "simulated Kestrel VX camera for tests and training
kestrel-camera-sim answers the command protocol of a Kestrel VX camera on TCP,
with programming runs that advance with time, a simulated power cycle, and
faults to order (stalls, aborts, lost connections, malformed replies).")
# The history is SQLite through Qt's driver, a plugin that dpkg-shlibdeps does
# not see.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_TERMINAL_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# The collection is Python run by Ansible on each bench, beside kestrel-flash.
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_ANSIBLE_PACKAGE_DEPENDS
    "kestrel-flash (= ${PROJECT_VERSION}), ansible-core (>= 2.14), python3")
set(CPACK_DEBIAN_ANSIBLE_DESCRIPTION "Ansible collection that updates Kestrel VX cameras on many benches
The collection kestrel.flash lets one Ansible playbook bring the cameras of
every bench PC to one hardware firmware version with kestrel-flash, and report
which cameras were programmed, which failed and which were already current.
Its modules are kestrel.flash.camera_firmware, kestrel.flash.camera_info and
kestrel.flash.camera_history, which gathers a bench's production history.")

include(CPack)
