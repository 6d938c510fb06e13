cmake_minimum_required(VERSION 3.25)
# Builds the Debian package from the build folder as the README says, then
# checks what it holds, what it depends on, and that the program it installs
# runs and knows its version.
#   cmake -D CPACK=... -D BUILD_DIR=... -D WORK_DIR=... -D VERSION=... -P checkpackage.cmake
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}):\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
run("${CPACK}" -G DEB -B "${WORK_DIR}" WORKING_DIRECTORY "${BUILD_DIR}")
file(GLOB packages "${WORK_DIR}/parlowen_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one parlowen_*.deb, found: ${packages}")
endif()

run(dpkg-deb -c "${packages}")
set(expected
    ./usr/lib/parlowen/parlowen
    ./usr/lib/parlowen/parlowen.html
    ./usr/lib/parlowen/parlowen-editor.png
    ./usr/lib/parlowen/default.sked
    ./usr/lib/parlowen/samples/stretch.wav
    "./usr/bin/parlowen -> ../lib/parlowen/parlowen"
    ./usr/share/applications/parlowen.desktop
    ./usr/share/mime/packages/parlowen.xml
    ./usr/share/metainfo/org.parlowen.Parlowen.metainfo.xml
    ./usr/share/icons/hicolor/48x48/apps/parlowen.png
    ./usr/share/icons/hicolor/48x48/mimetypes/application-x-parlowen-schedule.png)
foreach(path IN LISTS expected)
    string(FIND "${out}" " ${path}\n" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package lacks ${path}:\n${out}")
    endif()
endforeach()
# Everything lives under /usr: nothing in /usr/local or beside it.
string(REGEX MATCHALL " \\./[^ \n]*" paths "${out}")
foreach(path IN LISTS paths)
    if(NOT path MATCHES "^ \\./(usr/.*)?$" OR path MATCHES "^ \\./usr/local")
        message(FATAL_ERROR "the package installs outside /usr: ${path}")
    endif()
endforeach()

run(dpkg --print-architecture)
string(STRIP "${out}" architecture)
run(dpkg-deb -f "${packages}" Package Version Architecture Depends)
foreach(field
        "Package: parlowen" "Version: ${VERSION}" "Architecture: ${architecture}"
        # Worked out by dpkg-shlibdeps from the linked libraries...
        "libqt6widgets6 (>=" "libqt6network6 (>=" "libsdl2-2.0-0 (>=" "libsndfile1 (>="
        # ...and what the program loads without linking it.
        "qt6-qpa-plugins" "fonts-dejavu-core" "espeak-ng-data")
    string(FIND "${out}" "${field}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package's fields lack '${field}':\n${out}")
    endif()
endforeach()

# The packaged (stripped) program runs through its link in bin/.
run(dpkg-deb -x "${packages}" "${WORK_DIR}/root")
run("${WORK_DIR}/root/usr/bin/parlowen" --version)
if(NOT out STREQUAL "parlowen ${VERSION}\n")
    message(FATAL_ERROR "the packaged program says '${out}'")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "package as expected")
