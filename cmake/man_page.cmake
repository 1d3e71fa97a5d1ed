# Writes a program's manual page from its --help with help2man, compressed as
# Debian wants it (OUTPUT.gz). For a program with commands, each command's own
# --help is added as a section of its own.
#
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DNAME_LINE=... -DVERSION=...
#         -DOUTPUT=.../name.1 [-DCOMMANDS=a,b,c] -P man_page.cmake
foreach(var HELP2MAN GZIP PROGRAM NAME_LINE VERSION OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "man_page.cmake: ${var} is not set")
    endif()
endforeach()

set(include_args)
string(REPLACE "," ";" COMMANDS "${COMMANDS}")
if(COMMANDS)
    set(roff "[COMMANDS]\n")
    foreach(command IN LISTS COMMANDS)
        execute_process(COMMAND ${PROGRAM} ${command} --help
            OUTPUT_VARIABLE help RESULT_VARIABLE status)
        if(NOT status EQUAL 0 OR help STREQUAL "")
            message(FATAL_ERROR "${PROGRAM} ${command} --help failed (${status})")
        endif()
        # The help is shown as it is: backslashes escaped, and no line may
        # start with a control character.
        string(REPLACE "\\" "\\e" help "${help}")
        string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
        get_filename_component(program_name "${PROGRAM}" NAME)
        string(APPEND roff ".SS \"${program_name} ${command}\"\n.nf\n${help}.fi\n")
    endforeach()
    set(include_file "${OUTPUT}.include")
    file(WRITE "${include_file}" "${roff}")
    set(include_args "--include=${include_file}")
endif()

execute_process(
    COMMAND ${HELP2MAN} --no-info "--version-string=${VERSION}" "--name=${NAME_LINE}"
            ${include_args} "--output=${OUTPUT}" ${PROGRAM}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${PROGRAM}: ${errors}")
endif()
execute_process(COMMAND ${GZIP} -9nf "${OUTPUT}" COMMAND_ERROR_IS_FATAL ANY)
