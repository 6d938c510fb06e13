cmake_minimum_required(VERSION 3.25)
# Checks the files that introduce the program to the desktop with the tools
# the desktops themselves trust: the desktop entry, the software centres'
# description and the .sked file type, which must map *.sked to the type the
# desktop entry opens.
#   cmake -D RES_DIR=... -D WORK_DIR=... -D DESKTOP_FILE_VALIDATE=...
#         -D APPSTREAMCLI=... -D UPDATE_MIME_DATABASE=... -P checkdesktopfiles.cmake
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}):\n${out}")
    endif()
endfunction()

run("${DESKTOP_FILE_VALIDATE}" "${RES_DIR}/parlowen.desktop")
run("${APPSTREAMCLI}" validate --no-net "${RES_DIR}/org.parlowen.Parlowen.metainfo.xml")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/mime/packages")
file(COPY_FILE "${RES_DIR}/parlowen-mime.xml" "${WORK_DIR}/mime/packages/parlowen.xml")
run("${UPDATE_MIME_DATABASE}" "${WORK_DIR}/mime")
file(STRINGS "${WORK_DIR}/mime/globs2" globs)
if(NOT "50:application/x-parlowen-schedule:*.sked" IN_LIST globs)
    message(FATAL_ERROR "*.sked is not application/x-parlowen-schedule: ${globs}")
endif()

file(STRINGS "${RES_DIR}/parlowen.desktop" entry)
foreach(line "Exec=parlowen %f" "MimeType=application/x-parlowen-schedule;")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "desktop entry lacks ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "desktop files valid")
