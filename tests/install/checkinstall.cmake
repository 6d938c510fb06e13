cmake_minimum_required(VERSION 3.25)
# Installs the build into a scratch prefix and checks that the program, its
# help file with its picture, its sample schedule, the desktop entry, the file
# type, the software centres' description and the icons are where they
# belong, and that bin/parlowen leads to the program.
#   cmake -D BUILD_DIR=... -D PREFIX=... -P checkinstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    lib/parlowen/parlowen
    lib/parlowen/parlowen.html
    lib/parlowen/parlowen-editor.png
    lib/parlowen/default.sked
    lib/parlowen/samples/stretch.wav
    lib/parlowen/samples/water.wav
    share/applications/parlowen.desktop
    share/mime/packages/parlowen.xml
    share/metainfo/org.parlowen.Parlowen.metainfo.xml
    share/icons/hicolor/48x48/mimetypes/application-x-parlowen-schedule.png
    share/icons/hicolor/16x16/apps/parlowen.png
    share/icons/hicolor/32x32/apps/parlowen.png
    share/icons/hicolor/48x48/apps/parlowen.png
    share/icons/hicolor/128x128/apps/parlowen.png)
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()

if(NOT IS_SYMLINK "${PREFIX}/bin/parlowen")
    message(FATAL_ERROR "bin/parlowen is not a link")
endif()
file(REAL_PATH "${PREFIX}/bin/parlowen" target)
file(REAL_PATH "${PREFIX}/lib/parlowen/parlowen" program)
if(NOT target STREQUAL program)
    message(FATAL_ERROR "bin/parlowen leads to ${target}, not to ${program}")
endif()

file(STRINGS "${PREFIX}/share/applications/parlowen.desktop" entry)
foreach(line "Exec=parlowen %f" "Icon=parlowen" "Type=Application"
             "MimeType=application/x-parlowen-schedule;")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "desktop entry lacks ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout as expected")
