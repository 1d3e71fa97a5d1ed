# Checks that the product's logic never waits on the stack: no nested event
# loop (QEventLoop, processEvents), no blocking wait of a socket, process or
# reply (waitFor...), no blocking D-Bus call (QDBus::Block) and no blocking
# wait for a QThread. Work goes on from the one event loop of each program;
# an operation moves on when its reply or its timer comes. The window (app)
# may run modal dialogs, and the simulator (sim) is a program of its own:
# neither is looked at.
#
# Usage: cmake -DSRC=<path of src> -P check_no_waits.cmake
# Fails, naming file:line of every wait it finds.

if(NOT SRC)
    message(FATAL_ERROR "usage: cmake -DSRC=<path of src> -P check_no_waits.cmake")
endif()
get_filename_component(SRC "${SRC}" ABSOLUTE)

set(folders core link camera staging session cli)
# What each wait looks like in the code, and how it is named in the report.
set(pattern_loop "QEventLoop")
set(name_loop "a nested event loop (QEventLoop)")
set(pattern_pump "processEvents")
set(name_pump "events served on the stack (processEvents)")
set(pattern_waitfor "waitFor[A-Z]")
set(name_waitfor "a blocking waitFor... call")
set(pattern_dbus "QDBus::Block")
set(name_dbus "a blocking D-Bus call (QDBus::Block)")
set(kinds loop pump waitfor dbus)

set(problems)
set(count 0)
foreach(folder IN LISTS folders)
    file(GLOB sources RELATIVE ${SRC} ${SRC}/${folder}/*.h ${SRC}/${folder}/*.cpp)
    foreach(source IN LISTS sources)
        math(EXPR count "${count} + 1")
        file(READ ${SRC}/${source} text)
        # A QThread waited for: a wait() call in a file that uses QThread.
        set(threads OFF)
        if(text MATCHES "QThread")
            set(threads ON)
        endif()
        # One list entry per line; brackets and semicolons would split or
        # join entries, so they are taken out first (no pattern needs them).
        string(REGEX REPLACE "[][;]" " " text "${text}")
        string(REPLACE "\n" ";" lines "${text}")
        set(number 0)
        foreach(line IN LISTS lines)
            math(EXPR number "${number} + 1")
            # What a comment says is no code.
            string(REGEX REPLACE "//.*$" "" code "${line}")
            foreach(kind IN LISTS kinds)
                if(code MATCHES "${pattern_${kind}}")
                    list(APPEND problems "${source}:${number}: ${name_${kind}}")
                endif()
            endforeach()
            if(threads AND code MATCHES "(->|\\.)wait\\(")
                list(APPEND problems "${source}:${number}: a blocking wait for a QThread")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " report)
    message(FATAL_ERROR "Waits on the stack:\n  ${report}")
endif()
message(STATUS "No waits on the stack in ${count} files of ${folders}.")
