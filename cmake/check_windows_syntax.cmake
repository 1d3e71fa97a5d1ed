# Compiles the Windows branches of one source file with a MinGW-w64 cross
# compiler, syntax only, with the include folders and definitions the native
# build uses for that file (Qt's headers are the same on every platform).
#
#   cmake -DCXX=x86_64-w64-mingw32-g++-posix -DCOMPILE_COMMANDS=.../compile_commands.json
#         -DFILE=src/x/y.cpp [-DFLAGS_OF=src/x/z.cpp] -P check_windows_syntax.cmake
#
# A file that only Windows builds (y_win.cpp) is not in the native compile
# commands: it takes the flags of FLAGS_OF, or else of a file of its folder.
foreach(var CXX COMPILE_COMMANDS FILE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_windows_syntax.cmake: ${var} is not set")
    endif()
endforeach()
if(NOT FLAGS_OF)
    set(FLAGS_OF "${FILE}")
endif()

file(READ "${COMPILE_COMMANDS}" json)
string(JSON count LENGTH "${json}")
math(EXPR last "${count} - 1")
get_filename_component(folder "${FLAGS_OF}" DIRECTORY)
set(command "")
foreach(i RANGE ${last})
    string(JSON source GET "${json}" ${i} file)
    get_filename_component(source_folder "${source}" DIRECTORY)
    if(source STREQUAL FLAGS_OF OR (command STREQUAL "" AND source_folder STREQUAL folder))
        string(JSON command GET "${json}" ${i} command)
        if(source STREQUAL FLAGS_OF)
            break()
        endif()
    endif()
endforeach()
if(command STREQUAL "")
    message(FATAL_ERROR "${FLAGS_OF}: no compile command in its folder")
endif()

# Only what describes the source: definitions, include folders, the language
# level and the warnings. Code generation flags are the native compiler's.
separate_arguments(arguments UNIX_COMMAND "${command}")
set(flags)
set(take_next OFF)
foreach(argument IN LISTS arguments)
    if(take_next)
        list(APPEND flags "${argument}")
        set(take_next OFF)
    elseif(argument STREQUAL "-isystem")
        list(APPEND flags "${argument}")
        set(take_next ON)
    elseif(argument MATCHES "^-(D|I|std=|W)")
        list(APPEND flags "${argument}")
    endif()
endforeach()

execute_process(COMMAND "${CXX}" -fsyntax-only ${flags} "${FILE}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(NOTICE "${output}")
    message(FATAL_ERROR "${FILE} does not compile for Windows")
endif()
message(STATUS "${FILE}: the Windows build's syntax holds")
